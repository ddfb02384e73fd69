#pragma once

#include "VeskScreenRecordDelegate.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class KVTimer;
class PortalScreenCast;

// Records the primary screen with the pointer and the first microphone into an MP4 file
// (H.264 and AAC, on GStreamer) in "ScreenRecord" under the client's data folder. In a Wayland
// session (the desktop capture goes through the portal) the screen is the one the desktop portal's
// dialog gives, read from its PipeWire node; recordStart: follows the user's choice. Driven from
// the main thread; reports reach the delegate on the main thread. Each recording builds its own
// pipeline and tears it down, so a start after a stop records again; a recorder destroyed
// while it records finishes its file first. The meeting window's tests put a fake recorder in its place.
class VeskScreenRecord : public QObject {
    Q_OBJECT
public:
    explicit VeskScreenRecord(QObject *parent = nullptr);
    ~VeskScreenRecord() override;

    // The delegate must outlive the recorder or be cleared first.
    void setDelegate(VeskScreenRecordDelegate *delegate) { m_delegate = delegate; }
    [[nodiscard]] VeskScreenRecordDelegate *delegate() const { return m_delegate; }
    [[nodiscard]] virtual bool isRecord() const { return m_isRecord; }

    // Builds the pipeline for the next recording; false when there is no microphone or an
    // element is missing.
    bool createCaptureSession();
    // Records through the desktop portal on bus (the default in a Wayland session).
    void usePortal(const QDBusConnection &bus) { m_portalBus = bus; }
    // Starts a recording, or reports recordFail: with "". Does nothing while recording.
    virtual void start();
    // Ends the file; recordSuccess: follows once it is complete. Does nothing when idle.
    virtual void stop();

    // Where recordings go ("<data folder>/ScreenRecord" unless set).
    void setFolder(const QString &folder) { m_folder = folder; }
    [[nodiscard]] QString folder() const;
    // The file of the running (or last) recording.
    [[nodiscard]] QString filePath() const { return m_filePath; }

private:
    struct Pipeline;
    // screen: the pipeline's screen source (ximagesrc, or pipewiresrc on the portal's node).
    bool buildPipeline(const QString &screen);
    void startThroughPortal(const QDBusConnection &bus);
    void endPortal(const QString &why);
    // Plays the built pipeline into the next file; offThread where starting may wait (PipeWire).
    void record(bool offThread);
    void onBusMessage(int kind, const QString &text);
    void sendEndWhenPlaying();
    // Finishes the file once the portal's PipeWire screen stops (its node went without the
    // session closing: the portal went away), or the sound would fill its queues and be lost.
    void watchScreen();
    void teardown();
    [[nodiscard]] QString nextFilePath() const;

    VeskScreenRecordDelegate *m_delegate = nullptr;
    bool m_isRecord = false;
    bool m_stopping = false;
    bool m_eosSent = false;
    QString m_folder;
    QString m_filePath;
    std::optional<QDBusConnection> m_portalBus;
    std::unique_ptr<PortalScreenCast> m_cast; // while the portal's dialog is open
    QDBusUnixFileDescriptor m_remote;         // the portal's PipeWire connection, while recording
    std::unique_ptr<Pipeline> m_pipeline;
    QPointer<KVTimer> m_screenWatch;
};
