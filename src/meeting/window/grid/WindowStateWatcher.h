#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <functional>

// The window-delegate calls the grid needs, from Qt events: the window going into or out of full
// screen and its live resizes. Follows whichever window holds the watched view.
class WindowStateWatcher final : public QObject {
    Q_OBJECT
public:
    explicit WindowStateWatcher(QWidget *view, QObject *parent = nullptr);

    std::function<void()> willEnterFullScreen;
    std::function<void()> didExitFullScreen;
    std::function<void(const QSize &)> willResize;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void attach();

    QPointer<QWidget> m_view;
    QPointer<QWidget> m_window;
    bool m_fullScreen = false;
};
