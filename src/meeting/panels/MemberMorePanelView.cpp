#include "meeting/panels/MemberMorePanelView.h"

#include "agent/VeskAppAgent.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/panels/MemberControlMessages.h"
#include "meeting/panels/MemberListContext.h"
#include "meeting/panels/MemberListIcons.h"
#include "meeting/panels/MemberListTexts.h"
#include "uikit/AutoLayout.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QLabel>
#include <QPainter>

using A = KVLayoutConstraint::Attribute;
using namespace MemberListTexts;

namespace {

constexpr int kItemHeight = 34;
constexpr int kTop = 4;

// An entry of the panel: its title starts at the left edge (the blanks leave room for the tick).
class PanelItem final : public VeskButton {
public:
    using VeskButton::VeskButton;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setFont(currentFont());
        p.setPen(currentTextColor());
        p.drawText(rect().adjusted(8, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   QFontMetrics(currentFont()).elidedText(currentTitle(), Qt::ElideRight, width() - 12));
    }
};

VeskButton *item(QWidget *parent, const QString &objectName, const QString &title, int index)
{
    auto *b = new PanelItem(title, parent);
    b->setObjectName(objectName);
    b->setAccessibleName(title.trimmed());
    vesk::setButtonAttribute(b, title, Qt::white, vesk::systemFont(14));
    AutoLayout::autoPinEdgeToSuperviewEdge(b, A::Top, kTop + index * kItemHeight);
    AutoLayout::autoPinEdgeToSuperviewEdge(b, A::Leading, 0);
    AutoLayout::autoPinEdgeToSuperviewEdge(b, A::Trailing, 0);
    AutoLayout::autoSetDimension(b, A::Height, kItemHeight);
    return b;
}

QLabel *tick(QWidget *parent, const QString &objectName, int index)
{
    auto *l = new QLabel(parent);
    l->setObjectName(objectName);
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    AutoLayout::autoSetDimensionsToSize(l, QSizeF(14, 14));
    AutoLayout::autoPinEdgeToSuperviewEdge(l, A::Leading, 10);
    AutoLayout::autoPinEdgeToSuperviewEdge(l, A::Top, kTop + index * kItemHeight + (kItemHeight - 14) / 2);
    return l;
}

void paintSwitch(VeskButton *button, QLabel *tickView, bool on)
{
    const QString title = button->title();
    if (on) {
        tickView->setPixmap(MemberListIcons::image(QStringLiteral("ic_menu_sel"), 14));
        vesk::setButtonAttribute(button, title, vesk::colorWithHexString(QStringLiteral("#007AFF")),
                                 vesk::systemFont(14));
    } else {
        tickView->clear();
        vesk::setButtonAttribute(button, title, Qt::white, vesk::systemFont(14));
    }
    // A switch: screen readers read its state as checked, not as a description.
    button->setState(on ? 1 : 0);
}

} // namespace

