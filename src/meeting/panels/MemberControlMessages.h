#pragma once

// The host's four control messages to the members (microphone, camera, and whether members may
// open them themselves), as the member list and the host "more" panel send them.

#include "foundation/models/MeetingControlData.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace MemberControlMessages {

struct Message {
    qint64 type = 0;
    MeetingControlData data;
    std::optional<QString> message; // none, or a text (which may be empty)
    QStringList fields;             // the fields of data the message carries

    bool operator==(const Message &) const = default;
};

// peerId: "-1" for every member, else a phone number (encrypted ones are decrypted).
// Type 1: switchStatus 0 closes, 1 asks to open; "sender" my phone number.
[[nodiscard]] Message micControl(const QString &peerId, bool isClose);
// Type 803: as type 1 for cameras.
[[nodiscard]] Message cameraControl(const QString &peerId, bool isClose);
// Type 9: members may (1) or may not (0) open their microphones; "senderName" my name.
[[nodiscard]] Message allowOpenMic(const QString &peerId, bool notAllowOpenMic);
// Type 804: as type 9 for cameras.
[[nodiscard]] Message allowOpenCamera(const QString &peerId, bool notAllowOpenCamera);

// Sends through the meeting manager's channel (nothing outside a meeting).
void send(const Message &message);

void sendMicControlDataWithPeerId(const QString &peerId, bool isClose);
void sendCameraControlDataWithPeerId(const QString &peerId, bool isClose);
void sendAllowMemberOpenMicWithPeerId(const QString &peerId, bool notAllowOpenMic);
void sendAllowMemberOpenCameraWithPeerId(const QString &peerId, bool notAllowOpenCamera);

// Tests: while a scope lives, messages go to its sink instead of the channel.
class SinkScope final {
public:
    explicit SinkScope(std::function<void(const Message &)> sink);
    ~SinkScope();
    SinkScope(const SinkScope &) = delete;
    SinkScope &operator=(const SinkScope &) = delete;

private:
    std::function<void(const Message &)> m_previous;
};

} // namespace MemberControlMessages
