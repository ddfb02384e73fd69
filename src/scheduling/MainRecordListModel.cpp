#include "scheduling/MainRecordListModel.h"

#include <algorithm>

void MainRecordListModel::reload(qint64 type, const QList<RecordVideoInfo> &videos,
                                 const QList<RecordFileModel> &documents)
{
    // The next page of documents: the rows shown stay, the new ones follow them.
    const bool morePages =
        type == 0 && m_type == 0 && documents.size() > m_documents.size() && !m_documents.isEmpty() &&
        std::equal(m_documents.cbegin(), m_documents.cend(), documents.cbegin(),
                   [](const RecordFileModel &a, const RecordFileModel &b) { return a.roomId == b.roomId; });
    if (morePages) {
        beginInsertRows({}, int(m_documents.size()), int(documents.size() - 1));
        m_documents = documents;
        endInsertRows();
        return;
    }
    beginResetModel();
    m_type = type;
    // Only the list shown is kept: the other one is given again when it is shown.
    m_videos = type == 1 ? videos : QList<RecordVideoInfo>();
    m_documents = type == 1 ? QList<RecordFileModel>() : documents;
    endResetModel();
}

int MainRecordListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_type == 1 ? m_videos.size() : m_documents.size());
}

QVariant MainRecordListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole)
        return {};
    return m_type == 1 ? m_videos.at(index.row()).dvrName : m_documents.at(index.row()).roomName;
}
