#pragma once

// What the share control asks of the service, the meeting manager, the room and the signed-in
// user. The application's answers come from the agent; tests install a fake that answers when
// told.

#include "connection/KVMResponse.h"
#include "foundation/models/DesktopCaptureSnapshotModel.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

struct FileShareDatailModel;
struct FileShareModel;

class ShareControlServices {
public:
    using Completion = std::function<void(const KVMResponse &response)>;
    // Pending: the desktop asks the user first (the portal's dialog); the window hears when it
    // runs or that it never did.
    enum class StartResult { Started, Pending, Refused };

    virtual ~ShareControlServices() = default;

    // ---- The service: answers on the main thread, only while owner lives ---------------------
    // A release and the stops reach the service even when their owner goes at once.
    // The reply's data is a ShareTokenModel.
    virtual void getShareLock(QObject *owner, Completion completion) = 0;
    virtual void releaseShareLock(QObject *owner, Completion completion) = 0;
    // data: [{"userId", "userName", "roomId", "allowShareStatus"}].
    virtual void queryAllowShareMemberList(QObject *owner, Completion completion) = 0;
    virtual void stopFileShare(QObject *owner, const FileShareDatailModel &document, Completion completion) = 0;
    virtual void stopAVFileShare(QObject *owner, const FileShareModel &file, Completion completion) = 0;
    // The lock was refused: one remote error line.
    virtual void logShareLockFailure(const QString &message) = 0;
    // The picker opens on a granted lock: the operation log and the share statistics.
    virtual void logShareStarted() = 0;

    // ---- The room and the user ----------------------------------------------------------------
    [[nodiscard]] virtual bool allowFileShared() const = 0;
    [[nodiscard]] virtual bool isHost() const = 0;
    [[nodiscard]] virtual bool asssitantHost() const = 0;
    [[nodiscard]] virtual QString myPhoneNumber() const = 0;
    [[nodiscard]] virtual QString creatorId() const = 0;
    [[nodiscard]] virtual QString creatorName() const = 0;

    // ---- The meeting manager ------------------------------------------------------------------
    [[nodiscard]] virtual bool selfScreenOrWindowSharing() const = 0;
    virtual void setSelfScreenOrWindowSharing(bool on) = 0;
    [[nodiscard]] virtual bool selfFileSharing() const = 0;
    virtual void setSelfFileSharing(bool on) = 0;
    [[nodiscard]] virtual bool selfAVFileSharing() const = 0;
    virtual void setSelfAVFileSharing(bool on) = 0;
    [[nodiscard]] virtual bool shareStyleIsFile() const = 0;
    [[nodiscard]] virtual QList<DesktopCaptureSnapshotModel> fetchDesktopScreenSnapshots() const = 0;
    [[nodiscard]] virtual QList<DesktopCaptureSnapshotModel> fetchDesktopWidowSnapshots() const = 0;
    virtual StartResult startDesktopShare(const DesktopCaptureSnapshotModel &candidate) = 0;
    virtual void stopDesktopShare() = 0;

    // ---- The desktop --------------------------------------------------------------------------
    // Whether the screen may be recorded (X11 has no such permission: YES).
    [[nodiscard]] virtual bool screenCapturePermitted() const = 0;

    // The agent's and the current meeting manager's answers.
    [[nodiscard]] static std::shared_ptr<ShareControlServices> agent();
};
