#include "meeting/panels/RespondCountDownView.h"

#include "foundation/KVClock.h"
#include "meeting/panels/CountDownSound.h"
#include "meeting/panels/PanelViews.h"
#include "uikit/VeskCategories.h"

using namespace std::chrono_literals;

namespace {
constexpr auto kRemovalDelay = 2s;
constexpr CountDownRules::MinutesSeconds kSoundStart{0, 3};
} // namespace

RespondCountDownView::RespondCountDownView(QWidget *parent)
    : CountDownDisplay(parent), m_audioPlayer(CountDownSoundPlayer::make())
{
    setObjectName(QStringLiteral("RespondCountDownView"));
    setAccessibleName(QStringLiteral("倒计时"));
    resize(kWidth, kHeight);
    vesk::setBackgroundColor(this, vesk::colorWithHexString(QStringLiteral("#3D3F47"), 0.7));
    vesk::setCornerRadius(this, 6.0);
    buildTime(this, 10, 48, 40, 56);
}

RespondCountDownView::~RespondCountDownView() = default;

bool RespondCountDownView::removalPending() const
{
    return m_removal && m_removal->isValid();
}

void RespondCountDownView::cancelRemoval()
{
    if (m_removal) {
        m_removal->invalidate();
        m_removal->deleteLater();
    }
    m_removal = nullptr;
}

void RespondCountDownView::aboutToStart()
{
    // A stop's removal still to come would take a display away that now runs.
    cancelRemoval();
}

void RespondCountDownView::ticked()
{
    if (timeLeft() == CountDownRules::MinutesSeconds{}) {
        stopCountDown();
        if (reachedEndBlock)
            reachedEndBlock();
    }
    if (m_audioPlayer && !m_audioPlayer->isPlaying() && timeLeft() == kSoundStart)
        m_audioPlayer->play();
}

void RespondCountDownView::stopCountDown()
{
    CountDownDisplay::stopCountDown();
    if (m_audioPlayer)
        m_audioPlayer->stop();
    cancelRemoval();
    QPointer<RespondCountDownView> self(this);
    m_removal = KVTimer::singleShot(this, kRemovalDelay, [self] {
        if (self)
            PanelViews::removeFromSuperview(self);
    });
}

void RespondCountDownView::showEvent(QShowEvent *event)
{
    setSliderValue(1.0);
    CountDownDisplay::showEvent(event);
}
