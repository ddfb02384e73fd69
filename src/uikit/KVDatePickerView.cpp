#include "uikit/KVDatePickerView.h"

#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskLayer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
QColor hex(const char *h)
{
    return vesk::colorWithHexString(QLatin1String(h));
}

QListWidget *makeList(QWidget *parent, const QString &name)
{
    auto *list = new QListWidget(parent);
    list->setAccessibleName(name);
    list->setFrameShape(QFrame::NoFrame);
    list->setFont(vesk::systemFont(14));
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setUniformItemSizes(true);
    list->setStyleSheet(QStringLiteral("QListWidget { background: transparent; color: #333333; outline: 0; }"
                                       "QListWidget::item { height: 30px; }"
                                       "QListWidget::item:selected { background: #E5F1FF; color: #007AFF; }"));
    return list;
}

QVBoxLayout *column(const QString &title, QListWidget *list)
{
    auto *col = new QVBoxLayout();
    col->setSpacing(4);
    auto *label = new QLabel(title);
    label->setFont(vesk::systemFont(12));
    label->setAlignment(Qt::AlignCenter);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, hex("999999"));
    label->setPalette(pal);
    col->addWidget(label);
    col->addWidget(list, 1);
    return col;
}

int rowOf(QListWidget *list, int value)
{
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->data(Qt::UserRole).toInt() == value)
            return i;
    }
    return -1;
}
} // namespace

KVDatePickerView::KVDatePickerView(QWidget *parent)
    : QWidget(parent), m_days(makeList(this, QStringLiteral("日期"))), m_hours(makeList(this, QStringLiteral("时"))),
      m_minutes(makeList(this, QStringLiteral("分"))), m_confirm(new VeskButton(QStringLiteral("确定"), this))
{
    resize(346, 270);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->setSpacing(8);
    auto *lists = new QHBoxLayout();
    lists->setSpacing(6);
    lists->addLayout(column(QStringLiteral("日期"), m_days), 2);
    lists->addLayout(column(QStringLiteral("时"), m_hours), 1);
    lists->addLayout(column(QStringLiteral("分"), m_minutes), 1);
    layout->addLayout(lists, 1);
    m_confirm->setFont(vesk::systemFont(14));
    m_confirm->setTextColor(Qt::white);
    m_confirm->setFixedSize(72, 28);
    VeskLayer::of(m_confirm)->setBackgroundColor(hex("007AFF"));
    VeskLayer::of(m_confirm)->setCornerRadius(4);
    layout->addWidget(m_confirm, 0, Qt::AlignRight);
    connect(m_confirm, &QAbstractButton::clicked, this, [this] {
        if (onConfirm)
            onConfirm();
    });
    for (QListWidget *list : {m_days, m_hours, m_minutes})
        connect(list, &QListWidget::currentRowChanged, this, [this](int) { userChanged(); });
}

void KVDatePickerView::reloadData()
{
    reloadData(QDateTime::currentDateTime());
}

void KVDatePickerView::reloadData(const QDateTime &now)
{
    m_model.reload(now);
    m_shown = m_model.snapped(m_model.selectedDate);
    fillLists();
}

void KVDatePickerView::fillLists()
{
    const QSignalBlocker b1(m_days), b2(m_hours), b3(m_minutes);
    const QLocale zh(QLocale::Chinese, QLocale::China);
    m_days->clear();
    m_hours->clear();
    m_minutes->clear();
    if (!m_shown.isValid())
        return;
    const QList<QDate> days = m_model.days();
    for (const QDate &d : days) {
        auto *item = new QListWidgetItem(zh.toString(d, QStringLiteral("M月d日 ddd")), m_days);
        item->setData(Qt::UserRole, int(d.toJulianDay() - days.first().toJulianDay()));
        item->setData(Qt::UserRole + 1, d);
        item->setTextAlignment(Qt::AlignCenter);
    }
    for (int h : m_model.hours(m_shown.date())) {
        auto *item = new QListWidgetItem(QStringLiteral("%1").arg(h, 2, 10, QLatin1Char('0')), m_hours);
        item->setData(Qt::UserRole, h);
        item->setTextAlignment(Qt::AlignCenter);
    }
    for (int m : m_model.minutes(m_shown.date(), m_shown.time().hour())) {
        auto *item = new QListWidgetItem(QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0')), m_minutes);
        item->setData(Qt::UserRole, m);
        item->setTextAlignment(Qt::AlignCenter);
    }
    m_days->setCurrentRow(int(days.indexOf(m_shown.date())));
    m_hours->setCurrentRow(rowOf(m_hours, m_shown.time().hour()));
    m_minutes->setCurrentRow(rowOf(m_minutes, m_shown.time().minute()));
    for (QListWidget *list : {m_days, m_hours, m_minutes}) {
        if (list->currentItem())
            list->scrollToItem(list->currentItem(), QAbstractItemView::PositionAtCenter);
    }
}

void KVDatePickerView::userChanged()
{
    if (!m_shown.isValid())
        return;
    const QListWidgetItem *day = m_days->currentItem();
    const QListWidgetItem *hour = m_hours->currentItem();
    const QListWidgetItem *minute = m_minutes->currentItem();
    const QDate d = day ? day->data(Qt::UserRole + 1).toDate() : m_shown.date();
    const int h = hour ? hour->data(Qt::UserRole).toInt() : m_shown.time().hour();
    const int m = minute ? minute->data(Qt::UserRole).toInt() : m_shown.time().minute();
    const QDateTime chosen = m_model.choose(d, h, m);
    if (chosen == m_shown)
        return;
    m_shown = chosen;
    m_model.selectedDate = chosen;
    fillLists();
    if (onSelectedDate)
        onSelectedDate(chosen);
}

void KVDatePickerView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(hex("E5E5E5"), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}
