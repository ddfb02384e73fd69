#include "foundation/models/DesktopCaptureSnapshotModel.h"

#include "foundation/JXExtension.h"

JX_REGISTER_MODEL(DesktopCaptureSnapshotModel)

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_DesktopCaptureSnapshotModel.cpp"
