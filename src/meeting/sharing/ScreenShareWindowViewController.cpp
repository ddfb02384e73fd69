#include "meeting/sharing/ScreenShareWindowViewController.h"

#include "foundation/KVClock.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingIcons.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskLayer.h"

#include <QCursor>
#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr int kBarHeight = 72;
constexpr int kEndAreaHeight = 40;
constexpr int kStepMs = 15;

MeetingBottomButton *barButton(QWidget *parent, const QString &title, const QString &image, const QString &onImage)
{
    auto *b = new MeetingBottomButton(title, image.isEmpty() ? QPixmap() : MeetingIcons::image(image), parent);
    if (!onImage.isEmpty())
        b->setAlternateImage(MeetingIcons::image(onImage));
    b->setAccessibleName(title);
    b->setToggle(true);
    return b;
}

MeetingBottomButton *menuArrow(QWidget *parent, const QString &name)
{
    auto *b = new MeetingBottomButton(parent);
    b->setImage(MeetingIcons::image(QStringLiteral("select_arrow"), 14));
    b->setAccessibleName(name);
    b->setToolTip(name);
    b->setToggle(true);
    b->setFixedSize(18, 40);
    return b;
}

bool isOn(const VeskButton *b)
{
    return b && b->state() != 0;
}

void off(VeskButton *b)
{
    if (b)
        b->setState(0);
}

} // namespace

ScreenShareWindowViewController::ScreenShareWindowViewController(QObject *parent) : MacBaseViewController(parent) {}

ScreenShareWindowViewController::~ScreenShareWindowViewController()
{
    if (m_timer)
        m_timer->invalidate();
    if (m_animation)
        m_animation->invalidate();
}

QWidget *ScreenShareWindowViewController::makeWindow()
{
    auto *window = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window->setObjectName(QStringLiteral("SreenShareTopWindow"));
    window->setWindowTitle(QStringLiteral("共享工具栏"));
    window->setAttribute(Qt::WA_TranslucentBackground);
    return window;
}

