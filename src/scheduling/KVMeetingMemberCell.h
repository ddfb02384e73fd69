#pragma once

#include "foundation/models/VeskUserModel.h"

#include <QPointer>
#include <QWidget>

#include <functional>

#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"

// One member chip: the name (or "..." as the last chip of a two-line list) and, when asked, a
// delete button. Normal chips are grey; mini chips have an inner background, white on slate in
// dark mode. Set darkMode before miniMode: the look is rebuilt by setMiniMode.
class KVMeetingMemberCell final : public QWidget {
    Q_OBJECT
public:
    explicit KVMeetingMemberCell(QWidget *parent = nullptr);

    // The chip's size for a name: width ceil(text + 6 + 6 (+ 16 with the delete button)), the
    // text measured in the 12-point system font; fixed height.
    [[nodiscard]] static QSize sizeFit(const QString &text, bool showDelete, int cellHieght);

    void setModel(const VeskUserModel &model);
    [[nodiscard]] const VeskUserModel &model() const { return m_model; }
    void setShowDelete(bool show);
    [[nodiscard]] bool showDelete() const { return m_showDelete; }
    void setMiniMode(bool mini);
    [[nodiscard]] bool miniMode() const { return m_miniMode; }
    void setDarkMode(bool dark) { m_darkMode = dark; }
    [[nodiscard]] bool darkMode() const { return m_darkMode; }
    // The chip shows "..." in place of the name (set by the two-line layout on every pass).
    void setTowLineLastItem(bool last);
    [[nodiscard]] bool isTowLineLastItem() const { return m_towLineLastItem; }

    // The delete button was pressed.
    std::function<void(KVMeetingMemberCell *cell)> onDelete;

    [[nodiscard]] QString shownText() const;
    [[nodiscard]] QColor nameColor() const { return m_nameColor; }
    [[nodiscard]] QColor chipColor() const { return m_chipColor; }
    [[nodiscard]] VeskButton *deleteButton() const { return m_deleteBtn; }
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createUI();
    void updateText();
    void layoutChildren();
    void updateSizeHint();

    VeskUserModel m_model;
    bool m_showDelete = false;
    bool m_miniMode = false;
    bool m_darkMode = false;
    bool m_towLineLastItem = false;
    int m_titleTrailing = 6;
    QSize m_sizeHint; // measured when the name or the button changes, not on every layout pass
    QColor m_nameColor;
    QColor m_chipColor;
    QPointer<KVElidedLabel> m_userLabel;
    QPointer<VeskButton> m_deleteBtn;
};
