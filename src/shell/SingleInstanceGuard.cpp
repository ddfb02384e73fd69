#include "shell/SingleInstanceGuard.h"

#include "shell/ShellLog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
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
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600))
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

// The folder is the user's own and private: made 0700, or found as a real folder (no link) of this
// user and set to 0700. Another user's folder in a shared place could hold a listener of theirs.
bool isPrivateFolder(const QString &path, bool create)
{
    const QByteArray native = QFile::encodeName(path);
    if (create && ::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        qCWarning(lcShell) << "single-instance guard: refusing" << path << "(not a folder of this user)";
        return false;
    }
    return (st.st_mode & 0777) == 0700 || ::chmod(native.constData(), 0700) == 0;
}

// The user id of the process at the other end of a local socket, or -1.
qint64 peerUid(qintptr descriptor)
{
    struct ucred cred {};
    socklen_t length = sizeof cred;
    if (descriptor < 0 || ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0)
        return -1;
    return qint64(cred.uid);
}

bool isSameUser(qintptr descriptor)
{
    return peerUid(descriptor) == qint64(::geteuid());
}
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
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime, false))
        return QDir(runtime).filePath(QStringLiteral("korvi-instance"));
    // The shared temporary folder itself would let another user listen first.
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("korvi-%1").arg(::geteuid()));
    if (!isPrivateFolder(own, true))
        return {};
    return QDir(own).filePath(QStringLiteral("instance"));
}

SingleInstanceGuard::HandOver SingleInstanceGuard::handOver()
{
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(kConnectMs))
        return HandOver::NobodyListens;
    if (!isSameUser(socket.socketDescriptor())) {
        qCWarning(lcShell) << "single-instance guard: the listener on" << m_path << "is another user's";
        socket.abort();
        return HandOver::OtherUser;
    }
    socket.write(kActivate);
    const bool sent = socket.waitForBytesWritten(kWriteMs);
    socket.disconnectFromServer();
    return sent ? HandOver::Done : HandOver::NobodyListens;
}

SingleInstanceGuard::Result SingleInstanceGuard::acquire()
{
    if (m_server)
        return Result::Primary;
    if (m_path.isEmpty())
        return Result::Failed;
    // Starts at the same moment take turns: otherwise each finds nobody answering, removes the
    // socket another has just made and listens too. The winner listens before it lets go, so the
    // next one hands over to it.
    Turn turn(m_path + QStringLiteral(".turn"));
    if (!turn.take(kTurnWaitMs))
        qCWarning(lcShell) << "single-instance guard: no turn after" << kTurnWaitMs << "ms; going ahead";
    switch (handOver()) {
    case HandOver::Done:
        qCInfo(lcShell) << "another instance is running; handed over";
        return Result::HandedOver;
    case HandOver::OtherUser:
        return Result::Failed; // neither give way to it nor remove its socket
    case HandOver::NobodyListens:
        break;
    }
    // Nobody answers: whatever is at the path is left over from a crashed run.
    QLocalServer::removeServer(m_path);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_path)) {
        // Another start may have won the race in between.
        if (handOver() == HandOver::Done)
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
        if (!isSameUser(socket->socketDescriptor())) {
            socket->abort();
            continue;
        }
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
