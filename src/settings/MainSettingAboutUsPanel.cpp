#include "settings/MainSettingAboutUsPanel.h"

#include "agent/MainSettingModel.h"
#include "settings/SettingTexts.h"
#include "uikit/KVCustomButton.h"
#include "uikit/VeskCategories.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

MainSettingAboutUsPanel::MainSettingAboutUsPanel(QWidget *parent) : MainSettingPanel(parent)
{
    setObjectName(QStringLiteral("MainSettingAboutUsPanel"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(40, 48, 40, 40);
    column->setSpacing(8);

    auto *name = new QLabel(QStringLiteral("Korvi"), this);
    name->setFont(vesk::systemFont(24, QFont::DemiBold));
    name->setAlignment(Qt::AlignHCenter);
    column->addWidget(name);
    m_versionLabel = new QLabel(this);
    m_versionLabel->setTextFormat(Qt::PlainText);
    m_versionLabel->setFont(vesk::systemFont(14));
    m_versionLabel->setAlignment(Qt::AlignHCenter);
    column->addWidget(m_versionLabel);
    column->addSpacing(32);

    auto *grid = new QGridLayout();
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(16);
    const QList<std::pair<QString, void (MainSettingAboutUsPanel::*)()>> actions{
        {SettingTexts::kCheckUpdate, &MainSettingAboutUsPanel::checkUpdateAction},
        {SettingTexts::kInstructions, &MainSettingAboutUsPanel::showInstructionsAction},
        {SettingTexts::kUploadLog, &MainSettingAboutUsPanel::uploadLogAction},
        {SettingTexts::kFeedback, &MainSettingAboutUsPanel::feedbackAction},
        {SettingTexts::kUserProtocol, &MainSettingAboutUsPanel::showUserProtocolAction},
        {SettingTexts::kPrivacyStrategy, &MainSettingAboutUsPanel::showPrivacyStrategyAction},
    };
    for (int i = 0; i < actions.size(); ++i) {
        auto *button = new KVCustomButton(actions[i].first, this);
        button->setBorderColor(vesk::colorWithHexString(QStringLiteral("C8C9CC")));
        button->setBorderWidth(1);
        button->setHoverBackgroundColor(vesk::colorWithHexString(QStringLiteral("007AFF"), 0.1));
        button->setTextColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
        button->setFont(vesk::systemFont(14));
        button->setFixedSize(150, 36);
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QAbstractButton::clicked, this, actions[i].second);
        grid->addWidget(button, i / 2, i % 2);
        m_buttons.append(button);
    }
    column->addLayout(grid);
    column->setAlignment(grid, Qt::AlignHCenter);
    column->addStretch(1);
}

void MainSettingAboutUsPanel::setModel(MainSettingModel *model)
{
    m_model = model;
    m_versionLabel->setText(SettingTexts::kVersionFormat.arg(m_model ? m_model->version() : QString()));
}

void MainSettingAboutUsPanel::checkUpdateAction()
{
    if (onCheckUpdate)
        onCheckUpdate(this);
}

void MainSettingAboutUsPanel::showInstructionsAction()
{
    if (onShowInstructions)
        onShowInstructions(this);
}

void MainSettingAboutUsPanel::uploadLogAction()
{
    if (onUploadLog)
        onUploadLog(this);
}

void MainSettingAboutUsPanel::feedbackAction()
{
    if (onFeedbackAction)
        onFeedbackAction(this);
}

void MainSettingAboutUsPanel::showUserProtocolAction()
{
    if (onShowUserProtocol)
        onShowUserProtocol(this);
}

void MainSettingAboutUsPanel::showPrivacyStrategyAction()
{
    if (onShowPrivacyStrategy)
        onShowPrivacyStrategy(this);
}
