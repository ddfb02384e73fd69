#pragma once

#include "foundation/models/VeskUserModel.h"

#include <QAbstractButton>
#include <QPointer>

#include "uikit/KVDataText.h"

#include <QLabel>

// One row of the member picker: the name and, when ticked, a tick. Ticked names are "007AFF",
// others "666666"; hovering paints the row "#F5F7FA" with a "007AFF" name. A click or an
// assistive tool's toggle flips the row (toggled); the picker then sets the tick it decided.
class KVMemberSelectCollectionItem final : public QAbstractButton {
    Q_OBJECT
public:
    explicit KVMemberSelectCollectionItem(QWidget *parent = nullptr);

    void setModel(const VeskUserModel &model);
    [[nodiscard]] const VeskUserModel &model() const { return m_model; }
    void setSelected(bool selected);
    [[nodiscard]] bool isSelected() const { return isChecked(); }
    [[nodiscard]] bool isHovered() const { return m_hovered; }

    [[nodiscard]] QColor nameColor() const;
    [[nodiscard]] QColor backgroundColor() const;
    [[nodiscard]] bool tickShown() const;

protected:
    void checkStateSet() override { updateLook(); }
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void updateLook();

    VeskUserModel m_model;
    bool m_named = false;
    bool m_hovered = false;
    bool m_hoverShown = false; // the look last applied
    QColor m_lookColour;
    QPointer<KVElidedLabel> m_nameLabel;
    QPointer<QLabel> m_selectedIcon;
};
