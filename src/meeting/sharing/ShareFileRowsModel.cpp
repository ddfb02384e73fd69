#include "meeting/sharing/ShareFileRowsModel.h"

#include "meeting/sharing/ShareFileList.h"

void ShareFileRowsModel::setRows(const QList<FileShareModel> &rows)
{
    const auto sameFile = [](const FileShareModel &a, const FileShareModel &b) {
        return ShareFileList::keyOf(a) == ShareFileList::keyOf(b);
    };
    const qsizetype before = m_rows.size();
    const qsizetype after = rows.size();
    qsizetype head = 0;
    while (head < before && head < after && sameFile(m_rows.at(head), rows.at(head)))
        ++head;
    qsizetype tail = 0;
    while (tail < before - head && tail < after - head &&
           sameFile(m_rows.at(before - 1 - tail), rows.at(after - 1 - tail)))
        ++tail;
    // What lies between the rows kept at both ends went, and the new rows came in its place.
    if (const qsizetype gone = before - head - tail; gone > 0) {
        beginRemoveRows({}, int(head), int(head + gone - 1));
        m_rows.remove(head, gone);
        endRemoveRows();
    }
    if (const qsizetype came = after - head - tail; came > 0) {
        beginInsertRows({}, int(head), int(head + came - 1));
        m_rows.insert(head, came, FileShareModel());
        std::copy(rows.cbegin() + head, rows.cbegin() + head + came, m_rows.begin() + head);
        endInsertRows();
    }
    // The kept rows: a run of changed ones is one change.
    qsizetype changedFrom = -1;
    const auto flush = [&](qsizetype end) {
        if (changedFrom >= 0)
            Q_EMIT dataChanged(index(int(changedFrom)), index(int(end - 1)));
        changedFrom = -1;
    };
    for (qsizetype i = 0; i < after; ++i) {
        if (i == head)
            flush(i);
        if (i >= head && i < after - tail)
            continue;
        if (m_rows.at(i) == rows.at(i)) {
            flush(i);
            continue;
        }
        m_rows[i] = rows.at(i);
        if (changedFrom < 0)
            changedFrom = i;
    }
    flush(after);
}

int ShareFileRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ShareFileRowsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return m_rows.at(index.row()).fileName;
    return {};
}
