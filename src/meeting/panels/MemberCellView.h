#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class MeetingMemberModel;
class QLabel;
class VeskButton;
class VeskMicrophoneIcon;

// A row of the simple attendee table: the name, a live microphone icon and the camera state. Its
// buttons show the member's state and change nothing.
class MemberCellView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 50;

    explicit MemberCellView(QWidget *parent = nullptr);

    void setModel(std::shared_ptr<MeetingMemberModel> model);
    [[nodiscard]] const std::shared_ptr<MeetingMemberModel> &model() const { return m_model; }

    void microphoneButtonAction();
    void cameraButtonAction();

    QPointer<QLabel> nameLabel;
    QPointer<VeskMicrophoneIcon> audioButton;
    QPointer<VeskButton> videoButton;

private:
    void showModel();

    std::shared_ptr<MeetingMemberModel> m_model;
};
