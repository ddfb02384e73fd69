#pragma once

#include <QProcess>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A PipeWire daemon of the test's own (its own runtime folder and socket, no session manager)
// with one test video source, as a compositor would offer a screen: GStreamer's videotestsrc in
// one solid colour into pipewiresink. Both are stopped by their process ids.
class PrivatePipeWire final {
public:
    ~PrivatePipeWire();
    // False, with why(), when PipeWire or GStreamer's tools are missing or do not come up.
    bool start(QSize size, quint32 argb);
    [[nodiscard]] QString why() const { return m_why; }
    [[nodiscard]] quint32 sourceNode() const { return m_node; }
    // A new connection to the daemon, as the portal hands one out; -1 when refused.
    [[nodiscard]] int connect() const;
    // Links the source to the node named consumer once it exists (no session manager here does
    // that); false while it does not.
    bool link(const QString &consumer) const;

private:
    [[nodiscard]] QProcessEnvironment environment() const;
    bool fail(const QString &why);

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_daemon;
    std::unique_ptr<QProcess> m_source;
    quint32 m_node = 0;
    QString m_why;
};
