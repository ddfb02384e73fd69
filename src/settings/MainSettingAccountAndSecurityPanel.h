#pragma once

#include "foundation/models/MeetingRecordDeviceModel.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

#include "agent/MainSettingModel.h"
#include "settings/KVDeviceManageCell.h"
#include "settings/MainSettingPanel.h"
#include "uikit/KVCustomButton.h"
#include "uikit/KVTextFieldView.h"

#include <QLabel>
#include <QListView>

// The account tab: the signed-in user's name, which the user may change under the name rules,
// the phone number, the devices that signed in to the account, and log out.
class MainSettingAccountAndSecurityPanel : public MainSettingPanel {
    Q_OBJECT
public:
    using Block = std::function<void(MainSettingAccountAndSecurityPanel *panel)>;

    static inline const QString kUserNameChangedNotification = QStringLiteral("kUserNameChangedNotification");
    static constexpr int kNameLimit = 20;

    explicit MainSettingAccountAndSecurityPanel(QWidget *parent = nullptr);

    [[nodiscard]] MainSettingModel *model() const override { return m_model; }
    // Shows the model's user and returns to showing the name (any editing ends).
    void setModel(MainSettingModel *model) override;

    // The login devices shown (the settings window fills them).
    [[nodiscard]] const QList<MeetingRecordDeviceModel> &deviceArray() const { return m_deviceArray; }
    void setDeviceArray(const QList<MeetingRecordDeviceModel> &devices) { m_deviceArray = devices; }
    void reloadData();

    // The modify button: the name goes into the field for editing.
    void modifyUserNameAction();
    // Asks the service to rename the user.
    void updateUserName(const QString &name);
    // The log-out button.
    void loginOutAction();
    Block onLoginOutAction;

    // The field's reports: every change runs the name check; the end of editing sends the name
    // when the check passed.
    void textDidChange(const QString &text);
    void textDidEndEditing(const QString &text);

    [[nodiscard]] bool isEditing() const { return m_editing; }
    [[nodiscard]] QLabel *userNameLabel() const { return m_userNameLabel; }
    [[nodiscard]] QLabel *phoneLabel() const { return m_phoneLabel; }
    [[nodiscard]] KVCustomButton *modifyButton() const { return m_modifyButton; }
    [[nodiscard]] KVTextFieldView *textFieldView() const { return m_textFieldView; }
    [[nodiscard]] QLabel *stateLabel() const { return m_stateLabel; }
    // The device list and what it shows.
    [[nodiscard]] QListView *collectionView() const { return m_collectionView; }
    [[nodiscard]] const KVDeviceListModel *shownDevices() const { return m_shownDevices; }
    [[nodiscard]] KVCustomButton *logOutButton() const { return m_logOutButton; }

private:
    void showName(const QString &name);

    QPointer<MainSettingModel> m_model;
    QList<MeetingRecordDeviceModel> m_deviceArray;
    bool m_editing = false;
    bool m_renaming = false;

    QPointer<QLabel> m_userNameLabel;
    QPointer<QLabel> m_phoneLabel;
    QPointer<KVCustomButton> m_modifyButton;
    QPointer<KVTextFieldView> m_textFieldView;
    QPointer<QLabel> m_stateLabel;
    QPointer<QListView> m_collectionView;
    QPointer<KVDeviceListModel> m_shownDevices;
    QPointer<KVCustomButton> m_logOutButton;
};
