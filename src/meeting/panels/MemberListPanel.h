#pragma once

#include <QObject>
#include <QPointer>

class KVWindow;
class MeetingViewController;
class MemberListViewController;
class VeskButton;

// The meeting window's member-list window: built once, hidden, on first use (the list then is
// the manager's wait-room delegate for the rest of the meeting), opened beside the meeting window
// or beside the floating share tool bar, and closed.
class MemberListPanel final : public QObject {
    Q_OBJECT
public:
    static constexpr int kWidth = 342;
    static constexpr double kDesignHeight = 950;
    // Opened from the share tool bar, the list sits this much lower than the bar's top.
    static constexpr double kShareBarAdjustY = -118;

    MemberListPanel(MeetingViewController *window, QObject *parent);

    // The list, with its window made (not shown) on first use.
    MemberListViewController *memberListViewController();
    // The sender's state says whether to open (on) or close the list; nullptr opens it.
    void showOrHideMember(VeskButton *sender);

private:
    void open(VeskButton *sender);
    void close();

    MeetingViewController *m_window;
};
