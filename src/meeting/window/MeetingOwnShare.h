#pragma once

#include "meeting/sharing/OwnShareCalls.h"

class MeetingViewController;

// What the user's own share may ask of this window (the sharing part holds the share).
[[nodiscard]] OwnShareCalls makeOwnShareCalls(MeetingViewController *window);
