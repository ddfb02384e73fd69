#include "uikit/KVAccessibility.h"

#include "uikit/KVAlert.h"
#include "uikit/KVMeetingIDLabel.h"
#include "uikit/MoreActionItem.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QEvent>
#include <QHash>
#include <QItemSelectionModel>
#include <QListView>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QToolButton>

namespace {

constexpr auto kRole = "kvAccessibleRole";
constexpr auto kValue = "kvAccessibleValue";
constexpr auto kMark = "kvAccessibleMark";
constexpr auto kMarkText = "kvAccessibleMarkText";

QString withMark(const QWidget *widget, QString name)
{
    const auto *mark = qobject_cast<const QWidget *>(widget->property(kMark).value<QObject *>());
    if (mark && !mark->isHidden())
        name += QStringLiteral("，") + widget->property(kMarkText).toString();
    return name;
}

// Tells the bus that a button's name changed when its mark shows or hides.
class MarkWatcher final : public QObject {
public:
    MarkWatcher(QWidget *mark, QWidget *button) : QObject(mark), m_button(button) { mark->installEventFilter(this); }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if ((event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) && m_button) {
            QAccessibleEvent changed(m_button.data(), QAccessible::NameChanged);
            QAccessible::updateAccessibility(&changed);
        }
        return false;
    }

private:
    QPointer<QWidget> m_button;
};

// A button whose Press and Toggle are a click.
class AccessibleButton final : public QAccessibleWidget {
public:
    explicit AccessibleButton(QAbstractButton *button) : QAccessibleWidget(button, roleOf(button)) {}

    [[nodiscard]] QAccessible::Role role() const override { return roleOf(button()); }

    [[nodiscard]] QString text(QAccessible::Text t) const override
    {
        const QString value = button()->property(kValue).toString();
        if (t == QAccessible::Value)
            return value;
        // The bus reads no value of a button: its description carries it too.
        if (t == QAccessible::Description && !value.isEmpty()) {
            const QString description = QAccessibleWidget::text(t);
            return description.isEmpty() ? value : description + QStringLiteral("：") + value;
        }
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        const QString name = button()->accessibleName();
        if (!name.isEmpty())
            return withMark(button(), name);
        QString title = button()->text();
        // A mnemonic's marker is not read out.
        title.remove(QRegularExpression(QStringLiteral("&(?!&)")));
        return withMark(button(), title);
    }

    [[nodiscard]] QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        const QAbstractButton *b = button();
        const QAccessible::Role r = role();
        if (r == QAccessible::PageTab) {
            // A tab is selected, not checked.
            s.selectable = true;
            s.selected = b->isChecked();
        } else if (r != QAccessible::Button && r != QAccessible::Indicator) {
            if (b->isCheckable())
                s.checkable = true;
            if (b->isChecked())
                s.checked = true;
        }
        if (b->isDown())
            s.pressed = true;
        return s;
    }

    [[nodiscard]] QStringList actionNames() const override
    {
        const QAccessible::Role r = role();
        // An indicator only shows a state: nothing to do with it.
        if (r == QAccessible::Indicator)
            return {};
        QStringList names;
        if (widget()->isEnabled()) {
            // A switch is toggled, and pressed as any button is: a screen reader or a script that
            // presses it is given the click too, not nothing.
            if (r == QAccessible::CheckBox || r == QAccessible::RadioButton)
                names << toggleAction();
            names << pressAction();
        }
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction() || actionName == toggleAction()) {
            // The one road a mouse click takes: state first, then clicked().
            if (widget()->isEnabled() && role() != QAccessible::Indicator)
                button()->click();
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }

    [[nodiscard]] QStringList keyBindingsForAction(const QString &actionName) const override
    {
        if (actionName == pressAction() || actionName == toggleAction())
            return {QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(actionName);
    }

private:
    [[nodiscard]] QAbstractButton *button() const { return static_cast<QAbstractButton *>(object()); }

    static QAccessible::Role roleOf(const QAbstractButton *button)
    {
        if (const QVariant set = button->property(kRole); set.isValid())
            return QAccessible::Role(set.toInt());
        if (qobject_cast<const QRadioButton *>(button))
            return QAccessible::RadioButton;
        if (qobject_cast<const QCheckBox *>(button) || button->isCheckable())
            return QAccessible::CheckBox;
        return QAccessible::Button;
    }
};

