#pragma once

// The view in which the user picks what to share: a desktop tab (screens, applications, windows)
// and a file tab. In a meeting it is dark and reports the choice through its blocks; in the
// scheduled meeting's file window it shows the file tab only, in a light look. It takes plain
// values and never fetches candidates itself.

#include "agent/models/FileShareModel.h"
#include "connection/KVFileSnapshot.h"
#include "connection/KVMResponse.h"
#include "foundation/models/DesktopCaptureSnapshotModel.h"
#include "meeting/sharing/ShareFileList.h"
#include "meeting/sharing/ShareSelectSections.h"

#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

class FileShareCollectionViewItem;
class FileSharePermissionSettingView;
class FileShareSupportFileList;
class FileUploadPermissionPanelView;
class KVTimer;
class QFileDialog;
class ShareFileServices;
struct Notification;
class GenealAppShareCollectionViewItem;
class GeneralShareCollectionViewItem;
class KVElidedLabel;
class KVRowListView;
class ShareFileRowsModel;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QScrollArea;
class VeskButton;
struct MeetingDataModel;

class ShareSelectPanel final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{888, 500};

    static constexpr std::chrono::milliseconds kFileListPoll{3000};
    // A new file starts this long after the running one stopped.
    static constexpr std::chrono::milliseconds kSwitchPause{1000};
    // Files read for their uploads at once, by all pickers together.
    static constexpr int kUploadOperations = 3;

    explicit ShareSelectPanel(QWidget *parent = nullptr, std::shared_ptr<ShareFileServices> services = nullptr);
    ~ShareSelectPanel() override;

    // ---- Set by the owner --------------------------------------------------------------------
    void setDarkMode(bool dark);
    [[nodiscard]] bool darkMode() const { return m_darkMode; }
    void setOnlyShareFile(bool only);
    [[nodiscard]] bool onlyShareFile() const { return m_onlyShareFile; }
    // The file tab is showing (NO: the desktop tab).
    void setShareFile(bool file);
    [[nodiscard]] bool shareFile() const { return m_shareFile; }
    // The scheduled meeting in file-only mode: its name heads the file tab ("创建会议" without one).
    void setModel(std::shared_ptr<MeetingDataModel> model);
    [[nodiscard]] std::shared_ptr<MeetingDataModel> model() const { return m_model; }
    // In a meeting: the file tab's heading names the room's creator.
    void setCreatorName(const QString &name);

    void setScreenArray(const QList<DesktopCaptureSnapshotModel> &screens);
    [[nodiscard]] const QList<DesktopCaptureSnapshotModel> &screenArray() const { return m_screens; }
    // Also regroups windowDisplayArray.
    void setWindowsArray(const QList<DesktopCaptureSnapshotModel> &windows);
    [[nodiscard]] const QList<DesktopCaptureSnapshotModel> &windowsArray() const { return m_windows; }
    [[nodiscard]] const QList<ShareSelectSections::Group> &windowDisplayArray() const { return m_groups; }
    // The kinds of file the room accepts, shown in the pop-over under the upload button.
    void setSupportFileTypeArray(const QList<SupportFileShareTypeModel> &types)
    {
        m_files.supportFileTypeArray = types;
    }
    [[nodiscard]] const QList<SupportFileShareTypeModel> &supportFileTypeArray() const
    {
        return m_files.supportFileTypeArray;
    }
    // Opens a chooser for one existing file as a sheet on parent, then calls done with the
    // choice (empty on cancel). The default is a window-modal file dialog.
    using FileChooser =
        std::function<void(QWidget *parent, const QStringList &types, std::function<void(const QList<QUrl> &)> done)>;
    FileChooser fileChooser;
    // The default chooser: a window-modal dialog for one existing file of the types, labelled in
    // the client's language; done is called once, with nothing on cancel.
    static QFileDialog *openFileDialog(QWidget *parent, const QStringList &types,
                                       std::function<void(const QList<QUrl> &)> done);

    std::function<void(const DesktopCaptureSnapshotModel &model)> generalStartShareBlock;
    // YES from the close button, NO when the panel closes after a file share started.
    std::function<void(bool)> closeSharePanelBlock;
    std::function<void(const FileShareDatailModel &model)> fileShareStartShareBlock;
    std::function<void(const FileShareModel &model)> avFileShareStartShareBlock;
    // A file share's start failed (after its toast): a lock taken for it may go back.
    std::function<void()> startFailedBlock;
    // Whether a file share may still start (the host may forbid sharing while the picker is open);
    // false ends the start with nothing sent, the owner having said why. Unset: always.
    std::function<bool()> mayStartBlock;

    // ---- Called by the owner -----------------------------------------------------------------
    // Rebuilds the desktop grid from the arrays, asks for the file list and polls it while a
    // file is still converting.
    void reloadView();

    // ---- The file tab ------------------------------------------------------------------------
    // Pending rows, then the service's rows.
    [[nodiscard]] QList<FileShareModel> showArray() const;
    [[nodiscard]] QList<FileShareModel> uploadFailedArray() const;
    [[nodiscard]] const QList<FileShareModel> &networkingArray() const { return m_files.networkingArray; }
    [[nodiscard]] const ShareFileList::State &fileListState() const { return m_files; }
    [[nodiscard]] bool isPolling() const;
    [[nodiscard]] int fileGridReloadCount() const { return m_fileGridReloads; }
    void queryFileList();
    void timerFired();
    void stopQueryTimer();
    // What a click, the delete, retry and rights buttons of a row do, to the file the row shows;
    // nothing once it is gone from the list.
    void selectFile(const ShareFileList::RowKey &row);
    void deleteFile(const ShareFileList::RowKey &row);
    void recoverFile(const ShareFileList::RowKey &row);
    void fileSharePermission(const ShareFileList::RowKey &row);
    // The file list's rows in view (only those have a row widget), in the order shown.
    [[nodiscard]] QList<FileShareCollectionViewItem *> fileItems() const;
    [[nodiscard]] KVRowListView *fileList() const { return m_fileList; }
    void startFileShare(int type, const QString &uploadUserId, const QString &fileId, const QString &fileName,
                        const QString &fileType, qint64 duration, bool closeView);
    void switchShareFile(const QVariantMap &userInfo);
    void switchStartShareFile(const QVariantMap &userInfo);
    void uploadUIRefresh();
    void roomUploadPermissionTypeChange();
    void fileUploadPermissionAction();
    void fileUploadPermissionPanelViewClose();
    [[nodiscard]] FileSharePermissionSettingView *fileSharePermissionSettingView();
    [[nodiscard]] FileUploadPermissionPanelView *fileUploadPermissionPanelView();
    [[nodiscard]] QWidget *fileRowsView() const { return m_fileRows; }

    // ---- Uploads -----------------------------------------------------------------------------
    void fileUploadAction();
    // Chosen files of an accepted type: a pending row each at once, their private copies taken
    // on a worker (the picker's going stops them), then the pre-upload.
    void uploadFileNoExit(const QList<QUrl> &urls);
    // Tests: waits until no picker's worker reads a file (the application never waits for them).
    static void waitForUploadWorkers();

    // ---- State -------------------------------------------------------------------------------
    [[nodiscard]] qint64 generalSelectedApplicationIndex() const { return m_applicationIndex; }
    [[nodiscard]] const std::optional<DesktopCaptureSnapshotModel> &selectedModel() const { return m_selected; }

    // ---- Actions (the buttons' and tiles') ---------------------------------------------------
    void generalShareAction();
    void fileShareAction();
    void startShareAction();
    void closeSharePanelAction();
    void selectScreen(int index);
    void selectApplication(qint64 index);
    void selectWindow(int index);

    // ---- The tiles as shown (sections 0, 1 and 2) ----------------------------------------------
    [[nodiscard]] QList<GeneralShareCollectionViewItem *> screenItems() const { return m_screenItems; }
    [[nodiscard]] QList<GenealAppShareCollectionViewItem *> applicationItems() const { return m_appItems; }
    [[nodiscard]] QList<GeneralShareCollectionViewItem *> windowItems() const { return m_windowItems; }
    [[nodiscard]] FileShareSupportFileList *fileShareSupportFileList() const;

    QPointer<QLabel> titleLabel;
    QPointer<VeskButton> closeButton;
    QPointer<QWidget> tabView;
    QPointer<VeskButton> generalShareButton;
    QPointer<VeskButton> fileShareButton;
    QPointer<QWidget> line1;
    QPointer<QWidget> line2;
    QPointer<QWidget> line3;
    QPointer<QScrollArea> generalScrollView;
    QPointer<QWidget> generalShareCollectionView;
    QPointer<VeskButton> startShareButton;
    QPointer<QWidget> fileShareBKview;
    QPointer<QWidget> fileActionView;
    QPointer<KVElidedLabel> meetingNameLabel;
    QPointer<VeskButton> fileUploadButton;
    QPointer<QWidget> fileTitleView;
    QPointer<QWidget> fileShareScollView;
    QPointer<QLabel> fileEmptyLabel;
    QPointer<QWidget> fileUploadPermissionBKView;
    QPointer<QLabel> fileUploadPermissionLabel;
    QPointer<VeskButton> allowUploadFilePermissionBtn;
    QPointer<QLabel> fileUploadPermissionIcon;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Tab goes round the picker's own controls: the window under it is covered.
    bool focusNextPrevChild(bool next) override;

