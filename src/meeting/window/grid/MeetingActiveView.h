#pragma once

#include "agent/MeetingActiveModel.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class VeskButton;
class VeskMicrophoneIcon;

// The overlay of a tile: the name bar with the participant's name and live microphone level, and
// the full-screen button. MeetingVideoView is the overlay of a video tile, MeetingAudioView the
// audio-only card.
//
// Over a video the overlay's widgets stay in place for input and accessibility but lie under the
// video view, which draws them itself from images made when they change (paintOverVideo): a new
// frame then costs one paint, and the name bar, icon and label are drawn again only on a change.
class MeetingActiveView : public QWidget {
    Q_OBJECT
public:
    static constexpr double kNameBarHeight = 30;

    // Audio-only entries get the audio card; every other type the video overlay.
    [[nodiscard]] static MeetingActiveView *activeViewWithActiveModel(const std::shared_ptr<MeetingActiveModel> &model,
                                                                      QWidget *parent = nullptr);
    // The name as a tile shows it: "(我)" follows the user's own name.
    [[nodiscard]] static QString displayName(const MeetingActiveModel &model);
    // The name bar's width for that text: text width + 50 (16 pt), or + 54 (22 pt) on a tile
    // without any video; 60 for a text of 10 points or less.
    [[nodiscard]] static double nameBarWidthFor(const QString &text, bool hasVideo);

    [[nodiscard]] bool openFullScreen() const { return m_openFullScreen; }
    void setOpenFullScreen(bool open);
    [[nodiscard]] bool isSelfShare() const { return m_isSelfShare; }
    virtual void setIsSelfShare(bool selfShare) { m_isSelfShare = selfShare; }
    [[nodiscard]] double nameBarWidth() const { return m_nameBarWidth; }
    void setNameBarWidth(double width);
    void setNameFont(const QFont &font);

    [[nodiscard]] QWidget *infoBgView() const { return m_infoBgView; }
    [[nodiscard]] QLabel *nameLabel() const { return m_nameLabel; }
    [[nodiscard]] VeskMicrophoneIcon *microphoneIcon() const { return m_microphoneIcon; }
    [[nodiscard]] VeskButton *fullScreenBtn() const { return m_fullScreenBtn; }

    std::function<void()> operateBlock;
    void fullScreenBtnPressed();

    // Draws the visible parts (name bar, buttons, tips) at offset (this overlay's origin in the
    // painter's coordinates), making again the images of the parts that changed.
    void paintOverVideo(QPainter &painter, const QPoint &offset, const QRect &dirty);
    // Something shown changed that the overlay cannot see by itself (the name's text).
    void contentChanged();

Q_SIGNALS:
    // A part looks different now: area (in this overlay's coordinates) must be drawn again.
    void appearanceChanged(const QRect &area);

protected:
    explicit MeetingActiveView(bool video, QWidget *parent);
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    virtual void layoutSubviews();
    // A part drawn over the video; partChanged(part) when it looks different.
    void addPart(QWidget *part);
    void partChanged(QWidget *part);
    void drawPart(QPainter &painter, const QPoint &offset, const QRect &dirty, QWidget *part);
    void paintPart(QPainter &painter, QWidget *part) const;

    QWidget *m_infoBgView = nullptr;
    QLabel *m_nameLabel = nullptr;
    VeskMicrophoneIcon *m_microphoneIcon = nullptr;
    VeskButton *m_fullScreenBtn = nullptr;

private:
    struct Part {
        QPointer<QWidget> widget;
        QImage image;
        QRect drawnAt; // geometry the image was made for
        bool stale = true;
    };
    QList<Part> m_parts;
    bool m_openFullScreen = false;
    bool m_isSelfShare = false;
    double m_nameBarWidth = 60;
};

class MeetingVideoView final : public MeetingActiveView {
    Q_OBJECT
public:
    explicit MeetingVideoView(QWidget *parent = nullptr);
    void setIsSelfShare(bool selfShare) override;
    [[nodiscard]] QLabel *shareTipLabel() const { return m_shareTipLabel; }

protected:
    void layoutSubviews() override;

private:
    QLabel *m_shareTipLabel = nullptr;
};

class MeetingAudioView final : public MeetingActiveView {
    Q_OBJECT
public:
    explicit MeetingAudioView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
