#include "meeting/panels/TranscriptionPanel.h"

#include "meeting/panels/MeetingPanels.h"
#include "meeting/panels/MoreItemView.h"
#include "meeting/panels/TranscriptionViewController.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/KVWindow.h"
#include "uikit/MacBaseWindowController.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include <cmath>

TranscriptionPanel::TranscriptionPanel(MeetingPanels &panels, Calls calls)
    : QObject(&panels), m_panels(panels), m_calls(std::move(calls))
{
}

TranscriptionViewController *TranscriptionPanel::transcriptionView()
{
    MeetingPanels::State &state = m_panels.state();
    if (TranscriptionViewController *existing = state.transcriptionView)
        return existing;
    auto *panel = new TranscriptionViewController(this);
    state.transcriptionView = panel;
    QPointer<TranscriptionPanel> self(this);
    panel->removeBlock = [self] {
        if (self && self->m_calls.panelDidClose)
            self->m_calls.panelDidClose();
    };
    return panel;
}

MacBaseWindowController *TranscriptionPanel::transcriptionWindow()
{
    MeetingPanels::State &state = m_panels.state();
    if (state.transcriptionWindow)
        return state.transcriptionWindow.get();
    const double scale = m_panels.adjustScale();
    const QSize size(int(std::lround(kWidth * scale)), int(std::lround(kHeight * scale)));
    auto *window = new KVWindow(QRect(QPoint(0, 0), size));
    window->setIdentifier(QStringLiteral("transcriptionWindow"));
    window->setObjectName(QStringLiteral("transcriptionWindow"));
    // A screen reader and the window manager name a window by its title.
    window->setWindowTitle(QStringLiteral("实时转录"));
    window->setAccessibleName(QStringLiteral("实时转录"));
    window->setMovableByWindowBackground(true);
    state.transcriptionWindow = std::make_unique<MacBaseWindowController>(window);
    state.transcriptionWindow->setContentViewController(transcriptionView());
    // The panel hears its window's close, also the window manager's.
    transcriptionView()->resetWindowDelegate();
    // Just off the right edge of the meeting window's screen until it is placed.
    QWidget *meetingView = m_panels.view();
    QScreen *screen = meetingView && meetingView->screen() ? meetingView->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1920, 1080);
    window->setGeometry(QRect(QPoint(area.right() + 1, area.bottom() + 1 - size.height()), size));
    return state.transcriptionWindow.get();
}

void TranscriptionPanel::showOrHiddeTranscriptionWindow(bool show, bool fromFloatingWindow)
{
    if (!show) {
        if (m_panels.state().transcriptionWindow)
            m_panels.state().transcriptionWindow->close();
        return;
    }
    MacBaseWindowController *controller = transcriptionWindow();
    QWidget *opener = QApplication::focusWidget();
    m_panels.keepAboveMeetingWindow(controller->window());
    controller->showWindow();
    // Escape closes it as the close road does; the focus goes back to what opened it.
    QPointer<TranscriptionPanel> self(this);
    QWidget *window = controller->window();
    KVPanelFocus::opened(window, opener && !window->isAncestorOf(opener) ? opener : nullptr, [self] {
        if (self)
            self->showOrHiddeTranscriptionWindow(false, false);
    });
    // Beside the meeting window, or 8 points right of the floating bar's more menu.
    QWidget *more = fromFloatingWindow ? m_panels.moreMenu() : nullptr;
    m_panels.placeWindowAtIndex(controller->window(), more ? more->window() : nullptr, more ? kFloatingOffset : 0, 0);
}
