#include "meeting/panels/HostCountDownView.h"

#include "foundation/KVClock.h"
#include "meeting/panels/CountDownRules.h"
#include "meeting/panels/PanelIcons.h"
#include "uikit/KVAccessibility.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QLabel>

using namespace std::chrono_literals;

namespace {

constexpr auto kPressedLook = 500ms;
constexpr int kTensLimit = 6;
constexpr int kUnitsLimit = 10;

QLabel *digitLabel(QWidget *parent, const QString &name, int x)
{
    auto *label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(vesk::systemFont(30, QFont::Medium));
    label->setStyleSheet(QStringLiteral("color: white;"));
    label->setGeometry(x, 72, 40, 44);
    vesk::setBackgroundColor(label, vesk::colorWithHexString(QStringLiteral("#2B2C31")));
    vesk::setCornerRadius(label, 4.0);
    return label;
}

VeskButton *digitButton(QWidget *parent, const QString &title, const QString &name, int x, int y)
{
    auto *button = new VeskButton(title, parent);
    button->setAccessibleName(name);
    button->setToolTip(name);
    button->setToggle(true);
    // It latches only for its pressed look: a press to a screen reader.
    KVAccessibility::setRole(button, QAccessible::Button);
    button->setFont(vesk::systemFont(18));
    button->setTextColor(Qt::white);
    button->setAlternateTextColor(vesk::colorWithHexString(QStringLiteral("#007AFF")));
    button->setGeometry(x, y, 40, 24);
    return button;
}

} // namespace

HostCountDownView::HostCountDownView(QWidget *parent) : DraggableView(parent)
{
    setObjectName(QStringLiteral("HostCountDownView"));
    setAccessibleName(QStringLiteral("设置倒计时"));
    resize(kWidth, kHeight);
    vesk::setBackgroundColor(this, vesk::colorWithHexString(QStringLiteral("#3D3E44")));
    vesk::setCornerRadius(this, 4.0);

    auto *title = new QLabel(QStringLiteral("倒计时"), this);
    title->setFont(vesk::systemFont(14, QFont::Medium));
    title->setStyleSheet(QStringLiteral("color: white;"));
    title->setGeometry(16, 12, 120, 22);

    closeButton = new VeskButton(this);
    closeButton->setImage(PanelIcons::image(QStringLiteral("panel_close"), 20));
    closeButton->setAccessibleName(QStringLiteral("关闭"));
    closeButton->setToolTip(QStringLiteral("关闭"));
    closeButton->setGeometry(kWidth - 34, 8, 26, 26);
    connect(closeButton, &VeskButton::clicked, this, [this] { closeAction(); });

    // Four columns of 40 with a colon between minutes and seconds.
    const int x0 = 41;
    const int xs[] = {x0, x0 + 48, x0 + 108, x0 + 156};
    tenMinLabel = digitLabel(this, QStringLiteral("tenMinLabel"), xs[0]);
    minLabel = digitLabel(this, QStringLiteral("minLabel"), xs[1]);
    tenSecondLabel = digitLabel(this, QStringLiteral("tenSecondLabel"), xs[2]);
    secondLabel = digitLabel(this, QStringLiteral("secondLabel"), xs[3]);
    auto *colon = new QLabel(QStringLiteral(":"), this);
    colon->setAlignment(Qt::AlignCenter);
    colon->setFont(vesk::systemFont(30, QFont::Medium));
    colon->setStyleSheet(QStringLiteral("color: white;"));
    colon->setGeometry(x0 + 88, 72, 20, 44);

    tenMinutesAddButton = digitButton(this, QStringLiteral("+"), QStringLiteral("分钟十位加一"), xs[0], 44);
    tenMinutesSubtractButton = digitButton(this, QStringLiteral("−"), QStringLiteral("分钟十位减一"), xs[0], 120);
    minutesAddButton = digitButton(this, QStringLiteral("+"), QStringLiteral("分钟个位加一"), xs[1], 44);
    minutesSubtractButton = digitButton(this, QStringLiteral("−"), QStringLiteral("分钟个位减一"), xs[1], 120);
    tenSecondsAddButton = digitButton(this, QStringLiteral("+"), QStringLiteral("秒十位加一"), xs[2], 44);
    tenSecondsSubtractButton = digitButton(this, QStringLiteral("−"), QStringLiteral("秒十位减一"), xs[2], 120);
    secondsAddButton = digitButton(this, QStringLiteral("+"), QStringLiteral("秒个位加一"), xs[3], 44);
    seconsSubtractButton = digitButton(this, QStringLiteral("−"), QStringLiteral("秒个位减一"), xs[3], 120);
    const std::pair<VeskButton *, void (HostCountDownView::*)(VeskButton *)> actions[] = {
        {tenMinutesAddButton, &HostCountDownView::tenMinutesAddAction},
        {tenMinutesSubtractButton, &HostCountDownView::tenMinutesSubtractAction},
        {minutesAddButton, &HostCountDownView::oneMinutesAddAction},
        {minutesSubtractButton, &HostCountDownView::oneMinutesSubtractAction},
        {tenSecondsAddButton, &HostCountDownView::tenSecondAddAction},
        {tenSecondsSubtractButton, &HostCountDownView::tenSecondSubtractAction},
        {secondsAddButton, &HostCountDownView::oneSecondAddAction},
        {seconsSubtractButton, &HostCountDownView::oneSecondSubtractAction},
    };
    // Named copies, not a structured binding: older compilers cannot capture one.
    for (const auto &entry : actions) {
        VeskButton *button = entry.first;
        const auto action = entry.second;
        connect(button, &VeskButton::clicked, this, [this, button, action] { (this->*action)(button); });
    }

    line = new QWidget(this);
    line->setGeometry(0, 153, kWidth, 1);
    vesk::setBackgroundColor(line, vesk::colorWithHexString(QStringLiteral("#323338")));

    startButton = new VeskButton(QStringLiteral("开始"), this);
    startButton->setAccessibleName(QStringLiteral("开始倒计时"));
    startButton->setFont(vesk::systemFont(14));
    startButton->setTextColor(Qt::white);
    startButton->setGeometry((kWidth - 100) / 2, 162, 100, 32);
    vesk::setBackgroundColor(startButton, vesk::colorWithHexString(QStringLiteral("#007AFF")));
    vesk::setCornerRadius(startButton, 6.0);
    connect(startButton, &VeskButton::clicked, this, [this] { startAction(startButton); });

    stopCountDownInter();
}

