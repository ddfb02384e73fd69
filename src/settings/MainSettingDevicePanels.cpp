#include "settings/MainSettingDevicePanels.h"

#include "settings/SettingTexts.h"
#include "uikit/VeskCategories.h"

#include <QLabel>
#include <QVBoxLayout>

MainSettingTabPlaceholder::MainSettingTabPlaceholder(const QString &note, QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(48, 48, 48, 48);
    m_note = new QLabel(note, this);
    m_note->setWordWrap(true);
    m_note->setAlignment(Qt::AlignCenter);
    m_note->setFont(vesk::systemFont(14));
    layout->addWidget(m_note, 1);
}

MainSettingVideoPanel::MainSettingVideoPanel(QWidget *parent)
    : MainSettingTabPlaceholder(SettingTexts::kVideoComing, parent)
{
    setObjectName(QStringLiteral("MainSettingVideoPanel"));
}

MainSettingAudioPanel::MainSettingAudioPanel(QWidget *parent)
    : MainSettingTabPlaceholder(SettingTexts::kAudioComing, parent)
{
    setObjectName(QStringLiteral("MainSettingAudioPanel"));
}

KVSettingMonitorPanel::KVSettingMonitorPanel(QWidget *parent)
    : MainSettingTabPlaceholder(SettingTexts::kMonitorComing, parent)
{
    setObjectName(QStringLiteral("KVSettingMonitorPanel"));
}
