// The meeting form's life, model, checks, recurrence and size.
#include "scheduling/CreateMeetingViewController.h"

#include "agent/models/FileShareModel.h"
#include "agent/models/KVMeetingDidUpdated.h"
#include "foundation/DateHelpers.h"
#include "foundation/NotificationCenter.h"
#include "foundation/UserDefaults.h"
#include "scheduling/KVMemberEnterCollectionView.h"
#include "scheduling/KVMemberSelectView.h"
#include "scheduling/SchedulingAgent.h"
#include "scheduling/SchedulingIcons.h"
#include "scheduling/SchedulingLog.h"
#include "scheduling/SchedulingTexts.h"
#include "uikit/KVHitTestButton.h"
#include "uikit/KVHoverBorderView.h"
#include "uikit/KVTextField.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/KVWindow.h"
#include "uikit/QFFlatButton.h"
#include "uikit/VeskToast.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QLabel>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

namespace {
const QString kSyncCalendarKey = QStringLiteral("kSyncCalendarKey");
} // namespace

CreateMeetingViewController::CreateMeetingViewController(QObject *parent)
    : MacBaseViewController(parent), m_ui(std::make_unique<Ui>())
{
}

CreateMeetingViewController::~CreateMeetingViewController()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    // The picker may outlive this controller for a moment inside its window: not our lists.
    if (m_ui->memberSelectView)
        m_ui->memberSelectView->setSelectMembers(nullptr);
}

void CreateMeetingViewController::viewDidLoad()
{
    Ui &ui = *m_ui;
    QWidget *view = this->view();
    view->resize(CreateMeetingRules::initialContentSize(KVWindowPlacement::mainScreenVisibleFrame().size()));
    view->installEventFilter(this);
    ui.confereeCollectionView->onResized = [this] { updateInviteeFieldHeight(); };

    ui.passwordRow->hide();
    ui.recordMeetingContentBtn->setChecked(true);
    ui.meetingContentRow->show();
    setShareLimited(false);
    m_durationIconName = SchedulingIcons::kDropdown;
    ui.durationIcon->setPixmap(SchedulingIcons::image(m_durationIconName, 16));

    m_datePickSelectDate = QDateTime::currentDateTime();
    setBeginTitle(StringFormatter::defaultDateStringWithOutSecond(m_datePickSelectDate));

    NotificationCenter::defaultCenter().addObserver(this, KVMeetingUploadShareFileChangedNotification,
                                                    [this](const Notification &) { refreshFileCount(); });
    if (QScreen *screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::availableGeometryChanged, this, [this] { screenParametersChanged(); });

    m_syncCalendar = UserDefaults::standardUserDefaults().boolForKey(kSyncCalendarKey);
    ui.uploadFilesCountBtn->hide();
    wireActions();
    updateModelToUI();
}

bool CreateMeetingViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (memberPickerKey(watched, event))
        return true;
    if (watched == view() && event->type() == QEvent::Show) {
        updateScrollContentSize();
        m_ui->scrollView->verticalScrollBar()->setValue(0);
    } else if (watched == view() && event->type() == QEvent::Resize) {
        if (m_ui->overMaskBtn && m_ui->overMaskBtn->isVisible()) {
            m_ui->overMaskBtn->setGeometry(view()->rect());
            updateMaskRegion();
        }
    }
    return MacBaseViewController::eventFilter(watched, event);
}

// ---- Model ----------------------------------------------------------------------------------

const MeetingDataModel &CreateMeetingViewController::dataModel()
{
    return model();
}

MeetingDataModel &CreateMeetingViewController::model()
{
    if (!m_dataModel)
        m_dataModel = std::make_unique<MeetingDataModel>(MeetingDataModel::defaultModel());
    return *m_dataModel;
}

void CreateMeetingViewController::setDataModel(const MeetingDataModel &model)
{
    m_dataModel = std::make_unique<MeetingDataModel>(model);
    if (isViewLoaded())
        updateModelToUI();
}

