#pragma once

// A plain picker: a grid of candidates with share and close. The chosen candidate (or none, on
// close) goes to completionBlock. Nothing in the program opens it yet.

#include "uikit/VeskMaskView.h"

#include <QList>
#include <QPixmap>
#include <QPointer>

#include <functional>
#include <optional>

class QGridLayout;
class VeskButton;

struct ShareSelectViewModel {
    QPixmap image;
    QString title;
};

class ShareSelectView final : public VeskMaskView {
    Q_OBJECT
public:
    explicit ShareSelectView(QWidget *parent = nullptr);

    void setShareArr(const QList<ShareSelectViewModel> &entries);
    [[nodiscard]] const QList<ShareSelectViewModel> &shareArr() const { return m_entries; }
    [[nodiscard]] const std::optional<ShareSelectViewModel> &shareData() const { return m_chosen; }
    // The chosen entry, or nothing for a cancel.
    std::function<void(const std::optional<ShareSelectViewModel> &entry)> completionBlock;
    // Tile size in a grid w wide: (w - 40) / 3 by 2 (w - 40) / 9.
    [[nodiscard]] static QSize tileSize(int gridWidth);

    void layoutSelf();
    void selectItem(int index);
    void shareBtnPressed();
    void closeSelf();
    [[nodiscard]] QList<VeskButton *> items() const { return m_items; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void rebuild();

    QList<ShareSelectViewModel> m_entries;
    std::optional<ShareSelectViewModel> m_chosen;
    QPointer<QWidget> shareCollectionView;
    QPointer<QGridLayout> m_grid;
    QList<VeskButton *> m_items;
};
