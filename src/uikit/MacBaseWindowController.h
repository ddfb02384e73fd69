#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

class MacBaseViewController;

// Owns one window and the controller of its content.
class MacBaseWindowController : public QObject {
    Q_OBJECT
public:
    // Takes ownership of the window.
    explicit MacBaseWindowController(QWidget *window, QObject *parent = nullptr);
    ~MacBaseWindowController() override;

    [[nodiscard]] QWidget *window() const { return m_window; }
    [[nodiscard]] MacBaseViewController *contentViewController() const { return m_content; }

    // Sets the content controller (owned from now on; its view fills the
    // window), then the window's frame, and shows the window.
    void setWindowContentViewController(MacBaseViewController *controller, const QRect &frameRect);
    // The same without touching the frame or showing the window (the opener shows it once set up).
    void setContentViewController(MacBaseViewController *controller);

    void showWindow();
    void close();

private:
    QPointer<QWidget> m_window;
    QPointer<MacBaseViewController> m_content;
};
