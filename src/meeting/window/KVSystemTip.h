#pragma once

// A warning banner at the lower right of the meeting window: high CPU, poor network, the advice
// to go audio-only, or low battery. It fades in and out and removes itself when closed.

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <functional>

class QGraphicsOpacityEffect;
class QLabel;
class KVTimer;
class VeskButton;

class KVSystemTip final : public QWidget {
    Q_OBJECT
public:
    enum Style : qint64 { HighCpu = 0, PoorNetwork = 1, OnlyAudio = 2, LowBattery = 3 };

    static constexpr int kFadeMs = 300;
    static constexpr int kTrailingInset = 10;

    // Adds a tip of the style to view, its trailing edge 10 pt inside view's and its bottom edge
    // bottom pt above view's bottom, and fades it in.
    static KVSystemTip *showTipWithStyle(qint64 style, QWidget *view, double bottom);

    explicit KVSystemTip(QWidget *parent = nullptr);
    ~KVSystemTip() override;

    [[nodiscard]] qint64 style() const { return m_style; }
    // Shows the body and text of the style.
    void setStyle(qint64 style);
    [[nodiscard]] static QSize suitableSize(qint64 style);
    // The one-line text of a style ("" for the two-line one).
    [[nodiscard]] static QString textOfStyle(qint64 style);

    // Fades out, then removes itself (the tip is deleted).
    void dismiss();
    [[nodiscard]] qreal alphaValue() const;

    // Button actions. The not-remind-again action is named apart from its block.
    void onOkBtnClick();
    void onNotRemindAgainClick();
    void onOpenClick();

    std::function<void(KVSystemTip *)> onNotRemindAgain;
    std::function<void(KVSystemTip *)> onOpenOnlyAudioClick;

    // Outlets.
    QPointer<QWidget> oneLineView;
    QPointer<QWidget> twoLineView;
    QPointer<QLabel> titleLabel;
    QPointer<VeskButton> notRemindBtn;
    QPointer<VeskButton> okBtn;
    // The two-line body's own parts.
    QPointer<QLabel> onlyAudioTitleLabel;
    QPointer<QLabel> onlyAudioDetailLabel;
    QPointer<VeskButton> onlyAudioNotRemindBtn;
    QPointer<VeskButton> onlyAudioOkBtn;
    QPointer<VeskButton> openBtn;

private:
    void fadeTo(qreal target, std::function<void()> done);

    qint64 m_style = HighCpu;
    bool m_dismissing = false;
    QGraphicsOpacityEffect *m_effect = nullptr;
    QPointer<KVTimer> m_fade;
};
