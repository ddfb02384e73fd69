#include "scheduling/KVMemberSelectCollectionItem.h"

#include "scheduling/MemberChipGeometry.h"
#include "scheduling/SchedulingIcons.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"

#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>

KVMemberSelectCollectionItem::KVMemberSelectCollectionItem(QWidget *parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
    m_nameLabel = new KVElidedLabel(this);
    m_nameLabel->setFont(vesk::systemFont(14));
    m_nameLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Inside a scroll area the label would draw in the window's text colour, not the row's.
    m_nameLabel->setForegroundRole(QPalette::WindowText);
    m_selectedIcon = new QLabel(this);
    m_selectedIcon->setPixmap(SchedulingIcons::image(SchedulingIcons::kTick, 16));
    m_selectedIcon->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_selectedIcon->hide();
    setFixedHeight(MemberChipGeometry::kSelectRowHeight);
    updateLook();
}

void KVMemberSelectCollectionItem::setModel(const VeskUserModel &model)
{
    // Rows are reused on every update: the same name changes nothing and tells no screen reader.
    const bool sameName = m_named && m_model.userName == model.userName;
    m_model = model;
    if (sameName)
        return;
    m_named = true;
    const QString name = model.userName.isEmpty() ? QString() : model.userName;
    m_nameLabel->setFullText(name);
    // The button's text is never drawn as markup: it only names the row.
    setText(name);
    setAccessibleName(name);
}

void KVMemberSelectCollectionItem::setSelected(bool selected)
{
    if (selected != isChecked()) {
        const QSignalBlocker quiet(this); // the picker's own decision, not a user's toggle
        setChecked(selected);
    }
    // A click or Space flips the state with the button's refresh held back until it is done, so
    // the state may already be the one decided: the look follows it in any case.
    updateLook();
}

QColor KVMemberSelectCollectionItem::nameColor() const
{
    static const QColor chosen = vesk::colorWithHexString(QStringLiteral("007AFF"));
    static const QColor other = vesk::colorWithHexString(QStringLiteral("666666"));
    return m_hovered || isChecked() ? chosen : other;
}

QColor KVMemberSelectCollectionItem::backgroundColor() const
{
    static const QColor hovered = vesk::colorWithHexString(QStringLiteral("#F5F7FA"));
    return m_hovered ? hovered : QColor(Qt::transparent);
}

bool KVMemberSelectCollectionItem::tickShown() const
{
    return !m_selectedIcon->isHidden();
}

void KVMemberSelectCollectionItem::updateLook()
{
    // Only a changed look is applied: a palette set on every update reaches every row's label.
    const QColor colour = nameColor();
    if (colour == m_lookColour && m_hoverShown == m_hovered && tickShown() == isChecked())
        return;
    if (colour != m_lookColour) {
        m_lookColour = colour;
        QPalette pal = m_nameLabel->palette();
        pal.setColor(QPalette::WindowText, colour);
        m_nameLabel->setPalette(pal);
    }
    m_hoverShown = m_hovered;
    m_selectedIcon->setVisible(isChecked());
    update();
}

void KVMemberSelectCollectionItem::resizeEvent(QResizeEvent *event)
{
    QAbstractButton::resizeEvent(event);
    m_nameLabel->setGeometry(16, 0, std::max(0, width() - 16 - 40), height());
    m_selectedIcon->setGeometry(width() - 32, (height() - 16) / 2, 16, 16);
}

void KVMemberSelectCollectionItem::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    m_hovered = true;
    updateLook();
}

void KVMemberSelectCollectionItem::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    m_hovered = false;
    updateLook();
}

void KVMemberSelectCollectionItem::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), backgroundColor());
    if (hasFocus()) {
        p.setPen(QPen(vesk::colorWithHexString(QStringLiteral("007AFF")), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}
