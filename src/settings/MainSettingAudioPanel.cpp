#include "settings/MainSettingAudioPanel.h"

#include "devices/VeskDeviceChecker.h"
#include "devices/audio/KVAudioDeviceObserver.h"
#include "devices/audio/KVAudioManager.h"
#include "devices/views/KVAudioSelectView.h"
#include "devices/views/KVDevicePermissionAlert.h"
#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"
#include "settings/KVAudioIndicator.h"
#include "settings/KVDeviceFieldButton.h"
#include "settings/MainSettingAudioNoticeView.h"
#include "settings/SettingTexts.h"
#include "settings/SettingsLog.h"
#include "uikit/KVFlatView.h"
#include "uikit/MacCoverButton.h"
#include "uikit/MacSliderCell.h"
#include "uikit/QFFlatButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

constexpr int kLeft = 40;
constexpr int kFieldWidth = 300;
constexpr int kFieldHeight = 32;
constexpr auto kRefreshDelay = std::chrono::milliseconds(500);

// The slider's knob: a white disc with a soft edge.
QPixmap knobImage()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(vesk::colorWithHexString(QStringLiteral("D8DBE4")), 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(1, 1, 14, 14));
    return pixmap;
}

MacSliderCell *makeSlider(QWidget *parent, const QString &name)
{
    auto *slider = new MacSliderCell(parent);
    slider->setAccessibleName(name);
    slider->setRange(0, 255);
    slider->setNormalKnobImage(knobImage());
    slider->setDraggingKnobImage(knobImage());
    slider->setProgressColor(vesk::colorWithHexString(QStringLiteral("#007AFF")));
    slider->setProgressHeight(4);
    slider->setDisableDraggingAnimation(true);
    slider->setFocusPolicy(Qt::StrongFocus);
    return slider;
}

QString titleOf(const std::optional<KVAudioDevice> &device)
{
    return device ? device->displayName() : QString();
}

} // namespace

MainSettingAudioPanel::MainSettingAudioPanel(QWidget *parent)
    : MainSettingPanel(parent), microphoneCheck(&VeskDeviceChecker::checkMicrophoneWithCompletionBlock)
{
    setObjectName(QStringLiteral("MainSettingAudioPanel"));
    m_deviceMenu = new KVDeviceMenu(this, QStringLiteral("关闭设备列表"));
    build();
}

MainSettingAudioPanel::~MainSettingAudioPanel()
{
    // The unit's thread ends before the views its level block reaches.
    m_audioManager.reset();
    delete m_micNotice;
    delete m_speakerNotice;
}

KVAudioManager *MainSettingAudioPanel::audioManager()
{
    if (!m_audioManager)
        m_audioManager = std::make_unique<KVAudioManager>();
    return m_audioManager.get();
}

// ---- Views ---------------------------------------------------------------------------------------

