#include "settings/MainSettingCell.h"

#include "uikit/KVAccessibility.h"
#include "uikit/KVFlatView.h"
#include "uikit/VeskCategories.h"

#include <QLabel>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace {
constexpr int kRowHeight = 40;
const QString kSelectedTitle = QStringLiteral("007AFF");
// The "setting_title" colour of each appearance.
const QString kTitleLight = QStringLiteral("333333");
const QString kTitleDark = QStringLiteral("E5E5E5");
} // namespace

MainSettingCell::MainSettingCell(const QString &title, QWidget *parent) : QAbstractButton(parent)
{
    // Before anything asks for its interface.
    KVAccessibility::install();
    setText(title);
    setAccessibleName(title);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    // A page tab whose selection is the side bar's choice (a click does not flip it).
    setCheckable(true);
    KVAccessibility::setRole(this, QAccessible::PageTab);
    m_selectBgView = new KVFlatView(this);
    m_selectBgView->setCornerRadius(4);
    m_selectBgView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_titleLabel = new QLabel(title, this);
    m_titleLabel->setTextFormat(Qt::PlainText);
    // Inside a button a label would take the button's text role.
    m_titleLabel->setForegroundRole(QPalette::WindowText);
    m_titleLabel->setFont(vesk::systemFont(14));
    m_titleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    updateLook();
}

QSize MainSettingCell::sizeHint() const
{
    return {150, kRowHeight};
}

void MainSettingCell::setSelected(bool selected)
{
    m_selected = selected;
    setChecked(selected);
    updateLook();
}

void MainSettingCell::setDarkAppearance(bool dark)
{
    m_dark = dark;
    updateLook();
}

void MainSettingCell::updateLook()
{
    m_selectBgView->setBackgroundColor(m_dark ? vesk::colorWithHexString(QStringLiteral("3A3B40"))
                                              : vesk::colorWithHexString(QStringLiteral("E8F1FF")));
    m_selectBgView->setVisible(m_selected);
    QPalette pal = m_titleLabel->palette();
    pal.setColor(QPalette::WindowText,
                 vesk::colorWithHexString(m_selected ? kSelectedTitle : (m_dark ? kTitleDark : kTitleLight)));
    m_titleLabel->setPalette(pal);
}

void MainSettingCell::resizeEvent(QResizeEvent *event)
{
    QAbstractButton::resizeEvent(event);
    m_selectBgView->setGeometry(rect().adjusted(8, 2, -8, -2));
    m_titleLabel->setGeometry(rect().adjusted(24, 0, -8, 0));
}

void MainSettingCell::paintEvent(QPaintEvent *)
{
    // The children draw the row; only the keyboard focus is drawn here.
    if (hasFocus()) {
        QPainter p(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(6, 1, -6, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}
