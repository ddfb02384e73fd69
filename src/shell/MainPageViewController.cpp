#include "shell/MainPageViewController.h"

#include "shell/KVShareSelectViewController.h"
#include "uikit/KVDataText.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/models/KVMeetingDidUpdated.h"
#include "connection/KVMResponse.h"
#include "foundation/JXExtension.h"
#include "foundation/KVClock.h"
#include "foundation/KVLogManager.h"
#include "foundation/NotificationCenter.h"
#include "foundation/StringHelpers.h"
#include "foundation/models/MeetingInfoModel.h"
#include "scheduling/CreateMeetingRules.h"
#include "scheduling/CreateMeetingViewController.h"
#include "scheduling/KVMCommonUtilCalendar.h"
#include "scheduling/KVMeetingInfoViewController.h"
#include "scheduling/MainMeetingListViewController.h"
#include "scheduling/MeetingInviteView.h"
#include "scheduling/RecordListRules.h"
#include "scheduling/RecordTexts.h"
#include "scheduling/SchedulingAgent.h"
#include "scheduling/SchedulingTexts.h"
#include "shell/MeetingPasswordView.h"
#include "shell/PasteboardWatcher.h"
#include "shell/ShellLog.h"
#include "shell/ShellRules.h"
#include "shell/ShellStyle.h"
#include "shell/ShellTexts.h"
#include "shell/TodayMeetingCell.h"
#include "uikit/KVAlert.h"
#include "uikit/KVAlertViewController.h"
#include "uikit/KVPageNavigator.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/KVTextField.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
const QString kEnterFromWaitingRoom = QStringLiteral("ENTER_MEETINGROOM_FROM_WAITINGROOM");

QWidget *card(QWidget *parent)
{
    auto *w = new QWidget(parent);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, ShellStyle::cardBackground());
    w->setPalette(pal);
    w->setAutoFillBackground(true);
    return w;
}

// A window of its own for a content controller, centred on the screen.
std::unique_ptr<MacBaseWindowController> openWindow(MacBaseViewController *controller, const QString &objectName,
                                                    const QString &title, const QSize &size)
{
    auto *window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(objectName);
    window->setWindowTitle(title);
    auto holder = std::make_unique<MacBaseWindowController>(window);
    const QRect area = KVWindowPlacement::mainScreenVisibleFrame();
    holder->setWindowContentViewController(controller,
                                           QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size));
    controller->resetWindowDelegate();
    return holder;
}

// The day is looked at again at least this often, so a clock that jumped (the machine slept, the
// user set it) is caught up with within minutes.
constexpr qint64 kDayWatchMaxMs = 10 * 60 * 1000;
// Past midnight by this much, the service's day has turned too.
constexpr qint64 kPastMidnightMs = 1000;

QDate today()
{
    return KVClock::current().wallTime().date();
}

qint64 msUntilTomorrow()
{
    const QDateTime now = KVClock::current().wallTime();
    return std::max<qint64>(0, now.msecsTo(QDateTime(now.date().addDays(1), QTime(0, 0))));
}

void dropWindow(std::unique_ptr<MacBaseWindowController> &holder)
{
    if (!holder)
        return;
    MacBaseWindowController *old = holder.release();
    if (QWidget *w = old->window())
        w->hide();
    old->deleteLater();
}
} // namespace

MainPageViewController::MainPageViewController(QObject *parent) : MacBaseViewController(parent)
{
    NotificationCenter &center = NotificationCenter::defaultCenter();
    // Changes announced elsewhere (a meeting ended from its window) refresh the list; this
    // page refreshes after its own changes in the order each one needs.
    center.addObserver(this, KVMeetingDidUpdatedNotification, [this](const Notification &) {
        if (!m_postingOwnUpdate)
            reloadData();
    });
    center.addObserver(this, KVMeetingAppCopyInvitedStringNotification,
                       [this](const Notification &) { appCopyInvitedString(); });
    // Admitted from the waiting room: join again with what the waiting room held.
    center.addObserver(this, kEnterFromWaitingRoom, [this](const Notification &) {
        const auto room = VeskAppAgent::sharedInstance()->temMeetingInfoModel();
        if (!room)
            return;
        MeetingDataModel meeting;
        meeting.roomId = room->roomId;
        meeting.password = room->password;
        meeting.roomName = room->roomName;
        joinMeeting(meeting, meeting.password, true);
    });
    PasteboardWatcher::sharedWatcher();
}

MainPageViewController::~MainPageViewController()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

bool MainPageViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched == m_todayScroll)
        m_todayScroll->setVerticalScrollBarPolicy(m_todayScroll->verticalScrollBarPolicy());
    return MacBaseViewController::eventFilter(watched, event);
}

