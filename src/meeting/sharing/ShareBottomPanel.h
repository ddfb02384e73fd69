#pragma once

// The pop-up above the share button: for the host and the assistant hosts the room's share
// permission (three exclusive choices), for everybody the files shared in the meeting.

#include "agent/models/FileShareModel.h"
#include "connection/KVMResponse.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class FileShareRowTable;
class FileShareSpeedSwitchPanelRow;
class QLabel;
class QScrollArea;
class VeskButton;

// What the panel asks of the service and the room; tests install a fake.
class SharePermissionServices {
public:
    using Completion = std::function<void(const KVMResponse &response)>;
    virtual ~SharePermissionServices() = default;
    // Answers on the main thread, only while owner lives.
    virtual void sharePermission(QObject *owner, qint64 value, const QVariantList &allowShareList,
                                 Completion completion) = 0;
    [[nodiscard]] virtual bool isHost() const = 0;
    [[nodiscard]] virtual bool asssitantHost() const = 0;
    // The joined room's value (0 everyone, 1 authorised members, 2 only the host).
    [[nodiscard]] virtual qint64 roomSharePermission() const = 0;
    virtual void setRoomSharePermission(qint64 value) = 0;

    // The agent's and the current meeting's answers.
    [[nodiscard]] static std::shared_ptr<SharePermissionServices> agent();
};

class ShareBottomPanel final : public QWidget {
    Q_OBJECT
public:
    // The part with the choices, above the file rows.
    static constexpr int kChoicesHeight = 108;
    static constexpr int kTableTopForHosts = 109;

    // The panel's size for these files and viewer: names in 14 pt + 24, each within 168..320
    // (168 without files); 108 for the choices, plus 34 a file and 6 when there are files.
    [[nodiscard]] static QSize sizeFor(const QList<FileShareDatailModel> &files, bool hostOrAssistant);

    explicit ShareBottomPanel(std::shared_ptr<SharePermissionServices> services = nullptr, QWidget *parent = nullptr);

    void setAllFileShareArray(const QList<FileShareDatailModel> &files);
    [[nodiscard]] const QList<FileShareDatailModel> &allFileShareArray() const { return m_files; }
    void setAlignment(Qt::Alignment alignment);
    void setCustomFrameSize(const QSize &size);

    // With a sender (a click) they ask the service for that value; without one they only show
    // it as selected.
    void allMemberSharePermissionAction(QObject *sender);
    void allowMemberPermissionAction(QObject *sender);
    void onlyHostSharePermissionAction(QObject *sender);
    // The value shown as selected (-1: none).
    [[nodiscard]] int selectedPermission() const { return m_selected; }
    // The choices' visibility and the rows' place for the viewer now, then the room's value.
    void setUp();
    // Takes the focus on its first control; Escape closes it (close, or removing the panel) and
    // the focus goes back to the opener.
    void presentFrom(QWidget *opener, std::function<void()> close = nullptr);

    // A row chosen (-1: none): the block with that file, then the panel leaves its view.
    void tableViewSelectionDidChange(int row);
    [[nodiscard]] QList<FileShareSpeedSwitchPanelRow *> rows() const;

    std::function<void(const FileShareDatailModel &file)> selectedBlock;
    // After the service accepted a new value.
    std::function<void(int value)> allowSharePermissionTypeChangeBlock;

    QPointer<QScrollArea> scrollView;
    QPointer<FileShareRowTable> tableView;
    int tableViewTopConstraint = 0;
    QPointer<VeskButton> allMemberSharePermissionBTn;
    QPointer<VeskButton> allowMemberSharePermissionBtn;
    QPointer<VeskButton> onlyHostSharePermissionBtn;
    QPointer<QLabel> allMemberSharePermissionImageView;
    QPointer<QLabel> allowMemberSharePermissionImageView;
    QPointer<QLabel> onlyHostSharePermissionImageView;
    QPointer<QWidget> line;

public Q_SLOTS:
    // Shows the room's value; one outside 0..2 changes nothing.
    void refreshSharePermissionUI();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void choose(int value, QObject *sender);
    void showSelected(int value);
    void layoutParts();

    std::shared_ptr<SharePermissionServices> m_services;
    QList<FileShareDatailModel> m_files;
    Qt::Alignment m_alignment = Qt::AlignHCenter;
    QList<QWidget *> m_choiceRows;
    int m_selected = -1;
};
