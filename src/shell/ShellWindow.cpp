#include "shell/ShellWindow.h"

#include "shell/ShellStyle.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QShortcut>

ShellWindow::ShellWindow(const QString &title, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(title);
    setAccessibleName(title);
    ShellStyle::applyWindowLook(this);
    // Quitting goes through the application's quit event, where a running meeting refuses it.
    auto *quit = new QShortcut(QKeySequence::Quit, this);
    quit->setContext(Qt::WindowShortcut);
    connect(quit, &QShortcut::activated, this, [] { QCoreApplication::quit(); });
}

void ShellWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted() && onClosedByUser)
        onClosedByUser();
}

void ShellWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Q_EMIT becameActive();
}