void MainPageViewController::loadView()
{
    auto *view = new QWidget();
    ShellStyle::applyWindowLook(view);
    auto *columns = new QHBoxLayout(view);
    columns->setContentsMargins(24, 16, 24, 24);
    columns->setSpacing(24);

    // Left: join and start.
    QWidget *actions = card(view);
    actions->setFixedWidth(320);
    auto *left = new QVBoxLayout(actions);
    left->setContentsMargins(20, 20, 20, 20);
    left->setSpacing(10);
    left->addWidget(ShellStyle::label(ShellTexts::kJoinMeeting, actions, 16, false, true));
    m_idField = new KVTextFieldView(actions);
    m_idField->setPlaceholder(ShellTexts::kMeetingIdPlaceholder);
    m_idField->setAccessibleName(ShellTexts::kMeetingIdPlaceholder);
    m_idField->textField()->setAccessibleName(ShellTexts::kMeetingIdPlaceholder);
    m_idField->setLimitLength(40);
    m_idField->setFixedHeight(40);
    ShellStyle::applyFieldLook(m_idField);
    left->addWidget(m_idField);
    m_idMessage = ShellStyle::inlineMessage(actions);
    m_idMessage->setObjectName(QStringLiteral("meetingIdMessage"));
    left->addWidget(m_idMessage);
    m_joinButton = ShellStyle::primaryButton(ShellTexts::kJoinMeeting, actions);
    m_joinButton->setObjectName(QStringLiteral("joinButton"));
    left->addWidget(m_joinButton);
    left->addSpacing(16);
    m_quickButton = ShellStyle::secondaryButton(ShellTexts::kQuickMeeting, actions);
    m_quickButton->setObjectName(QStringLiteral("quickMeetingButton"));
    left->addWidget(m_quickButton);
    m_scheduleButton = ShellStyle::secondaryButton(ShellTexts::kScheduleMeeting, actions);
    m_scheduleButton->setObjectName(QStringLiteral("scheduleButton"));
    left->addWidget(m_scheduleButton);
    left->addStretch(1);
    columns->addWidget(actions);

    // Right: today's meetings.
    auto *right = new QVBoxLayout();
    right->setSpacing(12);
    auto *header = new QHBoxLayout();
    header->addWidget(ShellStyle::label(ShellTexts::kTodayMeetings, view, 16, false, true));
    header->addStretch(1);
    m_allMeetingsButton = ShellStyle::textButton(ShellTexts::kAllMeetings, view);
    m_allMeetingsButton->setObjectName(QStringLiteral("allMeetingsButton"));
    connect(m_allMeetingsButton, &QAbstractButton::clicked, this, &MainPageViewController::onAllMeetingListAction);
    header->addWidget(m_allMeetingsButton);
    right->addLayout(header);
    auto *scroll = new QScrollArea(view);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setAccessibleName(ShellTexts::kTodayMeetings);
    auto *listHost = new QWidget(scroll);
    ShellStyle::applyWindowLook(listHost);
    m_listLayout = new QVBoxLayout(listHost);
    m_listLayout->setContentsMargins(0, 0, 0, 0);
    m_listLayout->setSpacing(8);
    m_emptyLabel = ShellStyle::label(ShellTexts::kNoMeetingToday, listHost, 14, true);
    m_emptyLabel->setAlignment(Qt::AlignCenter);
    m_emptyLabel->setMinimumHeight(120);
    m_listLayout->addWidget(m_emptyLabel);
    m_listLayout->addStretch(1);
    scroll->setWidget(listHost);
    // Laid out first at a child's small default size, the list wanted a scroll bar, and the hiding
    // of it is queued: it would be painted in the first frame. Settled when the list is shown.
    m_todayScroll = scroll;
    scroll->installEventFilter(this);
    right->addWidget(scroll, 1);
    columns->addLayout(right, 1);

    m_idField->setDidChangedBlock([this](const QString &) {
        ShellStyle::setInlineMessage(m_idMessage, {});
        m_idField->setUnValidstate(false);
    });
    connect(m_joinButton, &QAbstractButton::clicked, this, &MainPageViewController::joinMeetingById);
    connect(m_idField->textField(), &QLineEdit::returnPressed, this, &MainPageViewController::joinMeetingById);
    connect(m_quickButton, &QAbstractButton::clicked, this, &MainPageViewController::startQuickMeeting);
    connect(m_scheduleButton, &QAbstractButton::clicked, this,
            [this] { openCreateOrEditMeeting(std::nullopt, false); });
    setView(view);
}

// ---- Joining ----------------------------------------------------------------------------------

void MainPageViewController::joinMeetingById()
{
    view();
    const QString roomId = MeetingIdRule::normalized(m_idField->stringValue());
    if (!MeetingIdRule::isValid(roomId)) {
        ShellStyle::setInlineMessage(m_idMessage, ShellTexts::kMeetingIdInvalid);
        m_idField->setUnValidstate(true);
        return;
    }
    MeetingDataModel meeting;
    meeting.roomId = roomId;
    joinMeeting(meeting, QString());
}

