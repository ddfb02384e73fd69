#pragma once

#include "meeting/panels/MemberListRules.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class KVElidedLabel;
class KVLayoutConstraint;
class VeskButton;
class VeskMicrophoneIcon;

// One row of the joined participants: the name with its role tags, the live microphone, the
// camera, the right to share (host and assistant hosts only), a check box in batch-remove mode and
// the more button that opens the member's menu. It makes the host's one-member requests itself
// and leaves the control messages that follow to the list through its blocks.
class MeetingRowCell final : public QWidget {
    Q_OBJECT
public:
    static inline const QString kIdentifier = QStringLiteral("MeetingRowCell");

    explicit MeetingRowCell(QWidget *parent = nullptr);

    // Stores the row at once and shows it on a later turn of the main loop (the last row set wins).
    void setModel(const MemberRow &model);
    [[nodiscard]] const MemberRow &model() const { return m_model; }
    // Batch-remove mode: the check box shows and the name moves right and narrows.
    void setCheckModel(bool on);
    [[nodiscard]] bool checkModel() const { return m_checkModel; }
    // The list's per-member menu; kept for the list, not used by the row.
    void setMoreView(QWidget *view) { m_moreView = view; }
    [[nodiscard]] QWidget *moreView() const { return m_moreView; }
    // Neither the host's row nor mine can be ticked.
    [[nodiscard]] bool canCheck() const;
    void clearBKView();

    void updateCheckButtonState();
    void updateNameLabelLayout();
    void shareButtonUI();

    void micAction();
    void cameraAction();
    void shareAcrion();
    void moreAction();
    void checkButtonAction();

    // Pointer over the row (the widget's enter and leave events).
    void mouseEntered();
    void mouseExited();

    std::function<void(const MemberRow &row, bool askToOpen)> micHandleBlock;
    std::function<void(const MemberRow &row)> cameraHandleBlock;
    // x, y: the more button's place in the table's document.
    std::function<void(const MemberRow &row, double x, double y)> moreHandleBlock;
    std::function<void(bool show)> mouseEnteredOrExitedHandleBlock;
    std::function<void()> sharePermisssionChangeBlock;
    std::function<void(bool checked)> removeModelCheckAction;

    // Views and constraints, for the list and the tests.
    [[nodiscard]] QWidget *bkView() const { return m_bkView; }
    [[nodiscard]] KVElidedLabel *nameLabel() const { return m_nameLabel; }
    [[nodiscard]] VeskButton *checkButton() const { return m_checkButton; }
    [[nodiscard]] VeskMicrophoneIcon *microButton() const { return m_microButton; }
    [[nodiscard]] VeskButton *cameraButton() const { return m_cameraButton; }
    [[nodiscard]] VeskButton *shareButton() const { return m_shareButton; }
    [[nodiscard]] VeskButton *moreButton() const { return m_moreButton; }
    [[nodiscard]] KVLayoutConstraint *nameLeftConstraint() const { return m_nameLeftConstraint; }
    [[nodiscard]] KVLayoutConstraint *nameLabelWidthConstraint() const { return m_nameLabelWidthConstraint; }
    [[nodiscard]] KVLayoutConstraint *moreButtonLeftConstraint() const { return m_moreButtonLeftConstraint; }
    [[nodiscard]] KVLayoutConstraint *moreButtonWidthConstraint() const { return m_moreButtonWidthConstraint; }
    [[nodiscard]] double nameLabelBaseWidth() const { return m_nameLabelBaseWidth; }
    // The hover look is on (more button, highlight).
    [[nodiscard]] bool isHovering() const { return m_hovering; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void refresh();
    void showMic(bool on);
    void showCamera(bool on);
    void showShare(bool on);
    void setMoreShown(bool shown);
    void setAccessibleNames();
    [[nodiscard]] bool isCurrent(const MemberRow &row) const { return row && row == m_model; }

    MemberRow m_model;
    bool m_checkModel = false;
    bool m_refreshPending = false;
    bool m_hovering = false;
    bool m_focusWithin = false;
    double m_nameLabelBaseWidth = MemberListRules::kNameBaseWidth;
    QPointer<QWidget> m_moreView;

    QWidget *m_bkView;
    KVElidedLabel *m_nameLabel;
    VeskButton *m_checkButton;
    VeskMicrophoneIcon *m_microButton;
    VeskButton *m_cameraButton;
    VeskButton *m_shareButton;
    VeskButton *m_moreButton;
    KVLayoutConstraint *m_nameLeftConstraint = nullptr;
    KVLayoutConstraint *m_nameLabelWidthConstraint = nullptr;
    KVLayoutConstraint *m_moreButtonLeftConstraint = nullptr;
    KVLayoutConstraint *m_moreButtonWidthConstraint = nullptr;
};
