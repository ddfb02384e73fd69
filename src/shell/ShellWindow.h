#pragma once

#include <QWidget>

#include <functional>

// A top-level window of the shell (login, home, meeting): dark, tells its owner when the user
// closed it or when it became the active window, and offers the quit shortcut.
class ShellWindow final : public QWidget {
    Q_OBJECT
public:
    explicit ShellWindow(const QString &title, QWidget *parent = nullptr);

    // Runs after the user closed the window (not when the window manager hides it for a switch).
    std::function<void()> onClosedByUser;

Q_SIGNALS:
    void becameActive();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
};