void MainPageViewController::joinRoom(const MeetingDataModel &meeting)
{
    joinMeeting(meeting, meeting.password);
}

void MainPageViewController::joinMeeting(const MeetingDataModel &meeting, const QString &password, bool fromWaitingRoom)
{
    if (m_joining)
        return;
    m_joining = true;
    VeskToast::showLoadingToast(ShellTexts::kJoining);
    QPointer<MainPageViewController> self(this);
    VeskAppAgent::sharedInstance()->joinMeetingRoomWithRoomId(
        this, meeting.roomId, password, 0, [self, meeting, password, fromWaitingRoom](const KVMResponse &response) {
            VeskToast::dismissLoadingToast();
            if (self)
                self->handleJoinReply(meeting, password, response, fromWaitingRoom);
        });
}

void MainPageViewController::startQuickMeeting()
{
    if (m_joining)
        return;
    m_joining = true;
    VeskToast::showLoadingToast(ShellTexts::kStartingQuickMeeting);
    QPointer<MainPageViewController> self(this);
    VeskAppAgent::sharedInstance()->startQuickMeeting(this, [self](const KVMResponse &response) {
        VeskToast::dismissLoadingToast();
        if (self)
            self->handleJoinReply(MeetingDataModel(), QString(), response);
    });
}

void MainPageViewController::handleJoinReply(const MeetingDataModel &meeting, const QString &password,
                                             const KVMResponse &response, bool fromWaitingRoom)
{
    m_joining = false;
    KVPageNavigator *navigator = KVPageNavigator::current();
    // Given up by the user (the agent left again what the service let him into); and a refused
    // admission is told on the meeting page the user is on.
    if (response.code == VeskAppAgent::JoinCancelledCode)
        return;
    if (fromWaitingRoom && !response.successed && response.code != VeskAppAgent::WaitingRoomCode && navigator &&
        navigator->currentPageType() == 2)
        return;
    if (response.successed) {
        const auto room = response.data.value<std::shared_ptr<MeetingInfoModel>>();
        if (!room) {
            VeskToast::showToast(ShellTexts::kNetworkError);
            return;
        }
        MeetingDataModel joined = meeting;
        joined.roomId = room->roomId.isEmpty() ? meeting.roomId : room->roomId;
        if (joined.roomName.isEmpty())
            joined.roomName = room->roomName;
        if (joined.password.isEmpty())
            joined.password = password;
        qCInfo(lcShell) << "joined room" << joined.roomId;
        closeMeetingListWindows();
        postMeetingDidUpdated(KVMeetingDidUpdated::Joined, joined);
        if (VeskMeetingManager *manager = VeskAppAgent::sharedInstance()->meetingManager())
            manager->joinRoomWith(room);
        if (navigator)
            navigator->showMeetingPage(false);
        return;
    }
    switch (response.code) {
    case VeskAppAgent::PasswordNeededCode:
        // A first refusal without a password only asks; after a wrong one the service says why.
        askPassword(meeting, password.isEmpty() ? QString() : response.message);
        return;
    case VeskAppAgent::WaitingRoomCode:
        qCInfo(lcShell) << "waiting room of" << meeting.roomId;
        if (navigator)
            navigator->showMeetingPage(true);
        return;
    case VeskAppAgent::MeetingLockedCode:
        VeskToast::showToast(ShellTexts::kMeetingLocked);
        return;
    default:
        VeskToast::showToast(ReplyText::failureText(response));
        return;
    }
}

void MainPageViewController::askPassword(const MeetingDataModel &meeting, const QString &message)
{
    auto *prompt = new MeetingPasswordView(message);
    QPointer<MainPageViewController> self(this);
    prompt->onConfirm = [self, meeting](const QString &password) {
        if (self)
            self->joinMeeting(meeting, password);
    };
    KVAlert *alert = KVAlert::alertWithCustomView(prompt);
    alert->setObjectName(QStringLiteral("meetingPasswordAlert"));
    alert->showInCenterOfWindow(window());
    prompt->passwordField()->textField()->setFocus();
}

void MainPageViewController::postMeetingDidUpdated(qint64 type, const MeetingDataModel &meeting)
{
    m_postingOwnUpdate = true;
    NotificationCenter::defaultCenter().post(KVMeetingDidUpdatedNotification, {},
                                             KVMeetingDidUpdated::withType(type, meeting).userInfo());
    m_postingOwnUpdate = false;
}

// ---- Scheduled meetings ---------------------------------------------------------------------

bool MainPageViewController::scheduledRequestAnswered(const QString &roomId, const KVMResponse &reply)
{
    VeskToast::dismissLoadingToast();
    setRequestInFlight(roomId, false);
    if (!reply.successed)
        VeskToast::showToast(ReplyText::failureText(reply));
    return reply.successed;
}

