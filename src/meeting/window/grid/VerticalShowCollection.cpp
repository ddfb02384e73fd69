#include "meeting/window/grid/VerticalShowCollection.h"

#include "meeting/window/grid/VideoCollectionViewItem.h"

#include <QBoxLayout>
#include <QWidget>

namespace VerticalShowCollection {

void reload(QWidget *strip, const QList<std::shared_ptr<MeetingActiveModel>> &tiles, bool withModels,
            const QSizeF &itemSize, VideoCollectionViewItemDelegate *delegate)
{
    if (!strip)
        return;
    auto *column = qobject_cast<QBoxLayout *>(strip->layout());
    if (!column)
        column = new QVBoxLayout(strip);
    QList<VideoCollectionViewItem *> items;
    for (int i = 0; i < column->count(); ++i) {
        if (auto *item = qobject_cast<VideoCollectionViewItem *>(column->itemAt(i)->widget()))
            items.append(item);
    }
    while (QLayoutItem *li = column->takeAt(0))
        delete li;
    while (items.size() > tiles.size())
        delete items.takeLast();
    const QSize size = itemSize.isEmpty() ? QSize(214, 120) : itemSize.toSize();
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        if (i >= items.size()) {
            auto *item = new VideoCollectionViewItem(strip);
            item->setObjectName(QString::fromLatin1(kIdentifier));
            items.append(item);
        }
        VideoCollectionViewItem *item = items.at(i);
        item->setDelegate(delegate);
        item->setFixedSize(size);
        item->setActiveModel(withModels ? tiles.at(i) : std::shared_ptr<MeetingActiveModel>());
        column->addWidget(item, 0, Qt::AlignHCenter);
        item->show();
    }
    column->addStretch(1);
}

} // namespace VerticalShowCollection
