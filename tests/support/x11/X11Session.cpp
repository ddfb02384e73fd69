#include "X11Session.h"

#include <QDeadlineTimer>
#include <QStandardPaths>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// Bounds for programs that start outside the test (not timers of the code under test).
constexpr int kStartBoundMs = 15000;
constexpr int kStopBoundMs = 5000;

// An Xlib connection for one question.
class Connection final {
public:
    explicit Connection(const QString &display) : m_display(XOpenDisplay(display.toLocal8Bit().constData())) {}
    ~Connection()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    [[nodiscard]] Display *get() const { return m_display; }

private:
    Display *m_display;
};

void stopProcess(std::unique_ptr<QProcess> &process)
{
    if (!process)
        return;
    if (process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(kStopBoundMs)) {
            process->kill();
            process->waitForFinished(kStopBoundMs);
        }
    }
    process.reset();
}

} // namespace

X11Session::~X11Session()
{
    stop();
}

bool X11Session::fail(const QString &why)
{
    m_why = why;
    stop();
    return false;
}

bool X11Session::start(QSize screen, QSize secondScreen)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (xvfb.isEmpty())
        return fail(QStringLiteral("Xvfb is not installed"));
    if (openbox.isEmpty())
        return fail(QStringLiteral("openbox is not installed"));

    // Xvfb picks a free display itself and writes its number to stdout (-displayfd 1), so tests
    // running side by side never share one.
    m_server = std::make_unique<QProcess>();
    m_server->setProcessChannelMode(QProcess::SeparateChannels);
    QStringList arguments{QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                          QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height()),
                          QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                          // A probe closing its connection must not reset the server under openbox.
                          QStringLiteral("-noreset")};
    if (secondScreen.isValid())
        arguments << QStringLiteral("-screen") << QStringLiteral("1")
                  << QStringLiteral("%1x%2x24").arg(secondScreen.width()).arg(secondScreen.height());
    m_server->start(xvfb, arguments);
    if (!m_server->waitForStarted(kStartBoundMs))
        return fail(QStringLiteral("Xvfb does not start"));
    QByteArray number;
    const QDeadlineTimer serverBound(kStartBoundMs);
    while (!number.contains('\n')) {
        if (serverBound.hasExpired() || m_server->state() == QProcess::NotRunning)
            return fail(QStringLiteral("Xvfb gave no display"));
        m_server->waitForReadyRead(100);
        number += m_server->readAllStandardOutput();
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    // The number can come a moment before the server takes connections.
    while (!Connection(m_display).get()) {
        if (serverBound.hasExpired() || m_server->state() == QProcess::NotRunning)
            return fail(QStringLiteral("Xvfb takes no connections on %1").arg(m_display));
        m_server->waitForFinished(20);
    }

    m_windowManager = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    m_windowManager->setProcessEnvironment(env);
    m_windowManager->setProcessChannelMode(QProcess::MergedChannels);
    m_windowManager->start(openbox, {QStringLiteral("--sm-disable")});
    if (!m_windowManager->waitForStarted(kStartBoundMs))
        return fail(QStringLiteral("openbox does not start"));
    const QDeadlineTimer managerBound(kStartBoundMs);
    while (!windowManagerRunning()) {
        if (managerBound.hasExpired() || m_windowManager->state() == QProcess::NotRunning)
            return fail(QStringLiteral("openbox does not manage the screen: %1")
                            .arg(QString::fromLocal8Bit(m_windowManager->readAll()).trimmed()));
        // Waits a little and notices an openbox that ended.
        m_windowManager->waitForFinished(20);
    }
    return true;
}

void X11Session::stop()
{
    stopProcess(m_windowManager);
    stopProcess(m_server);
}

bool X11Session::windowManagerRunning() const
{
    const Connection connection(m_display);
    Display *dpy = connection.get();
    if (!dpy)
        return false;
    const Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None)
        return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    const bool found = XGetWindowProperty(dpy, DefaultRootWindow(dpy), check, 0, 1, False, XA_WINDOW, &type, &format,
                                          &count, &after, &data) == Success &&
                       count == 1;
    if (data)
        XFree(data);
    return found;
}

QPoint X11Session::rootPosition(unsigned long window) const
{
    const Connection connection(m_display);
    Display *dpy = connection.get();
    if (!dpy)
        return {};
    int x = 0;
    int y = 0;
    Window child = None;
    XTranslateCoordinates(dpy, Window(window), DefaultRootWindow(dpy), 0, 0, &x, &y, &child);
    return {x, y};
}

QStringList X11Session::windowState(unsigned long window) const
{
    QStringList names;
    const Connection connection(m_display);
    Display *dpy = connection.get();
    if (!dpy)
        return names;
    const Atom state = XInternAtom(dpy, "_NET_WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(dpy, Window(window), state, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data) ==
            Success &&
        data) {
        const auto *atoms = reinterpret_cast<const Atom *>(data);
        for (unsigned long i = 0; i < count; ++i) {
            if (char *name = XGetAtomName(dpy, atoms[i])) {
                names << QString::fromLatin1(name);
                XFree(name);
            }
        }
    }
    if (data)
        XFree(data);
    return names;
}
