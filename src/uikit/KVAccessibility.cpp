#include "uikit/KVAccessibility.h"

#include "uikit/KVAlert.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QToolButton>

namespace {

constexpr auto kRole = "kvAccessibleRole";
constexpr auto kValue = "kvAccessibleValue";

// A button whose Press and Toggle are a click.
class AccessibleButton final : public QAccessibleWidget {
public:
    explicit AccessibleButton(QAbstractButton *button) : QAccessibleWidget(button, roleOf(button)) {}

    [[nodiscard]] QAccessible::Role role() const override { return roleOf(button()); }

    [[nodiscard]] QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return button()->property(kValue).toString();
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        const QString name = button()->accessibleName();
        if (!name.isEmpty())
            return name;
        QString title = button()->text();
        // A mnemonic's marker is not read out.
        title.remove(QRegularExpression(QStringLiteral("&(?!&)")));
        return title;
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
        if (widget()->isEnabled())
            names << (r == QAccessible::CheckBox || r == QAccessible::RadioButton ? toggleAction() : pressAction());
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
        return window == QAccessible::NoRole ? QAccessible::Client : window;
    }
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
    if (!isPlainWidget(object))
        return nullptr;
    // Only windows need more than Qt's own interface; a widget that is none yet may become one.
    if (!widget->isWindow() && widget->parentWidget())
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
