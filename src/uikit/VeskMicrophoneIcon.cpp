#include "uikit/VeskMicrophoneIcon.h"

#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"
#include "foundation/NotificationCenter.h"
#include "uikit/VeskCategories.h"

#include <QMultiHash>
#include <QPainter>
#include <QPainterPath>
#include <QSet>

#include <algorithm>
#include <limits>

namespace {
QColor levelColor()
{
    return vesk::colorWithHexString(QStringLiteral("2BC155"));
}
} // namespace

VeskMicrophoneIcon::VeskMicrophoneIcon(QWidget *parent) : VeskButton(parent)
{
    setAccessibleName(QStringLiteral("麦克风"));
    setToolTip(QStringLiteral("麦克风"));
}

VeskMicrophoneIcon::~VeskMicrophoneIcon()
{
    follow(QString());
}

void VeskMicrophoneIcon::setPhoneNumber(const QString &phoneNumber)
{
    if (m_phoneNumber == phoneNumber)
        return;
    follow(phoneNumber);
    m_phoneNumber = phoneNumber;
    setLevel(0);
}

// A meeting posts a level for every participant several times a second: one observer hands each
// to the icons of its participant, so a level costs the icons that show it, not every icon.
struct VeskMicrophoneIcon::Router final : QObject {
    QMultiHash<QString, QPointer<VeskMicrophoneIcon>> icons;
    // The icons showing a level, and one timer for all of them that wakes when the earliest may
    // fall back: thirty speakers cost one timer, not thirty made again every second.
    QSet<VeskMicrophoneIcon *> lit;
    QPointer<KVTimer> decay;

    void light(VeskMicrophoneIcon *icon)
    {
        lit.insert(icon);
        if (!decay)
            scheduleDecay(icon->m_lastLevelAt + kLevelHold.count());
    }

    // With nobody left showing a level, nothing is to wake for.
    void forget(VeskMicrophoneIcon *icon)
    {
        if (lit.remove(icon) && lit.isEmpty() && decay) {
            decay->invalidate();
            decay = nullptr;
        }
    }

    void scheduleDecay(qint64 atMs)
    {
        const qint64 wait = std::max<qint64>(0, atMs - KVClock::current().nowMs());
        decay = KVTimer::singleShot(this, std::chrono::milliseconds(wait), [this] {
            decay = nullptr;
            fallBack();
        });
    }

    // The icons without a level for the hold fall back to 0; the next wake-up is the earliest of
    // the rest.
    void fallBack()
    {
        const qint64 now = KVClock::current().nowMs();
        qint64 next = std::numeric_limits<qint64>::max();
        const QList<VeskMicrophoneIcon *> shown(lit.cbegin(), lit.cend());
        for (VeskMicrophoneIcon *icon : shown) {
            if (!lit.contains(icon)) // gone by another's fall
                continue;
            if (icon->m_level == 0 || now - icon->m_lastLevelAt >= kLevelHold.count()) {
                lit.remove(icon);
                icon->setLevel(0);
            } else {
                next = std::min(next, icon->m_lastLevelAt + kLevelHold.count());
            }
        }
        if (!decay && next != std::numeric_limits<qint64>::max())
            scheduleDecay(next);
    }

    Router()
    {
        NotificationCenter::defaultCenter().addObserver(this, QLatin1String(kVoiceValueChanged),
                                                        [this](const Notification &n) {
                                                            // The level is carried as the object; accept user info too.
                                                            QVariantMap info = n.object.toMap();
                                                            if (!info.contains(QStringLiteral("peerId")))
                                                                info = n.userInfo;
                                                            MainQueue::safe(this, [this, info] { deliver(info); });
                                                        });
    }

    void deliver(const QVariantMap &info)
    {
        const QString peerId = info.value(QStringLiteral("peerId")).toString();
        bool ok = false;
        const qreal value = info.value(QStringLiteral("value")).toDouble(&ok);
        if (peerId.isEmpty() || !ok)
            return;
        // A level moves an icon's owner: it may delete another icon of this participant, or give
        // it to somebody else, before the level reaches it.
        const QList<QPointer<VeskMicrophoneIcon>> targets = icons.values(peerId);
        for (const QPointer<VeskMicrophoneIcon> &icon : targets)
            if (icon && icon->m_phoneNumber == peerId)
                icon->voiceValueChanged(value);
    }
};

VeskMicrophoneIcon::Router *VeskMicrophoneIcon::s_router = nullptr;

