#pragma once

#include "scheduling/MemberChipGeometry.h"

#include <QLayout>
#include <QList>

// The item keeping of the member chip layouts: items in order, each sized by its size hint,
// placed by a subclass from the pure geometry of MemberChipGeometry.
class MemberChipLayout : public QLayout {
    Q_OBJECT
public:
    explicit MemberChipLayout(QWidget *parent = nullptr);
    ~MemberChipLayout() override;

    void setFlowSpacing(const MemberChipGeometry::FlowSpacing &spacing);
    [[nodiscard]] const MemberChipGeometry::FlowSpacing &flowSpacing() const { return m_spacing; }

    void addItem(QLayoutItem *item) override;
    [[nodiscard]] int count() const override { return int(m_items.size()); }
    [[nodiscard]] QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    [[nodiscard]] Qt::Orientations expandingDirections() const override { return {}; }
    [[nodiscard]] bool hasHeightForWidth() const override { return true; }
    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSize() const override;

    // The size hints of the items, in order (kept until the layout is invalidated).
    [[nodiscard]] const QList<QSize> &itemSizes() const;
    void invalidate() override;

protected:
    // Places item i at frame, touching the widget only when its frame changed.
    void place(qsizetype i, const QRect &frame);

    QList<QLayoutItem *> m_items;
    MemberChipGeometry::FlowSpacing m_spacing;

private:
    mutable QList<QSize> m_sizes;
    mutable bool m_sizesValid = false;
    QList<QRect> m_placed; // the frames of the last pass
};