// A plain widget of ours: a frame, dialog or alert while it is a window of its own, a plain
// container once it sits in another window (views are often made on their own and placed later,
// and an interface is made once per widget).
class AccessiblePlainWidget final : public QAccessibleWidget {
public:
    explicit AccessiblePlainWidget(QWidget *widget) : QAccessibleWidget(widget) {}

    [[nodiscard]] QAccessible::Role role() const override
    {
        const QAccessible::Role window = KVAccessibility::windowRole(widget());
        if (window != QAccessible::NoRole)
            return window;
        if (const QVariant set = widget()->property(kRole); set.isValid())
            return QAccessible::Role(set.toInt());
        return QAccessible::Client;
    }
};

// A menu's row: a menu item whose Press is its click, after the call (the click may close the
// menu and the row with it); the row with the tick reads as checked.
class AccessibleMenuItem final : public QAccessibleWidget {
public:
    explicit AccessibleMenuItem(MoreActionItem *item) : QAccessibleWidget(item, QAccessible::MenuItem) {}

    [[nodiscard]] QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checked = static_cast<const MoreActionItem *>(object())->isSelect();
        return s;
    }

    [[nodiscard]] QStringList actionNames() const override
    {
        return widget()->isEnabled() ? QStringList{pressAction()} : QStringList{};
    }

    void doAction(const QString &actionName) override
    {
        if (actionName != pressAction() || !widget()->isEnabled())
            return;
        auto *item = static_cast<MoreActionItem *>(object());
        QMetaObject::invokeMethod(
            item, [item] { item->click(); }, Qt::QueuedConnection);
    }

    [[nodiscard]] QStringList keyBindingsForAction(const QString &actionName) const override
    {
        return actionName == pressAction() ? QStringList{QStringLiteral("Space")} : QStringList{};
    }
};

// The meeting title: read as its text, and its action is the click's, copying the meeting ID.
class AccessibleMeetingIDLabel final : public QAccessibleWidget {
public:
    explicit AccessibleMeetingIDLabel(KVMeetingIDLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    [[nodiscard]] QString text(QAccessible::Text t) const override
    {
        const auto *label = static_cast<const KVMeetingIDLabel *>(object());
        if (t == QAccessible::Name && label->accessibleName().isEmpty())
            return label->text();
        if (t == QAccessible::Value)
            return label->text();
        return QAccessibleWidget::text(t);
    }
    [[nodiscard]] QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction())
            static_cast<KVMeetingIDLabel *>(object())->copyToPasteboard();
    }
    [[nodiscard]] QStringList keyBindingsForAction(const QString &actionName) const override
    {
        return actionName == pressAction() ? QStringList{QStringLiteral("Space")} : QStringList();
    }
};

// A level that only shows (a sound level): its value is read, but nobody can raise or lower it,
// so it has no value interface (the bus would offer Increase and Decrease for one).
class AccessibleLevel final : public QAccessibleWidget {
public:
    explicit AccessibleLevel(QProgressBar *bar) : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    [[nodiscard]] QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Value)
            return QAccessibleWidget::text(t);
        const auto *bar = static_cast<const QProgressBar *>(object());
        const int span = bar->maximum() - bar->minimum();
        return QString::number(span > 0 ? (bar->value() - bar->minimum()) * 100 / span : 0) + QLatin1Char('%');
    }
};