void MainPageViewController::endMeeting(const MeetingDataModel &meeting)
{
    if (hasRequestInFlight(meeting.roomId))
        return;
    VeskToast::showLoadingToast(ShellTexts::kEnding);
    setRequestInFlight(meeting.roomId, true);
    QPointer<MainPageViewController> self(this);
    SchedulingAgent::current().endMeetingWithRoomId(
        QCoreApplication::instance(), meeting.roomId, [self, meeting, calendar = calendarStep()](const KVMResponse &r) {
            if (r.successed)
                calendar(meeting, false, {});
            if (!self || !self->scheduledRequestAnswered(meeting.roomId, r))
                return;
            self->postMeetingDidUpdated(KVMeetingDidUpdated::Ended, meeting);
            self->reloadData();
        });
}

bool MainPageViewController::hasRequestInFlight(const QString &roomId) const
{
    return m_requestsInFlight.contains(roomId) || !m_cancelAlerts.value(roomId).isNull();
}

void MainPageViewController::setRequestInFlight(const QString &roomId, bool inFlight)
{
    if (inFlight)
        m_requestsInFlight.insert(roomId);
    else
        m_requestsInFlight.remove(roomId);
    updateRequestButtons();
}

void MainPageViewController::updateRequestButtons()
{
    if (m_meetingListController)
        m_meetingListController->updateDetailActions();
}

void MainPageViewController::cancelMeeting(const MeetingDataModel &meeting, QWidget *returnTo)
{
    // One cancel per meeting: asked again while its alert is open or its request on its way, the
    // open alert comes forward and nothing more is sent.
    if (hasRequestInFlight(meeting.roomId)) {
        if (KVAlert *open = m_cancelAlerts.value(meeting.roomId))
            open->raise();
        return;
    }
    if (!meeting.isCycle) {
        doCancelMeeting(meeting, false);
        return;
    }
    // A recurring meeting: this occurrence, or with the tick the whole series.
    QPointer<MainPageViewController> self(this);
    auto box = std::make_shared<QPointer<QCheckBox>>();
    KVAlert *alert = KVAlert::alertWithMessage(
        ShellTexts::kCancelMeetingAsk.arg(DataText::isolatedTitle(meeting.roomName)), ShellTexts::kKeepMeeting,
        ShellTexts::kCancelMeetingConfirm, {}, [self, meeting, box] {
            if (self)
                self->doCancelMeeting(meeting, *box && (*box)->isChecked());
        });
    alert->setObjectName(QStringLiteral("cancelMeetingAlert"));
    auto *tick = new QCheckBox(ShellTexts::kCancelWholeSeries, alert);
    tick->setObjectName(QStringLiteral("wholeSeriesBox"));
    tick->setAccessibleName(ShellTexts::kCancelWholeSeries);
    QPalette pal = tick->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    tick->setPalette(pal);
    *box = tick;
    if (auto *layout = qobject_cast<QVBoxLayout *>(alert->layout()))
        layout->insertWidget(1, tick, 0, Qt::AlignHCenter); // under the question, over the buttons
    m_cancelAlerts.insert(meeting.roomId, alert);
    QPointer<QWidget> back(returnTo);
    QPointer<QWidget> opener(QApplication::focusWidget());
    if (!returnTo || !opener || opener->window() != returnTo->window())
        opener = returnTo;
    connect(alert, &QObject::destroyed, this, [this, roomId = meeting.roomId, back, opener] {
        m_cancelAlerts.remove(roomId);
        updateRequestButtons();
        // Answered either way, the keyboard goes on where the question was asked (a disabled
        // opener, its cancel on its way, hands it to returnTo), not to the home window.
        if (!back)
            return;
        back->window()->activateWindow();
        QWidget *target = opener && opener->isVisible() && opener->isEnabled() ? opener.data() : back.data();
        target->setFocus(Qt::OtherFocusReason);
    });
    updateRequestButtons();
    alert->showInCenterOfWindow(returnTo ? returnTo->window() : window());
}

void MainPageViewController::doCancelMeeting(const MeetingDataModel &meeting, bool wholeSeries)
{
    VeskToast::showLoadingToast(ShellTexts::kCancelling);
    setRequestInFlight(meeting.roomId, true);
    QPointer<MainPageViewController> self(this);
    SchedulingAgent::current().cancelMeetingWithRoomId(
        QCoreApplication::instance(), meeting.roomId, wholeSeries,
        [self, meeting, calendar = calendarStep()](const KVMResponse &r) {
            if (r.successed)
                calendar(meeting, false, {});
            if (!self)
                return;
            if (!self->scheduledRequestAnswered(meeting.roomId, r)) {
                KVLogManager::sharedInstance().logInfo(QStringLiteral("cancelMeeting"), QStringLiteral("ERROR"),
                                                       {meeting.roomId, QString::number(r.code), r.message});
                return;
            }
            self->reloadData();
            self->postMeetingDidUpdated(KVMeetingDidUpdated::Cancelled, meeting);
        });
}

