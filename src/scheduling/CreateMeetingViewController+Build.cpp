// The meeting form's views: title bar, the scrolling sections and the buttons.
#include "scheduling/CreateMeetingViewController.h"

#include "scheduling/KVMemberEnterCollectionView.h"
#include "scheduling/SchedulingIcons.h"
#include "scheduling/SchedulingTexts.h"
#include "uikit/KVCustomButton.h"
#include "uikit/KVHitTestButton.h"
#include "uikit/KVHoverBorderView.h"
#include "uikit/KVTextField.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/QFFlatButton.h"
#include "uikit/VeskCategories.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

QColor hex(const char *value)
{
    return vesk::colorWithHexString(QLatin1String(value));
}

void applyLightLook(QWidget *w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, hex("333333"));
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::AlternateBase, hex("F5F7FA"));
    pal.setColor(QPalette::Text, hex("333333"));
    pal.setColor(QPalette::PlaceholderText, hex("B4B4B4"));
    pal.setColor(QPalette::Button, hex("F5F7FA"));
    pal.setColor(QPalette::ButtonText, hex("333333"));
    pal.setColor(QPalette::Highlight, hex("007AFF"));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    // A chosen radio button is disabled but must read as chosen, not as unavailable.
    pal.setColor(QPalette::Disabled, QPalette::WindowText, hex("333333"));
    pal.setColor(QPalette::Disabled, QPalette::Text, hex("333333"));
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, hex("333333"));
    w->setPalette(pal);
}

QLabel *sectionLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(vesk::systemFont(14, QFont::DemiBold));
    label->setFixedHeight(30);
    label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    return label;
}

KVHitTestButton *checkBox(const QString &text, QWidget *parent)
{
    auto *box = new KVHitTestButton(text, parent);
    box->setFont(vesk::systemFont(13));
    box->setAccessibleName(text);
    box->setFixedHeight(28);
    return box;
}

QRadioButton *radio(const QString &text, QWidget *parent)
{
    auto *button = new QRadioButton(text, parent);
    button->setAutoExclusive(false); // the form decides which one is chosen
    button->setFont(vesk::systemFont(13));
    button->setAccessibleName(text);
    return button;
}

// A field with a hover border holding one widget.
KVHoverBorderView *field(QWidget *parent, int height)
{
    auto *back = new KVHoverBorderView(parent);
    back->setNormalBorderColor(hex("D9D9D9"));
    back->setFixedHeight(height);
    return back;
}

QFFlatButton *fieldButton(QWidget *parent)
{
    auto *button = new QFFlatButton(parent);
    button->setFont(vesk::systemFont(14));
    button->setTitleNormalColor(hex("333333"));
    return button;
}

// A row of exactly height points whose content sits at its top.
QWidget *fixedRow(QWidget *parent, int height, QWidget *content, int top, int left)
{
    auto *row = new QWidget(parent);
    row->setFixedHeight(height);
    auto *layout = new QVBoxLayout(row);
    layout->setContentsMargins(left, top, 0, 0);
    layout->setSpacing(0);
    content->setParent(row);
    layout->addWidget(content);
    layout->addStretch(1);
    return row;
}

} // namespace

void CreateMeetingViewController::loadView()
{
    auto *view = new QWidget();
    applyLightLook(view);
    view->setAutoFillBackground(true);
    view->setAccessibleName(SchedulingTexts::kCreateTitle);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildTitleBar(view);
    layout->addWidget(m_ui->titleBar);

    m_ui->scrollView = new QScrollArea(view);
    m_ui->scrollView->setFrameShape(QFrame::NoFrame);
    m_ui->scrollView->setWidgetResizable(true);
    m_ui->scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab goes to the fields in it, which it scrolls into view; the area is no stop of its own.
    m_ui->scrollView->setFocusPolicy(Qt::NoFocus);
    m_ui->document = new QWidget(m_ui->scrollView);
    buildDocument();
    m_ui->scrollView->setWidget(m_ui->document);
    layout->addWidget(m_ui->scrollView, 1);
    buildButtons(view);
    setView(view);
}

