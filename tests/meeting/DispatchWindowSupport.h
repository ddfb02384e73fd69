#pragma once

// The meeting window joined against the stand-in, with scripted device checks, for the tests of
// the own devices, host control, the tool bar and the control commands end to end.

#include "DispatchTestSupport.h"
#include "MeetingTestSupport.h"

#include "meeting/common/MeetingBottomButton.h"
#include "meeting/window/dispatch/MeetingDeviceCheck.h"

#include <chrono>

using namespace std::chrono_literals;
using Event = MeetingControlEvent;

inline const QString kConfigPath = QStringLiteral("/qf/meeting/control/123456789/member/config");

class DispatchWindowTest : public MeetingTest {
protected:
    void SetUp() override
    {
        MeetingTest::SetUp();
        checks = std::make_unique<MeetingDeviceCheck::OverrideScope>(
            [this](MeetingDeviceCheck::Completion done) {
                ++micChecks;
                MainQueue::async([done, r = micAnswer] { done(r); });
            },
            [this](MeetingDeviceCheck::Completion done) {
                ++cameraChecks;
                MainQueue::async([done, r = cameraAnswer] { done(r); });
            });
    }
    void TearDown() override
    {
        checks.reset();
        MeetingTest::TearDown();
    }

    // Signed in (as the host when host is set) and in the room.
    MeetingViewController *join(bool host = false, const QString &myName = QStringLiteral("张三"))
    {
        if (host)
            signIn(kHostPhone, myName);
        else
            signIn(kMyPhone, myName);
        addRoom(kHostPhone);
        page = openJoinedPage();
        QObject::connect(page, &MeetingViewController::singleMessageAdded, &context,
                         [this](const MeetingMessageModel &line) { lines << line; });
        return page;
    }

    [[nodiscard]] std::shared_ptr<MeetingInfoModel> room() const { return manager()->roomInfo(); }

    // micStatus / cameraStatus values the window reported to the service, in order.
    [[nodiscard]] QStringList reports(const QString &key) const
    {
        QStringList out;
        for (const DevRequest &r : service.requestsFor(kConfigPath)) {
            if (r.json.contains(key))
                out << r.json.value(key).toString();
        }
        return out;
    }

    [[nodiscard]] QString tipText() const { return ::tipText(page ? page->view() : nullptr); }

    // Clicks a tool-bar toggle as the user does and lets the device check answer.
    void click(QAbstractButton *button)
    {
        button->click();
        ASSERT_TRUE(settleRequests());
    }

    // Opens the microphone from the tool bar and waits until it is on.
    void openMicFromButton()
    {
        click(page->ui->microphoneBtn);
        ASSERT_TRUE(processEventsUntil([&] { return page->ownDevices().isMicOn() && engine().microphoneOpen(); }));
        ASSERT_TRUE(processEventsUntil([&] { return reports(QStringLiteral("micStatus")).size() == 1; }));
    }

    void receive(const IMMessage &message)
    {
        page->receiveMessage(message);
        ASSERT_TRUE(settleRequests());
    }

    qint64 micAnswer = 0;
    qint64 cameraAnswer = 0;
    int micChecks = 0;
    int cameraChecks = 0;
    QPointer<MeetingViewController> page;
    QList<MeetingMessageModel> lines;
    std::unique_ptr<MeetingDeviceCheck::OverrideScope> checks;
};
