#include "foundation/models/KVSubTitleListModel.h"

#include "foundation/JXExtension.h"

JX_REGISTER_MODEL(KVSubTitleRecord)

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_KVSubTitleListModel.cpp"