// A row of a list view: read by its text; Toggle chooses it as a click does, only where rows can be
// chosen (Qt's rows offer Toggle always, which selects nothing in a list that chooses none).
class AccessibleReadRow final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessibleReadRow(QListView *view, QAccessibleInterface *list, int row) : m_view(view), m_list(list), m_row(row) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }
    [[nodiscard]] bool isValid() const override { return m_view && index().isValid(); }
    [[nodiscard]] QObject *object() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface *parent() const override { return m_list; }
    [[nodiscard]] QAccessibleInterface *child(int) const override { return nullptr; }
    [[nodiscard]] int childCount() const override { return 0; }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    [[nodiscard]] QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return {};
        const QString spoken = index().data(Qt::AccessibleTextRole).toString();
        return spoken.isEmpty() ? index().data(Qt::DisplayRole).toString() : spoken;
    }
    void setText(QAccessible::Text, const QString &) override {}
    [[nodiscard]] QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = m_view->visualRect(index());
        return {m_view->viewport()->mapToGlobal(r.topLeft()), r.size()};
    }
    [[nodiscard]] QAccessible::Role role() const override { return QAccessible::ListItem; }
    [[nodiscard]] QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        if (!isValid() || !m_view->viewport()->rect().intersects(m_view->visualRect(index()))) {
            s.invisible = true;
            return s;
        }
        if (choosable()) {
            s.selectable = true;
            s.selected = m_view->selectionModel()->isSelected(index());
        }
        return s;
    }
    [[nodiscard]] QStringList actionNames() const override
    {
        return choosable() ? QStringList{toggleAction()} : QStringList();
    }
    void doAction(const QString &actionName) override
    {
        if (actionName != toggleAction() || !choosable())
            return;
        // As a click: the row becomes the current one, and in a list of one choice the only one
        // chosen (the view follows its current row, the selection alone would leave it behind).
        QItemSelectionModel *selection = m_view->selectionModel();
        if (m_view->selectionMode() == QAbstractItemView::SingleSelection) {
            selection->setCurrentIndex(index(), QItemSelectionModel::ClearAndSelect);
            return;
        }
        selection->select(index(), QItemSelectionModel::Toggle);
        selection->setCurrentIndex(index(), QItemSelectionModel::NoUpdate);
    }
    [[nodiscard]] QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    [[nodiscard]] QModelIndex index() const
    {
        QAbstractItemModel *model = m_view ? m_view->model() : nullptr;
        return model ? model->index(m_row, m_view->modelColumn(), m_view->rootIndex()) : QModelIndex();
    }
    [[nodiscard]] bool choosable() const
    {
        // A row the model makes unselectable (a day's header) is only read.
        return m_view && m_view->selectionMode() != QAbstractItemView::NoSelection && m_view->selectionModel() &&
               (index().flags() & Qt::ItemIsSelectable);
    }

    QPointer<QListView> m_view;
    QAccessibleInterface *m_list;
    int m_row;
};

class AccessibleReadList final : public QAccessibleWidget {
public:
    explicit AccessibleReadList(QListView *view) : QAccessibleWidget(view, QAccessible::List) {}
    ~AccessibleReadList() override { forget(); }

    [[nodiscard]] int childCount() const override
    {
        QAbstractItemModel *model = view()->model();
        return model ? model->rowCount(view()->rootIndex()) : 0;
    }
    [[nodiscard]] QAccessibleInterface *child(int i) const override
    {
        if (i < 0 || i >= childCount())
            return nullptr;
        sync();
        if (const auto id = m_rows.constFind(i); id != m_rows.constEnd())
            return QAccessible::accessibleInterface(*id);
        auto *row = new AccessibleReadRow(view(), const_cast<AccessibleReadList *>(this), i);
        m_rows.insert(i, QAccessible::registerAccessibleInterface(row));
        return row;
    }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface *child) const override
    {
        const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface *>(child));
        for (auto it = m_rows.constBegin(); it != m_rows.constEnd(); ++it) {
            if (it.value() == id)
                return it.key();
        }
        return -1;
    }
    [[nodiscard]] QAccessibleInterface *childAt(int x, int y) const override
    {
        const QModelIndex at = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
        return at.isValid() ? child(at.row()) : nullptr;
    }

