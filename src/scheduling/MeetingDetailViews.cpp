#include "scheduling/MeetingDetailViews.h"

#include "foundation/models/MeetingDataModel.h"
#include "scheduling/RecordTexts.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskCategories.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>

namespace MeetingDetailViews {

QLabel *plain(QWidget *parent, int size, const char *color, QFont::Weight weight)
{
    auto *l = new QLabel(parent);
    l->setTextFormat(Qt::PlainText);
    l->setFont(vesk::systemFont(size, weight));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, vesk::colorWithHexString(QLatin1String(color)));
    l->setPalette(pal);
    return l;
}

void apply(QWidget *w, MeetingListRules::Show show)
{
    if (show == MeetingListRules::Show::Unchanged)
        return;
    // A hidden button is disabled too: a screen reader's press reaches hidden buttons as well.
    w->setVisible(show == MeetingListRules::Show::Shown);
    w->setEnabled(show == MeetingListRules::Show::Shown);
}

Head addHead(QWidget *parent, QBoxLayout *column, int timeSize)
{
    Head head;
    auto *titleRow = new QHBoxLayout();
    head.title = new KVElidedLabel(parent);
    head.title->setFont(vesk::systemFont(18, QFont::DemiBold));
    head.period = new QLabel(parent);
    head.period->setFixedSize(16, 16);
    head.period->setAccessibleName(RecordTexts::kRecurring);
    titleRow->addWidget(head.title, 1);
    titleRow->addWidget(head.period);
    column->addLayout(titleRow);

    auto *times = new QGridLayout();
    head.beginTime = plain(parent, timeSize, "333333", QFont::DemiBold);
    head.beginDate = plain(parent, 12, "999999");
    head.duration = plain(parent, 12, "666666");
    head.duration->setAlignment(Qt::AlignCenter);
    head.status = plain(parent, 12);
    head.status->setAlignment(Qt::AlignCenter);
    head.endTime = plain(parent, timeSize, "333333", QFont::DemiBold);
    head.endDate = plain(parent, 12, "999999");
    head.endTime->setAlignment(Qt::AlignRight);
    head.endDate->setAlignment(Qt::AlignRight);
    times->addWidget(head.beginTime, 0, 0);
    times->addWidget(head.duration, 0, 1);
    times->addWidget(head.endTime, 0, 2);
    times->addWidget(head.beginDate, 1, 0);
    times->addWidget(head.status, 1, 1);
    times->addWidget(head.endDate, 1, 2);
    column->addLayout(times);
    return head;
}

void showStatus(QLabel *status, const MeetingDataModel &meeting)
{
    status->setText(meeting.statusString());
    QPalette pal = status->palette();
    pal.setColor(QPalette::WindowText,
                 vesk::colorWithHexString(meeting.status == 0 ? QStringLiteral("FFB348") : QStringLiteral("2ABA00")));
    status->setPalette(pal);
}

} // namespace MeetingDetailViews