void ScreenShareWindowViewController::loadView()
{
    auto *view = new QWidget();
    view->setObjectName(QStringLiteral("ScreenShareWindowView"));
    view->setAttribute(Qt::WA_TranslucentBackground);
    view->setAccessibleName(QStringLiteral("共享工具栏"));
    auto *box = new QVBoxLayout(view);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);

    toolBarView = new QWidget(view);
    toolBarView->setObjectName(QStringLiteral("toolBarView"));
    toolBarView->setFixedHeight(kBarHeight);
    QSizePolicy keep = toolBarView->sizePolicy();
    keep.setRetainSizeWhenHidden(true); // the end-share area keeps its place while the bar is hidden
    toolBarView->setSizePolicy(keep);
    auto *row = new QHBoxLayout(toolBarView);
    row->setContentsMargins(10, 4, 10, 4);
    row->setSpacing(4);
    micButton = barButton(toolBarView, QStringLiteral("麦克风"), QStringLiteral("toolbar_mic_off"),
                          QStringLiteral("toolbar_mic_on"));
    selectMicButton = menuArrow(toolBarView, QStringLiteral("选择麦克风"));
    cameraButton = barButton(toolBarView, QStringLiteral("摄像头"), QStringLiteral("toolbar_camera_off"),
                             QStringLiteral("toolbar_camera_on"));
    selectCameraButton = menuArrow(toolBarView, QStringLiteral("选择摄像头"));
    speakerButton = barButton(toolBarView, QStringLiteral("扬声器"), QStringLiteral("toolbar_speaker_off"),
                              QStringLiteral("toolbar_speaker_on"));
    selectSpeakerButton = menuArrow(toolBarView, QStringLiteral("选择扬声器"));
    shareButton = barButton(toolBarView, QStringLiteral("共享屏幕"), QStringLiteral("toolbar_share"), QString());
    memberButton = barButton(toolBarView, QStringLiteral("成员"), QStringLiteral("toolbar_members"), QString());
    memverNumLabel = new QLabel(toolBarView);
    memverNumLabel->setObjectName(QStringLiteral("memverNumLabel"));
    memverNumLabel->setTextFormat(Qt::PlainText);
    memverNumLabel->setStyleSheet(QStringLiteral("color: #B4B4B4;"));
    memverNumLabel->hide();
    recordButton = barButton(toolBarView, QStringLiteral("录制"), QStringLiteral("toolbar_record"), QString());
    moreButton = barButton(toolBarView, QStringLiteral("更多"), QStringLiteral("toolbar_application"), QString());
    for (QWidget *w : {static_cast<QWidget *>(micButton.data()), static_cast<QWidget *>(selectMicButton.data()),
                       static_cast<QWidget *>(cameraButton.data()), static_cast<QWidget *>(selectCameraButton.data()),
                       static_cast<QWidget *>(speakerButton.data()), static_cast<QWidget *>(selectSpeakerButton.data()),
                       static_cast<QWidget *>(shareButton.data()), static_cast<QWidget *>(memberButton.data()),
                       static_cast<QWidget *>(memverNumLabel.data()), static_cast<QWidget *>(recordButton.data()),
                       static_cast<QWidget *>(moreButton.data())})
        row->addWidget(w);
    box->addWidget(toolBarView);

    stopScreenShareButtonBKView = new QWidget(view);
    stopScreenShareButtonBKView->setObjectName(QStringLiteral("stopScreenShareButtonBKView"));
    stopScreenShareButtonBKView->setFixedHeight(kEndAreaHeight);
    auto *endRow = new QHBoxLayout(stopScreenShareButtonBKView);
    endRow->setContentsMargins(6, 4, 6, 4);
    stopScreenShareButton = new VeskButton(QStringLiteral("结束屏幕共享"), stopScreenShareButtonBKView);
    stopScreenShareButton->setObjectName(QStringLiteral("stopScreenShareButton"));
    stopScreenShareButton->setFixedSize(120, 30);
    stopScreenShareButton->setFocusPolicy(Qt::StrongFocus);
    endRow->addStretch(1);
    endRow->addWidget(stopScreenShareButton);
    endRow->addStretch(1);
    box->addWidget(stopScreenShareButtonBKView);
    setView(view);
}

void ScreenShareWindowViewController::viewDidLoad()
{
    VeskLayer *bar = VeskLayer::of(toolBarView);
    bar->setBackgroundColor(vesk::colorWithHexString(QStringLiteral("191919")));
    bar->setCornerRadius(6);
    VeskLayer *endArea = VeskLayer::of(stopScreenShareButtonBKView);
    endArea->setBackgroundColor(vesk::colorWithHexString(QStringLiteral("222222"), 0.7));
    endArea->setCornerRadius(6);
    VeskLayer *end = VeskLayer::of(stopScreenShareButton);
    end->setBackgroundColor(vesk::colorWithHexString(QStringLiteral("FF656B")));
    end->setCornerRadius(6);
    stopScreenShareButton->setTextColor(Qt::white);
    stopScreenShareButton->setFont(vesk::systemFont(14));

    const auto wire = [this](VeskButton *b, void (ScreenShareWindowViewController::*action)(VeskButton *)) {
        connect(b, &QAbstractButton::clicked, this, [this, b, action] { (this->*action)(b); });
    };
    wire(recordButton, &ScreenShareWindowViewController::recordButtonAction);
    wire(memberButton, &ScreenShareWindowViewController::memberButtonAction);
    wire(cameraButton, &ScreenShareWindowViewController::cameraButtonAction);
    wire(micButton, &ScreenShareWindowViewController::micButtonAction);
    wire(speakerButton, &ScreenShareWindowViewController::speakerButtonAction);
    wire(shareButton, &ScreenShareWindowViewController::shareButtonAction);
    wire(moreButton, &ScreenShareWindowViewController::moreButtonAction);
    wire(selectCameraButton, &ScreenShareWindowViewController::cameraSelectButtonAction);
    wire(selectMicButton, &ScreenShareWindowViewController::micSelectButtonAction);
    wire(selectSpeakerButton, &ScreenShareWindowViewController::speakerSelectButtonAction);
    wire(stopScreenShareButton, &ScreenShareWindowViewController::stopScreenShareAction);

    view()->setMouseTracking(true);
    view()->installEventFilter(this);
    // A keyboard user comes to the bar through its controls, not by pointing at the end-share area.
    for (QAbstractButton *control : view()->findChildren<QAbstractButton *>())
        control->installEventFilter(this);
    m_timer = KVTimer::singleShot(this, std::chrono::milliseconds(kHideDelayMs), [this] { animateWindow(); });
}

