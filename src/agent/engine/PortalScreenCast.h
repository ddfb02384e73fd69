#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

#include <functional>

class QDBusMessage;

// One screen cast through the desktop portal (org.freedesktop.portal.ScreenCast): a session,
// the portal's own dialog for a screen or a window, then the PipeWire remote to read it from.
// Every step answers through the portal's Request objects; main thread only. The session is
// closed when the object goes away; the portal may close it first (the desktop's own stop).
class PortalScreenCast final : public QObject {
    Q_OBJECT
public:
    struct Started {
        QDBusUnixFileDescriptor remote; // a connection to the PipeWire daemon
        quint32 nodeId = 0;             // the stream's node on it
        QString restoreToken;           // lets the next cast skip the dialog; empty when none
    };

    explicit PortalScreenCast(QDBusConnection bus, QObject *parent = nullptr);
    ~PortalScreenCast() override;

    // Asks for a screen or a window (the user chooses in the portal's dialog, or the portal
    // restores the earlier choice from restoreToken). Later, onStarted runs once the cast is
    // ready, or onEnded when it fails; onEnded also runs, once, when the portal closes a
    // started cast's session.
    void start(const QString &restoreToken, std::function<void(const Started &)> onStarted,
               std::function<void(const QString &why)> onEnded);

private Q_SLOTS:
    void onResponse(const QDBusMessage &message);
    void onSessionClosed();

private:
    enum class Step { Idle, CreateSession, SelectSources, Start, OpenRemote, Done };
    void request(Step step, const QString &method, QVariantList arguments, QVariantMap options);
    void watchRequest(const QString &path);
    void openRemote(const QVariantMap &results);
    void fail(const QString &why);
    void watchSession(const QString &path);

    QDBusConnection m_bus;
    Step m_step = Step::Idle;
    QString m_requestPath;
    QString m_session;
    QString m_restoreToken;
    std::function<void(const Started &)> m_onStarted;
    std::function<void(const QString &)> m_onEnded;
    Started m_started;
};
