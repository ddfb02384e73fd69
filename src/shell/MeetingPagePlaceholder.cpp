#include "shell/MeetingPagePlaceholder.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/StringHelpers.h"
#include "foundation/models/MeetingInfoModel.h"
#include "shell/ShellLog.h"
#include "shell/ShellStyle.h"
#include "shell/ShellTexts.h"
#include "uikit/KVPageNavigator.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskLayer.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {
// The room the page shows: the waiting room's, else the joined one.
std::shared_ptr<MeetingInfoModel> shownRoom(bool waiting)
{
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    if (waiting && agent->temMeetingInfoModel())
        return agent->temMeetingInfoModel();
    if (VeskMeetingManager *manager = agent->meetingManager(); manager && manager->roomInfo())
        return manager->roomInfo();
    return agent->currentRoomInfo();
}
} // namespace

MeetingPagePlaceholder::MeetingPagePlaceholder(QObject *parent) : MacBaseViewController(parent) {}

void MeetingPagePlaceholder::loadView()
{
    auto *view = new QWidget();
    ShellStyle::applyWindowLook(view);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(40, 40, 40, 40);
    layout->setSpacing(12);
    layout->addStretch(1);
    m_nameLabel = ShellStyle::label(QString(), view, 22, false, true);
    m_nameLabel->setAlignment(Qt::AlignCenter);
    m_nameLabel->setObjectName(QStringLiteral("roomNameLabel"));
    m_idLabel = ShellStyle::label(QString(), view, 14, true);
    m_idLabel->setAlignment(Qt::AlignCenter);
    m_stateLabel = ShellStyle::label(QString(), view, 14, true);
    m_stateLabel->setAlignment(Qt::AlignCenter);
    m_stateLabel->setWordWrap(true);
    layout->addWidget(m_nameLabel);
    layout->addWidget(m_idLabel);
    layout->addWidget(m_stateLabel);
    layout->addSpacing(24);
    m_leaveButton = ShellStyle::primaryButton(ShellTexts::kLeaveMeeting, view);
    VeskLayer::of(m_leaveButton)->setBackgroundColor(ShellStyle::danger());
    m_leaveButton->setFixedWidth(160);
    connect(m_leaveButton, &QAbstractButton::clicked, this, &MeetingPagePlaceholder::leaveMeeting);
    layout->addWidget(m_leaveButton, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    setView(view);
    refresh();
}

void MeetingPagePlaceholder::setEnterWaitingRoom(bool wait)
{
    m_enterWaitingRoom = wait;
    refresh();
}

void MeetingPagePlaceholder::enterMeetingRoomFromWaitingRoom()
{
    m_enterWaitingRoom = false;
    refresh();
}

QString MeetingPagePlaceholder::roomName() const
{
    const auto room = shownRoom(m_enterWaitingRoom);
    return room ? room->roomName : QString();
}

void MeetingPagePlaceholder::refresh()
{
    if (!m_nameLabel)
        return;
    const auto room = shownRoom(m_enterWaitingRoom);
    const QString name = room ? room->roomName : QString();
    m_nameLabel->setText(name);
    m_nameLabel->setAccessibleName(name);
    const QString id = room ? ShellTexts::kMeetingIdLine.arg(toDisplayMeetingId(room->roomId)) : QString();
    m_idLabel->setText(id);
    m_idLabel->setAccessibleName(id);
    const QString state = m_enterWaitingRoom ? ShellTexts::kWaitingForHost : ShellTexts::kInMeeting;
    m_stateLabel->setText(state);
    m_stateLabel->setAccessibleName(state);
    if (QWidget *w = window(); w && w != view())
        w->setWindowTitle(name.isEmpty() ? ShellTexts::kInMeeting : name);
}

void MeetingPagePlaceholder::leaveMeeting()
{
    if (m_left)
        return;
    m_left = true;
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    if (m_enterWaitingRoom) {
        const auto room = agent->temMeetingInfoModel();
        agent->leaveWaitRoomAction(room ? room->roomId : QString());
        agent->setTemMeetingInfoModel(nullptr);
    } else {
        agent->leaveMeeting();
    }
    qCInfo(lcShell) << "left the meeting";
    if (KVPageNavigator *navigator = KVPageNavigator::current())
        navigator->showMainPage(true);
}

bool MeetingPagePlaceholder::windowShouldClose()
{
    leaveMeeting();
    return false; // the page switch takes the window away
}
