#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>

#include <functional>
#include <memory>

// A D-Bus daemon of the test's own (dbus-daemon --session on a private socket), stopped by its
// process id. Nothing of the user's session bus is touched.
class PrivateBus final {
public:
    ~PrivateBus();
    bool start();
    [[nodiscard]] QString address() const { return m_address; }
    [[nodiscard]] QString why() const { return m_why; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_daemon;
    QString m_address;
    QString m_why;
};

// The portal's session object: Close ends it.
class FakePortalSession final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Session")
public:
    explicit FakePortalSession(bool &closed) : m_closed(closed) {}
public Q_SLOTS:
    void Close() { m_closed = true; }

private:
    bool &m_closed;
};

// The desktop portal's screen cast as a compositor's portal answers it, on its own connection:
// the four calls with their real signatures, each request answered by a Response signal on the
// request's object, and the session's Close. What it is told to refuse it refuses.
class FakePortal final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.ScreenCast")
public:
    // Empty: every call succeeds. A method name: that call answers with a D-Bus error.
    QString refuseCall;
    // The Response code of Start: 0 chosen, 1 cancelled by the user, 2 other failure; it comes
    // startDelayMs after the call, as the user's answer in the dialog would; a negative delay
    // holds it until answerStart().
    uint startResponse = 0;
    int startDelayMs = 0;
    quint32 nodeId = 42;
    QString restoreToken;
    // The descriptor OpenPipeWireRemote hands out (-1: none).
    std::function<int()> openRemote;

    QStringList calls;
    QVariantMap selectOptions;
    bool sessionClosed = false;

    explicit FakePortal(QDBusConnection bus);
    ~FakePortal() override;

    // The portal ends the session itself (the desktop's own stop): its Closed signal.
    void closeSession();
    // Sends the held answer of Start (the user chose or cancelled now); false when none is held.
    bool answerStart();
    [[nodiscard]] bool startHeld() const { return bool(m_heldStart); }

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap &options, const QDBusMessage &message);
    QDBusObjectPath SelectSources(const QDBusObjectPath &session, const QVariantMap &options,
                                  const QDBusMessage &message);
    QDBusObjectPath Start(const QDBusObjectPath &session, const QString &parentWindow, const QVariantMap &options,
                          const QDBusMessage &message);
    QDBusUnixFileDescriptor OpenPipeWireRemote(const QDBusObjectPath &session, const QVariantMap &options,
                                               const QDBusMessage &message);

private:
    QDBusObjectPath answer(const QString &method, const QVariantMap &options, const QDBusMessage &message,
                           uint response, const QVariantMap &results, int delayMs = 0);
    bool refused(const QString &method, const QDBusMessage &message);

    QDBusConnection m_bus;
    std::function<void()> m_heldStart;
    FakePortalSession *m_session = nullptr;
    QString m_sessionPath;
};