void MainSettingAudioPanel::build()
{
    auto caption = [this](const QString &text, int size = 14) {
        auto *label = new QLabel(text, this);
        label->setFont(vesk::systemFont(size));
        return label;
    };
    m_ui.openMicWhenJoinBtn = new QCheckBox(this);
    m_ui.openMicWhenJoinBtn->setAccessibleName(SettingTexts::kAutoMicphoneOn);
    m_ui.autoMicphoneOnLabel = caption(SettingTexts::kAutoMicphoneOn);
    m_ui.autoMicphoneOnLabel->setBuddy(m_ui.openMicWhenJoinBtn);
    connect(m_ui.openMicWhenJoinBtn, &QCheckBox::toggled, this, [this] { onOpenMicWhenJoinAction(); });

    KVFlatView *micBack = nullptr;
    KVFlatView *speakerBack = nullptr;
    KVDeviceFieldButton *micButton = KVDeviceFieldButton::makeField(this, SettingTexts::kMicrophone, &micBack);
    KVDeviceFieldButton *speakerButton = KVDeviceFieldButton::makeField(this, SettingTexts::kSpeaker, &speakerBack);
    m_ui.micSelectBtn = micButton;
    m_ui.speakerSelectBtn = speakerButton;
    m_ui.micBackView = micBack;
    m_ui.speakerBackView = speakerBack;
    connect(micButton, &QAbstractButton::clicked, this, [this] { onSelectMicClick(); });
    connect(speakerButton, &QAbstractButton::clicked, this, [this] { onSelectSpeakerClick(); });

    const auto noticeButton = [this](bool speaker) {
        auto *button = new MacCoverButton(this);
        button->setTitle(QStringLiteral("?"));
        button->setTextColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
        button->setFont(vesk::systemFont(13, QFont::DemiBold));
        button->setAccessibleName(speaker ? SettingTexts::kSpeakerHelp : SettingTexts::kMicHelp);
        button->setToolTip(button->accessibleName());
        button->setFocusPolicy(Qt::StrongFocus);
        button->setToggle(true);
        button->mouseEnterBlock = [this, speaker] { showNotice(speaker, true); };
        button->mouseExitBlock = [this, speaker] { showNotice(speaker, false); };
        // Keyboard users read the help while the button has the focus.
        button->installEventFilter(this);
        return button;
    };
    m_ui.micNoticeButton = noticeButton(false);
    m_ui.speakerNoticeButton = noticeButton(true);

    m_ui.checkMicBtn = new QFFlatButton(SettingTexts::kCheckMic, this);
    m_ui.checkSpeakerBtn = new QFFlatButton(SettingTexts::kCheckSpeaker, this);
    for (QFFlatButton *button : {m_ui.checkMicBtn.data(), m_ui.checkSpeakerBtn.data()}) {
        button->setToggle(true);
        button->setFocusPolicy(Qt::StrongFocus);
        button->setTitleNormalColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
    }
    connect(m_ui.checkMicBtn, &QAbstractButton::clicked, this, [this] { onCheckMicAction(); });
    connect(m_ui.checkSpeakerBtn, &QAbstractButton::clicked, this, [this] { onCheckSpeakerAction(); });

    m_ui.micphoneIndicator = new KVAudioIndicator(this);
    m_ui.micphoneIndicator->setAccessibleName(SettingTexts::kInputLevel);
    m_ui.speakerIndicator = new KVAudioIndicator(this);
    m_ui.speakerIndicator->setAccessibleName(SettingTexts::kOutputLevel);
    m_ui.micVolumeSlider = makeSlider(this, SettingTexts::kMicrophone + SettingTexts::kVolume);
    m_ui.speakerVolumeSlider = makeSlider(this, SettingTexts::kSpeaker + SettingTexts::kVolume);
    connect(m_ui.micVolumeSlider, &QSlider::valueChanged, this, [this] {
        if (m_ui.micVolumeSlider->isSliderDown() || m_ui.micVolumeSlider->hasFocus())
            onMicVolumeChanged();
    });
    connect(m_ui.speakerVolumeSlider, &QSlider::valueChanged, this, [this] {
        if (m_ui.speakerVolumeSlider->isSliderDown() || m_ui.speakerVolumeSlider->hasFocus())
            onSpeakerVolumeChanged();
    });

    for (const QString &text : {SettingTexts::kMicrophone, SettingTexts::kInputLevel, SettingTexts::kVolume,
                                SettingTexts::kSpeaker, SettingTexts::kOutputLevel, SettingTexts::kVolume})
        caption(text, 13)->setObjectName(QStringLiteral("caption"));

    setTabOrder(m_ui.openMicWhenJoinBtn, micButton);
    setTabOrder(micButton, m_ui.micNoticeButton);
    setTabOrder(m_ui.micNoticeButton, m_ui.checkMicBtn);
    setTabOrder(m_ui.checkMicBtn, m_ui.micVolumeSlider);
    setTabOrder(m_ui.micVolumeSlider, speakerButton);
    setTabOrder(speakerButton, m_ui.speakerNoticeButton);
    setTabOrder(m_ui.speakerNoticeButton, m_ui.checkSpeakerBtn);
    setTabOrder(m_ui.checkSpeakerBtn, m_ui.speakerVolumeSlider);
    relayout();
}

void MainSettingAudioPanel::resizeEvent(QResizeEvent *event)
{
    MainSettingPanel::resizeEvent(event);
    relayout();
}