void CreateMeetingViewController::buildTitleBar(QWidget *view)
{
    Ui &ui = *m_ui;
    ui.titleBar = new QWidget(view);
    ui.titleBar->setFixedHeight(CreateMeetingRules::kTitleBarHeight);
    auto *bar = new QVBoxLayout(ui.titleBar);
    bar->setContentsMargins(24, 20, 24, 8);
    bar->setSpacing(8);
    ui.titleLabel = new QLabel(SchedulingTexts::kCreateTitle, ui.titleBar);
    ui.titleLabel->setTextFormat(Qt::PlainText);
    ui.titleLabel->setFont(vesk::systemFont(20, QFont::DemiBold));
    ui.titleLabel->setAlignment(Qt::AlignCenter);
    bar->addWidget(ui.titleLabel);
    auto *series = new QHBoxLayout();
    series->setSpacing(12);
    ui.cycleSyncTitle = new QLabel(SchedulingTexts::kSeriesText, ui.titleBar);
    ui.cycleSyncTitle->setTextFormat(Qt::PlainText);
    ui.cycleSyncTitle->setFont(vesk::systemFont(13));
    ui.cycleSyncButton = checkBox(SchedulingTexts::kSeriesSwitch, ui.titleBar);
    series->addStretch(1);
    series->addWidget(ui.cycleSyncTitle);
    series->addWidget(ui.cycleSyncButton);
    series->addStretch(1);
    bar->addLayout(series);
    bar->addStretch(1);
    ui.cycleSyncTitle->hide();
    ui.cycleSyncButton->hide();
}

