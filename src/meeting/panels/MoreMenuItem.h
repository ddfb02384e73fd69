#pragma once

#include "meeting/sharing/MeetingSharing.h"
#include "meeting/window/MeetingViewController.h"
#include "meeting/window/MoreItemView.h"

// A panel the share tool bar's more menu opened closed by itself: its item goes off, so that the
// next press opens it again. Without a menu nothing happens (none is made for this).
namespace MoreMenuItem {

inline void reset(MeetingViewController *window, MoreItemView::Item item)
{
    if (!window)
        return;
    if (auto *menu = qobject_cast<MoreItemView *>(window->sharing().state().moreItemViewStorage.data()))
        menu->itemPanelDidClose(item);
}

} // namespace MoreMenuItem