void MainSettingAudioPanel::relayout()
{
    m_ui.openMicWhenJoinBtn->setGeometry(kLeft, 20, 20, 21);
    m_ui.autoMicphoneOnLabel->setGeometry(kLeft + 26, 20, 300, 21);
    const QList<QLabel *> captions = findChildren<QLabel *>(QStringLiteral("caption"), Qt::FindDirectChildrenOnly);
    const auto block = [&](int top, int first, KVFlatView *back, MacCoverButton *notice, KVAudioIndicator *level,
                           QFFlatButton *check, MacSliderCell *slider) {
        captions[first]->setGeometry(kLeft, top, 200, 20);
        back->setGeometry(kLeft, top + 28, kFieldWidth, kFieldHeight);
        notice->setGeometry(kLeft + kFieldWidth + 10, top + 36, 16, 16);
        captions[first + 1]->setGeometry(kLeft, top + 76, 70, 20);
        level->setGeometry(kLeft + 70, top + 76, 200, 20);
        check->setGeometry(kLeft + 290, top + 70, 100, 32);
        captions[first + 2]->setGeometry(kLeft, top + 118, 70, 20);
        slider->setGeometry(kLeft + 70, top + 118, 200, 20);
    };
    const int top = m_speakerTopConst;
    block(top, 0, m_ui.micBackView, m_ui.micNoticeButton, m_ui.micphoneIndicator, m_ui.checkMicBtn,
          m_ui.micVolumeSlider);
    block(top + 160, 3, m_ui.speakerBackView, m_ui.speakerNoticeButton, m_ui.speakerIndicator, m_ui.checkSpeakerBtn,
          m_ui.speakerVolumeSlider);
    m_deviceMenu->hostResized();
}

void MainSettingAudioPanel::setInMeeting(bool inMeeting)
{
    m_inMeeting = inMeeting;
    m_ui.openMicWhenJoinBtn->setVisible(!inMeeting);
    m_ui.autoMicphoneOnLabel->setVisible(!inMeeting);
    m_speakerTopConst = inMeeting ? kSpeakerTopInMeeting : kSpeakerTopAtHome;
    relayout();
}

// ---- Model and lists -----------------------------------------------------------------------------

void MainSettingAudioPanel::setModel(MainSettingModel *model)
{
    m_model = model;
    {
        const QSignalBlocker quiet(m_ui.openMicWhenJoinBtn);
        m_ui.openMicWhenJoinBtn->setChecked(model && model->autoMicphoneOn());
    }
    if (!microphoneCheck) {
        m_isAvailable = true;
        updateUI();
        return;
    }
    // The check may wait for the sound server: the tab says it is loading meanwhile.
    m_checkingMicrophone = true;
    updateUI();
    QPointer<MainSettingAudioPanel> self(this);
    microphoneCheck([self](qint64 result) {
        MainQueue::safe(self, [self, result] {
            self->m_checkingMicrophone = false;
            switch (result) {
            case VeskDeviceChecker::Usable:
                self->m_isAvailable = true;
                break;
            case VeskDeviceChecker::NoDevice:
                VeskToast::showToast(SettingTexts::kNoMicrophone);
                self->m_isAvailable = false;
                break;
            case VeskDeviceChecker::Denied:
                KVDevicePermissionAlert::showMicrophoneDenied(self->window());
                self->m_isAvailable = false;
                break;
            default:
                return;
            }
            self->updateUI();
        });
    });
}

