#pragma once

#include <QPoint>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>

// An X server of the test's own (Xvfb) with a window manager on it (openbox), for the tests that
// need one: started at the beginning of the process and stopped at its end, each by its process
// id. Nothing of the user's display is touched.
class X11Session final {
public:
    X11Session() = default;
    ~X11Session();
    X11Session(const X11Session &) = delete;
    X11Session &operator=(const X11Session &) = delete;

    // Starts Xvfb on a display it picks and openbox on it, and waits (bounded) until openbox
    // manages the screen. False, with why(), when either program is missing or does not come up.
    // A valid secondScreen adds a second X screen of that size (unmanaged).
    bool start(QSize screen, QSize secondScreen = {});
    // Stops openbox, then the server (terminate, then kill after a bound).
    void stop();

    [[nodiscard]] QString display() const { return m_display; } // ":N"
    [[nodiscard]] QString why() const { return m_why; }

    // Atom names of _NET_WM_STATE on an X window (empty when it has none).
    [[nodiscard]] QStringList windowState(unsigned long window) const;
    // Where an X window is on the screen, as the server has it now (a window manager's move of
    // the frame reaches Qt only later, if at all).
    [[nodiscard]] QPoint rootPosition(unsigned long window) const;
    // Whether a window manager announced itself on the root window.
    [[nodiscard]] bool windowManagerRunning() const;

private:
    bool fail(const QString &why);

    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_windowManager;
    QString m_display;
    QString m_why;
};
