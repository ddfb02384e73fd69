#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// One running client per user: the first start listens on a local socket in the user's runtime
// folder; a later start finds it, asks it to come to the front and gives way. A socket file
// left by a crashed run answers nobody and is replaced.
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

    // "$XDG_RUNTIME_DIR/korvi-instance" (the temporary folder when there is no runtime folder).
    [[nodiscard]] static QString defaultSocketPath();

    Result acquire();
    [[nodiscard]] bool isPrimary() const { return m_server != nullptr; }
    [[nodiscard]] QString socketPath() const { return m_path; }

Q_SIGNALS:
    // A later start asked the running client to come to the front (main thread).
    void activationRequested();

private:
    // True when a running instance took the hand-over message.
    bool handOver();
    void onNewConnection();

    QString m_path;
    std::unique_ptr<QLocalServer> m_server;
};
