#include "meeting/panels/InviteSearchRemindView.h"

#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskLayer.h"
#include "uikit/VeskTableRowView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

RemindCell::RemindCell(const VeskUserModel &user, QWidget *parent) : QAbstractButton(parent), m_userModel(user)
{
    // Tab reaches the suggestions from the search field; a pick puts the keyboard back in it.
    setFocusPolicy(Qt::TabFocus);
    setFixedHeight(kRowHeight);
    setAttribute(Qt::WA_Hover);
    const QString id = QStringLiteral("(%1)").arg(user.userId);
    const QString name = KVDataText::bounded(user.userName, DataText::kNameLength);
    setAccessibleName(name + QLatin1Char(' ') + id);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(6);
    label = KVDataText::label(name, this);
    idLabel = KVDataText::label(id, this);
    for (QLabel *l : {label.data(), idLabel.data()}) {
        l->setFont(vesk::systemFont(13));
        l->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    idLabel->setStyleSheet(QStringLiteral("color: #999999; background: transparent;"));
    row->addWidget(label);
    row->addWidget(idLabel, 1);
}

void RemindCell::paintEvent(QPaintEvent *)
{
    if (!underMouse() && !hasFocus())
        return;
    QPainter p(this);
    p.fillRect(rect(), QColor(0, 0, 0, 77));
}

InviteSearchRemindView::InviteSearchRemindView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("InviteSearchRemindView"));
    vesk::setBackgroundColor(this, vesk::colorWithHexString(QStringLiteral("#262627")));
    if (VeskLayer *layer = VeskLayer::of(this)) {
        layer->setBorderColor(QColor(255, 255, 255, 102));
        layer->setBorderWidth(1);
    }
    remindTable = new QScrollArea(this);
    remindTable->setFrameShape(QFrame::NoFrame);
    remindTable->setWidgetResizable(true);
    remindTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    remindTable->setStyleSheet(QStringLiteral("background: transparent;"));
    remindTable->setFocusPolicy(Qt::NoFocus);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(1, 1, 1, 1);
    outer->addWidget(remindTable);
    m_rows = new QWidget();
    m_rowsLayout = new QVBoxLayout(m_rows);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(0);
    m_rowsLayout->addStretch(1);
    remindTable->setWidget(m_rows);
}

void InviteSearchRemindView::setUserArr(const QList<VeskUserModel> &users)
{
    m_userArr = users;
    // Later: a row may be the one whose click brought this about.
    for (RemindCell *cell : cells()) {
        QWidget *rowView = cell->parentWidget();
        rowView->hide();
        rowView->setParent(nullptr);
        rowView->deleteLater();
    }
    int at = 0;
    for (const VeskUserModel &user : users) {
        auto *rowView = new VeskTableRowView(m_rows);
        rowView->setHighlightColor(QColor(0, 0, 0, 77));
        auto *rowLayout = new QVBoxLayout(rowView);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        auto *cell = new RemindCell(user, rowView);
        rowLayout->addWidget(cell);
        // A pick is never left selected: the user goes to the list instead.
        connect(cell, &RemindCell::clicked, this, [this, cell] {
            if (selectedModelBlock)
                selectedModelBlock(cell->userModel());
        });
        m_rowsLayout->insertWidget(at++, rowView);
    }
}

QList<RemindCell *> InviteSearchRemindView::cells() const
{
    return m_rows ? m_rows->findChildren<RemindCell *>() : QList<RemindCell *>();
}
