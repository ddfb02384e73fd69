#include "uikit/MacBaseWindowController.h"

#include "uikit/MacBaseViewController.h"

#include <QVBoxLayout>

MacBaseWindowController::MacBaseWindowController(QWidget *window, QObject *parent) : QObject(parent), m_window(window)
{
}

MacBaseWindowController::~MacBaseWindowController()
{
    // The content controller goes first: its view belongs to the window.
    delete m_content.data();
    delete m_window.data();
}

void MacBaseWindowController::setWindowContentViewController(MacBaseViewController *controller, const QRect &frameRect)
{
    if (!m_window || !controller)
        return;
    setContentViewController(controller);
    m_window->setGeometry(frameRect);
    m_window->show();
}

void MacBaseWindowController::setContentViewController(MacBaseViewController *controller)
{
    if (!m_window || !controller)
        return;
    if (m_content && m_content != controller) {
        if (QWidget *old = m_content->view()) {
            old->hide();
            old->setParent(nullptr);
        }
        delete m_content.data();
    }
    m_content = controller;
    controller->setParent(this);
    auto *layout = qobject_cast<QVBoxLayout *>(m_window->layout());
    if (!layout) {
        delete m_window->layout();
        layout = new QVBoxLayout(m_window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    QWidget *view = controller->view();
    view->setParent(m_window);
    layout->addWidget(view);
    view->show();
}

void MacBaseWindowController::showWindow()
{
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void MacBaseWindowController::close()
{
    if (m_window)
        m_window->close();
}
