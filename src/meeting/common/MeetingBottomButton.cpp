#include "meeting/common/MeetingBottomButton.h"

#include "uikit/VeskCategories.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

class CoverLayer final : public QWidget {
public:
    explicit CoverLayer(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("bgLayer"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }
    QColor color;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawRoundedRect(QRectF(rect()), 3.0, 3.0);
    }
};

} // namespace

MeetingBottomButton::MeetingBottomButton(QWidget *parent) : VeskButton(parent)
{
    setImagePosition(ImagePosition::Above);
    setImageSpacing(4);
    setFont(vesk::systemFont(12));
    setCursor(Qt::PointingHandCursor);
    setTextColor(vesk::colorWithHexString(QStringLiteral("#D7D7D8")));
    setAlternateTextColor(vesk::colorWithHexString(QStringLiteral("#0A8AF9")));
}

MeetingBottomButton::MeetingBottomButton(const QString &title, const QPixmap &image, QWidget *parent)
    : MeetingBottomButton(parent)
{
    setTitle(title);
    setImage(image);
    setToolTip(title);
}

MeetingBottomButton::~MeetingBottomButton()
{
    // The cover belongs to the parent; it goes with the button.
    delete m_bgLayer.data();
}

void MeetingBottomButton::setCoverExtendedSize(double size)
{
    m_coverExtendedSize = size;
    placeCover();
}

void MeetingBottomButton::setCoverColor(const QColor &color)
{
    m_coverColor = color;
    if (auto *cover = static_cast<CoverLayer *>(m_bgLayer.data())) {
        cover->color = color;
        cover->update();
    }
}

QWidget *MeetingBottomButton::bgLayer()
{
    if (!m_bgLayer && parentWidget()) {
        auto *cover = new CoverLayer(parentWidget());
        cover->color = m_coverColor;
        m_bgLayer = cover;
        placeCover();
    }
    return m_bgLayer;
}

void MeetingBottomButton::placeCover()
{
    if (!m_bgLayer)
        return;
    const int extra = static_cast<int>(std::lround(m_coverExtendedSize));
    const QRect frame = geometry();
    m_bgLayer->setGeometry(frame.x(), frame.y() - extra / 2, frame.width(), frame.height() + extra);
    m_bgLayer->stackUnder(this);
}

void MeetingBottomButton::mouseEntered()
{
    if (!isEnabled() || !m_covered)
        return;
    if (QWidget *cover = bgLayer()) {
        placeCover();
        cover->show();
    }
}

void MeetingBottomButton::mouseExited()
{
    // Also when disabled meanwhile: a cover left behind would stay until the next hover.
    if (m_bgLayer)
        m_bgLayer->hide();
}

void MeetingBottomButton::moveEvent(QMoveEvent *event)
{
    VeskButton::moveEvent(event);
    placeCover();
}

void MeetingBottomButton::resizeEvent(QResizeEvent *event)
{
    VeskButton::resizeEvent(event);
    placeCover();
}

void MeetingBottomButton::hideEvent(QHideEvent *event)
{
    VeskButton::hideEvent(event);
    if (m_bgLayer)
        m_bgLayer->hide();
}

QSize MeetingBottomButton::sizeHint() const
{
    const QSize base = VeskButton::sizeHint();
    return {std::max(base.width() + 12, 56), std::max(base.height() + 8, 52)};
}
