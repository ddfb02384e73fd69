#include "uikit/KVPanelFocus.h"

#include "uikit/AutoLayout.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace {

bool takesTab(const QWidget *w)
{
    return (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisible() && !w->focusProxy();
}

bool focusInside(const QWidget *panel)
{
    const QWidget *focus = QApplication::focusWidget();
    return !focus || focus == panel || panel->isAncestorOf(focus);
}

// One per panel, a child of it: it watches the panel's keys and its hiding.
class PanelGuard final : public QObject {
public:
    explicit PanelGuard(QWidget *panel) : QObject(panel), m_panel(panel)
    {
        setObjectName(QStringLiteral("kvPanelFocusGuard"));
        panel->installEventFilter(this);
    }
    ~PanelGuard() override
    {
        // The panel goes away (its children first): the focus it held goes home.
        if (m_panel && focusInside(m_panel))
            giveBack();
    }

    void set(QWidget *opener, std::function<void()> close)
    {
        m_opener = opener;
        m_close = std::move(close);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_panel)
            return false;
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape &&
            static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
            const QPointer<PanelGuard> self(this);
            if (m_close)
                m_close();
            else
                m_panel->hide();
            if (self && m_panel && m_panel->isVisible())
                return true;
            if (self)
                giveBack();
            return true;
        }
        // Hidden on its own, not with the whole window it sits in.
        if (event->type() == QEvent::Hide && focusInside(m_panel) &&
            (m_panel->isWindow() || m_panel->window()->isVisible()))
            giveBack();
        return false;
    }

private:
    void giveBack()
    {
        QWidget *opener = m_opener;
        if (!opener || !opener->isVisible() || !opener->isEnabled())
            return;
        if (QWidget *top = opener->window(); top != QApplication::activeWindow())
            top->activateWindow();
        opener->setFocus(Qt::OtherFocusReason);
    }

    QPointer<QWidget> m_panel;
    QPointer<QWidget> m_opener;
    std::function<void()> m_close;
};

} // namespace

namespace KVPanelFocus {

QWidget *firstControl(QWidget *panel)
{
    if (!panel)
        return nullptr;
    // The focus chain holds every widget in creation order and the order Tab goes.
    for (QWidget *w = panel->nextInFocusChain(); w && w != panel; w = w->nextInFocusChain()) {
        if (panel->isAncestorOf(w) && takesTab(w))
            return w;
    }
    return nullptr;
}

void opened(QWidget *panel, QWidget *opener, std::function<void()> close)
{
    if (!panel)
        return;
    auto *guard = panel->findChild<PanelGuard *>(QStringLiteral("kvPanelFocusGuard"), Qt::FindDirectChildrenOnly);
    if (!guard)
        guard = new PanelGuard(panel);
    guard->set(opener, std::move(close));
    // A click on a control that takes no focus gives it to the first parent that takes a click:
    // the panel, not the window's view behind it, or Escape no longer reaches the panel. A panel
    // that is a window of its own keeps the focus where it was.
    if (!panel->isWindow() && !(panel->focusPolicy() & Qt::ClickFocus))
        panel->setFocusPolicy(Qt::FocusPolicy(panel->focusPolicy() | Qt::ClickFocus));
    if (panel->isWindow() && panel != QApplication::activeWindow())
        panel->activateWindow();
    if (QWidget *first = firstControl(panel))
        first->setFocus(Qt::TabFocusReason);
    else
        panel->setFocus(Qt::OtherFocusReason);
}

void presented(QWidget *panel, QWidget *opener, std::function<void()> close)
{
    if (!panel)
        return;
    if (!close) {
        close = [weak = QPointer<QWidget>(panel)] {
            if (!weak)
                return;
            AutoLayout::removeConstraints(weak);
            weak->hide();
            weak->deleteLater();
        };
    }
    panel->show();
    panel->raise();
    opened(panel, opener, std::move(close));
}

void openedBy(QWidget *panel, QAbstractButton *opener)
{
    QPointer<QAbstractButton> button(opener);
    QPointer<QWidget> view(panel);
    opened(panel, opener, [button, view] {
        if (button && button->isEnabled())
            button->click();
        else if (view)
            view->hide();
    });
}

} // namespace KVPanelFocus
