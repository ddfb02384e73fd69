#include "meeting/sharing/ShareSelectView.h"

#include "uikit/VeskButton.h"
#include "uikit/VeskMeetingToast.h"

#include <QGridLayout>
#include <QVBoxLayout>

namespace {
// Titles of windows from other programs, cut where they enter a tile.
constexpr int kMaxTitleLength = 128;
} // namespace

ShareSelectView::ShareSelectView(QWidget *parent) : VeskMaskView(parent)
{
    setAccessibleName(QStringLiteral("选择共享窗口"));
    auto *box = new QVBoxLayout(this);
    shareCollectionView = new QWidget(this);
    m_grid = new QGridLayout(shareCollectionView);
    m_grid->setContentsMargins(10, 10, 10, 10);
    m_grid->setSpacing(10);
    m_grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    box->addWidget(shareCollectionView, 1);
    auto *row = new QHBoxLayout();
    row->addStretch(1);
    auto *close = new VeskButton(QStringLiteral("取消"), this);
    auto *share = new VeskButton(QStringLiteral("共享"), this);
    for (VeskButton *b : {close, share}) {
        b->setFocusPolicy(Qt::StrongFocus);
        b->setFixedSize(80, 30);
        row->addWidget(b);
    }
    box->addLayout(row);
    connect(close, &QAbstractButton::clicked, this, [this] { closeSelf(); });
    connect(share, &QAbstractButton::clicked, this, [this] { shareBtnPressed(); });
}

QSize ShareSelectView::tileSize(int gridWidth)
{
    const int inner = qMax(0, gridWidth - 40);
    return {inner / 3, 2 * inner / 9};
}

void ShareSelectView::layoutSelf()
{
    if (QWidget *parent = parentWidget())
        setGeometry(parent->rect());
}

void ShareSelectView::setShareArr(const QList<ShareSelectViewModel> &entries)
{
    m_entries = entries;
    m_chosen.reset();
    rebuild();
}

void ShareSelectView::rebuild()
{
    qDeleteAll(m_items);
    m_items.clear();
    const QSize tile = tileSize(shareCollectionView->width());
    for (int i = 0; i < m_entries.size(); ++i) {
        auto *item = new VeskButton(m_entries.at(i).title.left(kMaxTitleLength), shareCollectionView);
        item->setImage(m_entries.at(i).image);
        item->setImagePosition(VeskButton::ImagePosition::Above);
        item->setTextColor(Qt::white);
        item->setToggle(true);
        item->setFocusPolicy(Qt::StrongFocus);
        item->setFixedSize(tile);
        connect(item, &QAbstractButton::clicked, this, [this, i] { selectItem(i); });
        m_grid->addWidget(item, i / 3, i % 3);
        m_items.append(item);
    }
}

void ShareSelectView::selectItem(int index)
{
    if (index < 0 || index >= m_entries.size())
        return;
    m_chosen = m_entries.at(index);
    for (int i = 0; i < m_items.size(); ++i)
        m_items.at(i)->setState(i == index ? 1 : 0);
}

void ShareSelectView::shareBtnPressed()
{
    if (!m_chosen) {
        VeskMeetingToast::showNomalTip(window(), QStringLiteral("请选择要分享的窗口"));
        return;
    }
    if (completionBlock)
        completionBlock(m_chosen);
}

void ShareSelectView::closeSelf()
{
    if (completionBlock)
        completionBlock(std::nullopt);
}

void ShareSelectView::resizeEvent(QResizeEvent *event)
{
    VeskMaskView::resizeEvent(event);
    const QSize tile = tileSize(shareCollectionView->width());
    for (VeskButton *item : std::as_const(m_items))
        item->setFixedSize(tile);
}
