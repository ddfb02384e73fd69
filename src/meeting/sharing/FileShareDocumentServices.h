#pragma once

// What the shared-document view asks of the service, the meeting manager, the room and the
// signed-in user. The application's answers come from the agent; tests install a fake that
// answers when told.

#include "connection/KVMResponse.h"
#include "foundation/models/FileSharedResp.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class FileShareDocumentServices {
public:
    using Completion = std::function<void(const KVMResponse &response)>;

    struct Me {
        QString userId;
        QString phoneNumber; // plain
        QString userName;
        bool host = false;
        bool assistantHost = false;
    };

    virtual ~FileShareDocumentServices() = default;

    // ---- The service: answers on the main thread, only while owner lives ---------------------
    // Sends a position record (compact JSON) of the shown document to the room.
    virtual void flipOver(QObject *owner, const QString &orderStatus, const QString &fileId, Completion completion) = 0;
    // data: the document with its pages (a map as the service sends it).
    virtual void queryFileSliceUrl(QObject *owner, const QString &fileId, Completion completion) = 0;
    // data: the room's shared files (a list of maps).
    virtual void queryAllShareFileInfo(QObject *owner, Completion completion) = 0;
    // Loads the page images ahead of their display.
    virtual void prefetch(const QStringList &urls) = 0;

    // ---- The user, the room and the meeting manager -------------------------------------------
    [[nodiscard]] virtual Me me() const = 0;
    // The room's running document share as the room info holds it.
    [[nodiscard]] virtual FileSharedResp runningShare() const = 0;
    [[nodiscard]] virtual bool selfFileSharing() const = 0;
    virtual void setSelfFileSharing(bool on) = 0;
    [[nodiscard]] virtual bool selfScreenOrWindowSharing() const = 0;

    // The agent's and the current meeting manager's answers.
    [[nodiscard]] static std::shared_ptr<FileShareDocumentServices> agent();
};
