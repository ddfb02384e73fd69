#pragma once

// The rows of the share picker's file list as an item model: pending rows, then the service's. A
// new list changes only what differs: the rows that came or went between the same rows before and
// after, and the rows whose file now reads otherwise, so the view binds only those. A caller that
// knows which rows can differ replaces only those, and the rest is not even compared.

#include "agent/models/FileShareModel.h"

#include <QAbstractListModel>
#include <QList>

#include <span>

class ShareFileRowsModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setRows(const QList<FileShareModel> &rows);
    // Rows [from, from + count) give way to rows, as setRows does for the whole list.
    void replaceRows(qsizetype from, qsizetype count, std::span<const FileShareModel> rows);
    [[nodiscard]] const QList<FileShareModel> &rows() const { return m_rows; }
    [[nodiscard]] const FileShareModel &rowAt(int row) const { return m_rows.at(row); }

    [[nodiscard]] int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;

private:
    QList<FileShareModel> m_rows;
};
