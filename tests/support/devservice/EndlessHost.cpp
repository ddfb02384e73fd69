#include "EndlessHost.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int kPollMs = 20;
} // namespace

EndlessHost::EndlessHost(QByteArray contentType) : m_contentType(std::move(contentType)) {}

EndlessHost::~EndlessHost()
{
    m_stop = true;
    if (m_acceptor.joinable())
        m_acceptor.join();
    std::vector<std::thread> connections;
    {
        const std::lock_guard lock(m_mutex);
        connections.swap(m_connections);
    }
    for (std::thread &t : connections)
        t.join();
    if (m_listen >= 0)
        ::close(m_listen);
}

bool EndlessHost::start()
{
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listen, reinterpret_cast<sockaddr *>(&address), length) != 0 || ::listen(m_listen, 8) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return false;
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
    return true;
}

QString EndlessHost::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

qint64 EndlessHost::sentWhileBlocking(qint64 bound, int ms) const
{
    const qint64 before = sent();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end && sent() - before <= bound)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return sent() - before;
}

void EndlessHost::acceptLoop()
{
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0)
            continue;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        const std::lock_guard lock(m_mutex);
        m_connections.emplace_back([this, fd] { serve(fd); });
    }
}

void EndlessHost::serve(int fd)
{
    // The request's head, then the answer's, then pieces until the client goes or the host stops.
    QByteArray request;
    char buffer[4096];
    while (!m_stop && !request.contains("\r\n\r\n")) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0)
            continue;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            ::close(fd);
            return;
        }
        request.append(buffer, n);
    }
    ++m_requests;
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: " + m_contentType + "\r\nConnection: close\r\n\r\n";
    bool open = ::send(fd, head.constData(), size_t(head.size()), MSG_NOSIGNAL) == head.size();
    const QByteArray piece(64 * 1024, 'x');
    while (open && !m_stop) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, kPollMs) <= 0)
            continue;
        if (p.revents & (POLLERR | POLLHUP))
            break;
        const ssize_t n = ::send(fd, piece.constData(), size_t(piece.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0)
            m_sent += n;
        else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            open = false;
    }
    ::close(fd);
}
