#pragma once

// The share picker's file list without a view: the service's file-list reply mapped and tested
// for change, the accepted extensions, what kind of file a row is, and the chooser's filter.

#include "agent/models/FileShareModel.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace ShareFileList {

enum class Kind { None, Document, Video, Audio };

struct State {
    // Whether the last reply had "files" (empty ones too): a list equal to it is not redrawn.
    bool hasFiles = false;
    QList<FileShareModel> networkingArray;
    // The rows as the service sent them, when it sent key-value lists that all mapped: a row sent
    // as before at the same end of the list is kept, not mapped again.
    QVariantList sentFiles;
    // What the last change of networkingArray kept: of the sizeBefore rows it had, the first
    // keptHead and the last keptTail stand as they were; only the rows between are new. edits
    // counts those changes, so a view knows whether it shows the list just before.
    qsizetype sizeBefore = 0, keptHead = 0, keptTail = 0;
    quint64 edits = 0;
    qsizetype converting = 0; // rows in state 2
    QList<SupportFileShareTypeModel> supportFileTypeArray;
    QString allowFileType, allowVideoType, allowAudioType; // lowercase, comma-separated
};

// Applies the data of a successful reply ({"files": [...], "fileTypes": [...]}, either as
// models or as key-value lists); true when the shown list must be redrawn.
bool apply(State &state, const QVariantMap &data);
// Any service row still uploading or converting (state 2)?
[[nodiscard]] bool anyConverting(const QList<FileShareModel> &rows);
[[nodiscard]] inline bool anyConverting(const State &state)
{
    return state.converting > 0;
}

// Document, video or audio by type code ("1", "2", "3") or by the type or the name's extension
// being part of the accepted lists, in that order.
[[nodiscard]] Kind kindOf(const QString &fileType, const QString &fileName, const State &state);
// The type code for the rights pop-over: each list that matches overwrites ("" when none).
[[nodiscard]] QString rightsTypeOf(const QString &fileType, const QString &fileName, const State &state);
// The extensions the chooser accepts, in list order; "pdf" alone without any.
[[nodiscard]] QStringList chooserTypes(const QList<SupportFileShareTypeModel> &types);
// Whether a chosen file may be uploaded: its extension is one of types, in any case. The chooser's
// filter is only an offer: a name typed into it passes it.
[[nodiscard]] bool acceptsUpload(const QString &fileName, const QStringList &types);
// What the user is told of a file refused before it is read.
[[nodiscard]] QString typeRefusal(const QString &fileName);

// What a row's actions hold, never its place in the list: a pending row by its time stamp (unique
// among the pending rows), a service row by its file id.
struct RowKey {
    bool pending = false;
    quint64 timeStamp = 0;
    QString fileId;
    bool operator==(const RowKey &) const = default;
};
[[nodiscard]] RowKey keyOf(const FileShareModel &row);

// What a pre-upload answer asks for, matched to the pending rows by identity: the files to send
// (an item whose row is gone is skipped, so files and ids stay paired), the rows the service
// holds already, and the refused rows with their "name:reason" texts.
struct PreUploadPlan {
    QStringList fileIds, identities;
    QSet<QString> held;
    QSet<QString> refused;
    QStringList refusals;
};
[[nodiscard]] PreUploadPlan planPreUpload(const QVariantList &items, const QList<FileShareModel> &pending);

// "<md5>_<fileName>_<timeStamp>".
[[nodiscard]] QString identity(const QString &md5, const QString &fileName, quint64 timeStamp);

} // namespace ShareFileList
