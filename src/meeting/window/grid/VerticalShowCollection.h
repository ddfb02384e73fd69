#pragma once

#include "agent/MeetingActiveModel.h"

#include <QList>
#include <QSizeF>

#include <memory>

class QWidget;

// The strip of member tiles beside a share ("ShareMediaCollectionItem" items): one item per
// entry, each given its entry only while a share is shown.
namespace VerticalShowCollection {

inline constexpr auto kIdentifier = "ShareMediaCollectionItem"; // the items' class

// Fills the strip's column; withModels false leaves the items empty.
void reload(QWidget *strip, const QList<std::shared_ptr<MeetingActiveModel>> &tiles, bool withModels,
            const QSizeF &itemSize);

} // namespace VerticalShowCollection