MemberMorePanelView::MemberMorePanelView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MemberMorePanelView"));
    resize(kWidth, kHeight);
    vesk::setBackgroundColor(this, vesk::colorWithHexString(QStringLiteral("#37383D")));
    vesk::setCornerRadius(this, 4);
    m_cameraButton = item(this, QStringLiteral("cameraButton"), kCloseAllCameras, 0);
    m_allowMicButton = item(this, QStringLiteral("allowMicButton"), kAllowMemberMic, 1);
    m_allowCameraButton = item(this, QStringLiteral("allowCameraButton"), kAllowMemberCamera, 2);
    m_openWaitingRoomButton = item(this, QStringLiteral("openWaitingRoomButton"), kOpenWaitingRoom, 3);
    m_lockMeetingRoomButton = item(this, QStringLiteral("lockMeetingRoomButton"), kLockMeeting, 4);
    m_exportMemberListButton = item(this, QStringLiteral("exportMemberListButton"), kExportMembers, 5);
    m_batchRemoveButton = item(this, QStringLiteral("batchRemoveButton"), kBatchRemove, 6);
    m_allowMicImageView = tick(this, QStringLiteral("allowMicImageView"), 1);
    m_allowCameraImageView = tick(this, QStringLiteral("allowCameraImageView"), 2);
    m_openWaitingRoomImageView = tick(this, QStringLiteral("openWaitingRoomImageView"), 3);
    m_lockMeetingRoomImageView = tick(this, QStringLiteral("lockMeetingRoomImageView"), 4);

    connect(m_cameraButton, &QAbstractButton::clicked, this, [this] { closeAllCameraButton(); });
    connect(m_allowMicButton, &QAbstractButton::clicked, this, [this] {
        refreshUI(); // the press flipped the switch; it follows the room's flag, which the reply sets
        allowMemberOpenMicAction();
    });
    connect(m_allowCameraButton, &QAbstractButton::clicked, this, [this] {
        refreshUI(); // the press flipped the switch; it follows the room's flag, which the reply sets
        allowMemberOpenCamraAction();
    });
    connect(m_openWaitingRoomButton, &QAbstractButton::clicked, this, [this] {
        refreshUI(); // the press flipped the switch; it follows the room's flag, which the reply sets
        openWaitingRoomAction();
    });
    connect(m_lockMeetingRoomButton, &QAbstractButton::clicked, this, [this] {
        refreshUI(); // the press flipped the switch; it follows the room's flag, which the reply sets
        lockMeetingRoomAction();
    });
    connect(m_exportMemberListButton, &QAbstractButton::clicked, this, [this] { exportMemberListAction(); });
    connect(m_batchRemoveButton, &QAbstractButton::clicked, this, [this] { batchRemoveAction(); });
    QWidget::hide();
}

void MemberMorePanelView::show()
{
    refreshUI();
    QWidget::show();
    raise();
}

void MemberMorePanelView::close()
{
    QWidget::hide();
}

void MemberMorePanelView::refreshUI()
{
    const auto room = MemberListContext::room();
    vesk::setButtonAttribute(m_cameraButton, kCloseAllCameras, Qt::white, vesk::systemFont(14));
    vesk::setButtonAlternateAttribute(m_cameraButton, kCloseAllCameras, Qt::white, vesk::systemFont(14));
    paintSwitch(m_allowMicButton, m_allowMicImageView, room && room->micAllowStatus);
    paintSwitch(m_allowCameraButton, m_allowCameraImageView, room && room->cameraAllowStatus);
    paintSwitch(m_openWaitingRoomButton, m_openWaitingRoomImageView, room && room->roomWaitStatus);
    paintSwitch(m_lockMeetingRoomButton, m_lockMeetingRoomImageView, room && room->roomLockStatus);
    vesk::setButtonAlternateAttribute(m_exportMemberListButton, kExportMembers, Qt::white, vesk::systemFont(14));
}

void MemberMorePanelView::closeAllCameraButton()
{
    if (closeAllCameraBlock)
        closeAllCameraBlock();
}

void MemberMorePanelView::allowMemberOpenMicAction()
{
    const auto room = MemberListContext::room();
    if (!room)
        return;
    QPointer<MemberMorePanelView> self(this);
    VeskToast::showLoadingToast(QString());
    if (room->micAllowStatus) {
        // Forbidding self-unmute also closes every microphone.
        VeskAppAgent::sharedInstance()->switchAllMicWithAct(
            this, 0, {QStringLiteral("-1")}, 0, [self, room](const KVMResponse &reply) {
                VeskToast::dismissLoadingToast();
                if (!self || !reply.successed)
                    return;
                room->micAllowStatus = false;
                MemberControlMessages::sendAllowMemberOpenMicWithPeerId(QStringLiteral("-1"), true);
                MemberControlMessages::sendMicControlDataWithPeerId(QStringLiteral("-1"), true);
                VeskToast::dismissLoadingToast();
                self->show();
                if (self->allowMemberOpenMicBlock)
                    self->allowMemberOpenMicBlock();
            });
        return;
    }
    VeskAppAgent::sharedInstance()->allowMemberOpenByselfCompletionBlock(this, [self, room](const KVMResponse &reply) {
        VeskToast::dismissLoadingToast();
        if (!self)
            return;
        if (!reply.successed) {
            VeskToast::showToast(MemberListRules::failureText(reply.message));
            return;
        }
        VeskToast::showToastInMeeting(kSelfUnmuteAllowed);
        MemberControlMessages::sendAllowMemberOpenMicWithPeerId(QStringLiteral("-1"), false);
        room->micAllowStatus = true;
        self->show();
        if (self->allowMemberOpenMicBlock)
            self->allowMemberOpenMicBlock();
    });
}

