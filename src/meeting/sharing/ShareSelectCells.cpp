#include "meeting/sharing/ShareSelectCells.h"

#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

const QColor kTileNormal = vesk::colorWithHexString(QStringLiteral("2D2E34"));
const QColor kSelectedBlue = vesk::colorWithHexString(QStringLiteral("007AFF"));
const QColor kHoverBorder = vesk::colorWithHexString(QStringLiteral("0A8AF9"));
const QColor kPlainBorder = vesk::colorWithHexString(QStringLiteral("3A3B3B"));

void drawFocus(QPainter &p, const QWidget *w)
{
    if (!w->hasFocus())
        return;
    p.setPen(QPen(QColor(255, 255, 255, 200), 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(w->rect()).adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
}

QPixmap fitted(const QImage &image, const QSize &box)
{
    if (image.isNull())
        return {};
    return QPixmap::fromImage(image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace

// ---- GeneralShareCollectionViewItem ---------------------------------------------------------------

GeneralShareCollectionViewItem::GeneralShareCollectionViewItem(QWidget *parent) : QAbstractButton(parent)
{
    setObjectName(QStringLiteral("GeneralShareCollectionViewItem"));
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(6, 6, 6, 4);
    box->setSpacing(4);
    thumbnailImageView = new QLabel(this);
    thumbnailImageView->setAlignment(Qt::AlignCenter);
    thumbnailImageView->setMinimumHeight(78);
    box->addWidget(thumbnailImageView, 1);
    auto *titleRow = new QHBoxLayout();
    titleRow->setSpacing(4);
    iconImageView = new QLabel(this);
    iconImageView->setFixedSize(16, 16);
    iconImageView->hide();
    titleRow->addWidget(iconImageView);
    titleLabel = new KVElidedLabel(this);
    titleLabel->setStyleSheet(QStringLiteral("color: white;"));
    titleLabel->setFont(vesk::systemFont(12));
    titleRow->addWidget(titleLabel, 1);
    box->addLayout(titleRow);
    refreshUI();
}

void GeneralShareCollectionViewItem::setTitle(const QString &title)
{
    const QString bounded = title.left(kMaxTitleLength);
    titleLabel->setFullText(bounded);
    setText(bounded);
    setAccessibleName(bounded);
}

void GeneralShareCollectionViewItem::setThumbnail(const QImage &image)
{
    thumbnailImageView->setPixmap(fitted(image, QSize(148, 78)));
}

void GeneralShareCollectionViewItem::setIcon(const QImage &icon)
{
    iconImageView->setPixmap(fitted(icon, QSize(16, 16)));
    iconImageView->setVisible(!icon.isNull());
}

void GeneralShareCollectionViewItem::setIsSelected(bool selected)
{
    m_isSelected = selected;
    refreshUI();
}

void GeneralShareCollectionViewItem::refreshUI()
{
    setChecked(m_isSelected);
    m_fill = m_isSelected ? kSelectedBlue : kTileNormal;
    update();
}

void GeneralShareCollectionViewItem::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(m_fill);
    p.drawRoundedRect(QRectF(rect()).adjusted(2, 2, -2, -2), 4, 4);
    drawFocus(p, this);
}

// ---- GenealAppShareCollectionViewItem -------------------------------------------------------------

GenealAppShareCollectionViewItem::GenealAppShareCollectionViewItem(QWidget *parent) : QAbstractButton(parent)
{
    setObjectName(QStringLiteral("GenealAppShareCollectionViewItem"));
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(4, 4, 4, 4);
    thumbnailImageView = new QLabel(this);
    thumbnailImageView->setAlignment(Qt::AlignCenter);
    box->addWidget(thumbnailImageView);
    refreshUI();
}

void GenealAppShareCollectionViewItem::setThumbnail(const QPixmap &image)
{
    thumbnailImageView->setPixmap(image.isNull() ? image
                                                 : image.scaled(QSize(26, 26) * image.devicePixelRatio(),
                                                                Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void GenealAppShareCollectionViewItem::setIsSelected(bool selected)
{
    m_isSelected = selected;
    refreshUI();
}

void GenealAppShareCollectionViewItem::refreshUI()
{
    setChecked(m_isSelected);
    m_borderWidth = m_isSelected ? 1.0 : 0.0;
    m_borderColor = m_isSelected ? kSelectedBlue : QColor(255, 255, 255);
    update();
}

void GenealAppShareCollectionViewItem::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (m_borderWidth > 0) {
        p.setPen(QPen(m_borderColor, m_borderWidth));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
    drawFocus(p, this);
}

// ---- ShareSelectCollectionViewItem ----------------------------------------------------------------

ShareSelectCollectionViewItem::ShareSelectCollectionViewItem(QWidget *parent)
    : QAbstractButton(parent), m_borderColor(kPlainBorder)
{
    setObjectName(QStringLiteral("ShareSelectCollectionViewItem"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(6, 6, 6, 6);
    shareImageView = new QLabel(this);
    shareImageView->setAlignment(Qt::AlignCenter);
    box->addWidget(shareImageView, 1);
    titleLabel = new KVElidedLabel(this);
    titleLabel->setStyleSheet(QStringLiteral("color: white;"));
    box->addWidget(titleLabel);
}

void ShareSelectCollectionViewItem::setSelected(bool selected)
{
    m_selected = selected;
    m_borderColor = selected ? kHoverBorder : kPlainBorder;
    update();
}

void ShareSelectCollectionViewItem::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    m_borderColor = kHoverBorder;
    update();
}

void ShareSelectCollectionViewItem::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    m_borderColor = m_selected ? kHoverBorder : kPlainBorder;
    update();
}

void ShareSelectCollectionViewItem::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(m_borderColor, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    drawFocus(p, this);
}