void VeskMicrophoneIcon::follow(const QString &phoneNumber)
{
    if (!s_router)
        s_router = new Router; // for the process's life: one observer, however many meetings
    if (phoneNumber.isEmpty())
        s_router->forget(this);
    if (!m_phoneNumber.isEmpty())
        s_router->icons.remove(m_phoneNumber, this);
    if (!phoneNumber.isEmpty())
        s_router->icons.insert(phoneNumber, this);
}

void VeskMicrophoneIcon::setOnImage(const QPixmap &image)
{
    m_onImage = image;
    update();
}

void VeskMicrophoneIcon::setOffImage(const QPixmap &image)
{
    m_offImage = image;
    update();
}

void VeskMicrophoneIcon::setIconState(qint64 state)
{
    m_iconState = state;
    const bool open = state != 0;
    setAccessibleDescription(open ? QStringLiteral("已开启") : QStringLiteral("已关闭"));
    if (!open)
        setLevel(0);
    update();
}

void VeskMicrophoneIcon::voiceValueChanged(qreal value)
{
    setLevel(value);
    m_lastLevelAt = KVClock::current().nowMs();
    s_router->light(this);
}

void VeskMicrophoneIcon::setLevel(qreal level)
{
    level = std::isnan(level) ? 0 : std::clamp<qreal>(level, 0, 100);
    if (m_level == level)
        return;
    m_level = level;
    update();
    Q_EMIT levelChanged(level);
}

void VeskMicrophoneIcon::paintDefaultIcon(QPainter &p, const QRectF &r) const
{
    const qreal s = std::min(r.width(), r.height());
    const QRectF box(r.center().x() - s / 2, r.center().y() - s / 2, s, s);
    const QRectF capsule(box.x() + s * 0.35, box.y() + s * 0.08, s * 0.3, s * 0.52);
    const bool open = m_iconState != 0;
    QColor stroke = open ? QColor(Qt::white) : vesk::colorWithHexString(QStringLiteral("A6A7AB"));
    p.setPen(QPen(stroke, std::max<qreal>(1.0, s * 0.07), Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(capsule, capsule.width() / 2, capsule.width() / 2);
    if (open && m_level > 0) {
        QPainterPath clip;
        clip.addRoundedRect(capsule, capsule.width() / 2, capsule.width() / 2);
        const qreal h = capsule.height() * m_level / 100.0;
        p.save();
        p.setClipPath(clip);
        p.fillRect(QRectF(capsule.left(), capsule.bottom() - h, capsule.width(), h), levelColor());
        p.restore();
    }
    const QRectF arc(box.x() + s * 0.22, box.y() + s * 0.25, s * 0.56, s * 0.5);
    p.drawArc(arc, 180 * 16, 180 * 16);
    p.drawLine(QPointF(box.center().x(), arc.bottom()), QPointF(box.center().x(), box.y() + s * 0.9));
    if (!open) {
        p.setPen(QPen(vesk::colorWithHexString(QStringLiteral("FF656B")), std::max<qreal>(1.0, s * 0.08), Qt::SolidLine,
                      Qt::RoundCap));
        p.drawLine(QPointF(box.x() + s * 0.2, box.y() + s * 0.15), QPointF(box.x() + s * 0.8, box.y() + s * 0.85));
    }
}

void VeskMicrophoneIcon::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paintIcon(p, rect());
}

void VeskMicrophoneIcon::paintIcon(QPainter &p, const QRect &bounds) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const bool open = m_iconState != 0;
    const QPixmap &img = open ? m_onImage : m_offImage;
    if (img.isNull()) {
        paintDefaultIcon(p, QRectF(bounds).adjusted(1, 1, -1, -1));
        p.restore();
        return;
    }
    const QSize sz = img.deviceIndependentSize().toSize().scaled(bounds.size(), Qt::KeepAspectRatio);
    const QRect target(
        QPoint(bounds.x() + (bounds.width() - sz.width()) / 2, bounds.y() + (bounds.height() - sz.height()) / 2), sz);
    p.drawPixmap(target, img);
    if (open && m_level > 0) {
        // The level rises from the bottom, tinting the icon's own shape.
        const qreal dpr = devicePixelRatioF();
        QImage overlay(target.size() * dpr, QImage::Format_ARGB32_Premultiplied);
        overlay.setDevicePixelRatio(dpr);
        overlay.fill(Qt::transparent);
        {
            QPainter o(&overlay);
            const qreal h = target.height() * m_level / 100.0;
            o.fillRect(QRectF(0, target.height() - h, target.width(), h), levelColor());
            o.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            o.drawPixmap(QRect(QPoint(0, 0), target.size()), img);
        }
        p.drawImage(target, overlay);
    }
    p.restore();
}
