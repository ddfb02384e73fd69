#include "meeting/panels/MeetingPanels.h"

#include "meeting/panels/IMDisplayView.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskCategories.h"

#include <QMetaObject>
#include <QMouseEvent>
#include <QWidget>

MeetingPanels::MeetingPanels(MeetingViewController *window) : m_window(window) {}

MeetingPanels::~MeetingPanels() = default;

void MeetingPanels::registerPanels()
{
    vesk::registerNib(QStringLiteral("IMDisplayView"), [] { return new IMDisplayView(); });
}

void MeetingPanels::addPopOver(PopOver popOver)
{
    m_popOvers.push_back(std::move(popOver));
}

void MeetingPanels::hideOtherOverViewsExceptView(QWidget *view)
{
    // A copy: closing one may add or drop another.
    const std::vector<PopOver> popOvers = m_popOvers;
    for (const PopOver &popOver : popOvers) {
        QWidget *shown = popOver.view ? popOver.view() : nullptr;
        if ((!view || shown != view) && popOver.close)
            popOver.close();
    }
}

void MeetingPanels::handleFullScreenMouseDown(QMouseEvent *event)
{
    if (!event)
        return;
    const QPoint global = event->globalPosition().toPoint();
    const std::vector<PopOver> popOvers = m_popOvers;
    for (const PopOver &popOver : popOvers) {
        QWidget *shown = popOver.view ? popOver.view() : nullptr;
        const bool inside = shown && shown->rect().contains(shown->mapFromGlobal(global));
        if (!inside && popOver.close)
            popOver.close();
    }
}

void MeetingPanels::showFloatingWindowAtView(QWidget *, QWidget *, const QSizeF &, double, double) {}

KVWindow *MeetingPanels::showFloatingWindowAtFrame(const QRect &, QWidget *, const QSizeF &, double, double)
{
    return nullptr;
}

void MeetingPanels::placeWindowAtIndex(int, int, double, double) {}

void MeetingPanels::invokeIfOffered(QObject *object, const char *normalizedSignature, const char *name)
{
    if (object && object->metaObject()->indexOfMethod(normalizedSignature) >= 0)
        QMetaObject::invokeMethod(object, name, Qt::DirectConnection);
}
