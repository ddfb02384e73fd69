#pragma once

#include "agent/SubtitleSettingModel.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class VeskButton;

// The subtitle pop-over of the tool bar: font size, the language the user speaks and the subtitle
// language, eight toggles in three groups. Every choice is stored in the model at once and handed
// to settingChangeBlock, whose flag says the spoken language is to be reported.
class SubtitleSettingView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 132;
    static constexpr int kBottom = 70;

    explicit SubtitleSettingView(QWidget *parent = nullptr);

    // Setting it refreshes the buttons without reporting.
    void setSettingModel(SubtitleSettingModel *model);
    [[nodiscard]] SubtitleSettingModel *settingModel() const { return m_settingModel; }
    std::function<void(SubtitleSettingModel *model, bool languageChanged)> settingChangeBlock;

    void restoreModelData(bool languageChanged) { refreshUI(languageChanged); }
    // Calls the change block, then sets the buttons from the model; a value out of range leaves
    // its group as it is.
    void refreshUI(bool languageChanged);
    // 320 x 132, its bottom 70 above its superview's, centred on the anchor.
    void layoutSelfWithView(QWidget *anchor);

    void bigFontAction();
    void middleFontAction();
    void littleFonAction();
    void languageCHAction();
    void languageENAction();
    void languageSICHUANAction();
    void subtitleLanguageCHAction();
    void subtitleLanguageENAction();

    [[nodiscard]] VeskButton *bigFontButton() const { return m_bigFontButton; }
    [[nodiscard]] VeskButton *middleFontButton() const { return m_middleFontButton; }
    [[nodiscard]] VeskButton *littleFontButton() const { return m_littleFontButton; }
    [[nodiscard]] VeskButton *chButton() const { return m_chButton; }
    [[nodiscard]] VeskButton *enButton() const { return m_enButton; }
    [[nodiscard]] VeskButton *sichuanButton() const { return m_sichuanButton; }
    [[nodiscard]] VeskButton *subtitleCHButton() const { return m_subtitleCHButton; }
    [[nodiscard]] VeskButton *subtitleENButton() const { return m_subtitleENButton; }

private:
    VeskButton *makeButton(const QString &title, const QString &group, void (SubtitleSettingView::*action)());

    QPointer<SubtitleSettingModel> m_settingModel;
    VeskButton *m_bigFontButton = nullptr;
    VeskButton *m_middleFontButton = nullptr;
    VeskButton *m_littleFontButton = nullptr;
    VeskButton *m_chButton = nullptr;
    VeskButton *m_enButton = nullptr;
    VeskButton *m_sichuanButton = nullptr;
    VeskButton *m_subtitleCHButton = nullptr;
    VeskButton *m_subtitleENButton = nullptr;
};
