#pragma once

#include "agent/MeetingActiveModel.h"

#include <QList>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <functional>
#include <memory>

class QScrollArea;
class VeskButton;

// The participants' tiles in a small floating window while the user shares a screen or a window:
// folded to its header, one tile, or every tile, chosen by three exclusive buttons; a fourth
// collapses it to its tab (the sharing code's miniActionBlock). The strip sizes the window that
// holds it; alone, it sizes itself.
class FloatingMediaView final : public QWidget {
    Q_OBJECT
public:
    using Tile = std::shared_ptr<MeetingActiveModel>;
    enum class Mode { Hide, One, All };

    static constexpr int kWidth = 216;
    static constexpr int kHeaderHeight = 74; // the buttons and the separator under them
    static constexpr int kTileHeight = 120;
    static constexpr int kTileSpacing = 2;
    static constexpr int kMaxHeight = 560; // the list scrolls beyond it

    // The content size of the strip's window for a mode and a number of tiles.
    [[nodiscard]] static QSize contentSizeFor(Mode mode, qsizetype tiles);

    explicit FloatingMediaView(QWidget *parent = nullptr);
    ~FloatingMediaView() override;

    // Stores the tiles; an empty list folds the strip, a list given to a folded strip opens one
    // tile (a choice of one or all stays). Then refreshUI.
    void setActiveMembers(const QList<Tile> &activeMembers);
    [[nodiscard]] const QList<Tile> &activeMembers() const { return m_activeMembers; }
    // Applies the chosen mode and refills the list.
    void refreshUI();

    void hideMediaAction(QObject *sender = nullptr);
    void showOneMediaAction(QObject *sender = nullptr);
    void showAllMediaAction(QObject *sender = nullptr);
    void miniWindowAction(QObject *sender = nullptr);

    [[nodiscard]] Mode mode() const;
    // The size last given to the strip's window.
    [[nodiscard]] QSize contentSize() const { return m_contentSize; }

    // Set by the sharing code: collapses the strip into its tab.
    std::function<void()> miniActionBlock;

    QPointer<QScrollArea> scrollView;
    QPointer<QWidget> collectionView;
    QPointer<QWidget> line;
    QPointer<VeskButton> hideMediaBtn;
    QPointer<VeskButton> showOneMediaBtn;
    QPointer<VeskButton> showAllMediaBtn;
    QPointer<VeskButton> miniMediaBtn;
    // Where the sharing code puts its current-speaker label; the strip leaves it alone.
    QPointer<QWidget> currentSpeakerView;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void choose(Mode mode);
    void layoutContent();
    void reloadData();

    QList<Tile> m_activeMembers;
    QSize m_contentSize;
};
