#pragma once

// Registers the device pop-ups under their interface-file names
// ("KVCameraSelectView", "KVAudioSelectView") for loadViewFromNibWithName.
// Called once at start-up; calling it again changes nothing.
void registerDeviceNibs();
