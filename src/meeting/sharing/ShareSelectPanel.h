#pragma once

// The view in which the user picks what to share: a desktop tab (screens, applications, windows)
// and a file tab. In a meeting it is dark and reports the choice through its blocks; in the
// scheduled meeting's file window it shows the file tab only, in a light look. It takes plain
// values and never fetches candidates itself.

#include "agent/models/FileShareModel.h"
#include "foundation/models/DesktopCaptureSnapshotModel.h"
#include "meeting/sharing/ShareSelectSections.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class FileShareSupportFileList;
class GenealAppShareCollectionViewItem;
class GeneralShareCollectionViewItem;
class KVElidedLabel;
class QGridLayout;
class QLabel;
class QScrollArea;
class VeskButton;
struct MeetingDataModel;

class ShareSelectPanel final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{888, 500};

    explicit ShareSelectPanel(QWidget *parent = nullptr);
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
    void setSupportFileTypeArray(const QList<SupportFileShareTypeModel> &types) { m_supportFileTypes = types; }

    std::function<void(const DesktopCaptureSnapshotModel &model)> generalStartShareBlock;
    // YES from the close button, NO when the panel closes after a file share started.
    std::function<void(bool)> closeSharePanelBlock;
    std::function<void(const FileShareDatailModel &model)> fileShareStartShareBlock;
    std::function<void(const FileShareModel &model)> avFileShareStartShareBlock;

    // ---- Called by the owner -----------------------------------------------------------------
    // Rebuilds the desktop grid from the arrays.
    void reloadView();

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

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildViews();
    void createUI();
    void rebuildScreens();
    void rebuildApplications();
    void rebuildWindows();
    void refreshSelection();
    void showSupportFileList();
    void hideSupportFileList();

    bool m_darkMode = false;
    bool m_onlyShareFile = false;
    bool m_shareFile = false;
    std::shared_ptr<MeetingDataModel> m_model;
    QString m_creatorName;
    QList<DesktopCaptureSnapshotModel> m_screens;
    QList<DesktopCaptureSnapshotModel> m_windows;
    QList<ShareSelectSections::Group> m_groups;
    QList<DesktopCaptureSnapshotModel> m_shownWindows;
    QList<SupportFileShareTypeModel> m_supportFileTypes;
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
};
