#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class VeskButton;

// The host's room-wide switches under the member list's "更多": all cameras off, members may open
// their microphones or cameras, the waiting room, the lock, the member-list export and batch
// removal. Every repaint reads the room's flags; a switch asks the service, then keeps the room's
// flag, tells the members and repaints.
class MemberMorePanelView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 166;
    static constexpr int kHeight = 246;

    explicit MemberMorePanelView(QWidget *parent = nullptr);

    // Repaints, then shows the panel.
    void show();
    void close();
    [[nodiscard]] bool isShow() const { return !isHidden(); }
    // Every item again from the room's flags.
    void refreshUI();

    void closeAllCameraButton();
    void allowMemberOpenMicAction();
    void allowMemberOpenCamraAction();
    void openWaitingRoomAction();
    void lockMeetingRoomAction();
    void exportMemberListAction();
    void batchRemoveAction();

    std::function<void()> closeAllCameraBlock;
    std::function<void()> allowMemberOpenMicBlock;
    std::function<void()> allowMemberOpenCamraBlock;
    std::function<void()> openWaitingRoomBlock;
    std::function<void()> lockMeetingRoomBlock;
    std::function<void()> batchRemoveActionBlock;
    std::function<void()> hiddenActionBlock;

    // Views, for the list and the tests.
    [[nodiscard]] VeskButton *cameraButton() const { return m_cameraButton; }
    [[nodiscard]] VeskButton *allowMicButton() const { return m_allowMicButton; }
    [[nodiscard]] VeskButton *allowCameraButton() const { return m_allowCameraButton; }
    [[nodiscard]] VeskButton *openWaitingRoomButton() const { return m_openWaitingRoomButton; }
    [[nodiscard]] VeskButton *lockMeetingRoomButton() const { return m_lockMeetingRoomButton; }
    [[nodiscard]] VeskButton *exportMemberListButton() const { return m_exportMemberListButton; }
    [[nodiscard]] VeskButton *batchRemoveButton() const { return m_batchRemoveButton; }
    [[nodiscard]] QLabel *allowMicImageView() const { return m_allowMicImageView; }
    [[nodiscard]] QLabel *allowCameraImageView() const { return m_allowCameraImageView; }
    [[nodiscard]] QLabel *openWaitingRoomImageView() const { return m_openWaitingRoomImageView; }
    [[nodiscard]] QLabel *lockMeetingRoomImageView() const { return m_lockMeetingRoomImageView; }

private:
    VeskButton *m_cameraButton;
    VeskButton *m_allowMicButton;
    VeskButton *m_allowCameraButton;
    VeskButton *m_openWaitingRoomButton;
    VeskButton *m_lockMeetingRoomButton;
    VeskButton *m_exportMemberListButton;
    VeskButton *m_batchRemoveButton;
    QLabel *m_allowMicImageView;
    QLabel *m_allowCameraImageView;
    QLabel *m_openWaitingRoomImageView;
    QLabel *m_lockMeetingRoomImageView;
};

// Where the member-list export goes: the records module's download (the file and its save dialog
// are its own), which the shell installs at start-up. Without one the export does nothing.
namespace MemberListExport {
using Download = std::function<void(const QString &roomId, QWidget *window)>;
void install(Download download);
// KVDownloadRecordManage downloadMeetingMembersList:inWindow:, through what is installed.
void downloadMeetingMembersList(const QString &roomId, QWidget *window);
} // namespace MemberListExport
