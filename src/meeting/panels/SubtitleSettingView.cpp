#include "meeting/panels/SubtitleSettingView.h"

#include "agent/SubtitleSettingModel.h"
#include "settings/SettingTexts.h"
#include "uikit/KVAccessibility.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <QGridLayout>
#include <QLabel>

namespace {

QLabel *groupTitle(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color: #D7D7D8;"));
    label->setFont(vesk::systemFont(12));
    return label;
}

// The buttons of a group as the model says; a value out of range leaves them as they are.
void setGroup(const QList<VeskButton *> &buttons, qint32 value)
{
    if (value < 0 || value >= buttons.size())
        return;
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setState(i == value ? 1 : 0);
}

} // namespace

SubtitleSettingView::SubtitleSettingView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SubtitleSettingView"));
    setAccessibleName(SettingTexts::kSubtitles);
    // The look is set once; drawing only draws.
    vesk::setBackgroundColor(this, vesk::colorWithHexString(QStringLiteral("#3D3E44")));
    vesk::setCornerRadius(this, 3);
    setFixedSize(kWidth, kHeight);

    m_bigFontButton =
        makeButton(SettingTexts::kFontLarge, SettingTexts::kFontSize, &SubtitleSettingView::bigFontAction);
    m_middleFontButton =
        makeButton(SettingTexts::kFontMiddle, SettingTexts::kFontSize, &SubtitleSettingView::middleFontAction);
    m_littleFontButton =
        makeButton(SettingTexts::kFontSmall, SettingTexts::kFontSize, &SubtitleSettingView::littleFonAction);
    m_chButton = makeButton(SettingTexts::kMandarin, SettingTexts::kMyLanguage, &SubtitleSettingView::languageCHAction);
    m_enButton =
        makeButton(SettingTexts::kEnglishSpoken, SettingTexts::kMyLanguage, &SubtitleSettingView::languageENAction);
    m_sichuanButton =
        makeButton(SettingTexts::kSichuan, SettingTexts::kMyLanguage, &SubtitleSettingView::languageSICHUANAction);
    m_subtitleCHButton = makeButton(SettingTexts::kChinese, SettingTexts::kSubTitleLanguage,
                                    &SubtitleSettingView::subtitleLanguageCHAction);
    m_subtitleENButton = makeButton(SettingTexts::kEnglish, SettingTexts::kSubTitleLanguage,
                                    &SubtitleSettingView::subtitleLanguageENAction);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(14, 10, 14, 10);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->addWidget(groupTitle(SettingTexts::kFontSize, this), 0, 0);
    grid->addWidget(m_bigFontButton, 0, 1);
    grid->addWidget(m_middleFontButton, 0, 2);
    grid->addWidget(m_littleFontButton, 0, 3);
    grid->addWidget(groupTitle(SettingTexts::kMyLanguage, this), 1, 0);
    grid->addWidget(m_chButton, 1, 1);
    grid->addWidget(m_enButton, 1, 2);
    grid->addWidget(m_sichuanButton, 1, 3);
    grid->addWidget(groupTitle(SettingTexts::kSubTitleLanguage, this), 2, 0);
    grid->addWidget(m_subtitleCHButton, 2, 1);
    grid->addWidget(m_subtitleENButton, 2, 2);
}

VeskButton *SubtitleSettingView::makeButton(const QString &title, const QString &group,
                                            void (SubtitleSettingView::*action)())
{
    auto *button = new VeskButton(title, this);
    button->setToggle(true);
    // One of a group, as the same options in the settings window.
    KVAccessibility::setRole(button, QAccessible::RadioButton);
    button->setTextColor(Qt::white);
    button->setAlternateTextColor(vesk::colorWithHexString(QStringLiteral("#0A8AF9")));
    button->setFont(vesk::systemFont(12));
    button->setAccessibleName(group + QLatin1Char(' ') + title);
    button->setToolTip(group + QLatin1Char(' ') + title);
    connect(button, &QAbstractButton::clicked, this, [this, action] { (this->*action)(); });
    return button;
}

void SubtitleSettingView::setSettingModel(SubtitleSettingModel *model)
{
    m_settingModel = model;
    refreshUI(false);
}

void SubtitleSettingView::refreshUI(bool languageChanged)
{
    if (settingChangeBlock)
        settingChangeBlock(m_settingModel, languageChanged);
    if (!m_settingModel)
        return;
    setGroup({m_bigFontButton, m_middleFontButton, m_littleFontButton}, m_settingModel->subTitleLevel());
    setGroup({m_subtitleCHButton, m_subtitleENButton}, m_settingModel->subTitleLanguageType());
    setGroup({m_chButton, m_enButton, m_sichuanButton}, m_settingModel->myLanguageType());
}

void SubtitleSettingView::layoutSelfWithView(QWidget *anchor)
{
    QWidget *superview = parentWidget();
    if (!superview)
        return;
    const int centreX = anchor ? anchor->mapTo(superview, anchor->rect().center()).x() : superview->width() / 2;
    setGeometry(centreX - kWidth / 2, superview->height() - kBottom - kHeight, kWidth, kHeight);
}

void SubtitleSettingView::bigFontAction()
{
    if (m_settingModel)
        m_settingModel->setSubTitleLevel(0);
    restoreModelData(false);
}

void SubtitleSettingView::middleFontAction()
{
    if (m_settingModel)
        m_settingModel->setSubTitleLevel(1);
    restoreModelData(false);
}

void SubtitleSettingView::littleFonAction()
{
    if (m_settingModel)
        m_settingModel->setSubTitleLevel(2);
    restoreModelData(false);
}

void SubtitleSettingView::subtitleLanguageCHAction()
{
    if (m_settingModel)
        m_settingModel->setSubTitleLanguageType(0);
    restoreModelData(false);
}

void SubtitleSettingView::subtitleLanguageENAction()
{
    if (m_settingModel)
        m_settingModel->setSubTitleLanguageType(1);
    restoreModelData(false);
}

void SubtitleSettingView::languageCHAction()
{
    if (m_settingModel)
        m_settingModel->setMyLanguageType(0);
    restoreModelData(true);
}

void SubtitleSettingView::languageENAction()
{
    if (m_settingModel)
        m_settingModel->setMyLanguageType(1);
    restoreModelData(true);
}

void SubtitleSettingView::languageSICHUANAction()
{
    if (m_settingModel)
        m_settingModel->setMyLanguageType(2);
    restoreModelData(true);
}
