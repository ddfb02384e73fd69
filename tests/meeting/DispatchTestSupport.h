#pragma once

// A dispatch target that records every call as "name arg", for the table tests of the message
// and control dispatchers.

#include "meeting/common/MeetingCodes.h"
#include "meeting/window/dispatch/MeetingDispatchTarget.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QStringList>

class RecordingDispatchTarget final : public MeetingDispatchTarget {
public:
    QStringList calls;
    QList<MeetingMessageModel> lines;
    QList<MeetingControlData> data;
    QString phone = QStringLiteral("13800000000");
    bool subtitles = false;

    [[nodiscard]] QString myPhoneNumber() const override { return phone; }
    [[nodiscard]] bool subtitlesShown() const override { return subtitles; }
    // Senders that may give host commands; empty: everyone (the tables test what a command does).
    QStringList commanders;
    [[nodiscard]] bool senderMayCommand(const QString &sender) const override
    {
        return commanders.isEmpty() || commanders.contains(sender);
    }

    // Senders that may drive the shared file on show; empty: everyone.
    QStringList fileDrivers;
    [[nodiscard]] bool senderMayDriveSharedFile(const QString &sender, const MeetingHostControlRules::SharedFileEvent &,
                                                const MeetingControlData &) const override
    {
        return fileDrivers.isEmpty() || fileDrivers.contains(sender);
    }

    void addChatLine(const MeetingMessageModel &line) override
    {
        lines << line;
        calls << QStringLiteral("addChatLine %1").arg(line.messageType);
    }
    void transcriptionItems(const IMMessage &) override { calls << QStringLiteral("transcriptionItems"); }
    void subtitleItems(const IMMessage &) override { calls << QStringLiteral("subtitleItems"); }
    void serverNotice(const IMMessage &) override { calls << QStringLiteral("serverNotice"); }
    void transcriptionStatus(const IMMessage &) override { calls << QStringLiteral("transcriptionStatus"); }
    void ring(const IMMessage &) override { calls << QStringLiteral("ring"); }
    void toastInMeeting(const QString &text) override { calls << QStringLiteral("toastInMeeting ") + text; }
    void toast(const QString &text) override { calls << QStringLiteral("toast ") + text; }
    void controlMic(const MeetingControlData &d) override { record(QStringLiteral("controlMic"), d); }
    void controlScreenShare(const MeetingControlData &d) override { record(QStringLiteral("controlScreenShare"), d); }
    void transcriptionSwitched(const MeetingControlData &d) override
    {
        record(QStringLiteral("transcriptionSwitched"), d);
    }
    void allowOpenMic(const MeetingControlData &d) override { record(QStringLiteral("allowOpenMic"), d); }
    void allowSendIMMessage(const MeetingControlData &d) override { record(QStringLiteral("allowSendIMMessage"), d); }
    void assistantsChanged() override { calls << QStringLiteral("assistantsChanged"); }
    void roomLockChanged(bool locked) override { calls << QStringLiteral("roomLockChanged %1").arg(locked); }
    void roomWaitChanged(bool on) override { calls << QStringLiteral("roomWaitChanged %1").arg(on); }
    void roomNameChanged(const QString &name) override { calls << QStringLiteral("roomNameChanged ") + name; }
    void playbackResync(const MeetingControlData &d) override { record(QStringLiteral("playbackResync"), d); }
    void playbackStarted() override { calls << QStringLiteral("playbackStarted"); }
    void playbackResumed() override { calls << QStringLiteral("playbackResumed"); }
    void playbackPaused() override { calls << QStringLiteral("playbackPaused"); }
    void playbackSought(const MeetingControlData &d) override { record(QStringLiteral("playbackSought"), d); }
    void playbackEnded() override { calls << QStringLiteral("playbackEnded"); }
    void fileShareStopped() override { calls << QStringLiteral("fileShareStopped"); }
    void fileShareStarted(const MeetingControlData &d) override { record(QStringLiteral("fileShareStarted"), d); }
    void countDownComming() override { calls << QStringLiteral("countDownComming"); }
    void countDownViewHadEnd() override { calls << QStringLiteral("countDownViewHadEnd"); }
    void controlCamera(const MeetingControlData &d) override { record(QStringLiteral("controlCamera"), d); }
    void allowOpenCamera(const MeetingControlData &d) override { record(QStringLiteral("allowOpenCamera"), d); }
    void documentShare(const MeetingControlData &d) override { record(QStringLiteral("documentShare"), d); }
    void documentSwitched(const MeetingControlData &d) override { record(QStringLiteral("documentSwitched"), d); }
    void documentFollow(const MeetingControlData &d) override { record(QStringLiteral("documentFollow"), d); }
    void uploadPermissionChanged(const MeetingControlData &d) override
    {
        record(QStringLiteral("uploadPermissionChanged"), d);
    }
    void sharePermissionChanged(const MeetingControlData &d) override
    {
        record(QStringLiteral("sharePermissionChanged"), d);
    }
    void sharePermissionListChanged(const MeetingControlData &d) override
    {
        record(QStringLiteral("sharePermissionListChanged"), d);
    }
    void fileRightsChanged(const MeetingControlData &d) override { record(QStringLiteral("fileRightsChanged"), d); }

private:
    void record(const QString &name, const MeetingControlData &d)
    {
        calls << name;
        data << d;
    }
};

// A control command message as the channel carries it.
inline IMMessage controlMessage(qint64 event, const QJsonObject &data = {}, const QString &message = {},
                                const QString &sender = QStringLiteral("13900000000"),
                                const QString &senderName = QStringLiteral("主持人"))
{
    QJsonObject command{{QStringLiteral("event"), event}, {QStringLiteral("data"), data}};
    if (!message.isNull())
        command.insert(QStringLiteral("message"), message);
    IMMessage m;
    m.type = qint64(MeetingMessageType::Control);
    m.msgId = 42;
    m.sid = QStringLiteral("sid-1");
    m.sender = sender;
    m.senderName = senderName;
    m.data = QStringList{QString::fromUtf8(QJsonDocument(command).toJson(QJsonDocument::Compact))};
    return m;
}

inline IMMessage controlMessage(MeetingControlEvent event, const QJsonObject &data = {}, const QString &message = {},
                                const QString &sender = QStringLiteral("13900000000"),
                                const QString &senderName = QStringLiteral("主持人"))
{
    return controlMessage(qint64(event), data, message, sender, senderName);
}

inline QString jsonText(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}
