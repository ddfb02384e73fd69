#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class KVWindow;
class MacBaseWindowController;
class MeetingBottomButton;
class MeetingPanels;
class MemberListViewController;
class QLabel;
class QWidget;
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

    // The window's member-list button, its label and the waiting-room red dot.
    struct Views {
        QPointer<MeetingBottomButton> memberListBtn;
        QPointer<QLabel> memberLabel;
        QPointer<QWidget> memberBtnRedDot;
    };
    struct Calls {
        // The floating share tool bar's window controller while the user shares, else nullptr.
        std::function<MacBaseWindowController *()> shareToolBar;
    };

    MemberListPanel(MeetingPanels &panels, Views views, Calls calls);

    // The list, with its window made (not shown) on first use.
    MemberListViewController *memberListViewController();
    // The sender's state says whether to open (on) or close the list; nullptr opens it.
    void showOrHideMember(VeskButton *sender);

private:
    void open(VeskButton *sender);
    void close();

    MeetingPanels &m_panels;
    const Views m_views;
    const Calls m_calls;
};
