#pragma once

// The count-down over the meeting window before a screen or window share starts: "3", "2", "1",
// "0" a second apart on the project clock, then the completion at 4 s. One at a time: showing a
// new one removes the last, and remove() drops its completion unrun.

#include "uikit/VeskMaskView.h"

#include <QPointer>

#include <functional>

class KVTimer;
class QLabel;

class ShareStartAnimationView final : public VeskMaskView {
    Q_OBJECT
public:
    using Block = std::function<void()>;

    static ShareStartAnimationView *showStartAnimationInView(QWidget *view, Block completionBlock);
    // Removes the overlay on show, if any, without running its completion.
    static void remove();
    [[nodiscard]] static ShareStartAnimationView *current();

    [[nodiscard]] qint64 count() const { return m_count; }
    QPointer<QLabel> countDownLabel;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    explicit ShareStartAnimationView(QWidget *view);
    void countDown();

    qint64 m_count = 3;
    QPointer<KVTimer> m_timer;
    Block m_block;
};
