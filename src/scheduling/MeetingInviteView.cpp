#include "scheduling/MeetingInviteView.h"

#include "agent/models/KVMeetingDidUpdated.h"
#include "foundation/NotificationCenter.h"
#include "scheduling/MeetingListRules.h"
#include "scheduling/RecordTexts.h"
#include "uikit/KVDataText.h"
#include "uikit/KVMeetingIDLabel.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
QLabel *rowTitle(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    l->setFont(vesk::systemFont(13));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, vesk::colorWithHexString(QStringLiteral("999999")));
    l->setPalette(pal);
    return l;
}
} // namespace

MeetingInviteView::MeetingInviteView(QWidget *parent) : KVFlatView(parent)
{
    setObjectName(QStringLiteral("meetingInviteView"));
    setBackgroundColor(Qt::white);
    setCornerRadius(8);
    // A light card in a dark panel: its texts must not inherit the panel's light ink.
    QPalette pal = palette();
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(role, vesk::colorWithHexString(QStringLiteral("333333")));
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Base, Qt::white);
    setPalette(pal);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(32, 32, 32, 24);
    column->setSpacing(12);
    m_meetingNameLabel = new KVElidedLabel(this);
    m_meetingNameLabel->setFont(vesk::systemFont(18, QFont::DemiBold));
    column->addWidget(m_meetingNameLabel);
    auto *grid = new QGridLayout();
    grid->setVerticalSpacing(16);
    grid->addWidget(rowTitle(RecordTexts::kMeetingId, this), 0, 0);
    m_meetingNumLabel = new KVMeetingIDLabel(this);
    grid->addWidget(m_meetingNumLabel, 0, 1);
    m_passwordTitleLabel = rowTitle(RecordTexts::kPassword, this);
    m_passwordLabel = new QLabel(this);
    m_passwordLabel->setTextFormat(Qt::PlainText);
    m_passwordLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    grid->addWidget(m_passwordTitleLabel, 1, 0);
    grid->addWidget(m_passwordLabel, 1, 1);
    grid->addWidget(rowTitle(RecordTexts::kBeginTime, this), 3, 0);
    m_meetingStartTimeLabel = new QLabel(this);
    m_meetingStartTimeLabel->setTextFormat(Qt::PlainText);
    grid->addWidget(m_meetingStartTimeLabel, 3, 1);
    grid->addWidget(rowTitle(RecordTexts::kCreator, this), 4, 0);
    m_meetingUserLabel = new KVElidedLabel(this);
    grid->addWidget(m_meetingUserLabel, 4, 1);
    grid->addWidget(rowTitle(RecordTexts::kLink, this), 5, 0);
    m_meetingUrlLabel = new KVElidedLabel(this, Qt::ElideMiddle);
    m_meetingUrlLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(m_meetingUrlLabel, 5, 1);
    grid->setColumnStretch(1, 1);
    column->addLayout(grid);
    column->addStretch(1);
    m_copyButton = new QFFlatButton(this);
    m_copyButton->setObjectName(QStringLiteral("copyInviteButton"));
    m_copyButton->setTitle(RecordTexts::kCopyInvite);
    m_copyButton->setFont(vesk::systemFont(14));
    m_copyButton->setTitleNormalColor(Qt::white);
    m_copyButton->setFocusPolicy(Qt::StrongFocus);
    vesk::setBackgroundColor(m_copyButton, vesk::colorWithHexString(QStringLiteral("007AFF")));
    m_copyButton->setFixedHeight(40);
    column->addWidget(m_copyButton);
    connect(m_copyButton, &QAbstractButton::clicked, this, &MeetingInviteView::copyInviteInfoAction);
    // Escape closes the card's panel, as every panel closes.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] { window()->close(); });
}

QSize MeetingInviteView::panelSize(const MeetingDataModel &model)
{
    return model.password.isEmpty() ? kSizeWithoutPassword : kSizeWithPassword;
}

void MeetingInviteView::setDataModel(const MeetingDataModel &model)
{
    m_dataModel = model;
    m_meetingNameLabel->setFullText(KVDataText::isolated(MeetingListRules::shownTitle(model.roomName)));
    m_meetingNumLabel->setFullText(model.displayRoomId());
    m_meetingNumLabel->setRoomId(model.displayRoomId());
    m_meetingNumLabel->setShowHoverTips(true);
    KVDataText::setText(m_meetingStartTimeLabel, model.beginTime.left(40));
    m_meetingUserLabel->setFullText(KVDataText::isolated(MeetingListRules::shownTitle(model.creatorName)));
    m_meetingUrlLabel->setFullText(model.invitedUrl());
    const bool password = !model.password.isEmpty();
    m_passwordTitleLabel->setVisible(password);
    m_passwordLabel->setVisible(password);
    KVDataText::setText(m_passwordLabel, model.password.left(40));
    // The begin-time row moves up when the password rows go (hidden grid rows take no room).
    m_beginTimeTopConst = password ? 65 : 24;
}

void MeetingInviteView::copyInviteInfoAction()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_dataModel.invitedMeetingContent());
    VeskToast::showToast(RecordTexts::kInviteCopied);
    NotificationCenter::defaultCenter().post(KVMeetingAppCopyInvitedStringNotification);
}