void MainSettingAudioPanel::updateUI()
{
    if (!m_isAvailable) {
        m_ui.micSelectBtn->setEnabled(false);
        m_ui.speakerSelectBtn->setEnabled(false);
        setDeviceTitles();
        return;
    }
    if (!KVAudioManager::listsLoaded()) {
        // The tab shows at once with the devices chosen; the menus open once the sound server has
        // told its devices (it may be slow to, or never answer).
        m_ui.micSelectBtn->setEnabled(false);
        m_ui.speakerSelectBtn->setEnabled(false);
        setDeviceTitles();
        if (!std::exchange(m_waitingForLists, true)) {
            QPointer<MainSettingAudioPanel> self(this);
            KVAudioDeviceObserver::shared().whenLoaded(this, [self] {
                self->m_waitingForLists = false;
                if (self->m_isAvailable)
                    self->updateUI();
            });
        }
        return;
    }
    m_ui.micSelectBtn->setEnabled(true);
    m_ui.speakerSelectBtn->setEnabled(true);
    m_recordDevices = KVAudioManager::recordDevices();
    m_playoutDevices = KVAudioManager::playoutDevices();
    if (m_model) {
        m_model->setCurrentMicphone(shownDevice(m_model->currentMicphone(), m_recordDevices));
        m_model->setCurrentSpeaker(shownDevice(m_model->currentSpeaker(), m_playoutDevices));
    }
    setDeviceTitles();

    KVAudioManager *unit = audioManager();
    QPointer<MainSettingAudioPanel> self(this);
    // Arrives on the main thread; the lists settle a moment after the server's first word.
    unit->deviceChanged = [self] {
        if (!self)
            return;
        if (self->m_refreshTimer)
            self->m_refreshTimer->invalidate();
        self->m_refreshTimer = KVTimer::singleShot(self, kRefreshDelay, [self] {
            self->hideOverMaskBtnViews();
            self->updateCheckMic(false);
            self->updateCheckSpeaker(false);
            self->updateUI();
        });
    };
    // Called on the audio thread; the bars are drawn on the main thread.
    unit->setSoundLevelCallback([self](int level) {
        MainQueue::async(self, [self, level] {
            if (self->m_isMicphoneChecking)
                self->m_ui.micphoneIndicator->setCurrentValue(float(level));
            else if (self->m_isSpeakerChecking)
                self->m_ui.speakerIndicator->setCurrentValue(float(level));
        });
    });
    openAudioDeviceAndUpdateVolumeState();
}

std::optional<KVAudioDevice> MainSettingAudioPanel::shownDevice(const std::optional<KVAudioDevice> &chosen,
                                                                const QList<KVAudioDevice> &listed) const
{
    if (listed.isEmpty())
        return std::nullopt;
    // A meeting's engine goes on with the device picked last (the window switched it by name):
    // the tab shows and ticks that one while it is listed, never the default behind its back.
    if (m_inMeeting && chosen && !chosen->name.isEmpty()) {
        for (const KVAudioDevice &device : listed) {
            if (device.name == chosen->name)
                return device;
        }
    }
    return listed.first();
}

void MainSettingAudioPanel::setDeviceTitles()
{
    // A field with no device chosen says it is loading while the check or the server's lists are
    // still to come, rather than stay blank.
    const bool loading = m_checkingMicrophone || (m_isAvailable && !KVAudioManager::listsLoaded());
    const auto title = [loading](const std::optional<KVAudioDevice> &device) {
        const QString name = titleOf(device);
        return name.isEmpty() && loading ? KVAudioSelectView::kLoadingText : name;
    };
    m_ui.micSelectBtn->setDeviceName(title(m_model ? m_model->currentMicphone() : std::nullopt));
    m_ui.speakerSelectBtn->setDeviceName(title(m_model ? m_model->currentSpeaker() : std::nullopt));
}

void MainSettingAudioPanel::openAudioDeviceAndUpdateVolumeState()
{
    const quint32 speaker = m_model && m_model->currentSpeaker() ? m_model->currentSpeaker()->deviceID : 0;
    const quint32 microphone = m_model && m_model->currentMicphone() ? m_model->currentMicphone()->deviceID : 0;
    QPointer<MainSettingAudioPanel> self(this);
    audioManager()->openSpeaker(speaker, microphone, [self](bool) {
        if (self)
            self->updateVolume();
    });
}

void MainSettingAudioPanel::updateVolume(std::function<void()> completion)
{
    // Read off the main thread; the panel owns the unit, so the answer never outlives it.
    audioManager()->readVolumes(
        [this, completion = std::move(completion)](const KVAudioManager::MixerVolume &microphone,
                                                   const KVAudioManager::MixerVolume &speaker) {
            const auto fill = [](MacSliderCell *slider, const KVAudioManager::MixerVolume &volume) {
                const QSignalBlocker quiet(slider);
                if (!volume.available) {
                    slider->setEnabled(false);
                    return;
                }
                slider->setEnabled(true);
                if (volume.max)
                    slider->setMaximum(int(*volume.max));
                if (volume.min)
                    slider->setMinimum(int(*volume.min));
                if (volume.value)
                    slider->setValue(int(*volume.value));
                else
                    slider->setEnabled(false);
            };
            fill(m_ui.micVolumeSlider, microphone);
            fill(m_ui.speakerVolumeSlider, speaker);
            if (completion)
                completion();
        });
}

// ---- Tests -------------------------------------------------------------------------------------

