#pragma once

// A member tile beside a share (the vertical strip and the floating strip): the member's video
// with a small name bar, or without video a large name bar on a dark tile.

#include "agent/MeetingActiveModel.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <memory>

class KVElidedLabel;
class VeskMicrophoneIcon;

class ShareMediaCollectionItem final : public QWidget {
    Q_OBJECT
public:
    static constexpr auto kIdentifier = "ShareMediaCollectionItem";

    // Name bar widths from the name's width in its font and the tile's width.
    [[nodiscard]] static int largeNameBarWidth(int textWidth, int tileWidth);
    [[nodiscard]] static int smallNameBarWidth(int textWidth, int microphoneLeft, int tileWidth);
    // The member's name as the tile shows it: bounded, isolated, "(我)" for the user himself.
    [[nodiscard]] static QString displayName(const MeetingActiveModel &model);

    explicit ShareMediaCollectionItem(QWidget *parent = nullptr);
    ~ShareMediaCollectionItem() override;

    // Binds the member (nullptr: an empty tile); the video view of an earlier member is handed back.
    void setActiveModel(const std::shared_ptr<MeetingActiveModel> &model);
    [[nodiscard]] const std::shared_ptr<MeetingActiveModel> &activeModel() const { return m_activeModel; }
    // The engine view shown now, if any.
    [[nodiscard]] QWidget *videoView() const { return m_videoView; }

    QPointer<QWidget> bkView;
    QPointer<VeskMicrophoneIcon> microPhoneButton;
    QPointer<VeskMicrophoneIcon> littleMicrophoneButton;
    QPointer<KVElidedLabel> userNameLabe;
    QPointer<KVElidedLabel> littleUserNameLabel;
    QPointer<QWidget> littleBkView;
    QPointer<QWidget> shareImageView; // the screen-share mark
    // The constraints, as numbers the layout applies.
    int nameBarWidthConstraint = 0;
    int userNameLabelWidthConstraint = 0;
    int littleMicrophoneLeftConstraint = 8;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void releaseVideoView();
    void bind();
    void layoutBars();
    // Over a video the video view draws the small name bar in its own paint (a frame costs one
    // paint), from an image of the bar made again only when the bar changes.
    void barChanged();

    std::shared_ptr<MeetingActiveModel> m_activeModel;
    QPointer<QWidget> m_videoView;
    QPointer<QWidget> m_largeBar;
    QWidget *m_parking = nullptr; // given-back engine views, hidden, inside the same window
    QPixmap m_barImage;
    bool m_grabbing = false;
};
