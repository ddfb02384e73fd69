#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// One running client per user: the first start listens on a local socket in the user's runtime
// folder; a later start finds it, asks it to come to the front and gives way. A socket file
// left by a crashed run answers nobody and is replaced.
//
// Only the same user counts: the socket's folder is a private one (0700, owned by the user;
// another user's folder is refused), and a start hands over only to a listener of the same user
// id (SO_PEERCRED), so another user's socket can neither stop nor reach this client.
class SingleInstanceGuard final : public QObject {
    Q_OBJECT
public:
    enum class Result {
        Primary,    // this process runs the client
        HandedOver, // another instance runs and was asked to come to the front: exit
        Failed,     // neither listening nor reaching a running instance worked: run anyway
    };

    // socketPath empty: defaultSocketPath().
    explicit SingleInstanceGuard(QString socketPath = {}, QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    // "$XDG_RUNTIME_DIR/korvi-instance"; without a runtime folder of the user's own,
    // "<temporary folder>/korvi-<uid>/instance" in a private folder made (or checked) for it.
    // Empty when no private folder can be had (the guard then fails and the client runs).
    [[nodiscard]] static QString defaultSocketPath();

    Result acquire();
    [[nodiscard]] bool isPrimary() const { return m_server != nullptr; }
    [[nodiscard]] QString socketPath() const { return m_path; }

Q_SIGNALS:
    // A later start asked the running client to come to the front (main thread).
    void activationRequested();

private:
    enum class HandOver { Done, NobodyListens, OtherUser };
    HandOver handOver();
    void onNewConnection();

    QString m_path;
    std::unique_ptr<QLocalServer> m_server;
};
