#include "devices/views/KVAudioSelectView.h"

#include "agent/MainSettingModel.h"
#include "devices/audio/KVAudioDeviceObserver.h"
#include "devices/audio/KVAudioManager.h"
#include "devices/views/KVDeviceListView.h"
#include "foundation/MainQueue.h"
#include "uikit/VeskCategories.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>

KVAudioSelectView::KVAudioSelectView(QWidget *parent) : QWidget(parent), m_audio(std::make_unique<KVAudioManager>())
{
    build();
}

KVAudioSelectView::~KVAudioSelectView()
{
    m_audio->setSoundLevelCallback({});
    m_audio->stop();
}

void KVAudioSelectView::build()
{
    KVDevicePopup::styleFrame(this, kSize);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 8, 12, 8);
    layout->setSpacing(6);

    m_list = new KVDeviceListView(this);
    m_list->onSelect = [this](int index) { selectRow(index); };
    auto *scroll = KVDevicePopup::scrollingList(this, m_list);
    // Three rows show; more scroll.
    scroll->setFixedHeight(3 * KVDeviceListView::kRowHeight);
    layout->addWidget(scroll);
    // In the menu's place until the sound server has told its devices (it may be slow to, or
    // never answer).
    m_listArea = scroll;
    m_loading = new QLabel(kLoadingText, this);
    m_loading->setAccessibleName(kLoadingText);
    m_loading->setStyleSheet(QStringLiteral("color: #999999;"));
    m_loading->setFixedHeight(scroll->height());
    m_loading->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_loading->setContentsMargins(12, 8, 12, 0);
    m_loading->hide();
    layout->addWidget(m_loading);

    auto *volumeRow = new QHBoxLayout;
    auto *volumeLabel = new QLabel(QStringLiteral("音量"), this);
    volumeLabel->setStyleSheet(QStringLiteral("color: #999999;"));
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setRange(0, 255);
    m_volume->setAccessibleName(QStringLiteral("音量"));
    m_volume->setToolTip(QStringLiteral("音量"));
    connect(m_volume, &QSlider::valueChanged, this,
            [this](int value) { m_audio->setVolumeLater(m_isSpeaker, static_cast<quint32>(value)); });
    volumeRow->addWidget(volumeLabel);
    volumeRow->addWidget(m_volume, 1);
    layout->addLayout(volumeRow);

    m_level = new QProgressBar(this);
    m_level->setRange(0, 100);
    m_level->setValue(0);
    m_level->setTextVisible(false);
    m_level->setFixedHeight(4);
    m_level->setAccessibleName(QStringLiteral("输入音量"));
    m_level->setStyleSheet(QStringLiteral("QProgressBar { background: #5C5D64; border: none; }"
                                          "QProgressBar::chunk { background: #007AFF; }"));
    layout->addWidget(m_level);

    m_settingButton = KVDevicePopup::settingsLink(QStringLiteral("音频设置"), this);
    connect(m_settingButton, &QPushButton::clicked, this, [this] {
        if (onSettingAction)
            onSettingAction();
    });
    layout->addWidget(m_settingButton);

    // The observer has reset the model's choice by now; show the new lists.
    m_audio->deviceChanged = [this] { reload(); };
    QPointer<KVAudioSelectView> self(this);
    m_audio->setSoundLevelCallback(
        [self](int level) { MainQueue::async(self, [self, level] { self->m_level->setValue(level); }); });
}

void KVAudioSelectView::setIsSpeaker(bool isSpeaker)
{
    m_isSpeaker = isSpeaker;
    m_level->setVisible(!isSpeaker);
}

void KVAudioSelectView::setModel(MainSettingModel *model)
{
    m_model = model;
    reload();
}

std::optional<KVAudioDevice> KVAudioSelectView::current() const
{
    if (!m_model)
        return std::nullopt;
    return m_isSpeaker ? m_model->currentSpeaker() : m_model->currentMicphone();
}

void KVAudioSelectView::reload()
{
    const bool loaded = KVAudioManager::listsLoaded();
    m_loading->setVisible(!loaded);
    m_listArea->setVisible(loaded);
    if (!loaded && !m_waitingForLists) {
        // Shown at once with what is known; the menu fills when the lists arrive.
        m_waitingForLists = true;
        KVAudioDeviceObserver::shared().whenLoaded(this, [this] {
            m_waitingForLists = false;
            reload();
        });
    }
    m_devices = m_isSpeaker ? KVAudioManager::playoutDevices() : KVAudioManager::recordDevices();
    auto chosen = current();
    if ((!chosen || chosen->name.isEmpty()) && !m_devices.isEmpty() && m_model) {
        chosen = m_devices.first();
        if (m_isSpeaker)
            m_model->setCurrentSpeaker(chosen);
        else
            m_model->setCurrentMicphone(chosen);
    }
    QStringList titles;
    int selected = -1;
    for (int i = 0; i < m_devices.size(); ++i) {
        titles.append(m_devices.at(i).displayName());
        // Matched by name, as the engine is switched by name.
        if (selected < 0 && chosen && m_devices.at(i).name == chosen->name)
            selected = i;
    }
    m_list->setDevices(titles, selected);
    openMixer();
}

void KVAudioSelectView::openMixer()
{
    const auto chosen = current();
    const quint32 id = chosen ? chosen->deviceID : 0;
    const bool meter = !m_isSpeaker && !m_devices.isEmpty();
    // Another device came or went: the one shown keeps its mixer and meter, and its volume stays
    // usable (and the focus on it) while it is read again.
    if (m_opened == std::pair(id, meter)) {
        updateVolume(true);
        return;
    }
    m_opened = std::pair(id, meter);
    m_audio->stop();
    if (m_isSpeaker) {
        m_audio->openMixerSpeaker(id);
    } else {
        m_audio->openMixerMicrophone(id);
        if (meter)
            m_audio->startMeter();
    }
    updateVolume();
}

void KVAudioSelectView::updateVolume(bool keepUsable)
{
    // Off until the server has answered for the device now chosen.
    if (!keepUsable)
        m_volume->setEnabled(false);
    // The manager goes with this view: its answer never outlives it.
    m_audio->readVolumes(
        [this](const KVAudioManager::MixerVolume &microphone, const KVAudioManager::MixerVolume &speaker) {
            const KVAudioManager::MixerVolume &volume = m_isSpeaker ? speaker : microphone;
            const bool usable = volume.available && volume.value.has_value();
            m_volume->setEnabled(usable);
            const QSignalBlocker quiet(m_volume); // showing the volume must not set it
            m_volume->setValue(usable ? static_cast<int>(*volume.value) : 0);
        });
}

void KVAudioSelectView::selectRow(int index)
{
    if (index < 0 || index >= m_devices.size() || !m_model)
        return;
    const KVAudioDevice device = m_devices.at(index);
    if (m_isSpeaker)
        m_model->setCurrentSpeaker(device);
    else
        m_model->setCurrentMicphone(device);
    reload();
    if (onDeviceChanged)
        onDeviceChanged(this);
}
