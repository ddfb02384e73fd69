#include "meeting/panels/PanelViews.h"

#include "uikit/AutoLayout.h"

#include <QWidget>

namespace PanelViews {

void removeFromSuperview(QWidget *view)
{
    if (!view || !view->parentWidget())
        return;
    AutoLayout::removeConstraints(view);
    view->hide();
    view->setParent(nullptr);
}

} // namespace PanelViews
