#pragma once

#include "foundation/models/MeetingDataModel.h"
#include "uikit/KVFlatView.h"
#include "uikit/QFFlatButton.h"

#include <QLabel>

class KVElidedLabel;
class KVMeetingIDLabel;

// The invitation card of one meeting: name, number, begin time, host, link, the password when
// there is one, and a button that copies the invitation.
class MeetingInviteView final : public KVFlatView {
    Q_OBJECT
public:
    // The panel's size with and without a password.
    static constexpr QSize kSizeWithPassword{494, 537};
    static constexpr QSize kSizeWithoutPassword{494, 473};

    explicit MeetingInviteView(QWidget *parent = nullptr);

    void setDataModel(const MeetingDataModel &model);
    [[nodiscard]] const MeetingDataModel &dataModel() const { return m_dataModel; }
    [[nodiscard]] static QSize panelSize(const MeetingDataModel &model);

    // Clears the clipboard, puts the invitation on it, tells the user and the home page.
    void copyInviteInfoAction();

    [[nodiscard]] KVElidedLabel *meetingNameLabel() const { return m_meetingNameLabel; }
    [[nodiscard]] KVMeetingIDLabel *meetingNumLabel() const { return m_meetingNumLabel; }
    [[nodiscard]] QLabel *meetingStartTimeLabel() const { return m_meetingStartTimeLabel; }
    [[nodiscard]] KVElidedLabel *meetingUserLabel() const { return m_meetingUserLabel; }
    [[nodiscard]] KVElidedLabel *meetingUrlLabel() const { return m_meetingUrlLabel; }
    [[nodiscard]] QLabel *passwordTitleLabel() const { return m_passwordTitleLabel; }
    [[nodiscard]] QLabel *passwordLabel() const { return m_passwordLabel; }
    [[nodiscard]] QFFlatButton *copyButton() const { return m_copyButton; }
    [[nodiscard]] int beginTimeTopConst() const { return m_beginTimeTopConst; }

private:
    MeetingDataModel m_dataModel;
    KVElidedLabel *m_meetingNameLabel;
    KVMeetingIDLabel *m_meetingNumLabel;
    QLabel *m_meetingStartTimeLabel;
    KVElidedLabel *m_meetingUserLabel;
    KVElidedLabel *m_meetingUrlLabel;
    QLabel *m_passwordTitleLabel;
    QLabel *m_passwordLabel;
    QFFlatButton *m_copyButton;
    int m_beginTimeTopConst = 24;
};
