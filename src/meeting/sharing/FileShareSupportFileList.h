#pragma once

// The pop-over under the upload button that lists the kinds of file the room accepts.

#include "agent/models/FileShareModel.h"
#include "uikit/VeskTableRowView.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class KVElidedLabel;
class QLabel;
class QScrollArea;
class QVBoxLayout;

class FileShareSupportFileListRow final : public VeskTableRowView {
    Q_OBJECT
public:
    static constexpr int kHeight = 49;

    explicit FileShareSupportFileListRow(const SupportFileShareTypeModel &model, QWidget *parent = nullptr);

    QPointer<QLabel> imageView;
    QPointer<KVElidedLabel> fileTypeLabel;
    QPointer<KVElidedLabel> fileTypeDetailLabel;
};

class FileShareSupportFileList final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 214;
    static constexpr int kMaxListHeight = 260;
    static constexpr int kExtraHeight = 30;

    explicit FileShareSupportFileList(QWidget *parent = nullptr);

    // Replaces the rows at once.
    void setSupportFileTypeArray(const QList<SupportFileShareTypeModel> &types);
    [[nodiscard]] const QList<SupportFileShareTypeModel> &supportFileTypeArray() const { return m_types; }
    [[nodiscard]] QList<FileShareSupportFileListRow *> rows() const;
    // min(49 x count, 260) + 30.
    [[nodiscard]] static int heightFor(qsizetype count);

    QPointer<QScrollArea> scrollView;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<SupportFileShareTypeModel> m_types;
    QPointer<QWidget> m_table;
    QPointer<QVBoxLayout> m_rows;
};
