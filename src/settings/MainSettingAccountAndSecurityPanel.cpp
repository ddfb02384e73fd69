#include "settings/MainSettingAccountAndSecurityPanel.h"

#include "agent/MainSettingModel.h"
#include "agent/VeskAppAgent.h"
#include "foundation/NotificationCenter.h"
#include "settings/KVDeviceManageCell.h"
#include "settings/MainSettingRules.h"
#include "settings/SettingTexts.h"
#include "settings/SettingsLog.h"
#include "uikit/KVCustomButton.h"
#include "uikit/KVDataText.h"
#include "uikit/KVTextField.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
QLabel *title(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(vesk::systemFont(14));
    return label;
}

KVCustomButton *plainButton(const QString &text, QWidget *parent)
{
    auto *button = new KVCustomButton(text, parent);
    button->setTextColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
    button->setFont(vesk::systemFont(14));
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}
} // namespace

MainSettingAccountAndSecurityPanel::MainSettingAccountAndSecurityPanel(QWidget *parent) : MainSettingPanel(parent)
{
    setObjectName(QStringLiteral("MainSettingAccountAndSecurityPanel"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(40, 30, 40, 24);
    column->setSpacing(10);

    auto *grid = new QGridLayout();
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(6);
    grid->addWidget(title(SettingTexts::kUserName, this), 0, 0);
    auto *nameRow = new QHBoxLayout();
    nameRow->setSpacing(8);
    m_userNameLabel = KVDataText::label(QString(), this);
    m_userNameLabel->setFont(vesk::systemFont(14));
    m_modifyButton = plainButton(SettingTexts::kModify, this);
    m_modifyButton->setFixedSize(48, 28);
    m_textFieldView = new KVTextFieldView(this);
    m_textFieldView->setFixedSize(300, 32);
    m_textFieldView->setOnlySupportNumber(false);
    m_textFieldView->setPlaceholder(SettingTexts::kNamePlaceholder);
    m_textFieldView->setLimitLength(kNameLimit);
    m_textFieldView->textField()->setAccessibleName(SettingTexts::kUserName);
    m_textFieldView->setDidChangedBlock([this](const QString &text) { textDidChange(text); });
    m_textFieldView->textField()->setTextDidEndEditing([this](const QString &text) { textDidEndEditing(text); });
    nameRow->addWidget(m_userNameLabel);
    nameRow->addWidget(m_modifyButton);
    nameRow->addWidget(m_textFieldView);
    nameRow->addStretch(1);
    grid->addLayout(nameRow, 0, 1);
    m_stateLabel = new QLabel(this);
    m_stateLabel->setTextFormat(Qt::PlainText);
    m_stateLabel->setFont(vesk::systemFont(12));
    QPalette red = m_stateLabel->palette();
    red.setColor(QPalette::WindowText, vesk::colorWithHexString(QStringLiteral("F54A45")));
    m_stateLabel->setPalette(red);
    grid->addWidget(m_stateLabel, 1, 1);
    grid->addWidget(title(SettingTexts::kPhone, this), 2, 0);
    m_phoneLabel = KVDataText::label(QString(), this);
    m_phoneLabel->setFont(vesk::systemFont(14));
    grid->addWidget(m_phoneLabel, 2, 1);
    grid->setColumnStretch(1, 1);
    column->addLayout(grid);

    column->addSpacing(8);
    column->addWidget(title(SettingTexts::kLoginDevices, this));
    m_collectionView = new QListView(this);
    m_collectionView->setAccessibleName(SettingTexts::kLoginDevices);
    m_collectionView->setUniformItemSizes(true);
    m_collectionView->setSelectionMode(QAbstractItemView::NoSelection);
    m_collectionView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_collectionView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_shownDevices = new KVDeviceListModel(this);
    m_collectionView->setModel(m_shownDevices);
    m_collectionView->setItemDelegate(new KVDeviceManageCellDelegate(m_collectionView));
    column->addWidget(m_collectionView, 1);

    m_logOutButton = plainButton(SettingTexts::kLogOut, this);
    m_logOutButton->setBorderColor(vesk::colorWithHexString(QStringLiteral("F54A45")));
    m_logOutButton->setBorderWidth(1);
    m_logOutButton->setTextColor(vesk::colorWithHexString(QStringLiteral("F54A45")));
    m_logOutButton->setFixedSize(120, 32);
    column->addWidget(m_logOutButton, 0, Qt::AlignHCenter);

    connect(m_modifyButton, &QAbstractButton::clicked, this, &MainSettingAccountAndSecurityPanel::modifyUserNameAction);
    connect(m_logOutButton, &QAbstractButton::clicked, this, &MainSettingAccountAndSecurityPanel::loginOutAction);

    m_textFieldView->hide();
    m_stateLabel->hide();
}

void MainSettingAccountAndSecurityPanel::setModel(MainSettingModel *model)
{
    m_model = model;
    const VeskUserModel user = m_model ? m_model->user() : VeskUserModel();
    KVDataText::setText(m_phoneLabel, user.phoneNumber);
    m_editing = false;
    m_textFieldView->endEditing();
    showName(user.userName);
}

void MainSettingAccountAndSecurityPanel::showName(const QString &name)
{
    m_editing = false;
    KVDataText::setText(m_userNameLabel, name);
    m_textFieldView->hide();
    m_textFieldView->setUnValidstate(false);
    m_userNameLabel->show();
    m_modifyButton->show();
    m_stateLabel->clear();
    m_stateLabel->hide();
}

void MainSettingAccountAndSecurityPanel::modifyUserNameAction()
{
    m_modifyButton->hide();
    m_userNameLabel->hide();
    m_textFieldView->setStringValue(m_userNameLabel->text());
    // The name as it is stored is judged like a typed one: one the rules refuse (longer than 20)
    // says so at once and ending the edit sends nothing, rather than a cut name.
    textDidChange(m_textFieldView->stringValue());
    m_stateLabel->show();
    m_textFieldView->show();
    m_editing = true;
    m_textFieldView->textField()->setFocus();
}

void MainSettingAccountAndSecurityPanel::textDidChange(const QString &text)
{
    const QString state = MainSettingRules::userNameState(text);
    m_stateLabel->setText(state);
    m_textFieldView->setUnValidstate(!state.isEmpty());
}

void MainSettingAccountAndSecurityPanel::textDidEndEditing(const QString &text)
{
    // Hiding the field also ends its editing: only an open field sends, and one name at a time.
    if (!m_editing || m_renaming)
        return;
    // Judged again as it is sent, whatever road the text came by.
    textDidChange(text);
    if (!m_stateLabel->text().isEmpty())
        return;
    updateUserName(text);
}

void MainSettingAccountAndSecurityPanel::updateUserName(const QString &name)
{
    m_renaming = true;
    QPointer<MainSettingAccountAndSecurityPanel> self(this);
    VeskAppAgent::sharedInstance()->updateUserInfoWithUserName(this, name, [self, name](const KVMResponse &reply) {
        if (!self)
            return;
        self->m_renaming = false;
        if (!reply.successed) {
            VeskToast::showToast(reply.message.isEmpty() ? SettingTexts::kNetworkFailed : reply.message);
            return;
        }
        VeskAppAgent *agent = VeskAppAgent::sharedInstance();
        VeskUserModel me = agent->myInfo();
        me.userName = name;
        agent->setMyInfo(me);
        agent->saveMyInfoToLocal();
        self->showName(name);
        qCInfo(lcSettings) << "user renamed";
        NotificationCenter::defaultCenter().post(kUserNameChangedNotification, name);
    });
}

void MainSettingAccountAndSecurityPanel::loginOutAction()
{
    if (onLoginOutAction)
        onLoginOutAction(this);
}

void MainSettingAccountAndSecurityPanel::reloadData()
{
    m_shownDevices->setDevices(m_deviceArray);
}