// ---- Mirrored states ----------------------------------------------------------------------------

void ScreenShareWindowViewController::setOn(MeetingBottomButton *button, bool on)
{
    if (button)
        button->setState(on ? 1 : 0);
}

void ScreenShareWindowViewController::setRecording(bool on)
{
    m_recording = on;
    setOn(recordButton, on);
}

void ScreenShareWindowViewController::setScreenSharing(bool on)
{
    m_screenSharing = on;
    setOn(shareButton, on);
}

void ScreenShareWindowViewController::setCameraCapturing(bool on)
{
    m_cameraCapturing = on;
    setOn(cameraButton, on);
}

void ScreenShareWindowViewController::setMicCapturing(bool on)
{
    m_micCapturing = on;
    setOn(micButton, on);
}

void ScreenShareWindowViewController::setSpeakerEnable(bool on)
{
    m_speakerEnable = on;
    setOn(speakerButton, on);
}

void ScreenShareWindowViewController::setMemberListShow(bool on)
{
    m_memberListShow = on;
    setOn(memberButton, on);
}

// ---- Actions ------------------------------------------------------------------------------------

namespace {
void report(const ScreenShareWindowViewController::Block &block, VeskButton *sender)
{
    if (block)
        block(sender);
}
} // namespace

void ScreenShareWindowViewController::recordButtonAction(VeskButton *sender)
{
    report(recordBlock, sender);
}

void ScreenShareWindowViewController::memberButtonAction(VeskButton *sender)
{
    report(memberListBlock, sender);
}

void ScreenShareWindowViewController::cameraButtonAction(VeskButton *sender)
{
    report(cameraBlock, sender);
}

void ScreenShareWindowViewController::micButtonAction(VeskButton *sender)
{
    report(micBlock, sender);
}

void ScreenShareWindowViewController::speakerButtonAction(VeskButton *sender)
{
    report(speakerBlock, sender);
}

void ScreenShareWindowViewController::shareButtonAction(VeskButton *sender)
{
    report(screenShareBlock, sender);
}

void ScreenShareWindowViewController::moreButtonAction(VeskButton *sender)
{
    report(moreBlock, sender);
}

void ScreenShareWindowViewController::cameraSelectButtonAction(VeskButton *sender)
{
    off(selectMicButton);
    off(selectSpeakerButton);
    report(selectCameraBlock, sender);
}

void ScreenShareWindowViewController::micSelectButtonAction(VeskButton *sender)
{
    off(selectCameraButton);
    off(selectSpeakerButton);
    report(selectMicBlock, sender);
}

void ScreenShareWindowViewController::speakerSelectButtonAction(VeskButton *sender)
{
    off(selectCameraButton);
    off(selectMicButton);
    report(selectSpeakerBlock, sender);
}

// The share controller sees a share button turned off and stops the share.
void ScreenShareWindowViewController::stopScreenShareAction(VeskButton *)
{
    off(shareButton);
    report(screenShareBlock, shareButton);
}

