#include "meeting/window/grid/MeetingActiveView.h"

#include "meeting/common/MeetingIcons.h"
#include "uikit/KVAccessibility.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMicrophoneIcon.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace {

// The name bar's rounded background, painted: style sheets cost too much per tile.
class NameBarBackground final : public QWidget {
public:
    NameBarBackground(const QColor &color, QWidget *parent) : QWidget(parent), m_color(color) {}

    void paintBar(QPainter &p) const
    {
        if (m_color.alpha() == 0)
            return;
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(m_color);
        p.drawRoundedRect(QRectF(rect()), 15, 15);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        paintBar(p);
    }

private:
    QColor m_color;
};

void whiteText(QLabel *label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
}

// The icon set's image, or four corner marks pointing out (enter) or in (exit).
QPixmap fullScreenImage(const QString &name, bool enter)
{
    QPixmap image = MeetingIcons::image(name, 18);
    if (!image.isNull())
        return image;
    image = QPixmap(18, 18);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1.6));
    const double a = enter ? 2 : 7;
    const double b = enter ? 7 : 2;
    for (const QPointF &corner : {QPointF(0, 0), QPointF(18, 0), QPointF(0, 18), QPointF(18, 18)}) {
        const double sx = corner.x() == 0 ? 1 : -1;
        const double sy = corner.y() == 0 ? 1 : -1;
        const QPointF tip(corner.x() + sx * a, corner.y() + sy * a);
        p.drawLine(tip, tip + QPointF(sx * (b - a), 0));
        p.drawLine(tip, tip + QPointF(0, sy * (b - a)));
    }
    return image;
}

} // namespace

MeetingActiveView *MeetingActiveView::activeViewWithActiveModel(const std::shared_ptr<MeetingActiveModel> &model,
                                                                QWidget *parent)
{
    if (!model || model->activeVideoSourceType() == 0)
        return new MeetingAudioView(parent);
    auto *view = new MeetingVideoView(parent);
    view->setIsSelfShare(model->activeVideoSourceType() == 2 && model->isSelf());
    return view;
}

QString MeetingActiveView::displayName(const MeetingActiveModel &model)
{
    if (model.userName().isEmpty())
        return QString();
    const QString name = KVDataText::bounded(model.userName(), DataText::kNameLength);
    return model.isSelf() ? KVDataText::isolated(name) + QStringLiteral("(我)") : name;
}

double MeetingActiveView::nameBarWidthFor(const QString &text, bool hasVideo)
{
    const QFont font = vesk::systemFont(hasVideo ? 16 : 22);
    const double margin = hasVideo ? 50 : 54;
    const QFontMetricsF metrics(font);
    const double width = text.isEmpty() ? 0 : metrics.boundingRect(QRectF(0, 0, 1e6, kNameBarHeight), 0, text).width();
    return width > 10 ? width + margin : 60;
}

MeetingActiveView::MeetingActiveView(bool video, QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_infoBgView = new NameBarBackground(
        video ? vesk::colorWithHexString(QStringLiteral("#080808"), 0.7) : QColor(Qt::transparent), this);
    m_infoBgView->setObjectName(QStringLiteral("infoBgView"));
    m_microphoneIcon = new VeskMicrophoneIcon(m_infoBgView);
    // It shows a participant's microphone; nothing to press, so no stop for Tab.
    m_microphoneIcon->setFocusPolicy(Qt::NoFocus);
    KVAccessibility::setRole(m_microphoneIcon, QAccessible::Indicator);
    m_nameLabel = new KVElidedLabel(m_infoBgView); // a member's name: plain text, cut to the bar
    m_nameLabel->setObjectName(QStringLiteral("nameLabel"));
    whiteText(m_nameLabel);
    m_nameLabel->setFont(vesk::systemFont(video ? 16 : 22));
    m_fullScreenBtn = new VeskButton(this);
    m_fullScreenBtn->setObjectName(QStringLiteral("fullScreenBtn"));
    m_fullScreenBtn->setFixedSize(24, 24);
    m_fullScreenBtn->setCursor(Qt::PointingHandCursor);
    QObject::connect(m_fullScreenBtn, &VeskButton::clicked, this, [this] { fullScreenBtnPressed(); });
    setOpenFullScreen(false);
    // The meeting window does nothing with a tile's full screen: a button that does nothing is
    // not offered (nor read out as "退出全屏" over every tile).
    m_fullScreenBtn->hide();

    // The bar, its name and its icon apart: a new level draws the icon again, nothing else.
    addPart(m_infoBgView);
    addPart(m_nameLabel);
    addPart(m_microphoneIcon);
    addPart(m_fullScreenBtn);
    connect(m_microphoneIcon, &VeskMicrophoneIcon::levelChanged, this, [this] { partChanged(m_microphoneIcon); });
    connect(m_fullScreenBtn, &VeskButton::hoverChanged, this, [this] { partChanged(m_fullScreenBtn); });
    connect(m_fullScreenBtn, &VeskButton::pressed, this, [this] { partChanged(m_fullScreenBtn); });
    connect(m_fullScreenBtn, &VeskButton::released, this, [this] { partChanged(m_fullScreenBtn); });
}

