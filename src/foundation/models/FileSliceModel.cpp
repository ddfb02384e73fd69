#include "foundation/models/FileSliceModel.h"

#include "foundation/JXExtension.h"

JX_REGISTER_MODEL(FileSliceModel)

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_FileSliceModel.cpp"
