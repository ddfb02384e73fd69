#include "meeting/sharing/AvFileShare.h"

#include "agent/VeskMeetingManager.h"
#include "agent/engine/KRTCVideoView.h"
#include "foundation/NotificationCenter.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/common/MeetingIcons.h"
#include "meeting/common/MeetingWindowRules.h"
#include "meeting/sharing/AudioRingAnimation.h"
#include "meeting/sharing/MeetingSharing.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVDataText.h"
#include "uikit/MacDisableScrollView.h"
#include "uikit/MacSliderCell.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskToast.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>

#include <algorithm>

namespace AvFileShareRules {

QString timeText(qint64 seconds)
{
    seconds = std::max<qint64>(0, seconds);
    return QString::asprintf("%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

qint64 boundedDuration(qint64 seconds)
{
    return std::clamp<qint64>(seconds, 0, kMostSeconds);
}

bool audioOnlySource(const std::shared_ptr<MeetingActiveModel> &source)
{
    return source && !source->videoView() && source->customAudioFlag() && source->activeVideoSourceType() == 3;
}

} // namespace AvFileShareRules

namespace {

QPixmap pauseImage(int side)
{
    return MeetingIcons::render(
        [](QPainter &p, double s) {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(s * 0.32, s * 0.27, s * 0.12, s * 0.46));
            p.drawRect(QRectF(s * 0.56, s * 0.27, s * 0.12, s * 0.46));
        },
        side);
}

} // namespace

AvFileShare::AvFileShare(MeetingSharing &room, Views views, WindowCalls window,
                         std::shared_ptr<AvFileShareServices> services)
    : QObject(&room), m_room(room), m_ui(views), m_window(std::move(window)),
      m_services(services ? std::move(services) : AvFileShareServices::agent())
{
}

AvFileShare::~AvFileShare() = default;

void AvFileShare::connectUi()
{
    if (VeskButton *button = m_ui.avFileSharePlayButton) {
        // State 0 shows what a click does while playing (pause), state 1 while paused (play).
        button->setImage(pauseImage(48));
        button->setAlternateImage(MeetingIcons::image(QStringLiteral("av_file_play"), 48));
        button->setFocusPolicy(Qt::StrongFocus);
        connect(button, &QAbstractButton::clicked, this, [this] { avFileSharePlayAction(); });
        const auto name = [button](bool paused) {
            button->setAccessibleName(paused ? QStringLiteral("播放") : QStringLiteral("暂停"));
            button->setToolTip(button->accessibleName());
        };
        connect(button, &QAbstractButton::toggled, this, name);
        // A share starts playing: named before its first change.
        name(button->isChecked());
    }
    if (MacSliderCell *slider = m_ui.avFileShareSlider) {
        // One step a second: the slider's value is the position itself, never a share of it.
        slider->setRange(0, 0);
        slider->setValue(0);
        slider->setFocusPolicy(Qt::StrongFocus);
        slider->installEventFilter(this);
        connect(slider, &QAbstractSlider::sliderReleased, this, [this] { avFileShareSliderAction(); });
        // Keys and the accessibility bus move the value without a drag: each move seeks.
        connect(slider, &QAbstractSlider::valueChanged, this, [this, slider] {
            if (!m_settingSlider && !slider->isSliderDown())
                avFileShareSliderAction();
        });
    }
}

bool AvFileShare::eventFilter(QObject *watched, QEvent *event)
{
    const std::shared_ptr<FileShareModel> &model = m_room.state().avFileShareModel;
    const int mode = m_room.state().fileShareMode;
    if (event->type() == QEvent::FocusIn && watched == m_ui.avFileShareSlider && m_ui.avFileSharePlayButton && model &&
        model->userCanControl() && (mode == 2 || mode == 3))
        m_ui.avFileSharePlayButton->show();
    return QObject::eventFilter(watched, event);
}

// ---- Showing a file ------------------------------------------------------------------------------------

void AvFileShare::setAvFileShareModel(const std::shared_ptr<FileShareModel> &model)
{
    if (model)
        model->duration = AvFileShareRules::boundedDuration(model->duration);
    m_room.state().avFileShareModel = model;
    if (MacSliderCell *slider = m_ui.avFileShareSlider) {
        m_settingSlider = true;
        slider->setRange(0, int(model ? model->duration : 0));
        m_settingSlider = false;
    }
    const QString name =
        model ? KVDataText::isolated(KVDataText::bounded(model->fileName, DataText::kNameLength)) : QString();
    if (m_ui.shareFileName)
        KVDataText::setText(m_ui.shareFileName, name);
    if (m_ui.currentFilePanelWidthConstraint) {
        QFont font;
        font.setPointSizeF(12);
        const double width = QFontMetricsF(font).horizontalAdvance(name) + 30;
        m_ui.currentFilePanelWidthConstraint->setConstant(std::min(width, 200.0));
    }
}

void AvFileShare::startOwn(const FileShareModel &file)
{
    auto model = std::make_shared<FileShareModel>(file);
    model->processStartEnable = false;
    setAvFileShareModel(model);
    if (m_ui.shareBtn)
        m_ui.shareBtn->setState(1);
    if (VeskMeetingManager *manager = MeetingCurrent::manager())
        manager->setSelfAVFileSharing(true);
    m_room.state().avFileSharePlaying = true;
    setButtonPlaying(true);
    setAvFileSharePlayTimerCount(0);
    m_room.setFileShareMode(2);
    if (m_ui.audioAnimationBKView)
        m_ui.audioAnimationBKView->setVisible(file.fileType == FileShareType::Audio);
    // The stream of the last file is not this one's: its view leaves until the stream comes.
    if (m_ui.avFileShareRenderView) {
        for (KRTCVideoView *old : m_ui.avFileShareRenderView->findChildren<KRTCVideoView *>()) {
            AutoLayout::removeConstraints(old);
            old->hide();
            old->setParent(nullptr);
        }
    }
}

void AvFileShare::applyLayout(int mode)
{
    const bool file = mode == 2 || mode == 3;
    const std::shared_ptr<FileShareModel> &model = m_room.state().avFileShareModel;
    const bool control = file && model && model->userCanControl();
    if (m_ui.avFileShareRenderView)
        m_ui.avFileShareRenderView->setVisible(file);
    if (!file) {
        for (QWidget *view :
             {static_cast<QWidget *>(m_ui.avFileSharePlayButton), static_cast<QWidget *>(m_ui.avFileShareSliderBKView),
              static_cast<QWidget *>(m_ui.audioAnimationBKView)})
            if (view)
                view->hide();
        return;
    }
    for (QWidget *view :
         {static_cast<QWidget *>(m_ui.fileShareScrollView), static_cast<QWidget *>(m_ui.leftFlipOverButton),
          static_cast<QWidget *>(m_ui.rightFlipOverButton), static_cast<QWidget *>(m_ui.currentPagePanel),
          static_cast<QWidget *>(m_ui.currentFileShareNameLabel), static_cast<QWidget *>(m_ui.shareStateImageView)})
        if (view)
            view->hide();
    if (m_ui.currentFilePanel)
        m_ui.currentFilePanel->show();
    for (QWidget *view :
         {static_cast<QWidget *>(m_ui.avFileSharePlayButton), static_cast<QWidget *>(m_ui.avFileShareSliderBKView),
          static_cast<QWidget *>(m_ui.finishShareBtn)})
        if (view)
            view->setVisible(control);
    if (control && m_ui.avFileShareTotalTime)
        m_ui.avFileShareTotalTime->setText(AvFileShareRules::timeText(model->duration));
    if (m_ui.avFileSharePlayButton)
        m_ui.avFileSharePlayButton->raise();
    if (m_ui.avFileShareSliderBKView)
        m_ui.avFileShareSliderBKView->raise();
}

// ---- The user's controls -------------------------------------------------------------------------------

void AvFileShare::avFileSharePlayAction()
{
    VeskButton *button = m_ui.avFileSharePlayButton;
    const std::shared_ptr<FileShareModel> model = m_room.state().avFileShareModel;
    if (!button || !model)
        return;
    const qint64 state = button->state();
    const bool wasPlaying = m_room.state().avFileSharePlaying;
    qint64 target = std::min(m_position, model->duration);
    m_room.state().avFileSharePlaying = state != 1;
    // Play pressed at the end starts again from the beginning.
    if (target == model->duration && state == 0) {
        setAvFileSharePlayTimerCount(0);
        target = 0;
    }
    const qint64 type = state == 1 ? 3 : 2;
    QPointer<VeskButton> guardButton(button);
    m_services->play(this, type, model->fileId, model->fileType.toLongLong(), target,
                     [this, state, wasPlaying, guardButton](const KVMResponse &response) {
                         if (response.successed) {
                             if (state == 0)
                                 resumeAVFileShareTimer();
                             else
                                 pauseAVFileShareTimer();
                             m_room.state().avFileSharePlaying = state != 1;
                             return;
                         }
                         m_room.state().avFileSharePlaying = wasPlaying;
                         if (guardButton)
                             guardButton->setState(state == 1 ? 0 : 1);
                         const QString fallback = state == 1 ? QStringLiteral("暂停失败") : QStringLiteral("播放失败");
                         VeskToast::showToast(response.message.isEmpty() ? fallback : response.message);
                     });
}

void AvFileShare::sliderStartTracking(const Notification &notification)
{
    if (notification.object.value<QObject *>() != m_ui.avFileShareSlider.data())
        return;
    m_tracking = true;
    pauseAVFileShareTimer();
}

void AvFileShare::sliderStopTracking(const Notification &notification)
{
    if (notification.object.value<QObject *>() != m_ui.avFileShareSlider.data())
        return;
    m_tracking = false;
}

void AvFileShare::avFileShareSliderAction()
{
    const std::shared_ptr<FileShareModel> model = m_room.state().avFileShareModel;
    if (!model || !m_ui.avFileShareSlider)
        return;
    pauseAVFileShareTimer();
    const qint64 target = std::clamp<qint64>(m_ui.avFileShareSlider->value(), 0, model->duration);
    setAvFileSharePlayTimerCount(target);
    m_services->play(this, 4, model->fileId, model->fileType.toLongLong(), target, [this](const KVMResponse &response) {
        if (!response.successed) {
            VeskToast::showToast(response.message.isEmpty() ? QStringLiteral("切换失败") : response.message);
            return;
        }
        if (m_ui.avFileSharePlayButton && m_ui.avFileSharePlayButton->state() == 0)
            resumeAVFileShareTimer();
    });
}

// ---- The play position ---------------------------------------------------------------------------------

void AvFileShare::setAvFileSharePlayTimerCount(qint64 seconds)
{
    m_position = MeetingWindowRules::clampedPlaybackSeconds(seconds);
    updatePositionViews();
}

void AvFileShare::updatePositionViews()
{
    if (m_ui.avFileShareCurrentTime)
        m_ui.avFileShareCurrentTime->setText(AvFileShareRules::timeText(m_position));
    const std::shared_ptr<FileShareModel> &model = m_room.state().avFileShareModel;
    MacSliderCell *slider = m_ui.avFileShareSlider;
    // The knob under the user's hand stays where he holds it.
    if (!model || model->duration < 1 || !slider || slider->isSliderDown())
        return;
    m_settingSlider = true;
    slider->setValue(int(std::min(m_position, model->duration)));
    m_settingSlider = false;
}

void AvFileShare::takeFramePosition(qint64 seconds)
{
    if (m_tracking)
        return;
    if (const auto near = MeetingWindowRules::playbackPositionNear(seconds, m_position); near && *near != m_position)
        setAvFileSharePlayTimerCount(*near);
}

void AvFileShare::avFileShareRecvStream(const QString &peerId)
{
    if (!m_room.state().avFileSharePlaying)
        return;
    if (m_ui.avFileSharePlayButton && m_ui.avFileSharePlayButton->state() == 1)
        setButtonPlaying(true);
    const std::shared_ptr<FileShareModel> model = m_room.state().avFileShareModel;
    if (!model || model->processStartEnable || peerId.isEmpty() || peerId != m_services->myPeerId())
        return;
    model->processStartEnable = true;
    std::weak_ptr<FileShareModel> weak = model;
    m_services->processStart(this, model->fileId, [weak](const KVMResponse &response) {
        // A failed report goes again with the next frame.
        if (const auto file = weak.lock())
            file->processStartEnable = response.code == 0;
    });
}

void AvFileShare::setButtonPlaying(bool playing)
{
    if (m_ui.avFileSharePlayButton)
        m_ui.avFileSharePlayButton->setState(playing ? 0 : 1);
}

// ---- Playback and the ring -----------------------------------------------------------------------------

bool AvFileShare::audioOnlySource() const
{
    return AvFileShareRules::audioOnlySource(m_window.source ? m_window.source() : nullptr);
}

void AvFileShare::startAVFileShareTimer()
{
    if (audioOnlySource())
        startAudioRotationAnimation();
    else
        stopAudioRotationAnimation();
}

void AvFileShare::resumeAVFileShareTimer()
{
    startAVFileShareTimer();
}

void AvFileShare::pauseAVFileShareTimer()
{
    if (audioOnlySource())
        stopAudioRotationAnimation();
}

void AvFileShare::stopAVFileShareTimer(bool keepAnimation)
{
    if (!keepAnimation && audioOnlySource())
        stopAudioRotationAnimation();
    // Only a file no longer on show goes back to the start: the member pipeline stops the timer on
    // every change, and a shown position sent to 0 would then refuse the stream's frames (9 s rule).
    if (m_room.state().fileShareMode != 2 && m_ui.avFileShareSliderBKView && !m_ui.avFileShareSliderBKView->isHidden())
        setAvFileSharePlayTimerCount(0);
}

void AvFileShare::addAudioRotationAnimationView()
{
    if (m_animation || !m_ui.audioAnimationBKView)
        return;
    m_animation = new AudioRingAnimation(m_ui.audioAnimationBKView, m_ui.audioAnimationBorderImageView,
                                         m_ui.audioAnimationContentImageView, this);
}

void AvFileShare::startAudioRotationAnimation()
{
    addAudioRotationAnimationView();
    if (m_animation)
        m_animation->start();
}

void AvFileShare::stopAudioRotationAnimation()
{
    if (m_animation)
        m_animation->stop();
}