void MainPageViewController::syncCalendar(const MeetingDataModel &meeting, bool sync, const QDateTime &editedOccurrence)
{
    calendarStep()(meeting, sync, editedOccurrence);
}

MainPageViewController::CalendarStep MainPageViewController::calendarStep() const
{
    if (calendarSync)
        return [hook = calendarSync](const MeetingDataModel &meeting, bool sync, const QDateTime &) {
            hook(meeting, sync);
        };
    return [](const MeetingDataModel &meeting, bool sync, const QDateTime &editedOccurrence) {
        KVMCommonUtilCalendar::syncCalendar(
            meeting, sync, [] { VeskToast::showToast(RecordTexts::kNoCalendarAccess); }, {}, editedOccurrence);
    };
}

// ---- The meeting form -------------------------------------------------------------------------

void MainPageViewController::openCreateOrEditMeeting(const std::optional<MeetingDataModel> &meeting, bool isEdit)
{
    if (m_checkingQuota)
        return;
    m_checkingQuota = true;
    QPointer<MainPageViewController> self(this);
    SchedulingAgent::current().queryCreatedRoomsInfoWithCompletionBlock(
        this, [self, meeting, isEdit](const KVMResponse &r) {
            if (!self)
                return;
            self->m_checkingQuota = false;
            if (!r.successed) {
                VeskToast::showToast(CreateMeetingRules::failureText(r));
                return;
            }
            const QVariantMap data = r.dataMap();
            const QString allowedKey = QStringLiteral("allowCreateRoomNumber");
            const qint64 created = data.value(QStringLiteral("createdRoomNumber")).toLongLong();
            const qint64 allowed = data.value(allowedKey).toLongLong();
            if (data.contains(allowedKey) && created >= allowed) {
                VeskToast::showToast(SchedulingTexts::kQuotaReached.arg(allowed));
                return;
            }
            self->showCreateMeeting(meeting, isEdit);
        });
}

void MainPageViewController::showCreateMeeting(const std::optional<MeetingDataModel> &meeting, bool isEdit)
{
    closeCreateMeeting();
    auto *controller = new CreateMeetingViewController();
    m_editingMeeting.reset();
    if (isEdit && meeting) {
        MeetingDataModel edited = *meeting;
        edited.isEdit = true;
        edited.onlyUpdateThisMeeting = true;
        m_editingMeeting = edited;
        controller->setDataModel(edited);
    }
    QPointer<MainPageViewController> self(this);
    QPointer<CreateMeetingViewController> form(controller);
    controller->onCreateMeeting = [self, form](CreateMeetingViewController *c) {
        if (!self)
            return;
        // The form stays open until the service took it, so nothing typed is lost; meanwhile it
        // sends nothing more.
        c->setRequestInFlight(true);
        // Files uploaded for this meeting go with it: their window closes first and hands the
        // form their rights.
        self->closeUploadShareOf(c->dataModel().roomId);
        self->createAndUpdateMeetingRoom(c->dataModel(), false, c->syncCalendar(), [self, form](bool success) {
            if (form)
                form->setRequestInFlight(false);
            if (self && success && form && self->m_createMeetingController == form)
                self->closeCreateMeeting();
        });
    };
    controller->onCloseAction = [self](CreateMeetingViewController *) {
        if (self)
            self->closeCreateMeeting();
    };
    controller->onUploadShareFile = [self](CreateMeetingViewController *c) {
        if (!self)
            return;
        QPointer<CreateMeetingViewController> form(c);
        self->openUploadShare(c->dataModel(), [form](const MeetingDataModel &changed) {
            if (form)
                form->adoptUploadShare(changed);
        });
    };

    auto *window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(QStringLiteral("createMeetingWindow"));
    window->setWindowTitle(isEdit ? SchedulingTexts::kEditTitle : SchedulingTexts::kCreateTitle);
    m_createMeetingWindow = std::make_unique<MacBaseWindowController>(window);
    m_createMeetingController = controller;
    const QSize size = controller->view()->size();
    const QRect area = KVWindowPlacement::mainScreenVisibleFrame();
    m_createMeetingWindow->setWindowContentViewController(
        controller, QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size));
    controller->resetWindowDelegate();
    controller->windowShouldCloseBlock = [self] {
        if (self) {
            self->m_createMeetingController = nullptr;
            if (self->m_createMeetingWindow)
                self->m_createMeetingWindow.release()->deleteLater();
        }
        return true;
    };
    vesk::veskCenter(window);
    m_createMeetingWindow->showWindow();
    // Escape closes the form as 取消 does; a pop-up open in it closes first.
    KVPanelFocus::opened(window, nullptr, [self] {
        if (self)
            self->closeCreateMeeting();
    });
}

void MainPageViewController::closeCreateMeeting()
{
    m_createMeetingController = nullptr;
    if (!m_createMeetingWindow)
        return;
    MacBaseWindowController *old = m_createMeetingWindow.release();
    if (QWidget *w = old->window())
        w->hide();
    old->deleteLater();
}

