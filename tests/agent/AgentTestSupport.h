#pragma once

// The agent against the stand-in service over loopback: a DevService on a free port, the agent
// reset and pointed at it (development environment with KORVI_DEV_PORT).

#include "agent/VeskAppAgent.h"
#include "connection/KVMResponse.h"
#include "devservice/DevService.h"
#include "devservice/DevServiceTestUtil.h"
#include "fixtures/StandInAgent.h"
#include "foundation/UserDefaults.h"
#include "foundation/models/MeetingDataModel.h"
#include "foundation/models/MeetingInfoModel.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

class AgentServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service.start(0));
        VeskAppAgent::resetSharedInstance();
        agent = VeskAppAgent::sharedInstance();
        // A user stored by an earlier test of the same process must not sign this one in.
        agent->logout();
        pointAgentAtStandIn(agent, service.port());
    }

    void TearDown() override
    {
        VeskAppAgent::resetSharedInstance();
        qunsetenv("KORVI_DEV_PORT");
    }

    using Call = std::function<void(VeskAppAgent::Completion)>;

    // Runs a call and waits for its completion.
    KVMResponse run(const Call &call)
    {
        // Shared: a completion that comes after the wait has given up must find it alive.
        auto result = std::make_shared<std::optional<KVMResponse>>();
        call([result](const KVMResponse &r) { *result = r; });
        EXPECT_TRUE(processEventsUntil([&] { return result->has_value(); })) << "no completion";
        return result->value_or(KVMResponse::failure(-1, QStringLiteral("no completion")));
    }

    KVMResponse signIn(const QString &phone)
    {
        return run([&](auto done) { agent->loginWithPhoneNumber(&owner, phone, QStringLiteral("123456"), done); });
    }

    // A scheduled meeting of the signed-in user; returns its room id.
    QString createMeeting(const std::function<void(MeetingDataModel &)> &adjust = {})
    {
        MeetingDataModel meeting = MeetingDataModel::defaultModel();
        meeting.roomName = QStringLiteral("周会");
        if (adjust)
            adjust(meeting);
        const KVMResponse r = run([&](auto done) { agent->createOrUpdateMeeting(&owner, meeting, done); });
        EXPECT_TRUE(r.successed) << r.message.toStdString();
        return r.dataMap().value(QStringLiteral("roomId")).toString();
    }

    KVMResponse enter(const QString &roomId, const QString &password = {})
    {
        return run([&](auto done) { agent->joinMeetingRoomWithRoomId(&owner, roomId, password, 0, done); });
    }

    // Signs in as the host, creates a meeting and enters it; returns the room id.
    QString hostInRoom(const QString &phone = QStringLiteral("13800000001"))
    {
        EXPECT_TRUE(signIn(phone).successed);
        const QString roomId = createMeeting();
        EXPECT_TRUE(enter(roomId).successed);
        return roomId;
    }

    // A second user's session with the stand-in, without the agent (plain state).
    DevUser &otherUser(const QString &phone, const QString &name)
    {
        return service.state().addUser(phone, phone, name, QStringLiteral("token-") + phone);
    }

    DevService service;
    VeskAppAgent *agent = nullptr;
    QObject owner;
};
