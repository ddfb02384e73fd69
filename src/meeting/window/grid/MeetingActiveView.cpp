#include "meeting/window/grid/MeetingActiveView.h"

#include "meeting/window/MeetingIcons.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMicrophoneIcon.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>

#include <algorithm>

namespace {

// The name bar's rounded background, painted: style sheets cost too much per tile.
class NameBarBackground final : public QWidget {
public:
    NameBarBackground(const QColor &color, QWidget *parent) : QWidget(parent), m_color(color) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_color.alpha() == 0)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(m_color);
        p.drawRoundedRect(QRectF(rect()), 15, 15);
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
    return model.isSelf() ? model.userName() + QStringLiteral("(我)") : model.userName();
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
    m_nameLabel->setFont(font);
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
}

MeetingVideoView::MeetingVideoView(QWidget *parent) : MeetingActiveView(true, parent)
{
    m_shareTipLabel = new QLabel(QStringLiteral("你正在共享屏幕"), this);
    m_shareTipLabel->setObjectName(QStringLiteral("shareTipLabel"));
    m_shareTipLabel->setAlignment(Qt::AlignCenter);
    whiteText(m_shareTipLabel);
    m_shareTipLabel->setFont(vesk::systemFont(16));
    m_shareTipLabel->hide();
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
    const QString name = m_nameLabel->text();
    if (!name.isEmpty()) {
        p.setPen(Qt::white);
        p.setFont(vesk::systemFont(side * 0.4));
        p.drawText(circle, Qt::AlignCenter, name.left(1));
    }
}