void MeetingActiveView::addPart(QWidget *part)
{
    m_parts.append({part, {}, {}, true});
    // Focus and enabled state change how buttons look.
    part->installEventFilter(this);
}

void MeetingActiveView::partChanged(QWidget *part)
{
    for (Part &p : m_parts) {
        if (p.widget == part) {
            p.stale = true;
            const QRect now(part->mapTo(this, QPoint()), part->size());
            if (part->isVisible() || p.drawnAt.isValid())
                Q_EMIT appearanceChanged(now | p.drawnAt);
        }
    }
}

void MeetingActiveView::contentChanged()
{
    for (Part &p : m_parts)
        p.stale = true;
    Q_EMIT appearanceChanged(rect());
}

bool MeetingActiveView::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::Show:
    case QEvent::Hide:
        if (watched->isWidgetType())
            partChanged(static_cast<QWidget *>(watched));
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void MeetingActiveView::paintOverVideo(QPainter &painter, const QPoint &offset, const QRect &dirty)
{
    // In the order the widgets are stacked, the lowest first; the bar's name and icon on the bar.
    for (QObject *child : children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (!w || w->isHidden())
            continue;
        drawPart(painter, offset, dirty, w);
        if (w != m_infoBgView)
            continue;
        for (QObject *inner : w->children()) {
            if (auto *part = qobject_cast<QWidget *>(inner); part && !part->isHidden())
                drawPart(painter, offset, dirty, part);
        }
    }
}

void MeetingActiveView::drawPart(QPainter &painter, const QPoint &offset, const QRect &dirty, QWidget *w)
{
    const auto found = std::find_if(m_parts.begin(), m_parts.end(), [w](const Part &p) { return p.widget == w; });
    if (found == m_parts.end() || w->size().isEmpty())
        return;
    Part &p = *found;
    const QRect at(w->mapTo(this, QPoint()), w->size());
    if (!dirty.intersects(at.translated(offset)))
        return;
    const qreal dpr = devicePixelRatioF();
    if (p.stale || p.drawnAt != at || p.image.devicePixelRatio() != dpr) {
        p.image = QImage(at.size() * dpr, QImage::Format_ARGB32_Premultiplied);
        p.image.setDevicePixelRatio(dpr);
        p.image.fill(Qt::transparent);
        QPainter onto(&p.image);
        paintPart(onto, w);
        p.drawnAt = at;
        p.stale = false;
    }
    painter.drawImage(at.topLeft() + offset, p.image);
}

void MeetingActiveView::paintPart(QPainter &p, QWidget *part) const
{
    // As each widget paints itself, without a paint pass over the window (QWidget::render walks
    // every widget of the window first, which grows with the tiles).
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect bounds(QPoint(0, 0), part->size());
    if (part == m_infoBgView) {
        static_cast<NameBarBackground *>(m_infoBgView)->paintBar(p);
    } else if (part == m_microphoneIcon) {
        m_microphoneIcon->paintIcon(p, bounds);
    } else if (part == m_fullScreenBtn) {
        m_fullScreenBtn->paintContent(p, bounds);
    } else if (auto *label = qobject_cast<QLabel *>(part)) {
        const auto *elided = dynamic_cast<const KVElidedLabel *>(label);
        label->style()->drawItemText(&p, label->contentsRect(), int(label->alignment()), label->palette(),
                                     label->isEnabled(), elided ? elided->shownText() : label->text(),
                                     label->foregroundRole());
    }
}

