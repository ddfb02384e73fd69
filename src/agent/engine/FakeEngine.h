#pragma once

#include "KRTCEngineFactory.h"
#include "KRTCEngineOC.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// A scriptable engine for tests: records every call with its arguments, answers joinRoom as
// scripted, and lets the test emit any event from the thread it likes (the delegate is called
// on the emitting thread, as the real engine calls from its own threads).
class FakeEngine final : public KRTCEngineOC {
public:
    struct Call {
        QString name;
        QVariantList args;
    };

    explicit FakeEngine(KRTCEngineConfig config = {});
    ~FakeEngine() override;

    // --- recorded calls (thread-safe) ---
    [[nodiscard]] QList<Call> calls() const;
    [[nodiscard]] QStringList callNames() const;
    [[nodiscard]] int callCount(const QString &name) const;
    // The last call of that name; an empty Call (name "") when there was none.
    [[nodiscard]] Call lastCall(const QString &name) const;
    void clearCalls();

    // --- scripting ---
    // How joinRoom answers: Queued (default) emits onJoinRoomResult and, on success,
    // onRoomEvent(SelfJoined, own peer id) on the main thread after the call returns;
    // Immediate emits them inside joinRoom; Manual emits nothing (call emitJoinRoomResult).
    enum class JoinMode { Queued, Immediate, Manual };
    void setJoinMode(JoinMode mode);
    void setJoinResult(bool success, int code = 0, const QString &message = {});
    // Integer result of every later call of that method (default 0).
    void setResult(const QString &method, int result);
    void setDeviceNames(int kind, const QStringList &names);
    void setScreenSources(const QList<KRTCDesktopSource> &sources);
    void setWindowSources(const QList<KRTCDesktopSource> &sources);

    // --- state the calls left behind ---
    [[nodiscard]] bool hasDelegate() const;
    [[nodiscard]] KRTCJoinAuthority lastJoinAuthority() const;
    [[nodiscard]] KRTCJoinConfig lastJoinConfig() const;
    [[nodiscard]] KRTCScreenOption lastScreenOption() const;
    [[nodiscard]] KRTCCameraOption lastCameraOption() const;
    [[nodiscard]] KRTCAudioOption lastAudioOption() const;
    [[nodiscard]] bool microphoneOpen() const;
    [[nodiscard]] bool cameraPublished() const;
    [[nodiscard]] bool previewing() const;
    [[nodiscard]] bool screenSharing() const;

    // --- events: each calls the delegate on the calling thread ---
    void emitJoinRoomResult(bool success, int code = 0, const QString &message = {});
    void emitRoomEvent(int eventCode, const QString &peerId);
    void emitMemberJoined(const QString &peerId, const QString &userName);
    void emitMemberLeft(const QString &peerId);
    void emitStreamPublished(const QString &peerId, qint64 sourceType, bool hasAudio, bool hasVideo);
    void emitStreamUnpublished(const QString &peerId, qint64 sourceType);
    void emitRenderFrame(const QString &peerId, const KRTCVideoFrame &frame, qint64 sourceType);
    void emitSpeakerVolumeChange(const QString &levelPeerId, bool mic, int volume);
    void emitStatistics(const KRTCStatistics &stats);
    void emitReconnecting();
    void emitReconnected();
    void emitReconnectFailed();
    void emitVideoOverLimit();
    void emitAudioOverLimit();
    void emitMemberOverLimit();
    void emitScreenShareFinished(int reason);

    // Runs fn on a new std::thread and waits for it (emit from a "foreign" engine thread).
    static void onForeignThread(const std::function<void()> &fn);

    // --- KRTCEngineOC ---
    [[nodiscard]] KRTCEngineConfig config() const override;
    void setDelegate(std::weak_ptr<KRTCEngineDelegate> delegate) override;
    int joinRoom(const KRTCJoinAuthority &authority, const KRTCJoinConfig &config) override;
    int leaveRoom() override;
    [[nodiscard]] bool isInRoom() const override;
    int openMicrophone(const KRTCAudioOption &option) override;
    int closeMicrophone() override;
    int startPreview(const KRTCCameraOption &option) override;
    int stopPreview() override;
    int publishCamera(const KRTCCameraOption &option) override;
    int unpublishCamera() override;
    int enableSpeaker(bool enable) override;
    int previewMirror(bool mirror) override;
    int pushStreamMirror(bool mirror) override;
    int muteVideo(const QString &peerId, qint64 videoSourceType, bool enable) override;
    int setPlayStreamVideoType(const QString &peerId, qint64 sourceType, int videoType) override;
    int switchDevice(int kind, const QString &deviceName) override;
    [[nodiscard]] QStringList deviceNames(int kind) const override;
    int startScreenSharing(const KRTCScreenOption &option) override;
    int stopScreenSharing() override;
    [[nodiscard]] QList<KRTCDesktopSource> screenSources(QSize thumbnailSize) const override;
    [[nodiscard]] QList<KRTCDesktopSource> windowSources(QSize thumbnailSize) const override;
    void resetBackgroundReplacement() override;

private:
    friend class FakeEngineScope;
    int record(const QString &name, QVariantList args);
    [[nodiscard]] std::shared_ptr<KRTCEngineDelegate> delegate() const;
    void deliverJoinAnswer();

    struct State;
    std::unique_ptr<State> d;
    std::shared_ptr<int> m_alive; // queued answers check it
};

// Makes KRTCEngineFactory hand out FakeEngines for the life of a scope and keeps track of the
// latest one (nullptr once its owner destroyed it). Main thread.
class FakeEngineScope final {
public:
    FakeEngineScope();
    ~FakeEngineScope();
    FakeEngineScope(const FakeEngineScope &) = delete;
    FakeEngineScope &operator=(const FakeEngineScope &) = delete;

    [[nodiscard]] FakeEngine *engine() const;
    [[nodiscard]] int createdCount() const;
    // Applied to each engine as it is created (e.g. to set a join mode).
    std::function<void(FakeEngine &)> onCreate;

private:
    struct Tracker;
    std::shared_ptr<Tracker> m_tracker;
    std::unique_ptr<KRTCEngineFactory::ScopedCreator> m_creator;
};

// Takes over KRTCEngineOC::analyzePerformance for the life of a scope: records each call's
// arguments and answers with answerCode at once, or keeps the callback until answer() when
// answerCode is unset. Main thread; answer() may be called from any thread.
class FakeAnalyzeScope final {
public:
    struct Request {
        QString appId;
        QString userId;
        QString userName;
        QString logDirectory;
    };

    FakeAnalyzeScope();
    ~FakeAnalyzeScope(); // puts the default handler back
    FakeAnalyzeScope(const FakeAnalyzeScope &) = delete;
    FakeAnalyzeScope &operator=(const FakeAnalyzeScope &) = delete;

    std::optional<int> answerCode = 0;

    [[nodiscard]] QList<Request> requests() const;
    [[nodiscard]] int waitingCount() const;
    // Answers the oldest waiting call on the calling thread; false when none waits.
    bool answer(int code);

private:
    struct State;
    std::shared_ptr<State> d;
};
