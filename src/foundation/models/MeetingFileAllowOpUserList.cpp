#include "foundation/models/MeetingFileAllowOpUserList.h"

#include "foundation/JXExtension.h"

JX_REGISTER_MODEL(MeetingFileAllowOpUserList)
JX_REGISTER_MODEL(VeskUserModel)

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_MeetingFileAllowOpUserList.cpp"
