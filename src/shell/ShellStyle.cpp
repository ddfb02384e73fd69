#include "shell/ShellStyle.h"

#include "uikit/KVDataText.h"
#include "uikit/KVTextField.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskLayer.h"

#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace {
QColor hex(const char *h)
{
    return vesk::colorWithHexString(QLatin1String(h));
}

VeskButton *makeButton(const QString &title, QWidget *parent, int height)
{
    auto *button = new VeskButton(title, parent);
    button->setAccessibleName(title);
    button->setFont(vesk::systemFont(14));
    button->setMinimumHeight(height);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::StrongFocus);
    VeskLayer::of(button)->setCornerRadius(6);
    return button;
}
} // namespace

QColor ShellStyle::windowBackground()
{
    return hex("#1B1C1F");
}
QColor ShellStyle::cardBackground()
{
    return hex("#26282C");
}
QColor ShellStyle::primaryText()
{
    return Qt::white;
}
QColor ShellStyle::secondaryText()
{
    return hex("#A6A7AB");
}
QColor ShellStyle::accent()
{
    return hex("#007AFF");
}
QColor ShellStyle::danger()
{
    return hex("#FF656B");
}

void ShellStyle::applyWindowLook(QWidget *window)
{
    QPalette pal = window->palette();
    pal.setColor(QPalette::Window, windowBackground());
    pal.setColor(QPalette::WindowText, primaryText());
    pal.setColor(QPalette::Base, cardBackground());
    pal.setColor(QPalette::AlternateBase, cardBackground());
    pal.setColor(QPalette::Text, primaryText());
    pal.setColor(QPalette::PlaceholderText, secondaryText());
    pal.setColor(QPalette::Button, cardBackground());
    pal.setColor(QPalette::ButtonText, primaryText());
    pal.setColor(QPalette::Highlight, accent());
    window->setPalette(pal);
    window->setAutoFillBackground(true);
}

VeskButton *ShellStyle::primaryButton(const QString &title, QWidget *parent, int height)
{
    VeskButton *button = makeButton(title, parent, height);
    VeskLayer::of(button)->setBackgroundColor(accent());
    button->setTextColor(Qt::white);
    return button;
}

VeskButton *ShellStyle::secondaryButton(const QString &title, QWidget *parent, int height)
{
    VeskButton *button = makeButton(title, parent, height);
    VeskLayer *layer = VeskLayer::of(button);
    layer->setBackgroundColor(cardBackground());
    layer->setBorderColor(hex("#3A3C42"));
    layer->setBorderWidth(1);
    button->setTextColor(primaryText());
    return button;
}

VeskButton *ShellStyle::textButton(const QString &title, QWidget *parent)
{
    VeskButton *button = makeButton(title, parent, 28);
    button->setTextColor(secondaryText());
    return button;
}

namespace {
void applyLabelLook(QLabel *l, qreal pointSize, bool secondary, bool bold)
{
    l->setFont(vesk::systemFont(pointSize, bold ? QFont::DemiBold : QFont::Normal));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, secondary ? ShellStyle::secondaryText() : ShellStyle::primaryText());
    l->setPalette(pal);
}
} // namespace

QLabel *ShellStyle::label(const QString &text, QWidget *parent, qreal pointSize, bool secondary, bool bold)
{
    QLabel *l = KVDataText::label(text, parent);
    applyLabelLook(l, pointSize, secondary, bold);
    return l;
}

KVElidedLabel *ShellStyle::dataLabel(const QString &text, QWidget *parent, qreal pointSize, bool secondary)
{
    auto *l = new KVElidedLabel(parent);
    l->setFullText(text);
    applyLabelLook(l, pointSize, secondary, false);
    return l;
}

void ShellStyle::applyFieldLook(KVTextFieldView *field)
{
    QPalette pal = field->textField()->palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    pal.setColor(QPalette::Text, primaryText());
    pal.setColor(QPalette::PlaceholderText, secondaryText());
    field->textField()->setPalette(pal);
}

QLabel *ShellStyle::inlineMessage(QWidget *parent)
{
    auto *l = label(QString(), parent, 12);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, danger());
    l->setPalette(pal);
    l->setWordWrap(true);
    l->setVisible(false);
    return l;
}

void ShellStyle::setInlineMessage(QLabel *label, const QString &text)
{
    KVDataText::setText(label, text); // the service's words
    label->setAccessibleName(text);
    label->setVisible(!text.isEmpty());
}
