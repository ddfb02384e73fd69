#include "meeting/window/FloatingMediaView.h"

#include "meeting/common/MeetingIcons.h"
#include "meeting/window/grid/VerticalShowCollection.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <QBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>

#include <algorithm>

namespace {

constexpr int kButtonSide = 28;
constexpr int kButtonRowHeight = 32;

VeskButton *headerButton(QWidget *parent, const QString &name, const QString &image, bool toggle)
{
    auto *b = new VeskButton(parent);
    b->setImage(MeetingIcons::image(image, 20));
    b->setAccessibleName(name);
    b->setToolTip(name);
    b->setToggle(toggle);
    b->setFixedSize(kButtonSide, kButtonSide);
    return b;
}

} // namespace

QSize FloatingMediaView::contentSizeFor(Mode mode, qsizetype tiles)
{
    switch (mode) {
    case Mode::Hide:
        return {kWidth, kHeaderHeight};
    case Mode::One:
        return {kWidth, tiles > 0 ? kHeaderHeight + kTileHeight : kHeaderHeight};
    case Mode::All:
        break;
    }
    const qint64 all = 72 + qint64(kTileHeight + kTileSpacing) * std::max<qsizetype>(0, tiles);
    return {kWidth, int(std::min<qint64>(all, kMaxHeight))};
}

FloatingMediaView::FloatingMediaView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FloatingMediaView"));
    setAccessibleName(QStringLiteral("参会者视频"));

    hideMediaBtn = headerButton(this, QStringLiteral("隐藏视频"), QStringLiteral("floating_media_hide"), true);
    showOneMediaBtn = headerButton(this, QStringLiteral("显示一个视频"), QStringLiteral("floating_media_one"), true);
    showAllMediaBtn = headerButton(this, QStringLiteral("显示全部视频"), QStringLiteral("floating_media_all"), true);
    miniMediaBtn = headerButton(this, QStringLiteral("收起"), QStringLiteral("floating_media_mini"), false);
    connect(hideMediaBtn, &QAbstractButton::clicked, this, [this] { hideMediaAction(hideMediaBtn); });
    connect(showOneMediaBtn, &QAbstractButton::clicked, this, [this] { showOneMediaAction(showOneMediaBtn); });
    connect(showAllMediaBtn, &QAbstractButton::clicked, this, [this] { showAllMediaAction(showAllMediaBtn); });
    connect(miniMediaBtn, &QAbstractButton::clicked, this, [this] { miniWindowAction(miniMediaBtn); });

    currentSpeakerView = new QWidget(this);
    currentSpeakerView->setObjectName(QStringLiteral("currentSpeakerView"));

    line = new QWidget(this);
    line->setObjectName(QStringLiteral("line"));
    vesk::setBackgroundColor(line, vesk::colorWithHexString(QStringLiteral("#323338")));

    scrollView = new QScrollArea(this);
    scrollView->setObjectName(QStringLiteral("scrollView"));
    scrollView->setAccessibleName(QStringLiteral("参会者列表"));
    scrollView->setFrameShape(QFrame::NoFrame);
    scrollView->setWidgetResizable(true);
    scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollView->viewport()->setAutoFillBackground(false);
    vesk::setBackgroundColor(scrollView, Qt::transparent);
    collectionView = new QWidget();
    collectionView->setObjectName(QStringLiteral("collectionView"));
    vesk::setBackgroundColor(collectionView, Qt::transparent);
    // The tiles' flow: one column, 2 points between tiles, none around them.
    auto *column = new QVBoxLayout(collectionView);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kTileSpacing);
    scrollView->setWidget(collectionView);

    hideMediaBtn->setState(1);
    m_contentSize = contentSizeFor(Mode::Hide, 0);
    resize(m_contentSize);
    layoutContent();
}

FloatingMediaView::~FloatingMediaView() = default;

FloatingMediaView::Mode FloatingMediaView::mode() const
{
    if (hideMediaBtn->state() == 1)
        return Mode::Hide;
    if (showOneMediaBtn->state() == 1)
        return Mode::One;
    return Mode::All;
}

void FloatingMediaView::setActiveMembers(const QList<Tile> &activeMembers)
{
    m_activeMembers = activeMembers;
    if (m_activeMembers.isEmpty()) {
        hideMediaBtn->setState(1);
    } else if (hideMediaBtn->state() == 1) {
        hideMediaBtn->setState(0);
        showOneMediaBtn->setState(1);
    }
    refreshUI();
}

void FloatingMediaView::refreshUI()
{
    if (hideMediaBtn->state() == 1)
        hideMediaAction(hideMediaBtn);
    else if (showOneMediaBtn->state() == 1)
        showOneMediaAction(showOneMediaBtn);
    else if (showAllMediaBtn->state() == 1)
        showAllMediaAction(showAllMediaBtn);
    reloadData();
}

void FloatingMediaView::hideMediaAction(QObject *)
{
    choose(Mode::Hide);
}

void FloatingMediaView::showOneMediaAction(QObject *)
{
    choose(Mode::One);
}

void FloatingMediaView::showAllMediaAction(QObject *)
{
    choose(Mode::All);
}

void FloatingMediaView::miniWindowAction(QObject *)
{
    if (miniActionBlock)
        miniActionBlock();
}

void FloatingMediaView::choose(Mode mode)
{
    // Exactly one of the three stays on: pressing the one already on keeps it on.
    hideMediaBtn->setState(mode == Mode::Hide ? 1 : 0);
    showOneMediaBtn->setState(mode == Mode::One ? 1 : 0);
    showAllMediaBtn->setState(mode == Mode::All ? 1 : 0);
    m_contentSize = contentSizeFor(mode, m_activeMembers.size());
    auto *holder = qobject_cast<KVWindow *>(window());
    if (holder && holder != static_cast<QWidget *>(this) && holder->contentView() == this)
        holder->resize(m_contentSize);
    else
        resize(m_contentSize);
    layoutContent();
}

void FloatingMediaView::reloadData()
{
    VerticalShowCollection::reload(collectionView, m_activeMembers, true, QSizeF(kWidth, kTileHeight));
}

void FloatingMediaView::layoutContent()
{
    int x = 8;
    for (VeskButton *b : {hideMediaBtn.data(), showOneMediaBtn.data(), showAllMediaBtn.data()}) {
        b->move(x, (kButtonRowHeight - kButtonSide) / 2 + 2);
        x += kButtonSide + 4;
    }
    miniMediaBtn->move(width() - 8 - kButtonSide, (kButtonRowHeight - kButtonSide) / 2 + 2);
    currentSpeakerView->setGeometry(1, kButtonRowHeight + 1, kWidth - 2, kHeaderHeight - kButtonRowHeight - 3);
    line->setGeometry(0, kHeaderHeight - 2, width(), 1);
    scrollView->setGeometry(0, kHeaderHeight, width(), std::max(0, height() - kHeaderHeight));
}

void FloatingMediaView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutContent();
}

void FloatingMediaView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 6, 6);
    p.fillPath(path, vesk::colorWithHexString(QStringLiteral("#191919")));
}
