#pragma once

// What a shared audio/video file asks of the service and the signed-in user: the agent's in the
// app, a fake in tests that answers when told.

#include "connection/KVMResponse.h"

#include <QString>

#include <functional>
#include <memory>

class QObject;

class AvFileShareServices {
public:
    using Completion = std::function<void(const KVMResponse &response)>;

    virtual ~AvFileShareServices() = default;

    // type 2 play or resume, 3 pause, 4 seek; seekPosition in whole seconds. Answers on the main
    // thread, only while owner lives.
    virtual void play(QObject *owner, qint64 type, const QString &fileId, qint64 fileType, qint64 seekPosition,
                      Completion completion) = 0;
    // The sharer's report that playback has started.
    virtual void processStart(QObject *owner, const QString &fileId, Completion completion) = 0;
    // The own peer id as the engine's streams carry it (the encrypted phone number).
    [[nodiscard]] virtual QString myPeerId() const = 0;

    [[nodiscard]] static std::shared_ptr<AvFileShareServices> agent();
};
