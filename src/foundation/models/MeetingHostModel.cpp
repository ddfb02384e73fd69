#include "foundation/models/MeetingHostModel.h"

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_MeetingHostModel.cpp"
