#include "meeting/window/grid/VerticalShowCollection.h"

#include "meeting/sharing/ShareMediaCollectionItem.h"

#include <QBoxLayout>
#include <QWidget>

namespace VerticalShowCollection {

void reload(QWidget *strip, const QList<std::shared_ptr<MeetingActiveModel>> &tiles, bool withModels,
            const QSizeF &itemSize)
{
    if (!strip)
        return;
    auto *column = qobject_cast<QBoxLayout *>(strip->layout());
    if (!column)
        column = new QVBoxLayout(strip);
    QList<ShareMediaCollectionItem *> items;
    for (int i = 0; i < column->count(); ++i) {
        if (auto *item = qobject_cast<ShareMediaCollectionItem *>(column->itemAt(i)->widget()))
            items.append(item);
    }
    while (QLayoutItem *li = column->takeAt(0))
        delete li;
    while (items.size() > tiles.size())
        delete items.takeLast();
    const QSize size = itemSize.isEmpty() ? QSize(214, 120) : itemSize.toSize();
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        if (i >= items.size()) {
            items.append(new ShareMediaCollectionItem(strip));
        }
        ShareMediaCollectionItem *item = items.at(i);
        item->setFixedSize(size);
        item->setActiveModel(withModels ? tiles.at(i) : std::shared_ptr<MeetingActiveModel>());
        column->addWidget(item, 0, Qt::AlignHCenter);
        item->show();
    }
    column->addStretch(1);
}

} // namespace VerticalShowCollection