void MainSettingAudioPanel::updateCheckMic(bool start)
{
    if (!m_isAvailable) {
        m_isMicphoneChecking = false;
        VeskToast::showToast(SettingTexts::kNoPermission);
        return;
    }
    if (start) {
        updateCheckSpeaker(false);
        m_ui.checkMicBtn->setState(1);
        m_ui.checkMicBtn->setTitle(SettingTexts::kStopCheck);
        m_isMicphoneChecking = true;
        openAudioDeviceAndUpdateVolumeState();
        startMic();
        return;
    }
    m_ui.checkMicBtn->setTitle(SettingTexts::kCheckMic);
    m_ui.checkMicBtn->setState(0);
    m_isMicphoneChecking = false;
    m_ui.micphoneIndicator->setCurrentValue(0);
    if (m_audioManager)
        m_audioManager->stop();
    openAudioDeviceAndUpdateVolumeState();
}

void MainSettingAudioPanel::startMic()
{
    m_testUnitStarted = false;
    const quint32 speaker = m_model && m_model->currentSpeaker() ? m_model->currentSpeaker()->deviceID : 0;
    const quint32 microphone = m_model && m_model->currentMicphone() ? m_model->currentMicphone()->deviceID : 0;
    QPointer<MainSettingAudioPanel> self(this);
    audioManager()->openSpeaker(speaker, microphone, [self](bool) {
        if (!self)
            return;
        self->updateVolume([self] {
            // Stopped meanwhile: nothing starts behind the user's back.
            if (!self->m_isMicphoneChecking)
                return;
            const MacSliderCell *slider = self->m_ui.micVolumeSlider;
            if (slider->isEnabled() && slider->value() == 0) {
                qCInfo(lcSettings) << "microphone at 0: no loop-back";
                return;
            }
            self->m_testUnitStarted = true;
            self->audioManager()->start();
        });
    });
}

void MainSettingAudioPanel::updateCheckSpeaker(bool start)
{
    if (!m_isAvailable) {
        m_ui.speakerIndicator->setCurrentValue(0);
        VeskToast::showToast(SettingTexts::kNoPermission);
        return;
    }
    if (start) {
        updateCheckMic(false);
        m_ui.checkSpeakerBtn->setState(1);
        m_ui.checkSpeakerBtn->setTitle(SettingTexts::kStopCheck);
        m_isSpeakerChecking = true;
        openAudioDeviceAndUpdateVolumeState();
        startSpeaker();
        return;
    }
    m_ui.checkSpeakerBtn->setState(0);
    m_ui.checkSpeakerBtn->setTitle(SettingTexts::kCheckSpeaker);
    m_isSpeakerChecking = false;
    m_ui.speakerIndicator->setCurrentValue(0);
    if (m_audioManager)
        m_audioManager->stop();
    openAudioDeviceAndUpdateVolumeState();
}

void MainSettingAudioPanel::startSpeaker()
{
    QPointer<MainSettingAudioPanel> self(this);
    audioManager()->playPCM(kPcmPath, [self](bool loaded) {
        if (!loaded)
            qCWarning(lcSettings) << "the test sound could not be read";
        if (self)
            self->updateVolume();
    });
    m_testUnitStarted = true;
    audioManager()->start();
}

void MainSettingAudioPanel::stopRunning()
{
    if (m_audioManager)
        m_audioManager->stop();
    updateCheckMic(false);
    updateCheckSpeaker(false);
}

// ---- Actions -------------------------------------------------------------------------------------

void MainSettingAudioPanel::onCheckMicAction()
{
    updateCheckMic(!m_isMicphoneChecking);
}

void MainSettingAudioPanel::onCheckSpeakerAction()
{
    updateCheckSpeaker(!m_isSpeakerChecking);
}

void MainSettingAudioPanel::onSelectMicClick()
{
    showSelectView(true);
}

void MainSettingAudioPanel::onSelectSpeakerClick()
{
    showSelectView(false);
}

void MainSettingAudioPanel::onMicVolumeChanged()
{
    audioManager()->setVolumeLater(false, quint32(m_ui.micVolumeSlider->value()));
}

void MainSettingAudioPanel::onSpeakerVolumeChanged()
{
    audioManager()->setVolumeLater(true, quint32(m_ui.speakerVolumeSlider->value()));
}