void CreateMeetingViewController::updateModelToUI()
{
    view();
    const QScopedValueRollback filling(m_settingControls, true);
    Ui &ui = *m_ui;
    hideOverMaskBtnViews();
    const MeetingDataModel &model = dataModel();
    updateTitlebarUIs();
    const QString title = model.isEdit ? SchedulingTexts::kEditTitle : SchedulingTexts::kCreateTitle;
    ui.titleLabel->setText(title);
    view()->setAccessibleName(title);
    if (QWidget *w = window(); w && w != view())
        w->setWindowTitle(title);

    const MeetingFormControls c = CreateMeetingRules::controlsFromModel(
        model, StringFormatter::defaultDateStringWithOutSecond(m_datePickSelectDate), m_duration);
    ui.meetingTitleTextView->setStringValue(c.subject);
    setBeginTitle(c.beginTime);
    m_duration = c.duration;
    setDurationCaption(MeetingTimeRules::durationCaption(m_duration));
    setPeriodType(c.periodType);
    const QDateTime begin = DateFromString::defaultDateWithOutSecondFromString(model.beginTime);
    if (begin.isValid())
        m_datePickSelectDate = begin;
    updateCycleUIStates();

    ui.passwordBtn->setChecked(c.passwordOn);
    ui.passwordInputView->setStringValue(c.password);
    ui.passwordRow->setVisible(c.passwordOn);
    ui.waitingRoomButton->setChecked(c.waitingRoom);
    ui.masterCameraButton->setChecked(c.hostCamera);
    ui.masterMicButton->setChecked(c.hostMicrophone);
    ui.memberMicAction->setChecked(c.memberMicrophone);
    ui.memberCameraAction->setChecked(c.memberCamera);
    ui.recordBtn->setChecked(c.record);
    ui.recordMeetingContentBtn->setChecked(c.transcription);
    ui.meetingContentRow->setVisible(c.transcription);
    ui.allowMemberLookMeetingContentButton->setChecked(c.membersMayView);
    setShareLimited(c.shareLimited);
    ui.allowUploadFileButton->setChecked(c.uploadAllowed);
    ui.syncCalendarBtn->setChecked(m_syncCalendar);

    loadMembers();
    updateFileCountLink();
    updateScrollContentSize();
}

MeetingFormControls CreateMeetingViewController::controls() const
{
    const Ui &ui = *m_ui;
    MeetingFormControls c;
    c.subject = ui.meetingTitleTextView->stringValue();
    c.beginTime = ui.datePickerButton->title();
    c.duration = m_duration;
    c.periodType = m_periodType;
    c.passwordOn = ui.passwordBtn->isChecked();
    c.password = ui.passwordInputView->stringValue();
    c.waitingRoom = ui.waitingRoomButton->isChecked();
    c.hostCamera = ui.masterCameraButton->isChecked();
    c.hostMicrophone = ui.masterMicButton->isChecked();
    c.memberMicrophone = ui.memberMicAction->isChecked();
    c.memberCamera = ui.memberCameraAction->isChecked();
    c.record = ui.recordBtn->isChecked();
    c.transcription = ui.recordMeetingContentBtn->isChecked();
    c.membersMayView = ui.allowMemberLookMeetingContentButton->isChecked();
    c.shareLimited = ui.shareLimitMemberBtn->isChecked();
    c.uploadAllowed = ui.allowUploadFileButton->isChecked();
    c.members = m_members;
    c.shareMembers = m_shareMembers;
    return c;
}

void CreateMeetingViewController::syncToDataModel()
{
    CreateMeetingRules::syncToDataModel(controls(), model());
}

// ---- Buttons --------------------------------------------------------------------------------