void HostCountDownView::changeDigit(VeskButton *sender, int &digit, int limit, bool add, QLabel *label)
{
    // The button stays pressed for half a second.
    QPointer<VeskButton> pressed(sender);
    KVTimer::singleShot(this, kPressedLook, [pressed] {
        if (pressed)
            pressed->setState(pressed->state() == 1 ? 0 : 1);
    });
    digit = add ? CountDownRules::digitAdd(digit, limit) : CountDownRules::digitSubtract(digit, limit);
    if (label)
        label->setText(QString::number(digit));
}

void HostCountDownView::tenMinutesAddAction(VeskButton *sender)
{
    changeDigit(sender, m_tenMinutes, kTensLimit, true, tenMinLabel);
}
void HostCountDownView::tenMinutesSubtractAction(VeskButton *sender)
{
    changeDigit(sender, m_tenMinutes, kTensLimit, false, tenMinLabel);
}
void HostCountDownView::oneMinutesAddAction(VeskButton *sender)
{
    changeDigit(sender, m_minutes, kUnitsLimit, true, minLabel);
}
void HostCountDownView::oneMinutesSubtractAction(VeskButton *sender)
{
    changeDigit(sender, m_minutes, kUnitsLimit, false, minLabel);
}
void HostCountDownView::tenSecondAddAction(VeskButton *sender)
{
    changeDigit(sender, m_tenSeconds, kTensLimit, true, tenSecondLabel);
}
void HostCountDownView::tenSecondSubtractAction(VeskButton *sender)
{
    changeDigit(sender, m_tenSeconds, kTensLimit, false, tenSecondLabel);
}
void HostCountDownView::oneSecondAddAction(VeskButton *sender)
{
    changeDigit(sender, m_seconds, kUnitsLimit, true, secondLabel);
}
void HostCountDownView::oneSecondSubtractAction(VeskButton *sender)
{
    changeDigit(sender, m_seconds, kUnitsLimit, false, secondLabel);
}

void HostCountDownView::startAction(VeskButton *sender)
{
    if (sender)
        sender->setState(1);
    const int minutes = m_tenMinutes * 10 + m_minutes;
    const int seconds = m_tenSeconds * 10 + m_seconds;
    if (qint64(minutes) * 60 + seconds < CountDownRules::kShortestStart) {
        VeskToast::showToastInMeeting(QStringLiteral("倒计时时间不能低于15秒"));
        return;
    }
    if (startActionBlock)
        startActionBlock(minutes, seconds, sender);
}

void HostCountDownView::closeAction()
{
    if (closeActionBlock)
        closeActionBlock(this);
}

void HostCountDownView::startCountDownWith(qint64 seconds)
{
    if (startButton)
        startButton->setEnabled(true);
    const CountDownRules::MinutesSeconds time = CountDownRules::split(seconds);
    const QString m = CountDownRules::twoDigits(time.minutes);
    const QString s = CountDownRules::twoDigits(time.seconds);
    tenMinLabel->setText(m.left(1));
    minLabel->setText(m.mid(1, 1));
    tenSecondLabel->setText(s.left(1));
    secondLabel->setText(s.mid(1, 1));
}

void HostCountDownView::stopCountDown()
{
    stopCountDownInter();
}

void HostCountDownView::stopCountDownInter()
{
    m_tenMinutes = 0;
    m_minutes = 5;
    m_tenSeconds = 0;
    m_seconds = 0;
    tenMinLabel->setText(QStringLiteral("0"));
    minLabel->setText(QStringLiteral("5"));
    tenSecondLabel->setText(QStringLiteral("0"));
    secondLabel->setText(QStringLiteral("0"));
}

void HostCountDownView::showEvent(QShowEvent *event)
{
    // Every time it comes on screen it offers 05:00.
    stopCountDownInter();
    DraggableView::showEvent(event);
}
