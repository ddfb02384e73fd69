#pragma once

#include "VeskScreenRecordDelegate.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

// Records the primary screen with the pointer and the first microphone into an MP4 file
// (H.264 and AAC, on GStreamer) in "ScreenRecord" under the client's data folder. Driven from
// the main thread; reports reach the delegate on the main thread. Each recording builds its own
// pipeline and tears it down, so a start after a stop records again; a recorder destroyed
// while it records finishes its file first.
class VeskScreenRecord final : public QObject {
    Q_OBJECT
public:
    explicit VeskScreenRecord(QObject *parent = nullptr);
    ~VeskScreenRecord() override;

    // The delegate must outlive the recorder or be cleared first.
    void setDelegate(VeskScreenRecordDelegate *delegate) { m_delegate = delegate; }
    [[nodiscard]] VeskScreenRecordDelegate *delegate() const { return m_delegate; }
    [[nodiscard]] bool isRecord() const { return m_isRecord; }

    // Builds the pipeline for the next recording; false when there is no microphone or an
    // element is missing.
    bool createCaptureSession();
    // Starts a recording, or reports recordFail: with "". Does nothing while recording.
    void start();
    // Ends the file; recordSuccess: follows once it is complete. Does nothing when idle.
    void stop();

    // Where recordings go ("<data folder>/ScreenRecord" unless set).
    void setFolder(const QString &folder) { m_folder = folder; }
    [[nodiscard]] QString folder() const;
    // The file of the running (or last) recording.
    [[nodiscard]] QString filePath() const { return m_filePath; }

private:
    struct Pipeline;
    void onBusMessage(int kind, const QString &text);
    void sendEndWhenPlaying();
    void teardown();
    [[nodiscard]] QString nextFilePath() const;

    VeskScreenRecordDelegate *m_delegate = nullptr;
    bool m_isRecord = false;
    bool m_stopping = false;
    bool m_eosSent = false;
    QString m_folder;
    QString m_filePath;
    std::unique_ptr<Pipeline> m_pipeline;
};
