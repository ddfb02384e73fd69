#include "scheduling/KVMeetingInfoViewController.h"

#include "agent/models/FileShareModel.h"
#include "agent/models/KVMeetingDidUpdated.h"
#include "connection/KVMResponse.h"
#include "foundation/JXExtension.h"
#include "foundation/NotificationCenter.h"
#include "scheduling/CreateMeetingRules.h"
#include "scheduling/KVMeetingMemberCollectionView.h"
#include "scheduling/MeetingDetailViews.h"
#include "scheduling/MeetingListIcons.h"
#include "scheduling/MeetingListRules.h"
#include "scheduling/RecordListRules.h"
#include "scheduling/RecordTexts.h"
#include "scheduling/SchedulingAgent.h"
#include "scheduling/SchedulingTexts.h"
#include "uikit/KVDataText.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int kMaxShownMembers = 20;

using MeetingDetailViews::apply;
using MeetingDetailViews::plain;

QFFlatButton *actionButton(const QString &title, const char *objectName, QWidget *parent, bool primary)
{
    auto *b = new QFFlatButton(parent);
    b->setObjectName(QLatin1String(objectName));
    b->setTitle(title);
    b->setFont(vesk::systemFont(14));
    b->setTitleNormalColor(primary ? QColor(Qt::white) : vesk::colorWithHexString(QStringLiteral("333333")));
    vesk::setBackgroundColor(b, primary ? vesk::colorWithHexString(QStringLiteral("007AFF"))
                                        : vesk::colorWithHexString(QStringLiteral("F5F7FA")));
    b->setFocusPolicy(Qt::StrongFocus);
    b->setFixedHeight(36);
    b->setMinimumWidth(96);
    return b;
}

} // namespace

KVMeetingInfoViewController::KVMeetingInfoViewController(QObject *parent) : MacBaseViewController(parent) {}

KVMeetingInfoViewController::~KVMeetingInfoViewController()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

void KVMeetingInfoViewController::setDataModel(const MeetingDataModel &model)
{
    m_dataModel = model;
}

void KVMeetingInfoViewController::loadView()
{
    auto *view = new QWidget();
    view->setObjectName(QStringLiteral("meetingInfoView"));
    vesk::setBackgroundColor(view, Qt::white);
    vesk::setCornerRadius(view, 8);
    auto *column = new QVBoxLayout(view);
    column->setContentsMargins(32, 24, 32, 24);
    column->setSpacing(14);

    const MeetingDetailViews::Head head = MeetingDetailViews::addHead(view, column, 24);
    m_meetingTitleLabel = head.title;
    m_periodImageView = head.period;
    m_beginTimeLabel = head.beginTime;
    m_beginDateLabel = head.beginDate;
    m_totalTimeLabel = head.duration;
    m_statusLabel = head.status;
    m_endTimeLabel = head.endTime;
    m_endDateLabel = head.endDate;

    auto *facts = new QGridLayout();
    facts->setVerticalSpacing(10);
    QLabel *idTitle = plain(view, 13, "999999");
    idTitle->setText(RecordTexts::kMeetingId);
    facts->addWidget(idTitle, 0, 0);
    m_roomIdLabel = plain(view, 13);
    m_roomIdLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    facts->addWidget(m_roomIdLabel, 0, 1);
    QLabel *creatorTitle = plain(view, 13, "999999");
    creatorTitle->setText(RecordTexts::kCreator);
    facts->addWidget(creatorTitle, 1, 0);
    m_creatorLabel = new KVElidedLabel(view);
    facts->addWidget(m_creatorLabel, 1, 1);
    m_passwordTitleLabel = plain(view, 13, "999999");
    m_passwordTitleLabel->setText(RecordTexts::kPassword);
    m_passwordLabel = plain(view, 13);
    m_passwordLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    facts->addWidget(m_passwordTitleLabel, 2, 0);
    facts->addWidget(m_passwordLabel, 2, 1);
    facts->setColumnStretch(1, 1);
    column->addLayout(facts);

    m_shareFileCountButton = new QFFlatButton(view);
    m_shareFileCountButton->setObjectName(QStringLiteral("shareFileCountButton"));
    m_shareFileCountButton->setFont(vesk::systemFont(13));
    m_shareFileCountButton->setTitleNormalColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
    m_shareFileCountButton->setFocusPolicy(Qt::StrongFocus);
    column->addWidget(m_shareFileCountButton, 0, Qt::AlignLeft);

    m_usersCountLabel = plain(view, 13, "666666");
    m_usersCountLabel->setObjectName(QStringLiteral("usersCountLabel"));
    column->addWidget(m_usersCountLabel);
    m_collectionView = new KVMeetingMemberCollectionView(view);
    column->addWidget(m_collectionView);
    column->addStretch(1);

    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    m_cancelMeetingBtn = actionButton(RecordTexts::kCancelMeeting, "cancelMeetingBtn", view, false);
    m_editMeetingBtn = actionButton(RecordTexts::kEdit, "editMeetingBtn", view, false);
    m_endMeetingBtn = actionButton(RecordTexts::kEndMeeting, "endMeetingBtn", view, false);
    m_joinMeetingBtn = actionButton(RecordTexts::kJoin, "joinMeetingBtn", view, true);
    for (QFFlatButton *b : {m_cancelMeetingBtn, m_editMeetingBtn, m_endMeetingBtn, m_joinMeetingBtn})
        buttons->addWidget(b);
    for (QFFlatButton *b : {m_cancelMeetingBtn, m_endMeetingBtn})
        MeetingDetailViews::apply(b, MeetingListRules::Show::Hidden);
    column->addLayout(buttons);

    connect(m_joinMeetingBtn, &QAbstractButton::clicked, this, &KVMeetingInfoViewController::onJoinMeetingClicked);
    connect(m_editMeetingBtn, &QAbstractButton::clicked, this, &KVMeetingInfoViewController::onEditMeetingClicked);
    connect(m_cancelMeetingBtn, &QAbstractButton::clicked, this, &KVMeetingInfoViewController::onCancelMeetingClicked);
    connect(m_endMeetingBtn, &QAbstractButton::clicked, this, &KVMeetingInfoViewController::onEndMeetingClicked);
    connect(m_shareFileCountButton, &QAbstractButton::clicked, this, &KVMeetingInfoViewController::onShareFileClicked);
    setView(view);
}

