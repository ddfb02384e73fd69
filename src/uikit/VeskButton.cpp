#include "uikit/VeskButton.h"

#include "uikit/KVAccessibility.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QPainter>

namespace {

const QColor kFocusRingColor(0x0A, 0x8A, 0xF9);

} // namespace

VeskButton::VeskButton(QWidget *parent) : VeskButton(QString(), parent) {}

VeskButton::VeskButton(const QString &title, QWidget *parent) : QAbstractButton(parent)
{
    KVAccessibility::install();
    setText(title);
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void VeskButton::keyPressEvent(QKeyEvent *event)
{
    // Enter and Return press a focused button as Space does.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !event->isAutoRepeat() && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void VeskButton::setTitle(const QString &title)
{
    setText(title);
    updateGeometry();
    update();
}

void VeskButton::setAlternateTitle(const QString &title)
{
    m_alternateTitle = title;
    update();
}

void VeskButton::setTextColor(const QColor &color)
{
    m_textColor = color;
    update();
}

void VeskButton::setAlternateTextColor(const QColor &color)
{
    m_alternateTextColor = color;
    update();
}

void VeskButton::setAlternateFont(const QFont &font)
{
    m_alternateFont = font;
    update();
}

void VeskButton::setImage(const QPixmap &image)
{
    m_image = image;
    updateGeometry();
    update();
}

void VeskButton::setAlternateImage(const QPixmap &image)
{
    m_alternateImage = image;
    update();
}

void VeskButton::setImagePosition(ImagePosition position)
{
    m_imagePosition = position;
    updateGeometry();
    update();
}

void VeskButton::setImageSpacing(int spacing)
{
    m_imageSpacing = spacing;
    updateGeometry();
    update();
}

void VeskButton::setState(qint64 state)
{
    if (!isCheckable())
        setCheckable(true);
    setChecked(state != 0);
}

QString VeskButton::currentTitle() const
{
    return state() != 0 && !m_alternateTitle.isEmpty() ? m_alternateTitle : text();
}

QColor VeskButton::currentTextColor() const
{
    QColor c = state() != 0 && m_alternateTextColor.isValid() ? m_alternateTextColor : m_textColor;
    if (!isEnabled())
        c.setAlphaF(c.alphaF() * 0.5f);
    return c;
}

QFont VeskButton::currentFont() const
{
    return state() != 0 && m_alternateFont ? *m_alternateFont : font();
}

QPixmap VeskButton::currentImage() const
{
    return state() != 0 && !m_alternateImage.isNull() ? m_alternateImage : m_image;
}

QSize VeskButton::sizeHint() const
{
    const QFontMetrics fm(currentFont());
    const QString t = currentTitle();
    const QSize textSize = t.isEmpty() ? QSize() : QSize(fm.horizontalAdvance(t), fm.height());
    const QPixmap img = currentImage();
    const QSize imgSize = img.isNull() ? QSize() : img.deviceIndependentSize().toSize();
    const int gap = (!t.isEmpty() && !img.isNull()) ? m_imageSpacing : 0;
    QSize s;
    if (m_imagePosition == ImagePosition::Above)
        s = QSize(std::max(textSize.width(), imgSize.width()), textSize.height() + imgSize.height() + gap);
    else
        s = QSize(textSize.width() + imgSize.width() + gap, std::max(textSize.height(), imgSize.height()));
    return s + QSize(16, 8);
}

void VeskButton::paintContent(QPainter &p, const QRect &rect) const
{
    const QString t = currentTitle();
    const QPixmap img = currentImage();
    const QFont f = currentFont();
    const QFontMetrics fm(f);
    const QSize textSize = t.isEmpty() ? QSize() : QSize(fm.horizontalAdvance(t), fm.height());
    const QSize imgSize = img.isNull() ? QSize() : img.deviceIndependentSize().toSize();
    const int gap = (!t.isEmpty() && !img.isNull()) ? m_imageSpacing : 0;
    p.setFont(f);
    p.setPen(currentTextColor());
    if (!isEnabled())
        p.setOpacity(0.5);
    if (m_imagePosition == ImagePosition::Above) {
        const int h = imgSize.height() + gap + textSize.height();
        int y = rect.top() + (rect.height() - h) / 2;
        if (!img.isNull())
            p.drawPixmap(QRect(QPoint(rect.left() + (rect.width() - imgSize.width()) / 2, y), imgSize), img);
        y += imgSize.height() + gap;
        if (!t.isEmpty())
            p.drawText(QRect(rect.left(), y, rect.width(), textSize.height()), Qt::AlignCenter, t);
        return;
    }
    const int w = imgSize.width() + gap + textSize.width();
    int x = rect.left() + (rect.width() - w) / 2;
    const bool imageFirst = m_imagePosition == ImagePosition::Left;
    auto drawImage = [&] {
        if (img.isNull())
            return;
        p.drawPixmap(QRect(QPoint(x, rect.top() + (rect.height() - imgSize.height()) / 2), imgSize), img);
        x += imgSize.width() + gap;
    };
    auto drawText = [&] {
        if (t.isEmpty())
            return;
        const QRect tr(x, rect.top(), std::min(textSize.width(), rect.width()), rect.height());
        p.drawText(tr, Qt::AlignVCenter | Qt::AlignLeft, fm.elidedText(t, Qt::ElideRight, rect.width()));
        x += textSize.width() + gap;
    };
    if (imageFirst) {
        drawImage();
        drawText();
    } else {
        drawText();
        drawImage();
    }
}

void VeskButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    paintContent(p, rect());
    // Focus reached by keyboard shows as a ring; Qt marks the window while the keyboard moves it
    // and clears the mark at the next mouse press.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        p.setPen(QPen(kFocusRingColor, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
    }
}

void VeskButton::setHovered(bool hovered)
{
    if (m_hovered == hovered)
        return;
    m_hovered = hovered;
    if (hovered)
        mouseEntered();
    else
        mouseExited();
    Q_EMIT hoverChanged(hovered);
    update();
}

void VeskButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    setHovered(true);
}

void VeskButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    setHovered(false);
}

void VeskButton::changeEvent(QEvent *event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange)
        update();
}
