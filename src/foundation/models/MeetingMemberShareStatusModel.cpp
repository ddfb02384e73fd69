#include "foundation/models/MeetingMemberShareStatusModel.h"

#include "foundation/JXExtension.h"

JX_REGISTER_MODEL(MeetingMemberShareStatusModel)

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_MeetingMemberShareStatusModel.cpp"
