#pragma once

#include <QJsonArray>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A PipeWire daemon of the test's own (its own runtime folder and socket, no session manager)
// with one video source that behaves as a compositor's screen does (pipewire_test_source): a
// variable rate, a frame only when the picture changes, the node gone when the screen is. Both
// are stopped by their process ids.
class PrivatePipeWire final {
public:
    ~PrivatePipeWire();
    // False, with why(), when PipeWire or GStreamer's tools are missing or do not come up. The
    // source shows argb, still, until told otherwise.
    bool start(QSize size, quint32 argb);
    [[nodiscard]] QString why() const { return m_why; }
    [[nodiscard]] quint32 sourceNode() const { return m_node; }
    // The source node's name, and the folder of the daemon's socket (PIPEWIRE_RUNTIME_DIR).
    [[nodiscard]] static QString sourceName();
    [[nodiscard]] QString runtimeDir() const { return m_dir.path(); }
    // The picture changes n times a second from now on (0: it stays still).
    void setRate(int n);
    // The picture changes once now.
    void changeOnce();
    // The screen goes: its node is removed.
    void removeSource();
    // A new connection to the daemon, as the portal hands one out; -1 when refused.
    [[nodiscard]] int connect() const;
    // Links the source to the node named consumer once it exists (no session manager here does
    // that); false while it does not.
    bool link(const QString &consumer) const;
    // Whether the node named consumer is running (its link made and its format agreed).
    [[nodiscard]] bool running(const QString &consumer) const;
    // For a failure's message: whether the source runs, both nodes' states and the links'.
    [[nodiscard]] QString describe(const QString &consumer) const;

private:
    [[nodiscard]] QProcessEnvironment environment() const;
    [[nodiscard]] QJsonArray objects() const;
    void tell(const QByteArray &command);
    bool fail(const QString &why);

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_daemon;
    std::unique_ptr<QProcess> m_source;
    quint32 m_node = 0;
    QString m_why;
};