void MemberMorePanelView::allowMemberOpenCamraAction()
{
    if (allowMemberOpenCamraBlock)
        allowMemberOpenCamraBlock();
    const auto room = MemberListContext::room();
    if (!room)
        return;
    QPointer<MemberMorePanelView> self(this);
    if (room->cameraAllowStatus) {
        VeskToast::showLoadingToast(QString());
        VeskAppAgent::sharedInstance()->handleConsumerAllOpenCamera(
            this, 0, {QStringLiteral("-1")}, 0, [self, room](const KVMResponse &reply) {
                VeskToast::dismissLoadingToast();
                if (!self)
                    return;
                if (reply.successed) {
                    MemberControlMessages::sendCameraControlDataWithPeerId(QStringLiteral("-1"), true);
                    MemberControlMessages::sendAllowMemberOpenCameraWithPeerId(QStringLiteral("-1"), true);
                    room->cameraAllowStatus = false;
                    VeskToast::dismissLoadingToast();
                }
                // Repainted also after a failure: the tick shows the flag as it stands.
                self->show();
            });
        return;
    }
    VeskAppAgent::sharedInstance()->allowMemberOpenCameraByselfCompletionBlock(
        this, [self, room](const KVMResponse &reply) {
            if (!self)
                return;
            if (!reply.successed) {
                VeskToast::showToast(MemberListRules::failureText(reply.message));
                return;
            }
            VeskToast::showToast(kSelfCameraAllowed);
            room->cameraAllowStatus = true;
            self->show();
            MemberControlMessages::sendAllowMemberOpenCameraWithPeerId(QStringLiteral("-1"), false);
        });
}

void MemberMorePanelView::openWaitingRoomAction()
{
    if (openWaitingRoomBlock)
        openWaitingRoomBlock();
    const auto room = MemberListContext::room();
    if (!room)
        return;
    QPointer<MemberMorePanelView> self(this);
    VeskToast::showLoadingToast(QString());
    VeskAppAgent::sharedInstance()->meetingWaitingRoom(
        this, !room->roomWaitStatus, [self, room](const KVMResponse &reply) {
            VeskToast::dismissLoadingToast();
            if (!self || !reply.successed)
                return;
            room->roomWaitStatus = !room->roomWaitStatus;
            VeskToast::showToast(room->roomWaitStatus ? kWaitingRoomOn : kWaitingRoomOff);
            self->show();
        });
}

void MemberMorePanelView::lockMeetingRoomAction()
{
    if (lockMeetingRoomBlock)
        lockMeetingRoomBlock();
    const auto room = MemberListContext::room();
    if (!room)
        return;
    QPointer<MemberMorePanelView> self(this);
    VeskToast::showLoadingToast(QString());
    VeskAppAgent::sharedInstance()->meetingLockStatus(
        this, !room->roomLockStatus, [self, room](const KVMResponse &reply) {
            VeskToast::dismissLoadingToast();
            if (!self || !reply.successed)
                return;
            room->roomLockStatus = !room->roomLockStatus;
            VeskToast::showToast(room->roomLockStatus ? kLocked : kUnlocked);
            self->show();
        });
}

void MemberMorePanelView::exportMemberListAction()
{
    const auto room = MemberListContext::room();
    QWidget *host = parentWidget() ? parentWidget()->window() : window();
    MemberListExport::downloadMeetingMembersList(room ? room->roomId : QString(), host);
}

void MemberMorePanelView::batchRemoveAction()
{
    if (batchRemoveActionBlock)
        batchRemoveActionBlock();
    if (hiddenActionBlock)
        hiddenActionBlock();
}

namespace MemberListExport {

namespace {
Download &installed()
{
    static Download d;
    return d;
}
} // namespace

void install(Download download)
{
    installed() = std::move(download);
}

void downloadMeetingMembersList(const QString &roomId, QWidget *window)
{
    if (installed())
        installed()(roomId, window);
}

} // namespace MemberListExport
