#include "meeting/panels/IMDisplayView.h"

#include "uikit/VeskCategories.h"

namespace {
// Built in code; registered under the interface file's name.
const bool registered = [] {
    vesk::registerNib(QStringLiteral("IMDisplayView"), [] { return new IMDisplayView(); });
    return true;
}();
} // namespace

IMDisplayView::IMDisplayView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("IMDisplayView"));
    setAccessibleName(QStringLiteral("聊天"));
}

void IMDisplayView::layoutSelf(double adjustScale)
{
    m_scale = adjustScale;
    setMinimumWidth(int(282 * adjustScale));
    updateGeometry();
}
