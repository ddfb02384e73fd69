#include "uikit/MacCoverButton.h"

void MacCoverButton::mouseEntered()
{
    if (mouseEnterBlock)
        mouseEnterBlock();
}

void MacCoverButton::mouseExited()
{
    if (mouseExitBlock)
        mouseExitBlock();
}
