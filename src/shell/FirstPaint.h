#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

// What a window's first frame does not need (requests, checks, reading the clipboard) waits until
// the window has been painted once, so starting up shows the window first.
class FirstPaint final : public QObject {
    Q_OBJECT
public:
    // Runs work after the first paint of window has finished, while context lives.
    static void after(QWidget *window, QObject *context, std::function<void()> work);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    FirstPaint(QWidget *window, QObject *context, std::function<void()> work);

    QPointer<QWidget> m_window;
    QPointer<QObject> m_context;
    std::function<void()> m_work;
    bool m_painted = false;
};
