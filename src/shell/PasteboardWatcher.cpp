#include "shell/PasteboardWatcher.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>

PasteboardWatcher *PasteboardWatcher::sharedWatcher()
{
    // Parented to the application: it lives as long as the clipboard it watches.
    static QPointer<PasteboardWatcher> instance;
    if (!instance)
        instance = new PasteboardWatcher();
    return instance;
}

PasteboardWatcher::PasteboardWatcher() : QObject(QCoreApplication::instance())
{
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { ++m_changeCount; });
}