// ---- Sliding ------------------------------------------------------------------------------------

bool ScreenShareWindowViewController::menuOpen() const
{
    return isOn(moreButton) || isOn(memberButton) || isOn(selectCameraButton) || isOn(selectMicButton) ||
           isOn(selectSpeakerButton);
}

QRect ScreenShareWindowViewController::targetFrame() const
{
    if (m_animation)
        return m_target;
    QWidget *w = window();
    return w ? w->geometry() : QRect();
}

void ScreenShareWindowViewController::animateWindow()
{
    QWidget *w = window();
    if (!w)
        return;
    if (!w->frameGeometry().contains(QCursor::pos()) && !menuOpen())
        animateWindowToOffsetY(kSlideOffset);
}

void ScreenShareWindowViewController::mouseExited(const QPoint &globalPos)
{
    if (menuOpen() || !isViewLoaded())
        return;
    // Left through the bottom edge (screen y grows downwards).
    if (view()->mapFromGlobal(globalPos).y() >= view()->height())
        animateWindowToOffsetY(kSlideOffset);
}

void ScreenShareWindowViewController::mouseEntered(const QPoint &globalPos)
{
    if (!stopScreenShareButtonBKView)
        return;
    if (stopScreenShareButtonBKView->rect().contains(stopScreenShareButtonBKView->mapFromGlobal(globalPos)))
        animateWindowToOriginalPosition();
}

// Up by dy from the original position (y - dy on the screen); the bar's controls vanish meanwhile.
void ScreenShareWindowViewController::animateWindowToOffsetY(double dy)
{
    QRect target = targetFrame();
    const int y = m_originalPosition.y() - int(dy);
    if (target.y() == y)
        return;
    target.moveTop(y);
    if (toolBarView)
        toolBarView->setVisible(false);
    animateWindowToFrame(target);
}

void ScreenShareWindowViewController::animateWindowToOriginalPosition()
{
    QRect target = targetFrame();
    if (target.y() == m_originalPosition.y())
        return;
    if (toolBarView)
        toolBarView->setVisible(true);
    target.moveTop(m_originalPosition.y());
    animateWindowToFrame(target);
}

void ScreenShareWindowViewController::animateWindowToFrame(const QRect &frame)
{
    QWidget *w = window();
    if (!w)
        return;
    if (m_animation)
        m_animation->invalidate();
    m_from = w->geometry();
    m_target = frame;
    m_animationStart = KVClock::current().nowMs();
    m_animation = KVTimer::repeating(this, std::chrono::milliseconds(kStepMs), [this] { animationStep(); });
}

void ScreenShareWindowViewController::animationStep()
{
    QWidget *w = window();
    const qint64 elapsed = KVClock::current().nowMs() - m_animationStart;
    if (!w || elapsed >= kAnimationMs) {
        if (w)
            w->setGeometry(m_target);
        if (m_animation)
            m_animation->invalidate();
        m_animation = nullptr;
        return;
    }
    const double t = double(elapsed) / kAnimationMs;
    const int y = m_from.y() + int((m_target.y() - m_from.y()) * t);
    w->setGeometry(QRect(QPoint(m_target.x(), y), m_target.size()));
}

bool ScreenShareWindowViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && static_cast<QFocusEvent *>(event)->reason() != Qt::MouseFocusReason &&
        watched != view())
        animateWindowToOriginalPosition();
    if (isViewLoaded() && watched == view()) {
        if (event->type() == QEvent::Enter)
            mouseEntered(QCursor::pos());
        else if (event->type() == QEvent::Leave)
            mouseExited(QCursor::pos());
        else if (event->type() == QEvent::MouseMove && stopScreenShareButtonBKView &&
                 stopScreenShareButtonBKView->underMouse())
            mouseEntered(QCursor::pos());
    }
    return MacBaseViewController::eventFilter(watched, event);
}