CreateMeetingViewController *MainPageViewController::createMeetingViewController() const
{
    return m_createMeetingController;
}

QWidget *MainPageViewController::createMeetingWindow() const
{
    return m_createMeetingWindow ? m_createMeetingWindow->window() : nullptr;
}

void MainPageViewController::createAndUpdateMeetingRoom(const MeetingDataModel &meeting, bool enter, bool syncCalendar,
                                                        std::function<void(bool success)> callback)
{
    VeskToast::showLoadingToast(meeting.isEdit ? SchedulingTexts::kUpdating : SchedulingTexts::kCreating);
    // Where the occurrence being edited began: its calendar entry is taken out of the series.
    QDateTime editedOccurrence;
    if (meeting.isEdit && m_editingMeeting && m_editingMeeting->roomId == meeting.roomId)
        editedOccurrence = m_editingMeeting->beginTimeDate();
    QPointer<MainPageViewController> self(this);
    SchedulingAgent::current().createOrUpdateMeeting(
        QCoreApplication::instance(), meeting,
        [self, meeting, enter, syncCalendar, callback, editedOccurrence,
         calendar = calendarStep()](const KVMResponse &r) {
            MeetingDataModel done;
            if (r.successed) {
                done = meeting.isEdit ? meeting : jx_objectWithKeyValues<MeetingDataModel>(r.data);
                qCInfo(lcShell) << (meeting.isEdit ? "meeting updated" : "meeting created") << done.roomId;
                calendar(done, syncCalendar, editedOccurrence);
            }
            if (!self)
                return;
            VeskToast::dismissLoadingToast();
            if (!r.successed) {
                if (callback)
                    callback(false);
                VeskToast::showToast(CreateMeetingRules::failureText(r));
                return;
            }
            // The shown meeting takes the form's values only now that the service has them.
            if (meeting.isEdit)
                self->m_editingMeeting = meeting;
            if (callback)
                callback(true);
            if (!self)
                return;
            self->postMeetingDidUpdated(KVMeetingDidUpdated::CreatedOrUpdated, done);
            self->reloadData();
            if (enter)
                self->joinRoom(done);
        });
}

// ---- Details, all meetings and the invitation card ------------------------------------------

void MainPageViewController::openMeetingInfo(const MeetingDataModel &meeting)
{
    closeMeetingInfo();
    auto *controller = new KVMeetingInfoViewController();
    controller->setDataModel(meeting);
    QPointer<MainPageViewController> self(this);
    controller->onJoinMeeting = [self](KVMeetingInfoViewController *, const MeetingDataModel &m) {
        if (self)
            self->joinRoom(m);
    };
    controller->onEditMeeting = [self](KVMeetingInfoViewController *, const MeetingDataModel &m) {
        if (!self)
            return;
        self->closeMeetingInfo();
        self->openCreateOrEditMeeting(m, true);
    };
    controller->onEndMeeting = [self](KVMeetingInfoViewController *, const MeetingDataModel &m) {
        if (!self)
            return;
        self->closeMeetingInfo();
        self->endMeeting(m);
    };
    controller->onCancelMeeting = [self](KVMeetingInfoViewController *, const MeetingDataModel &m) {
        if (!self)
            return;
        self->closeMeetingInfo();
        self->cancelMeeting(m);
    };
    controller->onShareFile = [self](KVMeetingInfoViewController *, const MeetingDataModel &m) {
        if (self)
            self->openUploadShare(m);
    };
    const QSize size = RecordListRules::meetingInfoSize(KVWindowPlacement::mainScreenVisibleFrame().size(),
                                                        !meeting.password.isEmpty());
    m_meetingInfoWindow =
        openWindow(controller, QStringLiteral("meetingInfoWindow"), RecordTexts::kMeetingInfoTitle, size);
    m_meetingInfoController = controller;
    controller->windowShouldCloseBlock = [self] {
        if (self) {
            self->m_meetingInfoController = nullptr;
            if (self->m_meetingInfoWindow)
                self->m_meetingInfoWindow.release()->deleteLater();
        }
        return true;
    };
    controller->viewWillAppear();
    vesk::veskCenter(m_meetingInfoWindow->window());
    m_meetingInfoWindow->showWindow();
}

void MainPageViewController::closeMeetingInfo()
{
    m_meetingInfoController = nullptr;
    dropWindow(m_meetingInfoWindow);
}

QWidget *MainPageViewController::meetingInfoWindow() const
{
    return m_meetingInfoWindow ? m_meetingInfoWindow->window() : nullptr;
}

