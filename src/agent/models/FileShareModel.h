#pragma once

#include "foundation/models/FileSliceModel.h"
#include "foundation/models/VeskModel.h"

#include <QMetaType>
#include <QString>
#include <QUrl>
#include <QVariantList>

// File type codes of every file model and request.
namespace FileShareType {
inline const QString Document = QStringLiteral("1");
inline const QString Video = QStringLiteral("2");
inline const QString Audio = QStringLiteral("3");
} // namespace FileShareType

// Who may operate a shared file (page, scroll, play, pause, seek).
namespace FileShareRights {
// enableOperationFileStatus: 1 host, assistant hosts and the sharer; 2 the listed members;
// -1 not given (the stored value applies).
inline constexpr qint32 HostsAndSharer = 1;
inline constexpr qint32 ListedMembers = 2;
inline constexpr qint32 NotGiven = -1;

// What the rule needs to know about the signed-in user right now.
struct Facts {
    bool isHost = false;
    bool isAssistantHost = false;
    bool sharesDocument = false;
    bool sharesAudioVideo = false;
    QString myPhoneNumber; // plain
};
// Facts from the agent and the meeting manager.
[[nodiscard]] Facts currentFacts();
// The rule for rights other than NotGiven: YES or NO.
[[nodiscard]] bool decide(qint32 enableOperationFileStatus, const QVariantList &enableUserList, const Facts &facts);
} // namespace FileShareRights

// One file of the room's file list (uploaded or uploading), or the audio/video file being shared.
struct FileShareModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString userId MEMBER userId)
    Q_PROPERTY(QString userName MEMBER userName)
    Q_PROPERTY(QString roomId MEMBER roomId)
    Q_PROPERTY(QString fileId MEMBER fileId)
    Q_PROPERTY(QString fileName MEMBER fileName)
    Q_PROPERTY(QString fileType MEMBER fileType)
    Q_PROPERTY(QString fileSize MEMBER fileSize)
    Q_PROPERTY(QString identity MEMBER identity)
    Q_PROPERTY(QString createTime MEMBER createTime)
    Q_PROPERTY(qint64 duration MEMBER duration)
    Q_PROPERTY(qint32 status READ status WRITE setStatus)
    Q_PROPERTY(qint64 state MEMBER state)
    Q_PROPERTY(qint32 enableOperationFileStatus MEMBER enableOperationFileStatus)
    Q_PROPERTY(QVariantList enableUserList MEMBER enableUserList)
    Q_PROPERTY(quint64 timeStamp MEMBER timeStamp)

public:
    QString userId; // uploader's id as sent (encrypted), or the sharer's peer id
    QString userName;
    QString roomId;
    QString fileId;
    QString fileName;
    QString fileType; // FileShareType
    QString fileSize; // the service's size text
    QString identity; // local upload key "<md5>_<fileName>_<timeStamp>"
    QString createTime;
    qint64 duration = 0; // seconds
    qint64 state = 0;    // 0 uploading (local row), 1 ready, 2 converting, 3 conversion failed, 4 upload failed
    qint32 enableOperationFileStatus = FileShareRights::NotGiven;
    QVariantList enableUserList; // [{"userId": encrypted phone number, ...}]
    QUrl fileURL;                // local rows only
    quint64 filesize = 0;        // local size in bytes
    quint64 timeStamp = 0;       // upload start, ms since 1970
    bool isSelected = false;
    bool processStartEnable = false;

    // 1 ready, 2 in upload or conversion, 3 conversion failed, 4 upload failed.
    [[nodiscard]] qint32 status() const { return m_status; }
    // Mirrors 1 to 4 into `state`; other values leave `state` alone.
    void setStatus(qint32 status);

    // Computed on every read and stored (see FileShareRights); with rights NotGiven the stored
    // value is returned unchanged.
    bool userCanControl();
    void setUserCanControl(bool can) { m_userCanControl = can; }

    friend bool operator==(const FileShareModel &, const FileShareModel &) = default;

private:
    qint32 m_status = 0;
    bool m_userCanControl = false;
};

// A document or audio/video file that is or was shared in the meeting, with its pages.
struct FileShareDatailModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString userId MEMBER userId)
    Q_PROPERTY(QString userName MEMBER userName)
    Q_PROPERTY(QString roomId MEMBER roomId)
    Q_PROPERTY(QString fileId MEMBER fileId)
    Q_PROPERTY(QString fileName MEMBER fileName)
    Q_PROPERTY(QString fileType MEMBER fileType)
    Q_PROPERTY(qint64 duration MEMBER duration)
    Q_PROPERTY(qint32 sliceCount MEMBER sliceCount)
    Q_PROPERTY(QList<FileSliceModel> sliceInfo MEMBER sliceInfo)
    Q_PROPERTY(qint32 enableOperationFileStatus MEMBER enableOperationFileStatus)
    Q_PROPERTY(QVariantList enableUserList MEMBER enableUserList)

public:
    QString userId;
    QString userName;
    QString roomId;
    QString fileId;
    QString fileName;
    QString fileType;
    qint64 duration = 0;
    qint32 sliceCount = 0;
    QList<FileSliceModel> sliceInfo;
    qint32 enableOperationFileStatus = 0; // no rights given: nobody operates it
    QVariantList enableUserList;

    bool userCanControl();
    void setUserCanControl(bool can) { m_userCanControl = can; }

private:
    bool m_userCanControl = false;
};

// One class of file the service accepts for sharing ("fileTypes" of the file-list reply).
struct SupportFileShareTypeModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(QString classify MEMBER classify)
    Q_PROPERTY(QString classifyName MEMBER classifyName)
    Q_PROPERTY(QString type MEMBER type)

public:
    QString classify;     // "video", "audio", or a document class
    QString classifyName; // display name
    QString type;         // accepted extensions, comma-separated

    friend bool operator==(const SupportFileShareTypeModel &, const SupportFileShareTypeModel &) = default;
};

Q_DECLARE_METATYPE(FileShareModel)
Q_DECLARE_METATYPE(FileShareDatailModel)
Q_DECLARE_METATYPE(SupportFileShareTypeModel)
