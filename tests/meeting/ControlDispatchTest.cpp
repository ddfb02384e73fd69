// The control-command table: every event code reaches its handler and nothing else, the notice
// line rule with its exceptions, and commands the window must not choke on.

#include "DispatchTestSupport.h"

#include "foundation/RXEncrypt.h"
#include "meeting/window/dispatch/MeetingMessageDispatch.h"

#include <gtest/gtest.h>

namespace {

using MeetingMessageDispatch::dispatchControl;

struct Row {
    qint64 event;
    QStringList calls;
};

TEST(ControlDispatch, EveryEventCodeReachesItsHandlerOnly)
{
    const QList<Row> table = {
        {1, {"controlMic"}},
        {2, {}},
        {3, {}},
        {4, {"controlScreenShare"}},
        {5, {"transcriptionSwitched"}},
        {6, {}},
        {8, {}},
        {9, {"allowOpenMic"}},
        {10, {"allowSendIMMessage"}},
        {11, {}},
        {12, {"assistantsChanged"}},
        {13, {"roomLockChanged 1"}},
        {14, {"roomWaitChanged 1"}},
        {201, {"roomNameChanged 新名字"}},
        {203, {"toastInMeeting 新名字"}},
        {266, {"playbackResync"}},
        {701, {"playbackStarted"}},
        {702, {"playbackResumed"}},
        {703, {"playbackPaused"}},
        {704, {"playbackSought"}},
        {705, {"playbackEnded"}},
        {706, {"fileShareStopped"}},
        {707, {"fileShareStarted"}},
        {708, {}},
        {709, {"playbackEnded"}},
        {801, {"countDownComming"}},
        {802, {"toastInMeeting 主持人已停止计时", "countDownViewHadEnd"}},
        {803, {"controlCamera"}},
        {804, {"allowOpenCamera"}},
        {901, {"documentShare"}},
        {902, {"documentSwitched"}},
        {903, {"documentFollow"}},
        {904, {}},
        {907, {}},
        {910, {}},
        {911, {"uploadPermissionChanged"}},
        {912, {"sharePermissionChanged"}},
        {913, {"sharePermissionListChanged"}},
        // A rights change is not a playback resync.
        {914, {"fileRightsChanged"}},
        {0, {}},
        {15, {}},
        {999, {}},
    };
    for (const Row &row : table) {
        RecordingDispatchTarget target;
        // The events that use the text for themselves never echo it; the others echo nothing
        // here because the text is only given to the four that need it.
        const bool ownText = row.event == 201 || row.event == 203;
        dispatchControl(
            controlMessage(row.event, {{"switchStatus", 1}}, ownText ? QStringLiteral("新名字") : QString()), target);
        EXPECT_EQ(target.calls, row.calls) << "event " << row.event;
    }
}

TEST(ControlDispatch, HandlersGetTheCommandDataWithTheChannelSender)
{
    RecordingDispatchTarget target;
    dispatchControl(controlMessage(1, {{"peerId", "-1"}, {"switchStatus", 0}}, {}, "sender-id", "李四"), target);
    ASSERT_EQ(target.data.size(), 1);
    EXPECT_EQ(target.data[0].peerId, QStringLiteral("-1"));
    EXPECT_EQ(target.data[0].sender, QStringLiteral("sender-id"));
    EXPECT_EQ(target.data[0].senderName, QStringLiteral("李四"));

    // "data" may itself arrive as JSON text.
    RecordingDispatchTarget textual;
    IMMessage m = controlMessage(803);
    m.data = QStringList{jsonText({{"event", 803}, {"data", jsonText({{"peerId", "13800000000"}})}})};
    dispatchControl(m, textual);
    ASSERT_EQ(textual.data.size(), 1);
    EXPECT_EQ(textual.data[0].peerId, QStringLiteral("13800000000"));
}

TEST(ControlDispatch, ForbidChatCarriesTheTextAsForbidMessageAndShowsNoNotice)
{
    RecordingDispatchTarget target;
    dispatchControl(controlMessage(10, {{"switchStatus", 1}}, QStringLiteral("主持人已开启全员禁言")), target);
    EXPECT_EQ(target.calls, QStringList{"allowSendIMMessage"});
    EXPECT_EQ(target.data[0].imForbidMsg, QStringLiteral("主持人已开启全员禁言"));
}

TEST(ControlDispatch, LockAndWaitingRoomFollowSwitchStatus)
{
    RecordingDispatchTarget target;
    dispatchControl(controlMessage(13, {{"switchStatus", 0}}), target);
    dispatchControl(controlMessage(14, {{"switchStatus", 0}}), target);
    EXPECT_EQ(target.calls, (QStringList{"roomLockChanged 0", "roomWaitChanged 0"}));
}

TEST(ControlDispatch, NoticeLineComesFirstThenTheHandler)
{
    RecordingDispatchTarget target;
    dispatchControl(controlMessage(1, {{"peerId", "-1"}}, QStringLiteral("主持人关闭了全员麦克风")), target);
    EXPECT_EQ(target.calls, (QStringList{"addChatLine 4", "controlMic"}));
    const MeetingMessageModel &line = target.lines.first();
    EXPECT_EQ(line.messageString, QStringLiteral("主持人关闭了全员麦克风"));
    EXPECT_EQ(line.phoneNumber, QStringLiteral("13900000000"));
    EXPECT_EQ(line.userName, QStringLiteral("主持人"));
    EXPECT_EQ(line.msgId, 42);
}

TEST(ControlDispatch, NoNoticeForEmptyNullPauseNoteOrTheFourTextEvents)
{
    for (const QString &text :
         {QString(), QStringLiteral(""), QStringLiteral("null"), QStringLiteral("对方已暂停共享")}) {
        RecordingDispatchTarget target;
        dispatchControl(controlMessage(13, {{"switchStatus", 1}}, text), target);
        EXPECT_EQ(target.calls, QStringList{"roomLockChanged 1"}) << text.toStdString();
    }
    for (qint64 event : {10, 201, 202, 203}) {
        RecordingDispatchTarget target;
        dispatchControl(controlMessage(event, {}, QStringLiteral("文字")), target);
        EXPECT_FALSE(target.calls.contains("addChatLine 4")) << event;
    }
    // The pause note with anything added is an ordinary notice.
    RecordingDispatchTarget target;
    dispatchControl(controlMessage(13, {}, QStringLiteral("对方已暂停共享。")), target);
    EXPECT_EQ(target.calls.first(), QStringLiteral("addChatLine 4"));
}

TEST(ControlDispatch, ChatCarriedAsCommandIsAChatLineWithItsText)
{
    RecordingDispatchTarget target;
    dispatchControl(controlMessage(202, {{"message", "大家好"}}, QStringLiteral("sid-9")), target);
    ASSERT_EQ(target.lines.size(), 1);
    EXPECT_EQ(target.lines[0].messageType, MeetingMessageModel::Chat);
    EXPECT_EQ(target.lines[0].messageString, QStringLiteral("大家好"));
    EXPECT_EQ(target.lines[0].type, 202);
    EXPECT_FALSE(target.lines[0].messageString.contains(QLatin1Char('{')));

    // Text only in the command's message.
    RecordingDispatchTarget second;
    dispatchControl(controlMessage(202, {}, QStringLiteral("你好")), second);
    ASSERT_EQ(second.lines.size(), 1);
    EXPECT_EQ(second.lines[0].messageString, QStringLiteral("你好"));

    // Without text nothing is shown.
    RecordingDispatchTarget empty;
    dispatchControl(controlMessage(202), empty);
    EXPECT_TRUE(empty.calls.isEmpty());
}

TEST(ControlDispatch, DataNoticeToastOnlyWithText)
{
    RecordingDispatchTarget target;
    dispatchControl(controlMessage(264, {{"message", "文件已删除"}}), target);
    dispatchControl(controlMessage(264, {}), target);
    dispatchControl(controlMessage(203, {}, QString()), target);
    EXPECT_EQ(target.calls, QStringList{"toast 文件已删除"});
}

TEST(ControlDispatch, RefusedMicRequestToastsOnlyTheRequester)
{
    RecordingDispatchTarget target;
    dispatchControl(controlMessage(7, {{"peerId", "13800000000"}}, {}, "x", "王五"), target);
    dispatchControl(controlMessage(7, {{"peerId", RXEncrypt::aes128ecbEncrypt("13800000000")}}, {}, "x", "王五"),
                    target);
    dispatchControl(controlMessage(7, {{"peerId", "13700000000"}}, {}, "x", "王五"), target);
    EXPECT_EQ(target.calls,
              (QStringList{"toastInMeeting 王五拒绝了您的开麦请求", "toastInMeeting 王五拒绝了您的开麦请求"}));

    RecordingDispatchTarget signedOut;
    signedOut.phone.clear();
    dispatchControl(controlMessage(7, {{"peerId", ""}}), signedOut);
    EXPECT_TRUE(signedOut.calls.isEmpty());
}

TEST(ControlDispatch, HostCommandsOnlyFromTheServiceHostsAndAssistants_ChatFromAnyone)
{
    RecordingDispatchTarget target;
    target.commanders = {"13900000000", "mccServer"};
    const QList<qint64> hostOnly{1, 4, 5, 9, 10, 13, 14, 801, 802, 803, 804, 911, 912, 913};
    for (const qint64 event : hostOnly) {
        EXPECT_TRUE(MeetingMessageDispatch::isHostCommand(event)) << event;
        dispatchControl(controlMessage(event, {{"peerId", "-1"}}, QStringLiteral("通知"), "13700000000", "成员"),
                        target);
    }
    EXPECT_TRUE(target.calls.isEmpty()) << target.calls.join(", ").toStdString(); // not even the notice line
    dispatchControl(controlMessage(13, {{"switchStatus", 1}}, {}, "13900000000", "主持人"), target);
    dispatchControl(controlMessage(802, {}, {}, "mccServer", {}), target);
    EXPECT_EQ(target.calls,
              (QStringList{"roomLockChanged 1", "toastInMeeting 主持人已停止计时", "countDownViewHadEnd"}));

    // What members send to each other passes.
    target.calls.clear();
    dispatchControl(controlMessage(202, {{"message", "你好"}}, {}, "13700000000", "成员"), target);
    EXPECT_EQ(target.calls, QStringList{"addChatLine 3"});
}

TEST(ControlDispatch, DocumentAndFileEventsOnlyFromThoseWhoMayDriveTheFile_ElseDroppedWithTheirNotice)
{
    RecordingDispatchTarget target;
    target.fileDrivers = {"mccServer", "13700000001"};
    const QList<qint64> shared{266, 701, 702, 703, 704, 705, 706, 707, 708, 709, 901, 902, 903, 914};
    for (const qint64 event : shared)
        dispatchControl(controlMessage(event, {{"sharedFileStatus", 1}, {"sequenceId", 5}}, QStringLiteral("通知"),
                                       "13700000009", "成员"),
                        target);
    EXPECT_TRUE(target.calls.isEmpty()) << target.calls.join(", ").toStdString();

    dispatchControl(controlMessage(903, {{"sequenceId", 5}}, {}, "13700000001", "共享者"), target);
    dispatchControl(controlMessage(707, {{"fileId", "f"}}, {}, "mccServer", {}), target);
    EXPECT_EQ(target.calls, (QStringList{"documentFollow", "fileShareStarted"}));
}

TEST(ControlDispatch, MessagesWithoutACommandAreDropped)
{
    RecordingDispatchTarget target;
    IMMessage m = controlMessage(1);
    m.data.clear();
    dispatchControl(m, target);
    for (const QString &payload : {QStringLiteral(""), QStringLiteral("not json"), QStringLiteral("[1,2]"),
                                   QStringLiteral("12"), QStringLiteral("{\"event\":")}) {
        m.data = QStringList{payload};
        dispatchControl(m, target);
    }
    EXPECT_TRUE(target.calls.isEmpty());
}

} // namespace