private:
    void buildViews();
    void createUI();
    void rebuildScreens();
    void rebuildApplications();
    void rebuildWindows();
    // Tab in reading order: tabs and close, the grid section by section, then the start.
    void orderTabStops();
    void refreshSelection();
    void showSupportFileList();
    void hideSupportFileList();
    void buildFileViews(QWidget *actionView, QHBoxLayout *actionRow);
    void reloadFileGrid();
    void reloadPolledFiles();
    [[nodiscard]] FileShareCollectionViewItem *createFileRow(QWidget *parent);
    void bindFileRow(FileShareCollectionViewItem *item, const FileShareModel &row);
    [[nodiscard]] QString fileRoomId() const;
    [[nodiscard]] std::optional<FileShareModel> rowFor(const ShareFileList::RowKey &key) const;
    [[nodiscard]] FileShareCollectionViewItem *itemFor(const ShareFileList::RowKey &key) const;
    void toast(const QString &text);
    // The upload road, on the main thread but for reading the files.
    struct Pending {
        FileShareModel row;
        std::shared_ptr<KVFileSnapshot> snapshot; // the private copy once taken, kept for a retry
        std::stop_source reading;                 // stops the copy while it is taken
    };
    struct Read {
        quint64 timeStamp = 0;
        std::shared_ptr<KVFileSnapshot> snapshot;
        KVFileSnapshot::Failure failure = KVFileSnapshot::Failure::None;
    };
    [[nodiscard]] Pending *pendingRow(quint64 timeStamp);
    [[nodiscard]] Pending *pendingRow(const QString &identity);
    void readFiles(const QList<quint64> &rows);
    void filesRead(const QList<Read> &results);
    void preUpload(const QList<quint64> &rows);
    void prepareAnswered(const QStringList &identities, const KVMResponse &response);
    void uploadFileInter(const QStringList &fileIds, const QStringList &identities);
    void uploadAnswered(const QString &identity, bool ok, const QVariantMap &reply);
    void startDocument(const QString &uploadUserId, const QString &fileId, const QString &fileName, bool closeView);
    void startAudioVideo(int type, const QString &uploadUserId, const QString &fileId, const QString &fileName,
                         qint64 fileType, qint64 duration, bool closeView);
    void queryRights(const QString &fileId, const QString &uploadUserId, const QString &failed,
                     std::function<void(const QString &status, const QVariantList &users)> then);
    std::function<void(const KVMResponse &)> startAnswer(const QString &failed, bool closeView,
                                                         std::function<void()> started);
    void finishStart(bool closeView);
    void startFailed(const QString &text);
    // mayStartBlock asked again just before the start is sent.
    bool stillMayStart();

    bool m_darkMode = false;
    bool m_onlyShareFile = false;
    // A start on its way: another start (a second press, a second choice from a list) is ignored.
    bool m_starting = false;
    bool m_shareFile = false;
    std::shared_ptr<MeetingDataModel> m_model;
    QString m_creatorName;
    QList<DesktopCaptureSnapshotModel> m_screens;
    QList<DesktopCaptureSnapshotModel> m_windows;
    QList<ShareSelectSections::Group> m_groups;
    QList<DesktopCaptureSnapshotModel> m_shownWindows;
    std::shared_ptr<ShareFileServices> m_services;
    ShareFileList::State m_files;
    // Main thread only: the workers are handed paths and report back through a guard.
    QList<Pending> m_pending;
    QPointer<KVTimer> fileShareQueryTimer;
    int m_fileGridReloads = 0;
    quint64 m_shownEdits = 0; // the edit of the service's list the rows show
    QPointer<QWidget> m_fileRows;
    KVRowListView *m_fileList = nullptr; // a child of the file tab
    ShareFileRowsModel *m_fileRowsModel = nullptr;
    QPointer<FileSharePermissionSettingView> m_permissionView;
    QPointer<FileUploadPermissionPanelView> m_uploadPermissionView;
    qint64 m_applicationIndex = 0;
    std::optional<DesktopCaptureSnapshotModel> m_selected;

    QPointer<QWidget> m_screenSection;
    QPointer<QWidget> m_appSection;
    QPointer<QWidget> m_windowSection;
    QPointer<QGridLayout> m_screenGrid;
    QPointer<QGridLayout> m_appGrid;
    QPointer<QGridLayout> m_windowGrid;
    QList<GeneralShareCollectionViewItem *> m_screenItems;
    QList<GenealAppShareCollectionViewItem *> m_appItems;
    QList<GeneralShareCollectionViewItem *> m_windowItems;
    QPointer<FileShareSupportFileList> m_supportList;
    bool m_supportListForKeyboard = false; // shown as the keyboard reached the upload button
};
