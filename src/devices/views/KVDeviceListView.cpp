#include "devices/views/KVDeviceListView.h"

#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
const QString kTick = QStringLiteral("✓");
}

KVDeviceListView::KVDeviceListView(QWidget *parent) : QWidget(parent), m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addStretch();
}

QAbstractButton *KVDeviceListView::rowAt(int index) const
{
    return index >= 0 && index < m_rows.size() ? m_rows.at(index) : nullptr;
}

void KVDeviceListView::setDevices(const QStringList &titles, int selectedIndex)
{
    m_selected = selectedIndex >= 0 && selectedIndex < titles.size() ? selectedIndex : -1;
    // Rows are refilled in place: the sound server reports devices coming and going at any time,
    // and a menu rebuilt under a keyboard user would lose his focus and put its rows last in Tab.
    while (m_rows.size() > titles.size()) {
        QAbstractButton *row = m_rows.takeLast();
        row->hide();
        m_layout->removeWidget(row);
        // Later: the clicked row may be the one asking for the rebuild.
        row->deleteLater();
    }
    for (qsizetype i = m_rows.size(); i < titles.size(); ++i) {
        auto *row = new QPushButton(this);
        row->setFlat(true);
        row->setCheckable(true);
        row->setFixedHeight(kRowHeight);
        row->setCursor(Qt::PointingHandCursor);
        row->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding-left: 12px; color: #FFFFFF;"
                                          " border: none; background: transparent; }"
                                          "QPushButton:hover { background: #3A3B42; }"
                                          "QPushButton:checked { color: #007AFF; }"));
        connect(row, &QPushButton::clicked, this, [this, i] {
            if (onSelect)
                onSelect(static_cast<int>(i));
        });
        row->installEventFilter(this);
        m_layout->insertWidget(static_cast<int>(i), row);
        if (i > 0)
            QWidget::setTabOrder(m_rows.at(i - 1), row);
        // A layout shows a new child of a shown menu only at the next turn of the event loop.
        if (isVisible())
            row->show();
        m_rows.append(row);
    }
    for (qsizetype i = 0; i < titles.size(); ++i) {
        QAbstractButton *row = m_rows.at(i);
        row->setChecked(i == m_selected);
        // The tick leads the current row; others keep its room so names line up.
        // A device's name is the system's text: isolated, its direction cannot turn the tick's.
        const QString name = KVDataText::isolated(titles.at(i));
        row->setText((i == m_selected ? kTick : QStringLiteral("   ")) + QStringLiteral("  ") + name);
        row->setAccessibleName(name);
        KVDataText::setToolTip(row, name);
    }
    setMinimumHeight(static_cast<int>(m_rows.size()) * kRowHeight);
}

bool KVDeviceListView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const qsizetype at = m_rows.indexOf(static_cast<QAbstractButton *>(watched));
    if (at < 0 || (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier))
        return QWidget::eventFilter(watched, event);
    // The arrows walk the rows as in any menu, stopping at either end.
    qsizetype to = -1;
    if (key->key() == Qt::Key_Up)
        to = std::max<qsizetype>(0, at - 1);
    else if (key->key() == Qt::Key_Down)
        to = std::min<qsizetype>(m_rows.size() - 1, at + 1);
    else
        return QWidget::eventFilter(watched, event);
    m_rows.at(to)->setFocus(Qt::TabFocusReason);
    for (QWidget *p = parentWidget(); p; p = p->parentWidget()) {
        if (auto *scroll = qobject_cast<QScrollArea *>(p)) {
            scroll->ensureWidgetVisible(m_rows.at(to), 0, 0);
            break;
        }
    }
    return true;
}

namespace KVDevicePopup {

void styleFrame(QWidget *popup, QSize size)
{
    popup->setFixedSize(size);
    vesk::setBackgroundColor(popup, QColor(QStringLiteral("#2B2C31")));
    vesk::setCornerRadius(popup, 8);
}

QScrollArea *scrollingList(QWidget *parent, KVDeviceListView *list)
{
    auto *scroll = new QScrollArea(parent);
    scroll->setWidget(list);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // Only a frame round the entries, which are the stops of Tab themselves.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setStyleSheet(QStringLiteral("background: transparent;"));
    return scroll;
}

QPushButton *settingsLink(const QString &title, QWidget *parent)
{
    auto *button = new QPushButton(title, parent);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setAccessibleName(title);
    button->setStyleSheet(QStringLiteral("color: #007AFF; text-align: left; border: none;"));
    return button;
}

} // namespace KVDevicePopup
