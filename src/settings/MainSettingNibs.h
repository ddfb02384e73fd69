#pragma once

// Registers the settings panels under their interface-file names (their class names) for
// loadViewFromNibWithName. Only the first call registers, so stand-ins a test registers after
// it stay.
void registerSettingNibs();
