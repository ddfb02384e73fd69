#include "uikit/KVMeetingIDLabel.h"

#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {
const QString kCopyTip = QStringLiteral("点击复制");
const QString kCopiedToast = QStringLiteral("已复制到剪贴板");
} // namespace

KVMeetingIDLabel::KVMeetingIDLabel(QWidget *parent) : KVElidedLabel(parent, Qt::ElideMiddle)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setToolTip(kCopyTip);
    setAttribute(Qt::WA_Hover);
}

void KVMeetingIDLabel::setShowHoverTips(bool show)
{
    m_showHoverTips = show;
    if (!show)
        hideTip();
}

bool KVMeetingIDLabel::copyToPasteboard()
{
    const QString value = m_roomId.isEmpty() ? text() : m_roomId;
    if (value.isEmpty())
        return false;
    if (QClipboard *cb = QGuiApplication::clipboard())
        cb->setText(value);
    if (m_customToast)
        m_customToast();
    else
        VeskToast::showToast(kCopiedToast);
    return true;
}

void KVMeetingIDLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        copyToPasteboard();
        event->accept();
        return;
    }
    KVElidedLabel::mouseReleaseEvent(event);
}

void KVMeetingIDLabel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        copyToPasteboard();
        event->accept();
        return;
    }
    KVElidedLabel::keyPressEvent(event);
}

void KVMeetingIDLabel::enterEvent(QEnterEvent *event)
{
    KVElidedLabel::enterEvent(event);
    if (m_showHoverTips)
        showTip();
}

void KVMeetingIDLabel::leaveEvent(QEvent *event)
{
    KVElidedLabel::leaveEvent(event);
    hideTip();
}

void KVMeetingIDLabel::showTip()
{
    QWidget *host = window();
    if (!host || host == this)
        return;
    if (!m_tip) {
        m_tip = KVDataText::label(kCopyTip, host);
        m_tip->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_tip->setFont(vesk::systemFont(12));
        m_tip->setContentsMargins(8, 4, 8, 4);
        m_tip->setStyleSheet(
            QStringLiteral("QLabel { color: white; background: rgba(0,0,0,191); border-radius: 4px; }"));
        m_tip->adjustSize();
    }
    const QPoint topLeft = mapTo(host, QPoint(0, 0));
    m_tip->move(topLeft.x() + (width() - m_tip->width()) / 2, std::max(0, topLeft.y() - m_tip->height() - 4));
    m_tip->show();
    m_tip->raise();
}

void KVMeetingIDLabel::hideTip()
{
    if (m_tip)
        m_tip->hide();
}
