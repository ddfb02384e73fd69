#include "foundation/models/KVSubTitleModel.h"

#include "foundation/JXExtension.h"

JX_REGISTER_MODEL(KVSubTitleModel)

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_KVSubTitleModel.cpp"
