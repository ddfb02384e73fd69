#pragma once

#include "meeting/panels/MemberListRules.h"

#include <QWidget>

#include <functional>

class VeskButton;

// The host's menu of one member: make or withdraw an assistant host, move to the waiting room,
// remove from the meeting. Each entry closes the menu, then reports the choice.
class MemberMoreActionView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 124;
    static constexpr int kHeight = 110;

    explicit MemberMoreActionView(QWidget *parent = nullptr);

    // The member; titles the assistant-host entry after its role.
    void setModel(const MemberRow &model);
    [[nodiscard]] const MemberRow &model() const { return m_model; }
    // The table row of the member whose menu is open.
    int row = 0;

    void assistantHostACtion();
    void removeToWAitingRoomAction();
    void moveOutMeetingRoomAction();

    // grant: true makes the member an assistant host, false takes the role back.
    std::function<void(const MemberRow &row, bool grant)> assistantHostBlock;
    std::function<void(const MemberRow &row)> removeToWaitingRoomBlock;
    std::function<void(const MemberRow &row)> moveOutMeetingRoomBlock;

    [[nodiscard]] QWidget *bkView() const { return m_bkView; }
    [[nodiscard]] VeskButton *assistantLabel() const { return m_assistantLabel; }
    [[nodiscard]] VeskButton *waitingRoomButton() const { return m_waitingRoomButton; }
    [[nodiscard]] VeskButton *moveOutButton() const { return m_moveOutButton; }

private:
    void closeMenu();

    MemberRow m_model;
    QWidget *m_bkView;
    VeskButton *m_assistantLabel;
    VeskButton *m_waitingRoomButton;
    VeskButton *m_moveOutButton;
};
