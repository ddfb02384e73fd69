#pragma once

// One uploaded file of the room in the share picker's file list: icon, name, state, size,
// uploader, upload time, delete, retry and the per-file permission switch. The row only shows
// the model and reports the user's actions through its blocks; the list decides what they do.

#include "agent/models/FileShareModel.h"

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>

#include <functional>
#include <optional>

class KVElidedLabel;
class QAbstractButton;
class QLabel;
class VeskButton;

class FileShareCollectionViewItem final : public QWidget {
    Q_OBJECT
public:
    static constexpr auto kIdentifier = "FileShareCollectionViewItem";
    // What a row shows of a name from the service.
    static constexpr int kMaxNameLength = 256;
    // The row's columns, which the list's title bar shares: insets, spacing, the stretch of name,
    // uploader, size and time, and the fixed width of the actions at the end.
    static constexpr int kInset = 20;
    static constexpr int kColumnSpacing = 10;
    static constexpr std::array<int, 4> kColumnStretch{4, 2, 2, 3};
    static constexpr int kActionsWidth = 160;
    // Every row is this tall, so a list places rows without laying them out.
    static constexpr int kRowHeight = 64;

    // Who is looking: decides whether the permission switch is offered.
    struct Viewer {
        bool isHost = false;
        bool isAssistantHost = false;
        QString myUserId; // plain
        // The signed-in user and the meeting manager's answer now.
        [[nodiscard]] static Viewer current();
    };

    // How a row state reads; nullopt: the state keeps the text it had.
    struct StateLook {
        QString text;
        QColor color;
    };
    [[nodiscard]] static std::optional<StateLook> stateLook(qint64 state);
    // The service's size text, else the local size in MB ("%.02fMB").
    [[nodiscard]] static QString sizeText(const FileShareModel &model);
    // The type image for a file name: the first kind whose extension occurs in it; "" for none.
    [[nodiscard]] static QString iconName(const QString &fileName);
    // Host, assistant host, or the uploader himself.
    [[nodiscard]] static bool showsPermission(const FileShareModel &model, const Viewer &viewer);

    explicit FileShareCollectionViewItem(QWidget *parent = nullptr);

    // Fills the row for the viewer given (Viewer::current() when none was given).
    void setModel(const FileShareModel &model);
    [[nodiscard]] const FileShareModel &model() const { return m_model; }
    void setViewer(const Viewer &viewer) { m_viewer = viewer; }
    // Dark in a meeting, light in the scheduled meeting's file window.
    void setDarkAppearance(bool dark);
    [[nodiscard]] bool darkAppearance() const { return m_dark; }
    // The hover fill now (none when not hovered or light).
    [[nodiscard]] QColor backgroundColor() const { return m_background; }

    // Call the blocks (a block not set is skipped).
    void deleteAction();
    // Only for a row whose upload failed (state 4).
    void fileRecoveryAction();
    void fileSharePermissionAction(QAbstractButton *sender);

    std::function<void(const FileShareModel &model)> deleteBlock;
    std::function<void(const FileShareModel &model)> fileRecoverBlock;
    std::function<void(const FileShareModel &model, bool on)> fileSharePermissionBlock;

    QPointer<QLabel> fileTypeImageView;
    QPointer<KVElidedLabel> fileNamelabel;
    QPointer<QLabel> stateLabel;
    QPointer<VeskButton> stateImageView; // the retry mark
    QPointer<QLabel> fileSize;
    QPointer<QLabel> uploadTime;
    QPointer<QWidget> lineView;
    QPointer<KVElidedLabel> uploadUserNameLabel;
    QPointer<VeskButton> permissionBtn;
    QPointer<QLabel> permissionLabel;
    QPointer<VeskButton> deleteButton;

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void refreshLook();

    FileShareModel m_model;
    std::optional<Viewer> m_viewer;
    bool m_dark = true;
    bool m_hovered = false;
    QColor m_background;
};