void CreateMeetingViewController::onConfirmClick()
{
    view();
    if (m_requestInFlight)
        return;
    const QString stop = CreateMeetingRules::validate(controls());
    if (!stop.isEmpty()) {
        VeskToast::showToast(stop);
        return;
    }
    if (!m_inviteesLoaded) {
        // Sending now would replace the invitees the service holds with a partial list.
        VeskToast::showToast(SchedulingTexts::kRefetchInvitees);
        fetchInvitees();
        return;
    }
    syncToDataModel();
    qCInfo(lcScheduling) << (dataModel().isEdit ? "updating meeting" : "creating meeting") << dataModel().roomId;
    if (onCreateMeeting)
        onCreateMeeting(this);
}

void CreateMeetingViewController::setRequestInFlight(bool inFlight)
{
    m_requestInFlight = inFlight;
    m_ui->confirmButton->setEnabled(!inFlight);
}

void CreateMeetingViewController::onCancelClick()
{
    if (onCloseAction)
        onCloseAction(this);
}

void CreateMeetingViewController::adoptUploadShare(const MeetingDataModel &changed)
{
    MeetingDataModel &meeting = model();
    if (!changed.roomId.isEmpty())
        meeting.roomId = changed.roomId;
    meeting.uploadPermissionType = changed.uploadPermissionType;
    meeting.uploadFileAllowOpUserList = changed.uploadFileAllowOpUserList;
    // The form saves what its box says: the box follows the file window's choice.
    if (isViewLoaded() && (changed.uploadPermissionType == 1 || changed.uploadPermissionType == 2))
        m_ui->allowUploadFileButton->setChecked(changed.uploadPermissionType == 2);
}

void CreateMeetingViewController::onUploadFileClick()
{
    // The file window starts from what the form shows now.
    syncToDataModel();
    if (onUploadShareFile)
        onUploadShareFile(this);
}

void CreateMeetingViewController::onUploadFilesCountClick()
{
    onUploadFileClick();
}

void CreateMeetingViewController::onPasswordClick()
{
    m_ui->passwordRow->setVisible(m_ui->passwordBtn->isChecked());
    if (m_ui->passwordBtn->isChecked())
        m_ui->passwordInputView->textField()->setFocus();
    updateScrollContentSize();
}

void CreateMeetingViewController::onMeetingContentClick()
{
    m_ui->meetingContentRow->setVisible(m_ui->recordMeetingContentBtn->isChecked());
    updateScrollContentSize();
}

void CreateMeetingViewController::onAllowAllShareClick()
{
    setShareLimited(false);
    updateScrollContentSize();
}

void CreateMeetingViewController::onLimitMemberShareClick()
{
    setShareLimited(true);
    updateScrollContentSize();
}

void CreateMeetingViewController::onSyncCalendarClick()
{
    m_syncCalendar = m_ui->syncCalendarBtn->isChecked();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setBool(m_syncCalendar, kSyncCalendarKey);
    defaults.synchronize();
}

// ---- Recurrence -----------------------------------------------------------------------------

void CreateMeetingViewController::setPeriodType(qint64 type)
{
    m_periodType = type;
    if (type < 0 || type > 2)
        return;
    const QScopedValueRollback filling(m_settingControls, true);
    Ui &ui = *m_ui;
    const QRadioButton *chosen[] = {ui.onceMeetingBtn, ui.daysMeetingBtn, ui.weeklyMeetingBtn};
    for (QRadioButton *b : {ui.onceMeetingBtn.data(), ui.daysMeetingBtn.data(), ui.weeklyMeetingBtn.data()}) {
        const bool on = b == chosen[type];
        b->setChecked(on);
        b->setEnabled(!on);
    }
}

