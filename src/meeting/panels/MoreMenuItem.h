#pragma once

#include <QMetaObject>
#include <QObject>

// The more menu of the floating share bar resets the item of a panel that closed; a menu that
// does not offer it is left alone.
namespace MoreMenuItem {

inline void reset(QObject *moreItemView)
{
    if (moreItemView && moreItemView->metaObject()->indexOfMethod("resetItem(int)") >= 0)
        QMetaObject::invokeMethod(moreItemView, "resetItem", Qt::DirectConnection, Q_ARG(int, 0));
}

} // namespace MoreMenuItem
