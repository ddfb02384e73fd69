#include "uikit/MacBaseViewController.h"

#include <QCloseEvent>
#include <QEvent>

// Sits on the window as an event filter and answers its close requests.
class MacBaseViewController::WindowDelegate final : public QObject {
public:
    WindowDelegate(MacBaseViewController *controller, QWidget *window)
        : QObject(controller), m_controller(controller), m_window(window)
    {
        window->installEventFilter(this);
    }
    ~WindowDelegate() override
    {
        if (m_window)
            m_window->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Close) {
            if (!m_controller->windowShouldClose()) {
                event->ignore();
                return true;
            }
            m_controller->windowWillClose();
        }
        return false;
    }

private:
    MacBaseViewController *m_controller;
    QPointer<QWidget> m_window;
};

MacBaseViewController::MacBaseViewController(QObject *parent) : QObject(parent) {}

MacBaseViewController::~MacBaseViewController()
{
    delete m_delegate.data();
    if (m_view && !m_view->parentWidget())
        delete m_view.data();
}

QWidget *MacBaseViewController::view()
{
    if (!m_view) {
        loadView();
        if (!m_view)
            m_view = new QWidget();
        viewDidLoad();
    }
    return m_view.data();
}

void MacBaseViewController::setView(QWidget *view)
{
    if (m_view == view)
        return;
    if (m_view && !m_view->parentWidget())
        delete m_view.data();
    m_view = view;
}

QWidget *MacBaseViewController::window() const
{
    return m_view ? m_view->window() : nullptr;
}

void MacBaseViewController::loadView()
{
    setView(new QWidget());
}

void MacBaseViewController::resetWindowDelegate()
{
    delete m_delegate.data();
    QWidget *w = window();
    if (w)
        m_delegate = new WindowDelegate(this, w);
}

bool MacBaseViewController::windowShouldClose()
{
    return windowShouldCloseBlock ? windowShouldCloseBlock() : true;
}
