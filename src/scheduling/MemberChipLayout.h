#pragma once

#include "scheduling/MemberChipGeometry.h"

#include <QLayout>
#include <QList>
#include <QRect>
#include <QWidget>

#include <functional>

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
    // Deletes the chips later, all with one posted event: each deleted widget searches the posted
    // events for its own, so a deferred delete of each of 2,000 chips costs 2,000 x 2,000.
    template <typename Chip> static void deleteLater(const QList<Chip *> &chips)
    {
        if (chips.isEmpty())
            return;
        auto *bin = new QWidget; // never shown
        for (Chip *chip : chips)
            chip->setParent(bin);
        bin->deleteLater();
    }
    // Drops every item at once (the widgets stay): removing them one by one searches the list each time.
    void removeAllItems();
    [[nodiscard]] Qt::Orientations expandingDirections() const override { return {}; }
    [[nodiscard]] bool hasHeightForWidth() const override { return true; }
    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSize() const override;

    // The size hints of the items, in order (kept until the layout is invalidated).
    [[nodiscard]] const QList<QSize> &itemSizes() const;
    void invalidate() override;

    // The part of the layout's widget that can be seen (a scrolled field's view and some slack),
    // asked at each pass; empty: all of it. A chip out of it both where it is and where a pass puts
    // it is moved only once it comes into it (placeInSight), so a pass over thousands of chips
    // moves the few in sight.
    void setVisibleArea(std::function<QRect()> area) { m_visibleArea = std::move(area); }
    // Moves the chips that came into the visible area to their frames of the last pass.
    void placeInSight();
    // Moves item i to its frame of the last pass now, wherever it is.
    void placeItem(qsizetype i);
    // The frame item i got in the last pass (where it is, or will be once seen).
    [[nodiscard]] QRect frameOf(qsizetype i) const { return m_frames.value(i); }

protected:
    // Gives every item its frame of this pass, one per item in order.
    void placeAll(QList<QRect> frames);

    QList<QLayoutItem *> m_items;
    MemberChipGeometry::FlowSpacing m_spacing;

private:
    mutable QList<QSize> m_sizes;
    mutable bool m_sizesValid = false;
    QList<QRect> m_frames;  // the frames of the last pass
    QList<QRect> m_applied; // the frames the items were given (kept apart: reading thousands of
                            // widgets' geometry costs as much as setting it)
    std::function<QRect()> m_visibleArea;
};
