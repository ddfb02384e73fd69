#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

// A host on a thread of its own that answers every request with a body without end and without a
// length, as fast as the connection takes it. It keeps sending while the client's main thread is
// busy, so what the client reads ahead shows in sent(): the host can send only as far as the
// client reads and the loopback's buffers hold.
class EndlessHost {
public:
    explicit EndlessHost(QByteArray contentType);
    ~EndlessHost();
    EndlessHost(const EndlessHost &) = delete;
    EndlessHost &operator=(const EndlessHost &) = delete;

    // Listens on 127.0.0.1, on a free port.
    bool start();
    [[nodiscard]] QString url(const QString &path) const;
    // Body bytes handed to the connections so far.
    [[nodiscard]] qint64 sent() const { return m_sent.load(); }
    [[nodiscard]] int requests() const { return m_requests.load(); }
    // Blocks the calling thread, as a main thread busy elsewhere, for up to ms or until the host
    // has sent more than bound meanwhile; returns what it sent meanwhile.
    qint64 sentWhileBlocking(qint64 bound, int ms) const;

private:
    void acceptLoop();
    void serve(int fd);

    const QByteArray m_contentType;
    int m_listen = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_sent{0};
    std::atomic<int> m_requests{0};
    std::thread m_acceptor;
    std::mutex m_mutex;
    std::vector<std::thread> m_connections; // guarded by m_mutex
};
