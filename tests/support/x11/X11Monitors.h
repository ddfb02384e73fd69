#pragma once

// The test's X screen split into two monitors side by side (640 x 800 each, the left one
// primary) with xrandr, and made one monitor again, as the other tests expect it.

#include "TestEvents.h"
#include "X11Tests.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStringList>

namespace X11Monitors {

inline int xrandr(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xrandr"), arguments);
    process.waitForFinished(10000);
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

[[nodiscard]] inline bool split()
{
    return xrandr({"--setmonitor", "korvi-left", "640/169x800/212+0+0", "screen"}) == 0 &&
           xrandr({"--setmonitor", "korvi-right", "640/169x800/212+640+0", "none"}) == 0;
}

// Back to one monitor, first in Qt's list of `screens` screens.
[[nodiscard]] inline bool join(qsizetype screens)
{
    for (const char *name : {"korvi-left", "korvi-right"})
        xrandr({QStringLiteral("--delmonitor"), QString::fromLatin1(name)});
    xrandr({QStringLiteral("--output"), QStringLiteral("screen"), QStringLiteral("--primary")});
    return processEventsUntil([&] {
        const QList<QScreen *> now = QGuiApplication::screens();
        return now.size() == screens && now.first()->size() == X11Tests::kScreen;
    });
}

} // namespace X11Monitors
