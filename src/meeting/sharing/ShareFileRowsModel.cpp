#include "meeting/sharing/ShareFileRowsModel.h"

#include "meeting/sharing/ShareFileList.h"

void ShareFileRowsModel::setRows(const QList<FileShareModel> &rows)
{
    replaceRows(0, m_rows.size(), std::span<const FileShareModel>(rows.constData(), size_t(rows.size())));
}

void ShareFileRowsModel::replaceRows(qsizetype from, qsizetype count, std::span<const FileShareModel> rows)
{
    const auto sameFile = [](const FileShareModel &a, const FileShareModel &b) {
        return ShareFileList::keyOf(a) == ShareFileList::keyOf(b);
    };
    Q_ASSERT(from >= 0 && count >= 0 && from + count <= m_rows.size());
    const qsizetype before = count;
    const auto after = qsizetype(rows.size());
    qsizetype head = 0;
    while (head < before && head < after && sameFile(m_rows.at(from + head), rows[size_t(head)]))
        ++head;
    qsizetype tail = 0;
    while (tail < before - head && tail < after - head &&
           sameFile(m_rows.at(from + before - 1 - tail), rows[size_t(after - 1 - tail)]))
        ++tail;
    // What lies between the rows kept at both ends went, and the new rows came in its place.
    if (const qsizetype gone = before - head - tail; gone > 0) {
        beginRemoveRows({}, int(from + head), int(from + head + gone - 1));
        m_rows.remove(from + head, gone);
        endRemoveRows();
    }
    if (const qsizetype came = after - head - tail; came > 0) {
        beginInsertRows({}, int(from + head), int(from + head + came - 1));
        m_rows.insert(from + head, came, FileShareModel());
        std::copy(rows.begin() + head, rows.begin() + head + came, m_rows.begin() + from + head);
        endInsertRows();
    }
    // The kept rows: a run of changed ones is one change.
    qsizetype changedFrom = -1;
    const auto flush = [&](qsizetype end) {
        if (changedFrom >= 0)
            Q_EMIT dataChanged(index(int(from + changedFrom)), index(int(from + end - 1)));
        changedFrom = -1;
    };
    for (qsizetype i = 0; i < after; ++i) {
        if (i == head)
            flush(i);
        if (i >= head && i < after - tail)
            continue;
        if (m_rows.at(from + i) == rows[size_t(i)]) {
            flush(i);
            continue;
        }
        m_rows[from + i] = rows[size_t(i)];
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
