// The meeting window's dispatch of channel messages and control commands, with the rules the
// window applies to what they carry (playback positions, seeks, notices, rings, host control).
#include "FuzzSupport.h"

#include "meeting/common/MeetingHostControlRules.h"
#include "meeting/common/MeetingWindowRules.h"
#include "meeting/window/dispatch/MeetingDispatchTarget.h"
#include "meeting/window/dispatch/MeetingMessageDispatch.h"
#include "meeting/window/dispatch/MeetingNoticeRules.h"

namespace {

// Applies the window's rules to every value a command hands over, as the window would.
class RulesTarget final : public MeetingDispatchTarget {
public:
    [[nodiscard]] QString myPhoneNumber() const override { return QStringLiteral("13800000000"); }
    // The host's number: its commands pass, anyone else's are dropped.
    [[nodiscard]] bool senderMayCommand(const QString &sender) const override
    {
        return sender == QLatin1String("13900000000") || sender == QLatin1String("mccServer");
    }
    // The sharer of a file on show, and the members listed: the rule reads any sender and list.
    [[nodiscard]] bool senderMayDriveSharedFile(const QString &sender,
                                                const MeetingHostControlRules::SharedFileEvent &event,
                                                const MeetingControlData &d) const override
    {
        MeetingHostControlRules::SharedFileOnShow shown{QStringLiteral("13700000000"), 2, d.enableUserList};
        return MeetingHostControlRules::sharedFileSenderAllowed(
            event.command, {sender, sender == QLatin1String("mccServer"), senderMayCommand(sender)}, shown);
    }
    void controlMic(const MeetingControlData &d) override { host(d); }
    void controlCamera(const MeetingControlData &d) override { host(d); }
    void playbackResync(const MeetingControlData &d) override { play(d.duration); }
    void playbackSought(const MeetingControlData &d) override
    {
        play(MeetingHostControlRules::seekSeconds(d.seekPosition));
    }
    void serverNotice(const IMMessage &m) override { (void)MeetingNoticeRules::serverNotice(m); }
    void ring(const IMMessage &m) override { (void)MeetingNoticeRules::ringAction(m, QStringLiteral("13800000000")); }
    // The rest carry nothing the window's rules read.
    [[nodiscard]] bool subtitlesShown() const override { return false; }
    void addChatLine(const MeetingMessageModel &) override {}
    void transcriptionItems(const IMMessage &) override {}
    void subtitleItems(const IMMessage &) override {}
    void transcriptionStatus(const IMMessage &) override {}
    void toastInMeeting(const QString &) override {}
    void toast(const QString &) override {}
    void controlScreenShare(const MeetingControlData &) override {}
    void transcriptionSwitched(const MeetingControlData &) override {}
    void allowOpenMic(const MeetingControlData &) override {}
    void allowSendIMMessage(const MeetingControlData &) override {}
    void assistantsChanged() override {}
    void roomLockChanged(bool) override {}
    void roomWaitChanged(bool) override {}
    void roomNameChanged(const QString &) override {}
    void playbackStarted() override {}
    void playbackResumed() override {}
    void playbackPaused() override {}
    void playbackEnded() override {}
    void fileShareStopped() override {}
    void fileShareStarted(const MeetingControlData &) override {}
    void countDownComming() override {}
    void countDownViewHadEnd() override {}
    void allowOpenCamera(const MeetingControlData &) override {}
    void documentShare(const MeetingControlData &) override {}
    void documentSwitched(const MeetingControlData &) override {}
    void documentFollow(const MeetingControlData &) override {}
    void uploadPermissionChanged(const MeetingControlData &) override {}
    void sharePermissionChanged(const MeetingControlData &) override {}
    void sharePermissionListChanged(const MeetingControlData &) override {}
    void fileRightsChanged(const MeetingControlData &) override {}

private:
    void play(qint64 seconds)
    {
        m_position = MeetingWindowRules::clampedPlaybackSeconds(seconds);
        FUZZ_CHECK(m_position >= 0);
        // A frame's SEI against the position a command set, as the render path compares them.
        for (const QString &sei : {QStringLiteral("0"), QString::number(seconds), QStringLiteral("4.6e18")})
            (void)MeetingWindowRules::seiPlaybackPosition(sei, seconds);
        (void)MeetingWindowRules::seiPlaybackPosition(QString::number(seconds), m_position);
    }
    void host(const MeetingControlData &d)
    {
        MeetingHostControlRules::Me me;
        me.phoneNumber = QStringLiteral("13800000000");
        (void)MeetingHostControlRules::micAction(d, me, {});
        (void)MeetingHostControlRules::cameraAction(d, me, {});
        (void)MeetingHostControlRules::requesterName(d, QStringLiteral("13900000000"));
    }
    qint64 m_position = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // type byte, then NUL-separated: sender, sender name, data elements.
    const QList<QByteArray> parts = FuzzInput::bytes(data + 1, size - 1).split('\0');
    IMMessage message;
    message.type = qint64(data[0] % 10);
    message.msgId = 1;
    message.sid = QStringLiteral("sid");
    message.sender = QString::fromUtf8(parts.value(0));
    message.senderName = QString::fromUtf8(parts.value(1));
    for (qsizetype i = 2; i < parts.size(); ++i)
        message.data << QString::fromUtf8(parts.at(i));
    RulesTarget target;
    MeetingMessageDispatch::dispatchMessage(message, target);
    MeetingMessageDispatch::dispatchControl(message, target);
    (void)MeetingMessageDispatch::chatLine(message);
    (void)MeetingNoticeRules::heartbeatAck(message);
    return 0;
}