void CreateMeetingViewController::updateTitlebarUIs()
{
    const MeetingDataModel &m = dataModel();
    const auto look = CreateMeetingRules::recurrenceLook(m.isEdit, m.isCycle, m.onlyUpdateThisMeeting);
    Ui &ui = *m_ui;
    ui.titleBar->setFixedHeight(look.titleBarHeight);
    ui.cycleSyncTitle->setVisible(look.seriesSwitchShown);
    ui.cycleSyncButton->setVisible(look.seriesSwitchShown);
    // The switch shows off on opening: the owner starts every edit on this occurrence only.
    const QScopedValueRollback filling(m_settingControls, true);
    ui.cycleSyncButton->setChecked(!m.onlyUpdateThisMeeting && look.seriesSwitchShown);
    updateScrollContentSize();
}

void CreateMeetingViewController::onCycleSyncAction()
{
    model().onlyUpdateThisMeeting = !m_ui->cycleSyncButton->isChecked();
    updateCycleUIStates();
}

void CreateMeetingViewController::updateCycleUIStates()
{
    const MeetingDataModel &m = dataModel();
    const auto look = CreateMeetingRules::recurrenceLook(m.isEdit, m.isCycle, m.onlyUpdateThisMeeting);
    Ui &ui = *m_ui;
    for (QRadioButton *b : {ui.onceMeetingBtn.data(), ui.daysMeetingBtn.data(), ui.weeklyMeetingBtn.data()}) {
        b->setEnabled(!look.periodLocked);
        if (auto *effect = qobject_cast<QGraphicsOpacityEffect *>(b->graphicsEffect()))
            effect->setOpacity(look.periodAlpha);
    }
}

// ---- Size -----------------------------------------------------------------------------------

int CreateMeetingViewController::neededHeight() const
{
    return m_ui->document->sizeHint().height();
}

void CreateMeetingViewController::updateScrollContentSize()
{
    if (!isViewLoaded() || !m_ui->document)
        return;
    QWidget *view = this->view();
    QWidget *win = view->window();
    // The title bar and the buttons take fixed heights; the rest scrolls.
    const int chrome = m_ui->titleBar->maximumHeight() + m_ui->buttonBar->maximumHeight();
    CreateMeetingRules::FormSizeInput in;
    in.neededHeight = neededHeight();
    in.view = view->size();
    in.scrollViewHeight = std::max(0, view->height() - chrome);
    in.visibleScreen = KVWindowPlacement::mainScreenVisibleFrame().size();
    const auto out = CreateMeetingRules::updateScrollContentSize(in);
    if (out.contentSize) {
        if (win && win != view)
            win->resize(*out.contentSize);
        else
            view->resize(*out.contentSize);
    }
}

void CreateMeetingViewController::screenParametersChanged()
{
    if (!isViewLoaded())
        return;
    QWidget *view = this->view();
    QWidget *win = view->window();
    const QSize clamped =
        CreateMeetingRules::clampedContentSize(view->size(), KVWindowPlacement::mainScreenVisibleFrame().size());
    if (clamped != view->size()) {
        if (win && win != view)
            win->resize(clamped);
        else
            view->resize(clamped);
    }
    updateScrollContentSize();
}

// ---- Files ----------------------------------------------------------------------------------

void CreateMeetingViewController::refreshFileCount()
{
    const QString roomId = dataModel().roomId;
    if (roomId.isEmpty())
        return; // nothing uploaded yet: no room to ask about
    QPointer<CreateMeetingViewController> self(this);
    SchedulingAgent::current().queryFileList(this, roomId, [self](const KVMResponse &r) {
        if (!self)
            return;
        if (!r.successed) {
            VeskToast::showToast(CreateMeetingRules::failureText(r));
            return;
        }
        const QVariantMap data = r.dataMap();
        if (!data.contains(QStringLiteral("files")))
            return;
        const QVariant files = data.value(QStringLiteral("files"));
        const qint64 count = files.canConvert<QList<FileShareModel>>() ? files.value<QList<FileShareModel>>().size()
                                                                       : files.toList().size();
        self->m_dataModel->fileCount = count;
        self->updateFileCountLink();
    });
}
