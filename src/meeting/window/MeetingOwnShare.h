#pragma once

#include "meeting/sharing/MeetingSharing.h"
#include "meeting/sharing/OwnShareCalls.h"

class MeetingViewController;
namespace Ui {
class MeetingViewController;
}

// The window's views the sharing room drives.
[[nodiscard]] MeetingSharing::Views makeSharingViews(Ui::MeetingViewController &ui);

// What the user's own share may ask of this window (the sharing room holds the share).
[[nodiscard]] OwnShareCalls makeOwnShareCalls(MeetingViewController *window);
