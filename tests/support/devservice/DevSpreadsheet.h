#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

// A spreadsheet file (.xlsx, Office Open XML) with one sheet of text cells, as the service sends a
// meeting's member list: a zip of the few XML parts a reader needs, stored without compression.
[[nodiscard]] QByteArray devSpreadsheet(const QList<QStringList> &rows);
