#include "foundation/models/MeetingRecordDeviceModel.h"

#include "foundation/JXExtension.h"

JX_REGISTER_MODEL(MeetingRecordDeviceModel)

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_MeetingRecordDeviceModel.cpp"
