#include "meeting/panels/CountDownDisplay.h"

#include "foundation/KVClock.h"
#include "uikit/MacSliderCell.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QLabel>

#include <cmath>

using namespace std::chrono_literals;

namespace {
constexpr int kSliderSteps = 1000;
const QString kBoxColour = QStringLiteral("#3D3F47");
} // namespace

CountDownDisplay::CountDownDisplay(QWidget *parent) : DraggableView(parent) {}

void CountDownDisplay::buildTime(QWidget *container, int y, int boxWidth, int boxHeight, int barY)
{
    const int colonWidth = 12;
    const int x0 = (container->width() - 2 * boxWidth - colonWidth) / 2;
    auto box = [&](int x, const QString &name, QPointer<QLabel> &label) {
        auto *bk = new QWidget(container);
        bk->setGeometry(x, y, boxWidth, boxHeight);
        vesk::setBackgroundColor(bk, vesk::colorWithHexString(kBoxColour, 0.7));
        vesk::setCornerRadius(bk, 6.0);
        label = new QLabel(QStringLiteral("00"), bk);
        label->setObjectName(name);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(vesk::systemFont(boxHeight * 0.6, QFont::Medium));
        label->setStyleSheet(QStringLiteral("color: white;"));
        label->setGeometry(0, 0, boxWidth, boxHeight);
        return bk;
    };
    minutesBKView = box(x0, QStringLiteral("minutesLabel"), minutesLabel);
    secondBKView = box(x0 + boxWidth + colonWidth, QStringLiteral("secondLabel"), secondLabel);
    auto *colon = new QLabel(QStringLiteral(":"), container);
    colon->setAlignment(Qt::AlignCenter);
    colon->setFont(vesk::systemFont(boxHeight * 0.5, QFont::Medium));
    colon->setStyleSheet(QStringLiteral("color: white;"));
    colon->setGeometry(x0 + boxWidth, y, colonWidth, boxHeight);

    slider = new MacSliderCell(container);
    slider->setAccessibleName(QStringLiteral("剩余时间"));
    slider->setRange(0, kSliderSteps);
    slider->setProgressHeight(6);
    slider->setTrackColor(vesk::colorWithHexString(QStringLiteral("#5C5E66")));
    slider->setProgressColor(vesk::colorWithHexString(QStringLiteral("#007AFF")));
    // A bar without a knob: it only shows.
    QPixmap noKnob(1, 1);
    noKnob.fill(Qt::transparent);
    slider->setNormalKnobImage(noKnob);
    slider->setEnabled(false);
    slider->setGeometry(x0, barY, 2 * boxWidth + colonWidth, 12);
    setSliderValue(1.0);
}

void CountDownDisplay::setSliderValue(double value)
{
    if (slider)
        slider->setValue(int(std::lround(value * kSliderSteps)));
}

double CountDownDisplay::sliderValue() const
{
    return slider ? double(slider->value()) / kSliderSteps : 0.0;
}

bool CountDownDisplay::isTicking() const
{
    return m_countDownTimer && m_countDownTimer->isValid();
}

void CountDownDisplay::startCountDownWith(qint64 seconds)
{
    aboutToStart();
    m_timeCount = seconds;
    m_left = CountDownRules::split(seconds);
    VeskToast::showToastInMeeting(
        QStringLiteral("主持人已开启倒计时,剩余时间:%1分%2秒").arg(m_left.minutes).arg(m_left.seconds));
    showTime();
    if (m_timeCount >= 1)
        beginCountDown();
}

void CountDownDisplay::beginCountDown()
{
    dropTimer();
    QPointer<CountDownDisplay> self(this);
    m_countDownTimer = KVTimer::repeating(this, 1s, [self] {
        if (self)
            self->timerFired();
    });
    m_countDownTimer->start();
}

void CountDownDisplay::countDown()
{
    m_left = CountDownRules::tick(m_left);
    showTime();
    setSliderValue(m_timeCount > 0 ? double(m_left.minutes * 60 + m_left.seconds) / double(m_timeCount) : 0.0);
    ticked();
}

void CountDownDisplay::dropTimer()
{
    if (!m_countDownTimer)
        return;
    m_countDownTimer->invalidate();
    m_countDownTimer->deleteLater();
    m_countDownTimer = nullptr;
}

void CountDownDisplay::stopCountDown()
{
    dropTimer();
    m_left = {};
    showTime();
    setSliderValue(0.0);
}

void CountDownDisplay::showTime()
{
    if (minutesLabel)
        minutesLabel->setText(CountDownRules::twoDigits(m_left.minutes));
    if (secondLabel)
        secondLabel->setText(CountDownRules::twoDigits(m_left.seconds));
}
