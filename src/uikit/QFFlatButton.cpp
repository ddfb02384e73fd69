#include "uikit/QFFlatButton.h"

#include "uikit/VeskCategories.h"

QFFlatButton::QFFlatButton(QWidget *parent) : QFFlatButton(QString(), parent) {}

QFFlatButton::QFFlatButton(const QString &title, QWidget *parent) : VeskButton(title, parent)
{
    setFont(vesk::systemFont(14));
    setTextColor(vesk::colorWithHexString(QStringLiteral("333333")));
}
