#include "settings/MainSettingSubtitlesPanel.h"

#include "agent/MainSettingModel.h"
#include "agent/SubtitleSettingModel.h"
#include "settings/KVSettingOptionButton.h"
#include "settings/SettingTexts.h"
#include "uikit/VeskCategories.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace {
// Sample sizes of the font choices 0, 1, 2.
constexpr int kSampleSizes[] = {18, 16, 14};
// The sample's font until a font choice is shown.
constexpr int kLoadedSampleSize = 13;
} // namespace

MainSettingSubtitlesPanel::MainSettingSubtitlesPanel(QWidget *parent) : MainSettingPanel(parent)
{
    setObjectName(QStringLiteral("MainSettingSubtitlesPanel"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(40, 40, 40, 40);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(20);

    const auto addGroup = [&](int row, const QString &title, const QStringList &choices,
                              QList<KVSettingOptionButton *> &group,
                              const QList<void (MainSettingSubtitlesPanel::*)()> &actions) {
        auto *label = new QLabel(title, this);
        label->setFont(vesk::systemFont(14));
        grid->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
        auto *line = new QHBoxLayout();
        line->setSpacing(12);
        for (int i = 0; i < choices.size(); ++i) {
            auto *button = new KVSettingOptionButton(choices[i], this);
            button->setAccessibleDescription(title);
            connect(button, &QAbstractButton::clicked, this, actions[i]);
            group.append(button);
            line->addWidget(button);
        }
        line->addStretch(1);
        grid->addLayout(line, row, 1);
    };
    addGroup(0, SettingTexts::kFontSize,
             {SettingTexts::kFontLarge, SettingTexts::kFontMiddle, SettingTexts::kFontSmall}, m_fontButtons,
             {&MainSettingSubtitlesPanel::onFontLargeAction, &MainSettingSubtitlesPanel::onFontMiddleAction,
              &MainSettingSubtitlesPanel::onFontSmallAction});
    addGroup(1, SettingTexts::kSubTitleLanguage, {SettingTexts::kChinese, SettingTexts::kEnglish}, m_languageButtons,
             {&MainSettingSubtitlesPanel::subtitleLanguageChineseAction,
              &MainSettingSubtitlesPanel::subtitleLanguageEnglishAction});
    addGroup(2, SettingTexts::kMyLanguage,
             {SettingTexts::kMandarin, SettingTexts::kEnglishSpoken, SettingTexts::kSichuan}, m_myLanguageButtons,
             {&MainSettingSubtitlesPanel::myLanguageChineseAction, &MainSettingSubtitlesPanel::myLanguageEnglishAction,
              &MainSettingSubtitlesPanel::myLanguageSiChuanChineseAction});

    auto *sampleTitle = new QLabel(SettingTexts::kSample, this);
    sampleTitle->setFont(vesk::systemFont(14));
    grid->addWidget(sampleTitle, 3, 0, Qt::AlignLeft | Qt::AlignTop);
    m_fontSampleLabel = new QLabel(SettingTexts::kSampleChinese, this);
    m_fontSampleLabel->setTextFormat(Qt::PlainText);
    m_fontSampleLabel->setFont(vesk::systemFont(kLoadedSampleSize));
    m_fontSampleLabel->setAlignment(Qt::AlignCenter);
    m_fontSampleLabel->setMinimumHeight(64);
    m_fontSampleLabel->setAutoFillBackground(true);
    grid->addWidget(m_fontSampleLabel, 3, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
}

void MainSettingSubtitlesPanel::setModel(MainSettingModel *model)
{
    m_model = model;
    changeSubTitleFontSelect();
    changeSubTitleLanguageSelect();
    changeInputLanguageSelect();
}

bool MainSettingSubtitlesPanel::select(const QList<KVSettingOptionButton *> &group, qint32 value)
{
    if (value < 0 || value >= group.size())
        return false;
    for (int i = 0; i < group.size(); ++i) {
        group[i]->setChosen(i == value);
        group[i]->setEnabled(i != value);
    }
    return true;
}

void MainSettingSubtitlesPanel::changeSubTitleFontSelect()
{
    if (!m_model)
        return;
    const qint32 level = m_model->subtitle()->subTitleLevel();
    if (select(m_fontButtons, level))
        m_fontSampleLabel->setFont(vesk::systemFont(kSampleSizes[level]));
}

void MainSettingSubtitlesPanel::changeSubTitleLanguageSelect()
{
    if (!m_model)
        return;
    const qint32 language = m_model->subtitle()->subTitleLanguageType();
    if (select(m_languageButtons, language)) {
        const QString sample = language == 0 ? SettingTexts::kSampleChinese : SettingTexts::kSampleEnglish;
        m_fontSampleLabel->setText(sample);
        // Setting the name tells the bus it changed; a label's new text alone does not.
        m_fontSampleLabel->setAccessibleName(sample);
    }
}

void MainSettingSubtitlesPanel::changeInputLanguageSelect()
{
    if (m_model)
        select(m_myLanguageButtons, m_model->subtitle()->myLanguageType());
}

namespace {
template <typename Setter> void choose(MainSettingModel *model, Setter setter, qint32 value)
{
    if (model)
        (model->subtitle()->*setter)(value);
}
} // namespace

void MainSettingSubtitlesPanel::onFontLargeAction()
{
    choose(m_model, &SubtitleSettingModel::setSubTitleLevel, 0);
    changeSubTitleFontSelect();
    if (onSubTitleFontNumber)
        onSubTitleFontNumber(this);
}

void MainSettingSubtitlesPanel::onFontMiddleAction()
{
    choose(m_model, &SubtitleSettingModel::setSubTitleLevel, 1);
    changeSubTitleFontSelect();
    if (onSubTitleFontNumber)
        onSubTitleFontNumber(this);
}

void MainSettingSubtitlesPanel::onFontSmallAction()
{
    choose(m_model, &SubtitleSettingModel::setSubTitleLevel, 2);
    changeSubTitleFontSelect();
    if (onSubTitleFontNumber)
        onSubTitleFontNumber(this);
}

void MainSettingSubtitlesPanel::subtitleLanguageChineseAction()
{
    choose(m_model, &SubtitleSettingModel::setSubTitleLanguageType, 0);
    changeSubTitleLanguageSelect();
    if (onSubTitleLanguage)
        onSubTitleLanguage(this);
}

void MainSettingSubtitlesPanel::subtitleLanguageEnglishAction()
{
    choose(m_model, &SubtitleSettingModel::setSubTitleLanguageType, 1);
    changeSubTitleLanguageSelect();
    if (onSubTitleLanguage)
        onSubTitleLanguage(this);
}

void MainSettingSubtitlesPanel::myLanguageChineseAction()
{
    choose(m_model, &SubtitleSettingModel::setMyLanguageType, 0);
    changeInputLanguageSelect();
    if (onInputLanguage)
        onInputLanguage(this);
}

void MainSettingSubtitlesPanel::myLanguageEnglishAction()
{
    choose(m_model, &SubtitleSettingModel::setMyLanguageType, 1);
    changeInputLanguageSelect();
    if (onInputLanguage)
        onInputLanguage(this);
}

void MainSettingSubtitlesPanel::myLanguageSiChuanChineseAction()
{
    choose(m_model, &SubtitleSettingModel::setMyLanguageType, 2);
    changeInputLanguageSelect();
    if (onInputLanguage)
        onInputLanguage(this);
}
