#pragma once

#include "agent/MeetingActiveModel.h"
#include "agent/MeetingMemberModel.h"
#include "foundation/models/MeetingMemberShareStatusModel.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

// The member list -> tiles step of the meeting window, as plain code. build() may run on any
// thread: it reads the members and the inputs and writes nothing; the window applies the result
// on the main thread in one step.
namespace MemberPipeline {

using Tile = std::shared_ptr<MeetingActiveModel>;

inline const QString kShareEndedFormat = QStringLiteral("%1的共享已结束");

struct Input {
    MeetingMemberList members;
    int sharePermission = 0; // 0 everyone, 1 listed members, 2 hosts only
    QString creatorId;
    QSet<QString> assistantIds; // decrypted asssitantRecordArray
    QMap<QString, MeetingMemberShareStatusModel> sharePermissionInfo;
};

struct Result {
    MeetingMemberList allMembers;
    // Per member, in order: the new share permission, or nothing to keep the old one.
    QList<std::optional<bool>> sharePermission;
    QList<Tile> activeMembers; // the grid's tiles: every tile but the two taken out
    Tile screenShareSource;    // last screen-share tile, or null
    Tile avFileShareSource;    // last custom-video (file) tile, or null
    bool didOtherOpenCamera = false;
};

[[nodiscard]] std::optional<bool> sharePermissionFor(const MeetingMemberModel &member, const Input &in);
[[nodiscard]] Result build(const Input &in);

// Where the new tiles go once applied.
enum class Display { FloatingStrip, Grid, ShareViews };
[[nodiscard]] Display displayFor(bool selfScreenOrWindowSharing, int fileShareMode, bool screenShareFound);

// The toast when a remote file share has gone: empty when there is nothing to announce.
[[nodiscard]] QString shareEndedAnnouncement(const Tile &previousAvFileShare, bool fileTileFound,
                                             bool selfAVFileSharing);

// 216 x scale while there are tiles, else 0.
[[nodiscard]] double verticalStripWidth(qsizetype activeCount, double adjustScale);

} // namespace MemberPipeline
