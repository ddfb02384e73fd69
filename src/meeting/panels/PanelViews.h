#pragma once

class QWidget;

// Small view helpers of the meeting panels.
namespace PanelViews {
// Takes a view out of the view it is in, with the constraints that placed it. Whoever made it
// keeps it for the next time it is shown.
void removeFromSuperview(QWidget *view);
} // namespace PanelViews
