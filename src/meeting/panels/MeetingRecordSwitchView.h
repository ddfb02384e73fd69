#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class ApplicationServices;
class VeskButton;

// The host's meeting-record switches, two rows: "开启会议记录" (tag 100: meeting record on) and
// "允许参会人查看会议记录" (tag 101: participants may view it). The applications panel shows one
// above itself; the window keeps another for the share tool bar's menu.
class MeetingRecordSwitchView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 218;
    static constexpr int kOpenHeight = 60;   // meeting record on: both rows
    static constexpr int kClosedHeight = 35; // off: the first row
    static constexpr qint64 kOpenTranscribeTag = 100;
    static constexpr qint64 kAllowMemberViewRecordTag = 101;

    explicit MeetingRecordSwitchView(QWidget *parent = nullptr);

    // The boxes from the room's switches.
    void setSwitches(bool openTranslateText, bool roomTranscribeStatus);

    // Sends both boxes after a click on clicked (its state already the new one). The reply for
    // the second row sets the room's viewing switch with its toast; the one for the first row sets
    // nothing here and calls recordSwitched(on). A failure puts the clicked box back, without text.
    void sendSwitches(VeskButton *clicked, const std::shared_ptr<ApplicationServices> &services,
                      std::function<void(bool on)> recordSwitched);

    QPointer<VeskButton> openTranscribeCheckBtn;
    QPointer<VeskButton> allowMemberViewRecordBtn;
    // A box was clicked.
    std::function<void(VeskButton *box)> checkButtonClicked;
};
