#include "foundation/models/MeetingInfoModel.h"

#include "foundation/JXExtension.h"

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_MeetingInfoModel.cpp"
