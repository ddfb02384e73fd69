#pragma once

// What the two views of one meeting's details (its own window and the meeting list's detail pane)
// build and fill alike: plain labels, the head of title and times, the coloured state.

#include "scheduling/MeetingListRules.h"

#include <QFont>

class KVElidedLabel;
class QBoxLayout;
class QLabel;
class QWidget;
struct MeetingDataModel;

namespace MeetingDetailViews {

// A plain-text label in the system font.
[[nodiscard]] QLabel *plain(QWidget *parent, int size, const char *color = "333333",
                            QFont::Weight weight = QFont::Normal);

// Shows and enables, or hides and disables, w as the rules say; Unchanged leaves it.
void apply(QWidget *w, MeetingListRules::Show show);

// The head: the title with the recurring mark beside it, the begin and end times over their
// dates, the duration over the state between them.
struct Head {
    KVElidedLabel *title = nullptr;
    QLabel *period = nullptr;
    QLabel *beginTime = nullptr;
    QLabel *beginDate = nullptr;
    QLabel *duration = nullptr;
    QLabel *status = nullptr;
    QLabel *endTime = nullptr;
    QLabel *endDate = nullptr;
};
// Adds the head's two rows to column; timeSize: the point size of the two times.
[[nodiscard]] Head addHead(QWidget *parent, QBoxLayout *column, int timeSize);

// The meeting's state in its colour: orange before it starts, green once it runs.
void showStatus(QLabel *status, const MeetingDataModel &meeting);

} // namespace MeetingDetailViews