void CreateMeetingViewController::buildDocument()
{
    Ui &ui = *m_ui;
    QWidget *doc = ui.document;
    auto *col = new QVBoxLayout(doc);
    col->setContentsMargins(24, 0, 24, 16);
    col->setSpacing(0);

    // Subject.
    col->addWidget(sectionLabel(SchedulingTexts::kSubjectLabel, doc));
    col->addSpacing(6);
    ui.meetingTitleTextView = new KVTextFieldView(doc);
    ui.meetingTitleTextView->setPlaceholder(SchedulingTexts::kSubjectPlaceholder);
    ui.meetingTitleTextView->setAccessibleName(SchedulingTexts::kSubjectLabel);
    ui.meetingTitleTextView->textField()->setAccessibleName(SchedulingTexts::kSubjectLabel);
    ui.meetingTitleTextView->setFixedHeight(36);
    col->addWidget(ui.meetingTitleTextView);

    // Begin and duration.
    auto *timeTitles = new QHBoxLayout();
    timeTitles->setSpacing(12);
    timeTitles->addWidget(sectionLabel(SchedulingTexts::kBeginLabel, doc), 3);
    timeTitles->addWidget(sectionLabel(SchedulingTexts::kDurationLabel, doc), 2);
    col->addLayout(timeTitles);
    col->addSpacing(6);
    auto *timeFields = new QHBoxLayout();
    timeFields->setSpacing(12);
    ui.datePickBackView = field(doc, 36);
    auto *dateInner = new QHBoxLayout(ui.datePickBackView);
    dateInner->setContentsMargins(10, 0, 10, 0);
    ui.datePickerButton = fieldButton(ui.datePickBackView);
    dateInner->addWidget(ui.datePickerButton, 1);
    timeFields->addWidget(ui.datePickBackView, 3);
    ui.durationBackView = field(doc, 36);
    auto *durationInner = new QHBoxLayout(ui.durationBackView);
    durationInner->setContentsMargins(10, 0, 8, 0);
    ui.durationButton = fieldButton(ui.durationBackView);
    durationInner->addWidget(ui.durationButton, 1);
    ui.durationIcon = new QLabel(ui.durationBackView);
    ui.durationIcon->setAttribute(Qt::WA_TransparentForMouseEvents);
    durationInner->addWidget(ui.durationIcon);
    timeFields->addWidget(ui.durationBackView, 2);
    col->addLayout(timeFields);

    // Recurrence.
    ui.periodTitleLabel = sectionLabel(SchedulingTexts::kPeriodLabel, doc);
    col->addWidget(ui.periodTitleLabel);
    col->addSpacing(4);
    auto *periods = new QHBoxLayout();
    periods->setSpacing(24);
    ui.onceMeetingBtn = radio(SchedulingTexts::kPeriodOnce, doc);
    ui.daysMeetingBtn = radio(SchedulingTexts::kPeriodDaily, doc);
    ui.weeklyMeetingBtn = radio(SchedulingTexts::kPeriodWeekly, doc);
    for (QRadioButton *b : {ui.onceMeetingBtn.data(), ui.daysMeetingBtn.data(), ui.weeklyMeetingBtn.data()}) {
        b->setGraphicsEffect(new QGraphicsOpacityEffect(b));
        periods->addWidget(b);
    }
    periods->addStretch(1);
    col->addLayout(periods);

    // Invitees.
    auto *inviteeTitle = new QHBoxLayout();
    inviteeTitle->addWidget(sectionLabel(SchedulingTexts::kInviteesLabel, doc));
    inviteeTitle->addStretch(1);
    ui.memberSelectLabel = new QLabel(doc);
    ui.memberSelectLabel->setTextFormat(Qt::PlainText);
    ui.memberSelectLabel->setFont(vesk::systemFont(12));
    ui.memberSelectLabel->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    ui.memberSelectLabel->setFixedHeight(30);
    inviteeTitle->addWidget(ui.memberSelectLabel);
    col->addLayout(inviteeTitle);
    col->addSpacing(6);
    ui.confereeCollectionBackView = field(doc, CreateMeetingRules::kFieldOneLineHeight);
    auto *confereeInner = new QVBoxLayout(ui.confereeCollectionBackView);
    confereeInner->setContentsMargins(1, 1, 1, 1);
    ui.confereeCollectionView = new KVMemberEnterCollectionView(ui.confereeCollectionBackView);
    ui.confereeCollectionView->setAccessibleName(SchedulingTexts::kInviteesLabel);
    ui.confereeCollectionView->inputTextField()->setAccessibleName(SchedulingTexts::kInviteeSearch);
    ui.confereeCollectionView->inputTextField()->setPlaceholderText(SchedulingTexts::kInviteeSearch);
    confereeInner->addWidget(ui.confereeCollectionView);
    col->addWidget(ui.confereeCollectionBackView);

    // Password and waiting room.
    col->addWidget(sectionLabel(SchedulingTexts::kSecurityLabel, doc));
    col->addSpacing(4);
    ui.passwordBtn = checkBox(SchedulingTexts::kPasswordBox, doc);
    col->addWidget(ui.passwordBtn);
    ui.passwordInputView = new KVTextFieldView();
    ui.passwordInputView->setOnlySupportNumber(true);
    ui.passwordInputView->setLimitLength(6);
    ui.passwordInputView->setPlaceholder(SchedulingTexts::kPasswordPlaceholder);
    ui.passwordInputView->setAccessibleName(SchedulingTexts::kPasswordBox);
    ui.passwordInputView->textField()->setAccessibleName(SchedulingTexts::kPasswordBox);
    ui.passwordInputView->setFixedSize(220, 30);
    ui.passwordRow = fixedRow(doc, CreateMeetingRules::kPasswordRowHeight, ui.passwordInputView, 0, 24);
    col->addWidget(ui.passwordRow);
    ui.waitingRoomButton = checkBox(SchedulingTexts::kWaitingRoomBox, doc);
    col->addWidget(ui.waitingRoomButton);

    // Entry settings.
    col->addWidget(sectionLabel(SchedulingTexts::kEntryLabel, doc));
    col->addSpacing(4);
    ui.masterCameraButton = checkBox(SchedulingTexts::kHostCameraBox, doc);
    ui.masterMicButton = checkBox(SchedulingTexts::kHostMicBox, doc);
    ui.memberMicAction = checkBox(SchedulingTexts::kMemberMicBox, doc);
    ui.memberCameraAction = checkBox(SchedulingTexts::kMemberCameraBox, doc);
    for (QWidget *w : {static_cast<QWidget *>(ui.masterCameraButton), static_cast<QWidget *>(ui.masterMicButton),
                       static_cast<QWidget *>(ui.memberMicAction), static_cast<QWidget *>(ui.memberCameraAction)})
        col->addWidget(w);

    // Recording and transcript.
    col->addWidget(sectionLabel(SchedulingTexts::kRecordingLabel, doc));
    col->addSpacing(4);
    ui.recordBtn = checkBox(SchedulingTexts::kRecordBox, doc);
    col->addWidget(ui.recordBtn);
    ui.recordMeetingContentBtn = checkBox(SchedulingTexts::kTranscriptionBox, doc);
    col->addWidget(ui.recordMeetingContentBtn);
    ui.allowMemberLookMeetingContentButton = checkBox(SchedulingTexts::kMembersMayViewBox, nullptr);
    ui.meetingContentRow =
        fixedRow(doc, CreateMeetingRules::kMembersMayViewRowHeight, ui.allowMemberLookMeetingContentButton, 0, 24);
    col->addWidget(ui.meetingContentRow);

    // Share permission.
    col->addWidget(sectionLabel(SchedulingTexts::kShareLabel, doc));
    col->addSpacing(4);
    auto *shareRadios = new QHBoxLayout();
    shareRadios->setSpacing(24);
    ui.shareAllowAllBtn = radio(SchedulingTexts::kShareAll, doc);
    ui.shareLimitMemberBtn = radio(SchedulingTexts::kShareLimited, doc);
    shareRadios->addWidget(ui.shareAllowAllBtn);
    shareRadios->addWidget(ui.shareLimitMemberBtn);
    shareRadios->addStretch(1);
    col->addLayout(shareRadios);
    ui.shareMemberBackView = field(nullptr, CreateMeetingRules::kFieldOneLineHeight);
    auto *shareInner = new QVBoxLayout(ui.shareMemberBackView);
    shareInner->setContentsMargins(1, 1, 1, 1);
    ui.shareMemberCollectionView = new KVMemberEnterCollectionView(ui.shareMemberBackView);
    ui.shareMemberCollectionView->setAccessibleName(SchedulingTexts::kShareMembersName);
    ui.shareMemberCollectionView->inputTextField()->setAccessibleName(SchedulingTexts::kShareMemberSearch);
    ui.shareMemberCollectionView->inputTextField()->setPlaceholderText(SchedulingTexts::kShareMemberSearch);
    shareInner->addWidget(ui.shareMemberCollectionView);
    ui.shareMemberRow = fixedRow(doc, CreateMeetingRules::kShareMembersRowHeight, ui.shareMemberBackView, 8, 0);

    col->addWidget(ui.shareMemberRow);

    // Files.
    col->addWidget(sectionLabel(SchedulingTexts::kFilesLabel, doc));
    col->addSpacing(4);
    auto *files = new QHBoxLayout();
    ui.allowUploadFileButton = checkBox(SchedulingTexts::kUploadAllowedBox, doc);
    files->addWidget(ui.allowUploadFileButton);
    files->addStretch(1);
    ui.uploadFilesCountBtn = new QFFlatButton(doc);
    ui.uploadFilesCountBtn->setFont(vesk::systemFont(13));
    ui.uploadFilesCountBtn->setTitleNormalColor(hex("007AFF"));
    files->addWidget(ui.uploadFilesCountBtn);
    auto *upload = new KVCustomButton(SchedulingTexts::kUploadFiles, doc);
    upload->setTextColor(hex("007AFF"));
    upload->setBorderColor(hex("007AFF"));
    upload->setBorderWidth(1);
    upload->setFixedSize(80, 28);
    ui.uploadFileButton = upload;
    files->addWidget(ui.uploadFileButton);
    col->addLayout(files);

    // Calendar.
    col->addSpacing(8);
    ui.syncCalendarBtn = checkBox(SchedulingTexts::kCalendarBox, doc);
    col->addWidget(ui.syncCalendarBtn);
    col->addStretch(1);
}