void KVMeetingInfoViewController::viewDidLoad()
{
    view()->installEventFilter(this);
    NotificationCenter::defaultCenter().addObserver(this, KVMeetingUploadShareFileChangedNotification,
                                                    [this](const Notification &) { updateShareFileCount(); });
    if (QScreen *screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::availableGeometryChanged, this,
                &KVMeetingInfoViewController::screenParametersDidChange);
}

bool KVMeetingInfoViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (isViewLoaded() && watched == view() && event->type() == QEvent::Show) {
        // The keyboard follows: Escape closes the window (through its own close, which asks its
        // owner), and the focus goes back to what opened it (still the focus while it is shown).
        if (QWidget *top = window(); top && top != view()) {
            QWidget *opener = QApplication::focusWidget();
            QPointer<QWidget> guarded(top);
            KVPanelFocus::opened(top, opener && !top->isAncestorOf(opener) ? opener : nullptr, [guarded] {
                if (guarded)
                    guarded->close();
            });
        }
    }
    return MacBaseViewController::eventFilter(watched, event);
}

void KVMeetingInfoViewController::viewWillAppear()
{
    updateData();
}

QSize KVMeetingInfoViewController::visibleScreen() const
{
    return screenSize ? screenSize() : KVWindowPlacement::mainScreenVisibleFrame().size();
}

void KVMeetingInfoViewController::updateData()
{
    QWidget *root = view();
    const MeetingDataModel &m = m_dataModel;
    const bool hasPassword = !m.password.isEmpty();

    // 1. Size.
    const QSize size = RecordListRules::meetingInfoSize(visibleScreen(), hasPassword);
    root->setGeometry(QRect(QPoint(0, 0), size));
    if (QWidget *w = window(); w && w != root)
        w->resize(size);

    // 2. Recurrence.
    m_periodImageView->setVisible(m.isCycle);
    if (m.isCycle) {
        if (const auto name = MeetingListIcons::periodImageName(m.cycleType)) {
            m_periodImageName = *name;
            m_periodImageView->setPixmap(MeetingListIcons::image(*name));
        }
    }

    // 3. Buttons.
    m_editMeetingBtn->hide();
    const auto table = MeetingListRules::infoButtons(m.isSelf(), m.status);
    apply(m_editMeetingBtn, table.edit);
    apply(m_cancelMeetingBtn, table.cancel);
    apply(m_endMeetingBtn, table.end);

    // 4. Password.
    m_passwordTitleLabel->setVisible(hasPassword);
    m_passwordLabel->setVisible(hasPassword);
    KVDataText::setText(m_passwordLabel, m.password.left(40));
    m_shareFileTopConst = hasPassword ? 76 : 35;

    // 5. Join only while the meeting runs.
    m_joinMeetingBtn->setEnabled(m.status == 1);

    // 6. Texts.
    m_meetingTitleLabel->setFullText(KVDataText::isolated(MeetingListRules::shownTitle(m.roomName)));
    m_beginDateLabel->setText(m.beginTimeDateCN());
    m_endDateLabel->setText(m.endTimeDateCN());
    m_beginTimeLabel->setText(m.beginTimeHourMinute());
    m_endTimeLabel->setText(m.endTimeHourMinute());
    MeetingDetailViews::showStatus(m_statusLabel, m);
    KVDataText::setText(m_roomIdLabel, m.displayRoomId().left(40));
    m_creatorLabel->setFullText(KVDataText::isolated(MeetingListRules::shownTitle(m.creatorName)));

    // 7. Duration.
    m_totalTimeLabel->setText(RecordListRules::durationText(m.duration));

    // 8. Members: what the model holds, then the service's list.
    updateMemberListUI(nullptr);
    updateMemberList();

    // 9. Files.
    if (m.status == 1 || !m.isSelf()) {
        m_shareFileCountButton->setTitle(RecordTexts::kFiles.arg(m.fileCount));
        m_shareFileCountButton->setTitleNormalColor(vesk::colorWithHexString(QStringLiteral("A0A3AA")));
    } else {
        m_shareFileCountButton->setTitle(RecordTexts::kFilesLink.arg(m.fileCount));
    }
}

