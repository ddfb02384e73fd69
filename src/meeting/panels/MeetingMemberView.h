#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class MeetingMemberModel;
class MemberCellView;
class QLabel;
class QScrollArea;
class QVBoxLayout;
class VeskButton;

// A plain list of the meeting's participants under a title that counts them; no host actions.
class MeetingMemberView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 373;

    explicit MeetingMemberView(QWidget *parent = nullptr);

    // 300 x 373, centred vertically, 20 inside the superview's trailing edge.
    void layoutSelf();
    void setMembers(const QList<std::shared_ptr<MeetingMemberModel>> &members);
    [[nodiscard]] const QList<std::shared_ptr<MeetingMemberModel>> &members() const { return m_members; }
    [[nodiscard]] QList<MemberCellView *> cells() const;
    // The close button.
    void closeSelf();

    std::function<void()> memberViewClosedBlock;

    QPointer<QLabel> title;
    QPointer<QScrollArea> memberTableView;
    QPointer<VeskButton> closeButton;

private:
    QList<std::shared_ptr<MeetingMemberModel>> m_members;
    QPointer<QWidget> m_rows;
    QPointer<QVBoxLayout> m_rowsLayout;
};
