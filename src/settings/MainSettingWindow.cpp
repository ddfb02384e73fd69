#include "settings/MainSettingWindow.h"

#include "settings/MainSettingViewController.h"
#include "settings/SettingTexts.h"

#include <QWidget>

std::unique_ptr<MacBaseWindowController> MainSettingWindow::instantiate()
{
    auto *window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(QStringLiteral("MainSettingWindow"));
    window->setWindowTitle(SettingTexts::kWindowTitle);
    window->setFixedSize(780, 520);
    auto controller = std::make_unique<MacBaseWindowController>(window);
    auto *content = new MainSettingViewController();
    controller->setContentViewController(content);
    content->resetWindowDelegate();
    return controller;
}

MainSettingViewController *MainSettingWindow::controllerOf(const MacBaseWindowController *window)
{
    return window ? qobject_cast<MainSettingViewController *>(window->contentViewController()) : nullptr;
}