void MainSettingAudioPanel::onOpenMicWhenJoinAction()
{
    if (m_model)
        m_model->setAutoMicphoneOn(m_ui.openMicWhenJoinBtn->isChecked());
}

void MainSettingAudioPanel::onOverBtnClick()
{
    hideOverMaskBtnViews();
}

// ---- Device menus --------------------------------------------------------------------------------

void MainSettingAudioPanel::showSelectView(bool microphone)
{
    const QList<KVAudioDevice> &devices = microphone ? m_recordDevices : m_playoutDevices;
    const std::optional<KVAudioDevice> current =
        m_model ? (microphone ? m_model->currentMicphone() : m_model->currentSpeaker()) : std::nullopt;
    QList<KVDeviceMenu::Entry> entries;
    for (const KVAudioDevice &device : devices)
        entries.append({device.displayName(), QVariant::fromValue(device), current && current->name == device.name});
    KVFlatView *field = microphone ? m_ui.micBackView : m_ui.speakerBackView;
    QPointer<MainSettingAudioPanel> self(this);
    m_deviceMenu->open(entries, field->geometry(), microphone ? SettingTexts::kMicrophone : SettingTexts::kSpeaker,
                       microphone ? m_ui.micSelectBtn.data() : m_ui.speakerSelectBtn.data(),
                       KVDeviceMenu::Focus::Always, [self, microphone](const QVariant &device) {
                           if (self)
                               self->chooseDevice(microphone, device.value<KVAudioDevice>());
                       });
}

void MainSettingAudioPanel::chooseDevice(bool microphone, const KVAudioDevice &device)
{
    if (m_model) {
        if (microphone)
            m_model->setCurrentMicphone(device);
        else
            m_model->setCurrentSpeaker(device);
    }
    setDeviceTitles();
    if (m_isSpeakerChecking)
        updateCheckSpeaker(false);
    if (m_isMicphoneChecking)
        updateCheckMic(false);
    KVAudioManager *unit = audioManager();
    unit->openMixerSpeaker(m_model && m_model->currentSpeaker() ? m_model->currentSpeaker()->deviceID : 0);
    unit->openMixerMicrophone(m_model && m_model->currentMicphone() ? m_model->currentMicphone()->deviceID : 0);
    updateVolume();
    const Block &block = microphone ? onMichoneChanged : onSpeakerChanged;
    if (block)
        block(this);
}

void MainSettingAudioPanel::hideOverMaskBtnViews()
{
    m_deviceMenu->close();
}

bool MainSettingAudioPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui.micNoticeButton || watched == m_ui.speakerNoticeButton) {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            showNotice(watched == m_ui.speakerNoticeButton, event->type() == QEvent::FocusIn);
    }
    return MainSettingPanel::eventFilter(watched, event);
}

// ---- Help pop-ups --------------------------------------------------------------------------------

void MainSettingAudioPanel::showNotice(bool speaker, bool show)
{
    MacCoverButton *button = speaker ? m_ui.speakerNoticeButton : m_ui.micNoticeButton;
    button->setState(show ? 1 : 0);
    QWidget *notice = speaker ? m_speakerNotice : m_micNotice;
    if (!notice) {
        if (!show)
            return;
        notice = createNoticeView(speaker);
    }
    // Under the button: 5 points to its left, 12 below it.
    notice->move(button->mapToGlobal(QPoint(-5, button->height() + 12)));
    notice->setVisible(show);
    if (show)
        notice->raise();
}

QWidget *MainSettingAudioPanel::createNoticeView(bool speaker)
{
    auto *holder = new QWidget(window(), Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    holder->setAttribute(Qt::WA_TranslucentBackground);
    holder->setAttribute(Qt::WA_ShowWithoutActivating);
    auto *view = new MainSettingAudioNoticeView(holder);
    view->setIsSpeaker(speaker);
    view->setDarkAppearance(m_inMeeting);
    const QSize size(MainSettingAudioNoticeView::kWidth, speaker ? MainSettingAudioNoticeView::kSpeakerHeight
                                                                 : MainSettingAudioNoticeView::kMicrophoneHeight);
    holder->setFixedSize(size);
    view->setGeometry(QRect(QPoint(0, 0), size));
    holder->setAccessibleName(view->accessibleName());
    (speaker ? m_speakerNotice : m_micNotice) = holder;
    return holder;
}
