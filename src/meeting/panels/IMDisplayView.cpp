#include "meeting/panels/IMDisplayView.h"

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
