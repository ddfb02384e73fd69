#include "meeting/panels/MeetingPanels.h"

#include "meeting/panels/IMDisplayView.h"
#include "meeting/panels/SubtitleSettingView.h"
#include "uikit/KVWindow.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskCategories.h"

#include <QMetaObject>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

MeetingPanels::MeetingPanels(Host host) : m_host(std::move(host)) {}

MeetingPanels::~MeetingPanels()
{
    // Floating windows hold views whose callbacks reach this window: they go with it.
    for (const QPointer<KVWindow> &floating : m_floatingWindows) {
        if (floating)
            floating->close();
    }
    for (const QPointer<QWidget> &view : m_keptViews)
        delete view.data();
    // The panels reach this state as they go (the settings page clears its slot): they go while
    // it is still whole, not after its members are gone.
    while (!children().isEmpty())
        delete children().constFirst();
}

QWidget *MeetingPanels::view() const
{
    return m_host.view ? m_host.view() : nullptr;
}

double MeetingPanels::adjustScale() const
{
    return m_host.adjustScale ? m_host.adjustScale() : 1.0;
}

bool MeetingPanels::meetingEnded() const
{
    return m_host.meetingEnded && m_host.meetingEnded();
}

MoreItemView *MeetingPanels::moreMenu() const
{
    return m_host.moreMenu ? m_host.moreMenu() : nullptr;
}

void MeetingPanels::moreMenuItemDidClose(MoreItemView::Item item)
{
    if (MoreItemView *menu = moreMenu())
        menu->itemPanelDidClose(item);
}

QObject *MeetingPanels::adopt(std::type_index type, QObject *panel)
{
    if (panel && !panel->parent())
        panel->setParent(this);
    m_panels[type] = panel;
    return panel;
}

void MeetingPanels::keepView(QWidget *view)
{
    if (view)
        m_keptViews.emplace_back(view);
}

void MeetingPanels::registerPanels()
{
    vesk::registerNib(QStringLiteral("IMDisplayView"), [] { return new IMDisplayView(); });
    vesk::registerNib(QStringLiteral("SubtitleSettingView"), [] { return new SubtitleSettingView(); });
}

void MeetingPanels::setPopOver(PopOverSlot slot, PopOver popOver)
{
    m_popOvers.at(std::size_t(slot)) = std::move(popOver);
}

void MeetingPanels::hideOtherOverViewsExceptView(QWidget *view)
{
    // A copy: closing one may replace another's slot.
    const auto popOvers = m_popOvers;
    for (const PopOver &popOver : popOvers) {
        QWidget *shown = popOver.view ? popOver.view() : nullptr;
        if (shown && shown != view && popOver.close)
            popOver.close();
    }
}

void MeetingPanels::handleFullScreenMouseDown(QMouseEvent *event)
{
    if (!event)
        return;
    const QPoint global = event->globalPosition().toPoint();
    const auto popOvers = m_popOvers;
    for (const PopOver &popOver : popOvers) {
        QWidget *shown = popOver.view ? popOver.view() : nullptr;
        if (!shown || !popOver.close)
            continue;
        const bool inside = shown->isVisible() && shown->rect().contains(shown->mapFromGlobal(global));
        if (!inside)
            popOver.close();
    }
}

void MeetingPanels::showFloatingWindowAtView(QWidget *view, QWidget *contentView, const QSizeF &contentViewSize,
                                             double adjustX, double adjustY)
{
    QWidget *anchor = view ? view : this->view();
    if (!contentView || !anchor)
        return;
    const QRect frame = KVWindowPlacement::frameBelowView(KVWindowPlacement::screenRectOfView(anchor),
                                                          contentViewSize.toSize(), adjustX, adjustY);
    keepFloating(
        KVWindow::showFloating(onScreen(frame, anchor), contentView, QStringLiteral("showFloatingWindowAtView")));
}

KVWindow *MeetingPanels::showFloatingWindowAtFrame(const QRect &frame, QWidget *contentView,
                                                   const QSizeF &contentViewSize, double adjustX, double adjustY)
{
    if (!contentView)
        return nullptr;
    const QRect placed = KVWindowPlacement::frameBesideFrame(frame, contentViewSize.toSize(), adjustX, adjustY);
    return keepFloating(KVWindow::showFloating(onScreen(placed, meetingWindow()), contentView,
                                               QStringLiteral("showFloatingWindowAtFrame")));
}

void MeetingPanels::placeWindowAtIndex(QWidget *window, QWidget *toTheLeftOfWindow, double adjustX, double adjustY)
{
    QWidget *moved = window ? window->window() : nullptr;
    QWidget *anchor = toTheLeftOfWindow ? toTheLeftOfWindow->window() : meetingWindow();
    if (!moved || !anchor || moved == anchor)
        return;
    const QRect area = screenArea(anchor);
    QRect placed(
        KVWindowPlacement::originRightOf(moved->frameGeometry(), anchor->frameGeometry(), area, adjustX, adjustY),
        moved->frameGeometry().size());
    // Two panels open together lie side by side: neither covers the other's controls.
    for (const auto *controller : {m_state.memberWindow.get(), m_state.transcriptionWindow.get()}) {
        QWidget *other = controller ? controller->window() : nullptr;
        if (!other || other == moved || !other->isVisible() || !placed.intersects(other->frameGeometry()))
            continue;
        const QRect beside = other->frameGeometry();
        const QRect right(QPoint(beside.right() + 1, placed.y()), placed.size());
        const QRect left(QPoint(beside.left() - placed.width(), placed.y()), placed.size());
        placed = right.right() <= area.right() || left.left() < area.left() ? right : left;
        placed = KVWindowPlacement::keptInside(placed, area);
    }
    moved->move(placed.topLeft());
}

void MeetingPanels::keepAboveMeetingWindow(QWidget *panel)
{
    QWidget *window = panel ? panel->window() : nullptr;
    QWidget *meeting = meetingWindow();
    if (!window || !meeting || window == meeting || !meeting->windowHandle())
        return;
    // Transient for the meeting window, not for the hidden window a parentless tool window gets:
    // the window manager keeps it above the meeting window in every state, full screen too.
    window->winId();
    if (QWindow *handle = window->windowHandle())
        handle->setTransientParent(meeting->windowHandle());
}

QRect MeetingPanels::screenArea(const QWidget *anchor)
{
    const QScreen *screen = anchor ? anchor->screen() : nullptr;
    return screen ? screen->availableGeometry() : KVWindowPlacement::mainScreenVisibleFrame();
}

QRect MeetingPanels::onScreen(const QRect &frame, const QWidget *anchor)
{
    // The whole window on the anchor's screen, however far the anchor reaches past its edges.
    return KVWindowPlacement::keptInside(frame, screenArea(anchor));
}

QWidget *MeetingPanels::meetingWindow() const
{
    QWidget *view = this->view();
    return view ? view->window() : nullptr;
}

KVWindow *MeetingPanels::keepFloating(KVWindow *window)
{
    std::erase_if(m_floatingWindows, [](const QPointer<KVWindow> &w) { return w.isNull(); });
    m_floatingWindows.emplace_back(window);
    return window;
}

void MeetingPanels::invokeIfOffered(QObject *object, const char *normalizedSignature, const char *name)
{
    if (object && object->metaObject()->indexOfMethod(normalizedSignature) >= 0)
        QMetaObject::invokeMethod(object, name, Qt::DirectConnection);
}
