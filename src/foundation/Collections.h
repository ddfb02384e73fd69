#pragma once

#include <QList>

// Appends `object` unless an equal one is already in `list`; true when appended.
template <class T> bool addUniqueObject(QList<T> &list, const T &object)
{
    if (list.contains(object))
        return false;
    list.append(object);
    return true;
}
