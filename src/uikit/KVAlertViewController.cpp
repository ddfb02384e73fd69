#include "uikit/KVAlertViewController.h"

#include "uikit/KVWindow.h"
#include "uikit/VeskToast.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

KVAlertViewController *KVAlertViewController::showInCenterContent(QWidget *view, const QSize &size)
{
    auto *controller = new KVAlertViewController();
    QWidget *host = VeskToast::hostWindow();
    auto *panel = new QWidget(host, Qt::Dialog | Qt::FramelessWindowHint);
    panel->setAttribute(Qt::WA_TranslucentBackground);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::ApplicationModal);
    KVWindow::applyDarkAppearance(panel);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    if (view) {
        view->setParent(panel);
        layout->addWidget(view);
        panel->setAccessibleName(view->accessibleName());
        panel->setWindowTitle(view->windowTitle());
    }
    controller->m_content = view;
    controller->setView(panel);
    QObject::connect(panel, &QObject::destroyed, controller, &QObject::deleteLater);
    panel->setFixedSize(size);
    QRect area;
    if (host)
        area = host->frameGeometry();
    else if (QScreen *s = QGuiApplication::primaryScreen())
        area = s->availableGeometry();
    panel->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
    panel->show();
    panel->raise();
    panel->activateWindow();
    controller->resetWindowDelegate();
    return controller;
}

void KVAlertViewController::dismiss()
{
    if (QWidget *panel = isViewLoaded() ? view() : nullptr)
        panel->close();
}