void MainPageViewController::onAllMeetingListAction()
{
    closeMeetingList();
    auto *controller = new MainMeetingListViewController();
    QPointer<MainPageViewController> self(this);
    controller->onJoinMeeting = [self](MainMeetingListViewController *, const MeetingDataModel &m) {
        if (self)
            self->joinRoom(m);
    };
    controller->onEditMeeting = [self](MainMeetingListViewController *, const MeetingDataModel &m) {
        if (self)
            self->openCreateOrEditMeeting(m, true);
    };
    controller->onEndMeeting = [self](MainMeetingListViewController *, const MeetingDataModel &m) {
        if (self)
            self->endMeeting(m);
    };
    controller->onCancelMeeting = [self](MainMeetingListViewController *list, const MeetingDataModel &m) {
        if (self)
            self->cancelMeeting(m, list ? list->meetingListCollectionView() : nullptr);
    };
    controller->onCloseAction = [self](MainMeetingListViewController *) {
        if (self)
            self->closeMeetingList();
    };
    controller->requestInFlight = [self](const QString &roomId) { return self && self->hasRequestInFlight(roomId); };
    const QSize size = RecordListRules::meetingListSize(KVWindowPlacement::mainScreenVisibleFrame().size());
    m_meetingListWindow =
        openWindow(controller, QStringLiteral("meetingListWindow"), RecordTexts::kAllMeetingsTitle, size);
    m_meetingListController = controller;
    controller->windowShouldCloseBlock = [self] {
        if (self) {
            self->m_meetingListController = nullptr;
            if (self->m_meetingListWindow)
                self->m_meetingListWindow.release()->deleteLater();
        }
        return true;
    };
    vesk::veskCenter(m_meetingListWindow->window());
    m_meetingListWindow->showWindow();
    controller->viewWillAppear();
}

void MainPageViewController::closeMeetingList()
{
    m_meetingListController = nullptr;
    dropWindow(m_meetingListWindow);
}

QWidget *MainPageViewController::meetingListWindow() const
{
    return m_meetingListWindow ? m_meetingListWindow->window() : nullptr;
}

void MainPageViewController::closeMeetingListWindows()
{
    closeMeetingInfo();
    closeMeetingList();
}

void MainPageViewController::showInviteView(const MeetingDataModel &meeting)
{
    auto *card = new MeetingInviteView();
    card->setDataModel(meeting);
    // Focus goes back to what opened the card once it closes.
    QPointer<QWidget> opener = QApplication::focusWidget();
    connect(card, &QObject::destroyed, this, [opener] {
        if (opener)
            opener->setFocus(Qt::OtherFocusReason);
    });
    KVAlertViewController::showInCenterContent(card, MeetingInviteView::panelSize(meeting));
    card->copyButton()->setFocus();
}

void MainPageViewController::openUploadShare(const MeetingDataModel &meeting,
                                             std::function<void(const MeetingDataModel &meeting)> changed)
{
    QPointer<MainPageViewController> self(this);
    // Closing the window gives the focus back to the control that opened it.
    QPointer<QWidget> opener = QApplication::focusWidget();
    VeskAppAgent::sharedInstance()->getPreRoomId(
        this, meeting.roomId, [self, meeting, changed, opener](const KVMResponse &r) {
            if (!self)
                return;
            if (!r.successed) {
                VeskToast::showToast(r.message.isEmpty() ? QStringLiteral("网络不给力，请稍后重试") : r.message);
                return;
            }
            auto model = std::make_shared<MeetingDataModel>(meeting);
            model->roomId = r.dataMap().value(QStringLiteral("roomId")).toString();
            dropWindow(self->m_uploadShareWindow);
            auto *controller = new KVShareSelectViewController();
            controller->didClose = [self, model, changed, opener](KVShareSelectViewController *) {
                if (changed)
                    changed(*model);
                if (self && self->m_uploadShareWindow)
                    self->m_uploadShareWindow.release()->deleteLater();
                if (opener && opener->isVisible()) {
                    opener->window()->activateWindow();
                    opener->setFocus(Qt::OtherFocusReason);
                }
                NotificationCenter::defaultCenter().post(KVMeetingUploadShareFileChangedNotification);
            };
            self->m_uploadShareWindow = openWindow(controller, QStringLiteral("KVShareSelect"),
                                                   QStringLiteral("共享文件"), controller->view()->size());
            controller->setModel(model);
            // The opener holds the room from now on: a form confirmed while the window is open
            // makes the meeting in the room its files went to.
            if (changed)
                changed(*model);
            if (!self || !self->m_uploadShareWindow)
                return;
            QWidget *window = self->m_uploadShareWindow->window();
            vesk::veskCenter(window);
            self->m_uploadShareWindow->showWindow();
            QPointer<QWidget> guarded(window);
            KVPanelFocus::opened(window, nullptr, [guarded] {
                if (guarded)
                    guarded->close();
            });
        });
}

