#pragma once

#include "meeting/panels/CountDownDisplay.h"

#include <functional>
#include <memory>

class CountDownSoundPlayer;

// The count-down every participant sees while one runs. Its end sound starts when three seconds
// are left and is cut at 00:00; 2 s after it stops it takes itself off the screen.
class RespondCountDownView final : public CountDownDisplay {
    Q_OBJECT
public:
    static constexpr int kWidth = 151;
    static constexpr int kHeight = 76;

    explicit RespondCountDownView(QWidget *parent = nullptr);
    ~RespondCountDownView() override;

    void stopCountDown() override;

    // The time ran out on this display (the service tells nobody of that end).
    std::function<void()> reachedEndBlock;

    // The end sound, or nullptr when there is none (the display then counts silently).
    [[nodiscard]] CountDownSoundPlayer *audioPlayer() const { return m_audioPlayer.get(); }
    // Its removal after a stop is still to come.
    [[nodiscard]] bool removalPending() const;

protected:
    void aboutToStart() override;
    void ticked() override;
    void showEvent(QShowEvent *event) override;

private:
    void cancelRemoval();

    std::unique_ptr<CountDownSoundPlayer> m_audioPlayer;
    QPointer<KVTimer> m_removal;
};
