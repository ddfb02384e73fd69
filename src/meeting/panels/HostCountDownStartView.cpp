#include "meeting/panels/HostCountDownStartView.h"

#include "meeting/panels/PanelIcons.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

HostCountDownStartView::HostCountDownStartView(QWidget *parent) : CountDownDisplay(parent)
{
    setObjectName(QStringLiteral("HostCountDownStartView"));
    setAccessibleName(QStringLiteral("倒计时"));
    resize(kWidth, kHeight);

    timeBgView = new QWidget(this);
    timeBgView->setGeometry(0, 0, kWidth, 112);
    vesk::setBackgroundColor(timeBgView, vesk::colorWithHexString(QStringLiteral("#3D3F47"), 0.7));
    vesk::setCornerRadius(timeBgView, 6.0);
    buildTime(timeBgView, 30, 52, 48, 88);

    closeButton = new VeskButton(timeBgView);
    closeButton->setImage(PanelIcons::image(QStringLiteral("panel_close"), 16));
    closeButton->setAccessibleName(QStringLiteral("关闭倒计时"));
    closeButton->setToolTip(QStringLiteral("关闭"));
    closeButton->setGeometry(kWidth - 26, 2, 24, 24);
    connect(closeButton, &VeskButton::clicked, this, [this] { onCloseClick(); });

    stopButton = new VeskButton(QStringLiteral("结束计时"), this);
    stopButton->setFont(vesk::systemFont(13));
    stopButton->setTextColor(Qt::white);
    stopButton->setGeometry((kWidth - 100) / 2, 120, 100, 32);
    vesk::setBackgroundColor(stopButton, vesk::colorWithHexString(QStringLiteral("#3D3F47"), 0.9));
    vesk::setCornerRadius(stopButton, 6.0);
    connect(stopButton, &VeskButton::clicked, this, [this] { onStopClick(); });
}

void HostCountDownStartView::timerFired()
{
    m_isRunning = true;
    countDown();
}

void HostCountDownStartView::ticked()
{
    if (timeLeft() != CountDownRules::MinutesSeconds{})
        return;
    stopCountDown();
    if (endActionBlock)
        endActionBlock(this);
}

void HostCountDownStartView::stopCountDown()
{
    CountDownDisplay::stopCountDown();
    m_isRunning = false;
}

void HostCountDownStartView::onStopClick()
{
    if (stopActionBlock)
        stopActionBlock(this);
}

void HostCountDownStartView::onCloseClick()
{
    if (closeActionBlock)
        closeActionBlock(this);
}
