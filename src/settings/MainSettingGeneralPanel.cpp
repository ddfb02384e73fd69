#include "settings/MainSettingGeneralPanel.h"

#include "agent/MainSettingModel.h"
#include "connection/KVImageLoader.h"
#include "settings/MainSettingRules.h"
#include "settings/SettingTexts.h"
#include "uikit/KVCustomButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QCheckBox>
#include <QLabel>

namespace {
constexpr int kLeft = 40;
constexpr int kTop = 30;
constexpr int kRowHeight = 24;

QCheckBox *makeSwitch(const QString &title, QWidget *parent)
{
    auto *box = new QCheckBox(title, parent);
    box->setFont(vesk::systemFont(14));
    box->setCursor(Qt::PointingHandCursor);
    return box;
}
} // namespace

MainSettingGeneralPanel::MainSettingGeneralPanel(QWidget *parent) : MainSettingPanel(parent)
{
    setObjectName(QStringLiteral("MainSettingGeneralPanel"));
    m_autoCameraOnButton = makeSwitch(SettingTexts::kAutoCameraOn, this);
    m_autoMicphoneOnButton = makeSwitch(SettingTexts::kAutoMicphoneOn, this);
    m_showCurrentSpeakerButton = makeSwitch(SettingTexts::kShowCurrentSpeaker, this);
    m_cacheTitle = new QLabel(SettingTexts::kCache, this);
    m_cacheTitle->setFont(vesk::systemFont(14));
    m_sizeLabel = new QLabel(this);
    m_sizeLabel->setFont(vesk::systemFont(14));
    m_sizeLabel->setTextFormat(Qt::PlainText);
    m_cleanBtn = new KVCustomButton(SettingTexts::kCleanCache, this);
    m_cleanBtn->setBackgroundColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
    m_cleanBtn->setHoverBackgroundColor(vesk::colorWithHexString(QStringLiteral("3395FF")));
    m_cleanBtn->setTextColor(Qt::white);
    m_cleanBtn->setFont(vesk::systemFont(13));

    connect(m_autoCameraOnButton, &QAbstractButton::clicked, this, &MainSettingGeneralPanel::openCameraAction);
    connect(m_autoMicphoneOnButton, &QAbstractButton::clicked, this, &MainSettingGeneralPanel::openMicAction);
    connect(m_showCurrentSpeakerButton, &QAbstractButton::clicked, this,
            &MainSettingGeneralPanel::showSpokesPersonAction);
    connect(m_cleanBtn, &QAbstractButton::clicked, this, &MainSettingGeneralPanel::clearCacheAction);
    updateCacheSize();
    relayout();
}

void MainSettingGeneralPanel::setModel(MainSettingModel *model)
{
    m_model = model;
    if (m_model) {
        m_autoCameraOnButton->setChecked(m_model->autoCameraOn());
        m_autoMicphoneOnButton->setChecked(m_model->autoMicphoneOn());
        m_showCurrentSpeakerButton->setChecked(m_model->showCurrentSpeaker());
    }
    updateCacheSize();
    m_cleanBtn->setVisible(KVImageLoader::sharedLoader()->diskCacheSize() != 0);
}

void MainSettingGeneralPanel::setInMeeting(bool inMeeting)
{
    m_inMeeting = inMeeting;
    // Both only shape meetings the user creates, which a running meeting is not about.
    m_autoCameraOnButton->setVisible(!inMeeting);
    m_autoMicphoneOnButton->setVisible(!inMeeting);
    m_speakerTopConst = inMeeting ? kSpeakerTopInMeeting : kSpeakerTopAtHome;
    relayout();
}

void MainSettingGeneralPanel::updateCacheSize()
{
    const qint64 size = KVImageLoader::sharedLoader()->diskCacheSize();
    m_sizeLabel->setText(MainSettingRules::fileSizeWithInterge(quint64(std::max<qint64>(size, 0))));
}

void MainSettingGeneralPanel::openCameraAction()
{
    if (m_model)
        m_model->setAutoCameraOn(m_autoCameraOnButton->isChecked());
}

void MainSettingGeneralPanel::openMicAction()
{
    if (m_model)
        m_model->setAutoMicphoneOn(m_autoMicphoneOnButton->isChecked());
}

void MainSettingGeneralPanel::showSpokesPersonAction()
{
    if (m_model)
        m_model->setShowCurrentSpeaker(m_showCurrentSpeakerButton->isChecked());
    if (onShowCurrentSpeaker)
        onShowCurrentSpeaker(this);
}

void MainSettingGeneralPanel::clearCacheAction()
{
    QPointer<MainSettingGeneralPanel> self(this);
    KVImageLoader::sharedLoader()->clearDiskCache([self] {
        if (!self)
            return;
        self->m_sizeLabel->setText(QStringLiteral("0M"));
        VeskToast::showToast(SettingTexts::kCleaned);
        self->m_cleanBtn->setVisible(false);
    });
}

void MainSettingGeneralPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void MainSettingGeneralPanel::relayout()
{
    const int width = std::max(this->width() - 2 * kLeft, 300);
    m_autoCameraOnButton->setGeometry(kLeft, kTop + 11, width, kRowHeight);
    m_autoMicphoneOnButton->setGeometry(kLeft, kTop + 47, width, kRowHeight);
    m_showCurrentSpeakerButton->setGeometry(kLeft, kTop + m_speakerTopConst, width, kRowHeight);
    const int cacheTop = kTop + m_speakerTopConst + 60;
    m_cacheTitle->setGeometry(kLeft, cacheTop, 80, 28);
    m_sizeLabel->setGeometry(kLeft + 88, cacheTop, 120, 28);
    m_cleanBtn->setGeometry(kLeft + 216, cacheTop, 88, 28);
}