void MeetingActiveView::setOpenFullScreen(bool open)
{
    m_openFullScreen = open;
    // Drawn once (main thread): every tile rebuild would draw them again.
    static const QPixmap enter = fullScreenImage(QStringLiteral("Fullscreen"), true);
    static const QPixmap exit = fullScreenImage(QStringLiteral("Exit_fullscreen"), false);
    m_fullScreenBtn->setImage(open ? enter : exit);
    const QString name = open ? QStringLiteral("全屏") : QStringLiteral("退出全屏");
    m_fullScreenBtn->setAccessibleName(name);
    m_fullScreenBtn->setToolTip(name);
    partChanged(m_fullScreenBtn);
}

void MeetingActiveView::fullScreenBtnPressed()
{
    if (operateBlock)
        operateBlock();
}

void MeetingActiveView::setNameBarWidth(double width)
{
    m_nameBarWidth = width;
    layoutSubviews();
}

void MeetingActiveView::setNameFont(const QFont &font)
{
    if (m_nameLabel->font() == font)
        return;
    m_nameLabel->setFont(font);
    partChanged(m_nameLabel);
}

void MeetingActiveView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutSubviews();
}

void MeetingActiveView::layoutSubviews()
{
    // Bottom left, as wide as the name needs but never past the tile.
    const int barWidth = int(std::min(m_nameBarWidth, std::max(0.0, width() - 8.0)));
    const int barHeight = int(kNameBarHeight);
    m_infoBgView->setGeometry(4, std::max(0, height() - barHeight - 4), barWidth, barHeight);
    m_microphoneIcon->setGeometry(8, (barHeight - 20) / 2, 20, 20);
    m_nameLabel->setGeometry(32, 0, std::max(0, barWidth - 36), barHeight);
    m_fullScreenBtn->move(std::max(0, width() - 28), 4);
    // Parts drawn for another place or size are made again when next drawn.
    Q_EMIT appearanceChanged(rect());
}

MeetingVideoView::MeetingVideoView(QWidget *parent) : MeetingActiveView(true, parent)
{
    m_shareTipLabel = new QLabel(QStringLiteral("你正在共享屏幕"), this);
    m_shareTipLabel->setObjectName(QStringLiteral("shareTipLabel"));
    m_shareTipLabel->setAlignment(Qt::AlignCenter);
    whiteText(m_shareTipLabel);
    m_shareTipLabel->setFont(vesk::systemFont(16));
    m_shareTipLabel->hide();
    addPart(m_shareTipLabel);
}

void MeetingVideoView::setIsSelfShare(bool selfShare)
{
    MeetingActiveView::setIsSelfShare(selfShare);
    m_shareTipLabel->setVisible(selfShare);
}

void MeetingVideoView::layoutSubviews()
{
    MeetingActiveView::layoutSubviews();
    m_shareTipLabel->setGeometry(0, 0, width(), height());
    m_shareTipLabel->lower();
}

MeetingAudioView::MeetingAudioView(QWidget *parent) : MeetingActiveView(false, parent) {}

void MeetingAudioView::paintEvent(QPaintEvent *)
{
    // The audio card: a round badge with the name's first letter over the tile's background.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(width(), height()) * 0.32;
    if (side < 8)
        return;
    const QRectF circle((width() - side) / 2, (height() - side) / 2 - kNameBarHeight / 2, side, side);
    p.setPen(Qt::NoPen);
    p.setBrush(vesk::colorWithHexString(QStringLiteral("#0A8AF9")));
    p.drawEllipse(circle);
    QString name = m_nameLabel->text();
    if (name.startsWith(QChar(0x2068)))
        name.remove(0, 1);
    if (!name.isEmpty()) {
        p.setPen(Qt::white);
        p.setFont(vesk::systemFont(side * 0.4));
        p.drawText(circle, Qt::AlignCenter, name.left(1));
    }
}
