#include "settings/KVDeviceMenu.h"

#include "uikit/KVDataText.h"
#include "uikit/MoreActionItem.h"
#include "uikit/MoreActionView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QRegion>

namespace {

constexpr int kMenuRows = 3;
constexpr int kGapUnderField = 10;

} // namespace

KVDeviceMenu::KVDeviceMenu(QWidget *host, QString maskName)
    : QObject(host), m_host(host), m_maskName(std::move(maskName))
{
}

void KVDeviceMenu::open(const QList<Entry> &entries, const QRect &field, const QString &name, QWidget *opener,
                        Focus focus, std::function<void(const QVariant &)> chosen)
{
    const bool hadFocus = m_view && m_view->isAncestorOf(QApplication::focusWidget());
    close();
    if (!m_mask) {
        m_mask = new QPushButton(m_host);
        m_mask->setFlat(true);
        m_mask->setFocusPolicy(Qt::NoFocus);
        m_mask->setStyleSheet(QStringLiteral("background: transparent; border: none;"));
        m_mask->setAccessibleName(m_maskName);
        connect(m_mask, &QPushButton::clicked, this, [this] { close(); });
    }
    m_mask->setGeometry(m_host->rect());
    m_mask->show();
    m_mask->raise();

    QList<MoreActionItem *> items;
    MoreActionItem *ticked = nullptr;
    QPointer<KVDeviceMenu> self(this);
    for (const Entry &entry : entries) {
        MoreActionItem *item =
            // A device's name is the system's text: isolated, its direction keeps to itself.
            MoreActionItem::itemStyle2WithTitle(KVDataText::isolated(entry.title), entry.device,
                                                [self](QWidget *, MoreActionItem *picked) {
                                                    if (self)
                                                        self->pick(picked);
                                                });
        if (entry.current && !ticked) {
            item->setSelect(true);
            ticked = item;
        }
        items.append(item);
    }
    m_selectedItem = ticked;
    m_chosen = std::move(chosen);
    m_opener = opener;
    MoreActionView *menu = MoreActionView::viewWithItems(items);
    menu->setParent(m_host);
    menu->setMaxWidth(field.width());
    menu->resize(menu->getSizeWithMaxItemCount(kMenuRows));
    menu->move(field.left(), field.bottom() + 1 + kGapUnderField);
    menu->setAccessibleName(name);
    menu->installEventFilter(this);
    menu->show();
    menu->raise();
    // Clicks inside the menu reach it; anywhere else they close it.
    m_mask->setMask(QRegion(m_host->rect()).subtracted(QRegion(menu->geometry())));
    m_view = menu;
    if (focus == Focus::Always || hadFocus || (opener && opener->hasFocus())) {
        if (MoreActionItem *first = ticked ? ticked : (items.isEmpty() ? nullptr : items.first()))
            first->setFocus(Qt::PopupFocusReason);
    }
}

void KVDeviceMenu::pick(MoreActionItem *item)
{
    if (!item)
        return;
    if (m_selectedItem)
        m_selectedItem->setSelect(false);
    item->setSelect(true);
    m_selectedItem = item;
    const QVariant device = item->associatedObject();
    // The callback outlives the menu's close.
    const std::function<void(const QVariant &)> chosen = m_chosen;
    close();
    if (chosen)
        chosen(device);
}

void KVDeviceMenu::close()
{
    if (m_mask)
        m_mask->hide();
    if (!m_view)
        return;
    MoreActionView *menu = m_view;
    m_view = nullptr;
    m_selectedItem = nullptr;
    const bool hadFocus = menu->isAncestorOf(QApplication::focusWidget());
    menu->hide();
    // Later: a pick closes the menu from inside one of its items.
    menu->deleteLater();
    if (hadFocus && m_opener)
        m_opener->setFocus(Qt::PopupFocusReason);
}

void KVDeviceMenu::hostResized()
{
    if (m_mask)
        m_mask->setGeometry(m_host->rect());
}

bool KVDeviceMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
