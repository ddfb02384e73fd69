#include "uikit/KVHitTestButton.h"

#include "uikit/KVAccessibility.h"

KVHitTestButton::KVHitTestButton(QWidget *parent) : KVHitTestButton(QString(), parent) {}

KVHitTestButton::KVHitTestButton(const QString &title, QWidget *parent) : QCheckBox(title, parent)
{
    KVAccessibility::install();
    setCursor(Qt::PointingHandCursor);
    setHitMargin(m_margin);
}

void KVHitTestButton::setHitMargin(int margin)
{
    m_margin = std::max(0, margin);
    // The widened area is part of the widget so that it receives the presses.
    setContentsMargins(m_margin, m_margin, m_margin, m_margin);
}

bool KVHitTestButton::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}
