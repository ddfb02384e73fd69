#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

#include "agent/MainSettingModel.h"
#include "settings/MainSettingPanel.h"

#include <QAbstractButton>
#include <QLabel>

// The about tab: the application's version and six actions, which it only reports; the
// settings window carries them out.
class MainSettingAboutUsPanel : public MainSettingPanel {
    Q_OBJECT
public:
    using Block = std::function<void(MainSettingAboutUsPanel *panel)>;

    explicit MainSettingAboutUsPanel(QWidget *parent = nullptr);

    [[nodiscard]] MainSettingModel *model() const override { return m_model; }
    // Shows "V<version>".
    void setModel(MainSettingModel *model) override;

    void checkUpdateAction();
    void showInstructionsAction();
    void uploadLogAction();
    void feedbackAction();
    void showUserProtocolAction();
    void showPrivacyStrategyAction();

    Block onCheckUpdate;
    Block onShowInstructions;
    Block onUploadLog;
    Block onFeedbackAction;
    Block onShowUserProtocol;
    Block onShowPrivacyStrategy;

    [[nodiscard]] QLabel *versionLabel() const { return m_versionLabel; }
    // The action buttons, in the order of the actions above.
    [[nodiscard]] QList<QAbstractButton *> buttons() const { return m_buttons; }

private:
    QPointer<MainSettingModel> m_model;
    QPointer<QLabel> m_versionLabel;
    QList<QAbstractButton *> m_buttons;
};