private:
    [[nodiscard]] QListView *view() const { return static_cast<QListView *>(object()); }

    // Rows are made per model: a new model or new rows make them again.
    void sync() const
    {
        const QAbstractItemModel *model = view()->model();
        const int count = model ? model->rowCount(view()->rootIndex()) : 0;
        if (model != m_model || count != m_count) {
            forget();
            m_model = model;
            m_count = count;
        }
    }
    void forget() const
    {
        for (const QAccessible::Id id : std::as_const(m_rows))
            QAccessible::deleteAccessibleInterface(id);
        m_rows.clear();
    }

    mutable QHash<int, QAccessible::Id> m_rows;
    mutable const QAbstractItemModel *m_model = nullptr;
    mutable int m_count = -1;
};

// Whether Qt has nothing more specific than QWidget's interface for the widget's class.
bool isPlainWidget(const QObject *object)
{
    for (const QMetaObject *mo = object->metaObject(); mo; mo = mo->superClass()) {
        if (mo == &QWidget::staticMetaObject)
            return true;
        // A Qt class between ours and QWidget (QLabel, QDialog, QFrame...) brings its own.
        if (QLatin1String(mo->className()).startsWith(QLatin1Char('Q')))
            return false;
    }
    return false;
}

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    // Called for each class of the object's chain, most derived first: answer the first call.
    if (!object || !object->isWidgetType() || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    // Tool buttons keep Qt's interface (their menus).
    if (auto *button = qobject_cast<QAbstractButton *>(object); button && !qobject_cast<QToolButton *>(object))
        return new AccessibleButton(button);
    if (auto *label = qobject_cast<KVMeetingIDLabel *>(object))
        return new AccessibleMeetingIDLabel(label);
    if (auto *item = qobject_cast<MoreActionItem *>(object))
        return new AccessibleMenuItem(item);
    if (auto *bar = qobject_cast<QProgressBar *>(object))
        return new AccessibleLevel(bar);
    // Our lists, list widgets too: Qt's rows only select on Toggle, which leaves the current row,
    // and what follows it (a picker's other columns), behind.
    if (auto *list = qobject_cast<QListView *>(object))
        return new AccessibleReadList(list);
    if (!isPlainWidget(object))
        return nullptr;
    // Only windows and views told their role need more than Qt's own interface; a widget that is
    // none yet may become one.
    if (!widget->isWindow() && widget->parentWidget() && !widget->property(kRole).isValid())
        return nullptr;
    return new AccessiblePlainWidget(widget);
}

} // namespace

namespace KVAccessibility {

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

void setRole(QWidget *widget, QAccessible::Role role)
{
    widget->setProperty(kRole, int(role));
}

void setValue(QWidget *widget, const QString &value)
{
    if (widget->property(kValue).toString() == value)
        return;
    widget->setProperty(kValue, value);
    QAccessibleValueChangeEvent event(widget, value);
    QAccessible::updateAccessibility(&event);
}

void setMark(QWidget *button, QWidget *mark, const QString &text)
{
    button->setProperty(kMark, QVariant::fromValue<QObject *>(mark));
    button->setProperty(kMarkText, text);
    new MarkWatcher(mark, button);
}

QAccessible::Role windowRole(const QWidget *widget)
{
    if (!widget || !widget->isWindow())
        return QAccessible::NoRole;
    if (const auto *alert = qobject_cast<const KVAlert *>(widget))
        return alert->customView() ? QAccessible::Dialog : QAccessible::AlertMessage;
    switch (widget->windowType()) {
    case Qt::Dialog:
        return QAccessible::Dialog;
    case Qt::Window:
    case Qt::Tool:
        return QAccessible::Window;
    default:
        return QAccessible::NoRole;
    }
}

} // namespace KVAccessibility
