#pragma once

#include "agent/models/RecordVideoModel.h"

#include <QAbstractListModel>
#include <QList>

// The records page's list shown now, as an item model: cloud recordings (type 1) or record documents
// (type 0). Another page of documents after those shown comes as rows added at the end; any other
// list is a new list. The view makes row widgets only for the rows in view.
class MainRecordListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void reload(qint64 type, const QList<RecordVideoInfo> &videos, const QList<RecordFileModel> &documents);
    [[nodiscard]] qint64 type() const { return m_type; }
    [[nodiscard]] const RecordVideoInfo &video(int row) const { return m_videos.at(row); }
    [[nodiscard]] const RecordFileModel &document(int row) const { return m_documents.at(row); }

    [[nodiscard]] int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;

private:
    qint64 m_type = 0;
    QList<RecordVideoInfo> m_videos;
    QList<RecordFileModel> m_documents;
};
