#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

#include "agent/MainSettingModel.h"
#include "settings/KVSettingOptionButton.h"
#include "settings/MainSettingPanel.h"

#include <QLabel>

// The subtitles tab: font size, the language subtitles are shown in and the language the user
// speaks, each a row of buttons of which one is chosen, with a sample of size and language.
class MainSettingSubtitlesPanel : public MainSettingPanel {
    Q_OBJECT
public:
    using Block = std::function<void(MainSettingSubtitlesPanel *panel)>;

    explicit MainSettingSubtitlesPanel(QWidget *parent = nullptr);

    [[nodiscard]] MainSettingModel *model() const override { return m_model; }
    // Shows the model's subtitle choices.
    void setModel(MainSettingModel *model) override;

    // Actions: each saves one choice through the model, shows it and calls its own block.
    void onFontLargeAction();
    void onFontMiddleAction();
    void onFontSmallAction();
    void subtitleLanguageChineseAction();
    void subtitleLanguageEnglishAction();
    void myLanguageChineseAction();
    void myLanguageEnglishAction();
    void myLanguageSiChuanChineseAction();

    Block onSubTitleFontNumber;
    Block onSubTitleLanguage;
    Block onInputLanguage;

    [[nodiscard]] KVSettingOptionButton *fontLargeButton() const { return m_fontButtons[0]; }
    [[nodiscard]] KVSettingOptionButton *fontMiddleButton() const { return m_fontButtons[1]; }
    [[nodiscard]] KVSettingOptionButton *fontSmallButton() const { return m_fontButtons[2]; }
    [[nodiscard]] KVSettingOptionButton *subTitleLanguageCNButton() const { return m_languageButtons[0]; }
    [[nodiscard]] KVSettingOptionButton *subTitleLanguageEnButton() const { return m_languageButtons[1]; }
    [[nodiscard]] KVSettingOptionButton *myLanguageCnButton() const { return m_myLanguageButtons[0]; }
    [[nodiscard]] KVSettingOptionButton *myLanguageEnButton() const { return m_myLanguageButtons[1]; }
    [[nodiscard]] KVSettingOptionButton *myLanguageSiChuanButton() const { return m_myLanguageButtons[2]; }
    [[nodiscard]] QLabel *fontSampleLabel() const { return m_fontSampleLabel; }

private:
    void changeSubTitleFontSelect();
    void changeSubTitleLanguageSelect();
    void changeInputLanguageSelect();
    // The button of value chosen and disabled, the others not and enabled; false (nothing changed)
    // for a value outside the group.
    static bool select(const QList<KVSettingOptionButton *> &group, qint32 value);

    QPointer<MainSettingModel> m_model;
    QList<KVSettingOptionButton *> m_fontButtons;
    QList<KVSettingOptionButton *> m_languageButtons;
    QList<KVSettingOptionButton *> m_myLanguageButtons;
    QPointer<QLabel> m_fontSampleLabel;
};
