#include "shell/SingleInstanceGuard.h"

#include "shell/ShellLog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
const QByteArray kActivate = QByteArrayLiteral("activate\n");
// Local sockets answer at once; these bound a peer that accepted but hangs.
constexpr int kConnectMs = 1000;
constexpr int kWriteMs = 1000;
constexpr int kTurnWaitMs = 3000;

// The turn of one start: an advisory lock on a file beside the socket. The system lets go of it
// when its holder ends, however it ends, so it never goes stale; and taking it writes nothing, so
// a start never waits for the disk.
class Turn final {
public:
    explicit Turn(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
    }
    ~Turn()
    {
        if (m_fd >= 0)
            ::close(m_fd); // lets go of the lock
    }
    Turn(const Turn &) = delete;
    Turn &operator=(const Turn &) = delete;

    bool take(int waitMs)
    {
        if (m_fd < 0)
            return false;
        QElapsedTimer waited;
        waited.start();
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || waited.elapsed() >= waitMs)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

private:
    int m_fd;
};
} // namespace

SingleInstanceGuard::SingleInstanceGuard(QString socketPath, QObject *parent)
    : QObject(parent), m_path(socketPath.isEmpty() ? defaultSocketPath() : std::move(socketPath))
{
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_server)
        m_server->close(); // removes the socket file
}

QString SingleInstanceGuard::defaultSocketPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir(dir).filePath(QStringLiteral("korvi-instance"));
}

bool SingleInstanceGuard::handOver()
{
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(kConnectMs))
        return false;
    socket.write(kActivate);
    const bool sent = socket.waitForBytesWritten(kWriteMs);
    socket.disconnectFromServer();
    return sent;
}

SingleInstanceGuard::Result SingleInstanceGuard::acquire()
{
    if (m_server)
        return Result::Primary;
    // Starts at the same moment take turns: otherwise each finds nobody answering, removes the
    // socket another has just made and listens too. The winner listens before it lets go, so the
    // next one hands over to it.
    Turn turn(m_path + QStringLiteral(".turn"));
    if (!turn.take(kTurnWaitMs))
        qCWarning(lcShell) << "single-instance guard: no turn after" << kTurnWaitMs << "ms; going ahead";
    if (handOver()) {
        qCInfo(lcShell) << "another instance is running; handed over";
        return Result::HandedOver;
    }
    // Nobody answers: whatever is at the path is left over from a crashed run.
    QLocalServer::removeServer(m_path);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_path)) {
        // Another start may have won the race in between.
        if (handOver())
            return Result::HandedOver;
        qCWarning(lcShell) << "single-instance guard cannot listen on" << m_path << server->errorString();
        return Result::Failed;
    }
    connect(server.get(), &QLocalServer::newConnection, this, &SingleInstanceGuard::onNewConnection);
    m_server = std::move(server);
    qCInfo(lcShell) << "single-instance guard listening on" << m_path;
    return Result::Primary;
}

void SingleInstanceGuard::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QPointer<QLocalSocket> weak(socket);
        auto readMessage = [this, weak] {
            if (!weak || !weak->canReadLine())
                return;
            const QByteArray line = weak->readLine();
            weak->disconnectFromServer();
            if (line == kActivate)
                Q_EMIT activationRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, readMessage);
        readMessage(); // the message may already be there
    }
}
