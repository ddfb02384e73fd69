#pragma once

// The quick list of the meeting's shared files: one 34-pt row per file; choosing one calls
// selectedBlock once and the panel leaves the view it is in.

#include "agent/models/FileShareModel.h"

#include <QAbstractButton>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class KVElidedLabel;
class QScrollArea;
class QVBoxLayout;

// One file of the list: a button (Tab, Space, the accessible press) that shows the file's name.
class FileShareSpeedSwitchPanelRow final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr auto kIdentifier = "FileShareSpeedSwitchPanelRow";
    static constexpr int kHeight = 34;

    explicit FileShareSpeedSwitchPanelRow(QWidget *parent = nullptr);

    // The name is plain text, cut to FileShareCollectionViewItem::kMaxNameLength.
    void setFileName(const QString &name);
    void setAlignment(Qt::Alignment alignment);
    [[nodiscard]] QColor highlightColor() const;
    // Filled with the highlight colour (hovered or focused).
    [[nodiscard]] bool isHighlighted() const;

    QPointer<KVElidedLabel> fileNameLabel;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
};

// The rows of a file list, shared by the quick list and the share bottom panel.
class FileShareRowTable final : public QWidget {
    Q_OBJECT
public:
    explicit FileShareRowTable(QWidget *parent = nullptr);

    void setFiles(const QList<FileShareDatailModel> &files, Qt::Alignment alignment);
    [[nodiscard]] QList<FileShareSpeedSwitchPanelRow *> rows() const { return m_rows; }

Q_SIGNALS:
    void rowChosen(int row);

private:
    QVBoxLayout *m_column = nullptr;
    QList<FileShareSpeedSwitchPanelRow *> m_rows;
};

class FileShareSpeedSwicthPanel final : public QWidget {
    Q_OBJECT
public:
    explicit FileShareSpeedSwicthPanel(QWidget *parent = nullptr);

    // Reloads the rows.
    void setAllFileShareArray(const QList<FileShareDatailModel> &files);
    [[nodiscard]] const QList<FileShareDatailModel> &allFileShareArray() const { return m_files; }
    // Qt::AlignLeft, Qt::AlignHCenter or Qt::AlignRight for the names.
    void setAlignment(Qt::Alignment alignment);
    void setSelectedBlock(std::function<void(const FileShareDatailModel &file)> block)
    {
        selectedBlock = std::move(block);
    }
    void setCustomFrameSize(const QSize &size);

    // A row chosen (-1: none): the block with that file, then the panel leaves its view.
    void tableViewSelectionDidChange(int row);
    [[nodiscard]] QList<FileShareSpeedSwitchPanelRow *> rows() const { return tableView->rows(); }
    // Takes the focus on its first row; Escape closes it (close, or removing the panel) and the
    // focus goes back to the opener.
    void presentFrom(QWidget *opener, std::function<void()> close = nullptr);

    std::function<void(const FileShareDatailModel &file)> selectedBlock;
    QPointer<QScrollArea> scrollView;
    QPointer<FileShareRowTable> tableView;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<FileShareDatailModel> m_files;
    Qt::Alignment m_alignment = Qt::AlignLeft;
};
