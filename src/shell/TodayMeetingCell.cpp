#include "shell/TodayMeetingCell.h"

#include "foundation/StringHelpers.h"
#include "scheduling/MeetingListRules.h"
#include "shell/ShellStyle.h"
#include "shell/ShellTexts.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

TodayMeetingCell::TodayMeetingCell(const MeetingDataModel &meeting, QWidget *parent)
    : QWidget(parent), m_meeting(meeting)
{
    setMinimumHeight(72);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 10, 16, 10);
    row->setSpacing(16);
    const QString time = meeting.beginTimeHourMinute() + QStringLiteral(" - ") + meeting.endTimeHourMinute();
    QLabel *timeLabel = ShellStyle::label(time, this, 14, false, true);
    timeLabel->setMinimumWidth(110);
    row->addWidget(timeLabel);
    auto *column = new QVBoxLayout();
    column->setSpacing(4);
    // The title as every list shows it: bounded, on one line, and isolated inside our names.
    const QString title = KVDataText::isolated(MeetingListRules::shownTitle(meeting.roomName));
    QLabel *name = ShellStyle::dataLabel(title, this, 14);
    QLabel *detail = ShellStyle::label(ShellTexts::kMeetingIdLine.arg(toDisplayMeetingId(meeting.displayRoomId())) +
                                           QStringLiteral("   ") + meeting.statusString(),
                                       this, 12, true);
    column->addWidget(name);
    column->addWidget(detail);
    row->addLayout(column, 1);
    m_info = ShellStyle::textButton(ShellTexts::kInfoRow, this);
    m_info->setAccessibleName(ShellTexts::kInfoRow + QLatin1Char(' ') + title);
    m_invite = ShellStyle::textButton(ShellTexts::kInviteRow, this);
    m_invite->setAccessibleName(ShellTexts::kInviteRow + QLatin1Char(' ') + title);
    row->addWidget(m_info);
    row->addWidget(m_invite);
    connect(m_info, &QAbstractButton::clicked, this, [this] {
        if (onShowInfo)
            onShowInfo(m_meeting);
    });
    connect(m_invite, &QAbstractButton::clicked, this, [this] {
        if (onShowInvite)
            onShowInvite(m_meeting);
    });
    m_join = ShellStyle::primaryButton(ShellTexts::kJoinRow, this, 30);
    m_join->setFixedWidth(72);
    m_join->setAccessibleName(ShellTexts::kJoinRow + QLatin1Char(' ') + title);
    m_join->setToolTip(ShellTexts::kJoinMeeting);
    row->addWidget(m_join);
    setAccessibleName(title);
    connect(m_join, &QAbstractButton::clicked, this, [this] {
        if (onJoinMeeting)
            onJoinMeeting(m_meeting);
    });
}

void TodayMeetingCell::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ShellStyle::cardBackground());
    p.drawRoundedRect(QRectF(rect()).adjusted(0, 2, 0, -2), 8, 8);
}