void MainPageViewController::closeUploadShareOf(const QString &roomId)
{
    if (!m_uploadShareWindow || roomId.isEmpty())
        return;
    auto *controller = qobject_cast<KVShareSelectViewController *>(m_uploadShareWindow->contentViewController());
    if (!controller || !controller->model() || controller->model()->roomId != roomId)
        return;
    if (QWidget *window = m_uploadShareWindow->window())
        window->close();
}

QWidget *MainPageViewController::uploadShareWindow() const
{
    return m_uploadShareWindow ? m_uploadShareWindow->window() : nullptr;
}

// ---- Today's meetings -------------------------------------------------------------------------

void MainPageViewController::reloadData()
{
    if (!VeskAppAgent::sharedInstance()->isSignedIn())
        return;
    const quint64 fetch = ++m_listFetch;
    const QDate day = today();
    VeskAppAgent::sharedInstance()->afterEndAnswered(this, [this, fetch, day] {
        if (fetch != m_listFetch)
            return;
        QPointer<MainPageViewController> self(this);
        SchedulingAgent::current().queryMeetingListIsToday(this, true, [self, fetch, day](const KVMResponse &r) {
            // A slower reply of an earlier fetch would bring back a meeting that has ended since.
            if (!self || fetch != self->m_listFetch || !r.successed)
                return;
            QList<MeetingDataModel> meetings;
            for (const QVariant &section : r.dataList()) {
                const QVariant list = section.toMap().value(QStringLiteral("meetList"));
                meetings += jx_objectArrayWithKeyValuesArray<MeetingDataModel>(list);
            }
            self->m_listDay = day;
            self->showTodayMeetings(meetings);
            self->watchTheDay();
        });
    });
}

void MainPageViewController::refreshIfDayChanged()
{
    if (m_listDay.isValid() && m_listDay != today())
        reloadData();
}

void MainPageViewController::watchTheDay()
{
    if (m_dayWatch)
        m_dayWatch->invalidate();
    const qint64 wait = std::min(msUntilTomorrow() + kPastMidnightMs, kDayWatchMaxMs);
    QPointer<MainPageViewController> self(this);
    m_dayWatch = KVTimer::singleShot(this, std::chrono::milliseconds(wait), [self] {
        if (!self)
            return;
        if (self->m_listDay == today()) {
            self->watchTheDay();
            return;
        }
        // Not shown (the records tab, a meeting): the list follows once it is shown again.
        if (self->isViewLoaded() && self->view()->isVisible())
            self->reloadData();
    });
}

void MainPageViewController::showTodayMeetings(const QList<MeetingDataModel> &meetings)
{
    m_todayMeetings = meetings;
    view();
    // Drop the old cells, keep the empty label and the stretch.
    for (TodayMeetingCell *cell : view()->findChildren<TodayMeetingCell *>()) {
        m_listLayout->removeWidget(cell);
        cell->hide();
        cell->setParent(nullptr);
        cell->deleteLater();
    }
    int row = 0;
    for (const MeetingDataModel &meeting : meetings) {
        auto *cell = new TodayMeetingCell(meeting, m_emptyLabel->parentWidget());
        QPointer<MainPageViewController> self(this);
        cell->onJoinMeeting = [self](const MeetingDataModel &m) {
            if (self)
                self->joinRoom(m);
        };
        cell->onShowInfo = [self](const MeetingDataModel &m) {
            if (self)
                self->openMeetingInfo(m);
        };
        cell->onShowInvite = [self](const MeetingDataModel &m) {
            if (self)
                self->showInviteView(m);
        };
        m_listLayout->insertWidget(row++, cell);
    }
    m_emptyLabel->setVisible(meetings.isEmpty());
}

// ---- Copied invitations -----------------------------------------------------------------------

void MainPageViewController::appCopyInvitedString()
{
    PasteboardWatcher::sharedWatcher()->markSeen();
}

void MainPageViewController::checkPasteboard()
{
    PasteboardWatcher *watcher = PasteboardWatcher::sharedWatcher();
    KVPageNavigator *navigator = KVPageNavigator::current();
    if (m_joining || !watcher->hasUnseenChange() || (navigator && navigator->currentPageType() != 1))
        return;
    watcher->markSeen(); // offered once, whatever the answer
    const auto invitation = InvitationText::recognize(QGuiApplication::clipboard()->text());
    if (!invitation)
        return;
    MeetingDataModel meeting;
    meeting.roomId = invitation->roomId;
    meeting.roomName = invitation->roomName;
    meeting.password = invitation->password;
    QPointer<MainPageViewController> self(this);
    KVAlert *alert = KVAlert::alertWithMessage(
        ShellTexts::kInvitationFound.arg(DataText::isolatedTitle(meeting.roomName), toDisplayMeetingId(meeting.roomId)),
        ShellTexts::kCancel, ShellTexts::kJoinMeeting, {}, [self, meeting] {
            if (self)
                self->joinRoom(meeting);
        });
    alert->setObjectName(QStringLiteral("pasteboardInvitationAlert"));
    alert->showInCenterOfWindow(window());
}