void CreateMeetingViewController::buildButtons(QWidget *view)
{
    Ui &ui = *m_ui;
    auto *bar = new QWidget(view);
    bar->setFixedHeight(64);
    ui.buttonBar = bar;
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(24, 12, 24, 16);
    row->setSpacing(12);
    row->addStretch(1);
    auto *cancel = new KVCustomButton(SchedulingTexts::kCancel, bar);
    cancel->setTextColor(hex("333333"));
    cancel->setBorderColor(hex("D9D9D9"));
    cancel->setBorderWidth(1);
    ui.cancelButton = cancel;
    auto *confirm = new KVCustomButton(SchedulingTexts::kConfirm, bar);
    confirm->setBackgroundColor(hex("007AFF"));
    confirm->setHoverBackgroundColor(hex("2B8CFF"));
    confirm->setTextColor(Qt::white);
    ui.confirmButton = confirm;
    for (VeskButton *b : {ui.cancelButton.data(), ui.confirmButton.data()}) {
        b->setFixedSize(100, 36);
        row->addWidget(b);
    }
    view->layout()->addWidget(bar);
}

void CreateMeetingViewController::wireActions()
{
    Ui &ui = *m_ui;
    const auto click = [this](QAbstractButton *button, void (CreateMeetingViewController::*action)()) {
        connect(button, &QAbstractButton::clicked, this, [this, action] { (this->*action)(); });
    };
    // Boxes and radio buttons act on every change a user makes (a click or an assistive tool's
    // toggle), never on the form's own filling.
    const auto toggle = [this](QAbstractButton *button, void (CreateMeetingViewController::*action)()) {
        connect(button, &QAbstractButton::toggled, this, [this, action] {
            if (!m_settingControls)
                (this->*action)();
        });
    };
    click(ui.confirmButton, &CreateMeetingViewController::onConfirmClick);
    click(ui.cancelButton, &CreateMeetingViewController::onCancelClick);
    click(ui.uploadFileButton, &CreateMeetingViewController::onUploadFileClick);
    click(ui.uploadFilesCountBtn, &CreateMeetingViewController::onUploadFilesCountClick);
    click(ui.datePickerButton, &CreateMeetingViewController::onDatePickBtnClick);
    click(ui.durationButton, &CreateMeetingViewController::onDurationClick);
    toggle(ui.passwordBtn, &CreateMeetingViewController::onPasswordClick);
    toggle(ui.recordMeetingContentBtn, &CreateMeetingViewController::onMeetingContentClick);
    toggle(ui.shareAllowAllBtn, &CreateMeetingViewController::onAllowAllShareClick);
    toggle(ui.shareLimitMemberBtn, &CreateMeetingViewController::onLimitMemberShareClick);
    toggle(ui.syncCalendarBtn, &CreateMeetingViewController::onSyncCalendarClick);
    toggle(ui.onceMeetingBtn, &CreateMeetingViewController::onOnceMeetingClick);
    toggle(ui.daysMeetingBtn, &CreateMeetingViewController::onDaysMeetingClick);
    toggle(ui.weeklyMeetingBtn, &CreateMeetingViewController::onWeeklyMeetingClick);
    toggle(ui.cycleSyncButton, &CreateMeetingViewController::onCycleSyncAction);

    // Scrolling moves the fields away from their pop-ups.
    connect(ui.scrollView->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { hideOverMaskBtnViews(); });

    for (int type : {Invitees, ShareMembers}) {
        KVMemberEnterCollectionView *chips = chipViewOf(type);
        KVTextField *entry = chips->inputTextField();
        entry->installEventFilter(this); // Down, Up and Escape reach the member picker
        // Every change of the text, typed or set by assistive technology, searches.
        connect(entry, &QLineEdit::textChanged, this,
                [this, type](const QString &text) { memberTextChanged(type, text); });
        KVHoverBorderView *back = fieldOf(type);
        entry->setTextDidBeginEditing([back](const QString &) {
            if (back)
                back->setAlwaysHighlight(true);
        });
        entry->setTextDidEndEditing([back](const QString &) {
            if (back)
                back->setAlwaysHighlight(false);
        });
        chips->onDelete = [this, type](int index, const VeskUserModel &) { deleteMember(type, index); };
    }
}

