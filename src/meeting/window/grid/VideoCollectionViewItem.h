#pragma once

#include "agent/MeetingActiveModel.h"
#include "meeting/window/grid/MeetingActiveView.h"
#include "meeting/window/grid/VideoCollectionViewItemDelegate.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class KRTCVideoView;
class QLabel;

// One tile of the grid or the strip: the entry's engine video view (or the audio card), with the
// overlay of name bar, live microphone level and the full-screen button above it.
class VideoCollectionViewItem final : public QWidget {
    Q_OBJECT
public:
    static constexpr auto kIdentifier = "VideoCollectionViewItem";

    // parking: where views this tile gives back wait, the owner's for all its tiles (in the same
    // window, outliving them), or one of the tile's own.
    explicit VideoCollectionViewItem(QWidget *parent = nullptr, QWidget *parking = nullptr);
    ~VideoCollectionViewItem() override;

    [[nodiscard]] const std::shared_ptr<MeetingActiveModel> &activeModel() const { return m_activeModel; }
    // Stores the model and rebuilds the tile.
    void setActiveModel(const std::shared_ptr<MeetingActiveModel> &model);
    void resetContent();
    // The same entry again: its microphone state and video view brought up to date, the overlay
    // kept (a reload of unchanged tiles rebuilds nothing).
    void refreshContent();

    // Held weakly: the owner outlives its tiles or clears it.
    void setDelegate(VideoCollectionViewItemDelegate *delegate) { m_delegate = delegate; }
    [[nodiscard]] VideoCollectionViewItemDelegate *delegate() const { return m_delegate; }

    [[nodiscard]] QWidget *contentView() const { return m_contentView; }
    [[nodiscard]] MeetingActiveView *activeView() const { return m_activeView; }
    [[nodiscard]] QLabel *resolutionLabel() const { return m_resolutionLabel; }
    QString resolution;
    QString roomId;

    // Gives back the engine video view this tile shows, if any (it belongs to the participant).
    void releaseVideoView();
    // Whether the tile lies in sight: a tile out of it keeps its video's frames unscaled and
    // unpainted (KRTCVideoView::setOnScreen). In sight until told otherwise.
    void setOnScreen(bool onScreen);
    [[nodiscard]] bool onScreen() const { return m_onScreen; }
    void viewWillDisappear();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void layoutContent();
    // Engine views belong to their participants: hidden and kept, never deleted.
    void park(QWidget *view);
    [[nodiscard]] KRTCVideoView *shownVideoView() const;
    // Which lies on top, the video or the overlay, and who draws the overlay.
    void stackContent();
    void overlayChanged(const QRect &area);

    std::shared_ptr<MeetingActiveModel> m_activeModel;
    VideoCollectionViewItemDelegate *m_delegate = nullptr;
    QWidget *m_contentView = nullptr;
    QPointer<QWidget> m_parking; // given-back engine views, hidden
    QPointer<MeetingActiveView> m_activeView;
    QLabel *m_resolutionLabel = nullptr;
    QPointer<QWidget> m_videoView;
    double m_borderWidth = 0;
    bool m_resetting = false;
    bool m_onScreen = true;
};