void KVMeetingInfoViewController::updateMemberList()
{
    QPointer<KVMeetingInfoViewController> self(this);
    const quint64 request = ++m_memberRequest;
    auto done = [self, request](const KVMResponse &r) {
        if (!self || request != self->m_memberRequest)
            return;
        if (!r.successed) {
            VeskToast::showToast(CreateMeetingRules::failureText(r));
            return;
        }
        self->updateMemberListUI(&r);
    };
    if (m_dataModel.status != 0)
        SchedulingAgent::current().queryMeetingMembersListWithRoomId(this, m_dataModel.roomId, done);
    else
        SchedulingAgent::current().queryMeetingInvitationListWithRoomId(this, m_dataModel.roomId, done);
}

void KVMeetingInfoViewController::updateMemberListUI(const KVMResponse *response)
{
    const bool invited = m_dataModel.status == 0;
    if (response) {
        const auto people = response->data.value<QList<VeskUserModel>>();
        m_dataModel.totalMemberCount = quint64(people.size());
        (invited ? m_dataModel.invitationList : m_dataModel.meetingMemberList) = people.mid(0, kMaxShownMembers);
    }
    m_participants = invited ? m_dataModel.invitationList : m_dataModel.meetingMemberList;
    m_collectionView->setMembers(m_participants);
    m_usersCountLabel->setText(RecordTexts::kMembersCount.arg(m_dataModel.totalMemberCount));
}

void KVMeetingInfoViewController::updateShareFileCount()
{
    QPointer<KVMeetingInfoViewController> self(this);
    SchedulingAgent::current().queryFileList(this, m_dataModel.roomId, [self](const KVMResponse &r) {
        if (!self)
            return;
        if (!r.successed) {
            VeskToast::showToast(CreateMeetingRules::failureText(r));
            return;
        }
        const QVariantMap data = r.data.toMap();
        if (!data.contains(QStringLiteral("files")))
            return;
        self->m_dataModel.fileCount = data.value(QStringLiteral("files")).value<QList<FileShareModel>>().size();
        self->m_shareFileCountButton->setTitle(RecordTexts::kFilesLink.arg(self->m_dataModel.fileCount));
    });
}

void KVMeetingInfoViewController::screenParametersDidChange()
{
    const QSize size = RecordListRules::meetingInfoSize(visibleScreen(), !m_dataModel.password.isEmpty());
    if (QWidget *w = window())
        w->resize(size);
}

void KVMeetingInfoViewController::onJoinMeetingClicked()
{
    // Only what the window offers for this meeting: a hidden button is a disabled one too.
    if (onJoinMeeting && m_joinMeetingBtn->isEnabled())
        onJoinMeeting(this, m_dataModel);
}

void KVMeetingInfoViewController::onEditMeetingClicked()
{
    // Only what the window offers for this meeting: a hidden button is a disabled one too.
    if (onEditMeeting && m_editMeetingBtn->isEnabled())
        onEditMeeting(this, m_dataModel);
}

void KVMeetingInfoViewController::onCancelMeetingClicked()
{
    // Only what the window offers for this meeting: a hidden button is a disabled one too.
    if (onCancelMeeting && m_cancelMeetingBtn->isEnabled())
        onCancelMeeting(this, m_dataModel);
}

void KVMeetingInfoViewController::onEndMeetingClicked()
{
    // Only what the window offers for this meeting: a hidden button is a disabled one too.
    if (onEndMeeting && m_endMeetingBtn->isEnabled())
        onEndMeeting(this, m_dataModel);
}

void KVMeetingInfoViewController::onShareFileClicked()
{
    if (m_dataModel.isSelf() && m_dataModel.status != 1 && onShareFile)
        onShareFile(this, m_dataModel);
}