void CreateMeetingViewController::setShareLimited(bool limited)
{
    const QScopedValueRollback filling(m_settingControls, true);
    Ui &ui = *m_ui;
    ui.shareLimitMemberBtn->setChecked(limited);
    ui.shareLimitMemberBtn->setEnabled(!limited);
    ui.shareAllowAllBtn->setChecked(!limited);
    ui.shareAllowAllBtn->setEnabled(limited);
    ui.shareMemberRow->setVisible(limited);
}

void CreateMeetingViewController::updateFileCountLink()
{
    const qint64 count = dataModel().fileCount;
    m_ui->uploadFilesCountBtn->setTitle(SchedulingTexts::kFileCount.arg(count));
    m_ui->uploadFilesCountBtn->setVisible(count != 0);
}

void CreateMeetingViewController::updateMemberCountLabel()
{
    const QString text = SchedulingTexts::kSelectedCount.arg(dataModel().totalMemberCount);
    m_ui->memberSelectLabel->setText(text);
    m_ui->memberSelectLabel->setAccessibleName(text);
}

void CreateMeetingViewController::setDurationCaption(const QString &caption)
{
    m_ui->durationButton->setTitle(caption);
    m_ui->durationButton->setAccessibleName(SchedulingTexts::kDurationFieldName.arg(caption));
}

void CreateMeetingViewController::setBeginTitle(const QString &title)
{
    m_ui->datePickerButton->setTitle(title);
    m_ui->datePickerButton->setAccessibleName(SchedulingTexts::kDateFieldName.arg(title));
}
