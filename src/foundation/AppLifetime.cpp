#include "foundation/AppLifetime.h"

#include <QCoreApplication>
#include <QList>
#include <QPointer>

#include <utility>

namespace {
QList<QPointer<QObject>> &objects()
{
    static QList<QPointer<QObject>> list;
    return list;
}

void deleteAll()
{
    // Last registered first, as statics unwind.
    QList<QPointer<QObject>> list = std::exchange(objects(), {});
    while (!list.isEmpty())
        delete list.takeLast().data();
}
} // namespace

namespace AppLifetime {
void deleteWithApplication(QObject *object)
{
    if (!object)
        return;
    if (objects().isEmpty())
        qAddPostRoutine(deleteAll);
    objects().append(object);
}
} // namespace AppLifetime
