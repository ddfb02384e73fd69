#include "foundation/models/MeetingListDataModel.h"

#include "foundation/JXExtension.h"

JX_REGISTER_MODEL(MeetingDataModel)

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_MeetingListDataModel.cpp"
