#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class ApplicationServices;
class KVLayoutConstraint;
class MeetingBottomButton;
class MeetingRecordSwitchView;
class QLabel;
class VeskButton;

// The applications pop-over of the tool bar: tiles for the count-down (hosts and assistant hosts
// only), live transcription and audio-only mode, with two small sub-panels above it: the host's
// meeting-record switches and keep-screen-shares for audio-only. The tiles keep their states
// while the panel is closed; the window turns them on and off by number (Tile).
class ApplicationView final : public QWidget {
    Q_OBJECT
public:
    enum Tile { CountDownTile = 0, TranscriptionTile = 1, OnlyAudioTile = 2 };

    static constexpr int kHostWidth = 220;
    static constexpr int kMemberWidth = 143;
    static constexpr int kHeight = 60;

    explicit ApplicationView(QWidget *parent = nullptr);
    ~ApplicationView() override;

    // The meeting the panel works on (the agent's by default).
    void setServices(std::shared_ptr<ApplicationServices> services);

    // Places the panel and its sub-panels above the tool bar's applications button, for the
    // user's role. The panel must be in its superview.
    void layoutSelfWithView(QWidget *button);

    // Tile clicks; the button's state is already the new one.
    void countDownAction(VeskButton *sender);
    void transcriptionAction(VeskButton *sender);
    void onlyAudioAction(VeskButton *sender);
    // Arrows: open or close their sub-panel.
    void allowMemberViewRecordAction(VeskButton *sender);
    void allowScreenShareViewAction(VeskButton *sender);
    void checkButtonClicked(VeskButton *sender);
    void checkScreenShareButtonClicked(VeskButton *sender);

    // A tile on, with its action (count-down and audio-only only).
    void applicationStateSettingAction(int tile);
    // A tile off, with its idle look.
    void applicationStateRecover(int tile);
    void resetCountDownUIState(qint64 state);
    [[nodiscard]] bool countDownShow() const;
    // Closes the open sub-panels other than view (nullptr: all).
    void hideAllOverViewsExceptView(QWidget *view);
    // "TranscriptionViewHidden": the transcription tile goes off.
    void transcriptionViewHidden();
    // Leaves its superview; open sub-panels are hidden but stay open for the next layout.
    void removeFromSuperview();

    // The sub-panels, made on first use.
    MeetingRecordSwitchView *allowMeetingRecordView();
    QWidget *allowScreenShareView();

    // The layout in force: the host's (wider, with the count-down and the record arrow).
    [[nodiscard]] bool isHostLayout() const { return m_hostLayout; }
    // The image a tile shows now ("countdown_on", "transcribe", ...).
    [[nodiscard]] QString imageNameOf(int tile) const;

    QPointer<QWidget> bkView1;
    QPointer<VeskButton> counDownButton;
    QPointer<QLabel> coundownImageView;
    QPointer<QLabel> countDownLabel;
    QPointer<QWidget> bkview2;
    QPointer<VeskButton> transcriptionButton;
    QPointer<QLabel> transcriptionImageView;
    QPointer<QLabel> transcriptionLabel;
    QPointer<MeetingBottomButton> rightMoreButton;
    QPointer<QWidget> bkView3;
    QPointer<VeskButton> onlyAudioButton;
    QPointer<QLabel> onlyAudioImageView;
    QPointer<QLabel> onlyAudioLabel;
    QPointer<MeetingBottomButton> allowScreenShareButton;
    QPointer<VeskButton> allowScreenShareCheckBtn;
    QPointer<KVLayoutConstraint> layoutConstraintHeight;

    std::function<void(bool on)> countDownActionBlock;
    std::function<void(bool on)> transcriptionActionBlock;
    std::function<void(bool on)> allowScreenShareActionBlock;

private:
    struct TileLook;
    void setTileLook(int tile, bool on);
    void placeTiles();
    void refreshRecordViewFromRoom();
    void setArrowOpen(MeetingBottomButton *arrow, QWidget *subPanel, bool open);

    std::shared_ptr<ApplicationServices> m_services;
    QPointer<MeetingRecordSwitchView> m_allowMeetingRecordView;
    QPointer<QWidget> m_allowScreenShareView;
    bool m_hostLayout = false;
};
