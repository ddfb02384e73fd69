#pragma once

#include "settings/KVMainSettingItem.h"
#include "settings/KVSettingInteraction.h"
#include "uikit/MacBaseViewController.h"

#include <QList>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>

#include "agent/MainSettingModel.h"
#include "settings/KVSettingMonitorFeed.h"
#include "settings/KVSettingMonitorPanel.h"
#include "settings/MainSettingAboutUsPanel.h"
#include "settings/MainSettingAccountAndSecurityPanel.h"
#include "settings/MainSettingAudioPanel.h"
#include "settings/MainSettingCell.h"
#include "settings/MainSettingGeneralPanel.h"
#include "settings/MainSettingSubtitlesPanel.h"
#include "settings/MainSettingTabs.h"
#include "settings/MainSettingVideoPanel.h"

#include <QMap>

#include <QScrollArea>

// The settings window's content: a side bar of tabs and one panel at a time. At home it offers
// the account and about tabs; in a meeting the system monitor instead, and it passes changes
// into the meeting through the interaction. Panels are made on the first visit of their tab
// and kept. Main thread only.
class MainSettingViewController final : public MacBaseViewController {
    Q_OBJECT
public:
    static inline const QString kMainSettingViewControllerNeedCloseNotification =
        QStringLiteral("MainSettingViewControllerNeedCloseNotification");

    explicit MainSettingViewController(QObject *parent = nullptr);
    ~MainSettingViewController() override;

    // ---- Mode and tabs -------------------------------------------------------------------------
    // Once, right after creation: the rows of the mode, row 0 selected, the general panel shown.
    void setInMeeting(bool inMeeting);
    [[nodiscard]] bool inMeeting() const { return m_inMeeting; }
    // Shows the tab of that type; nothing for the tab already shown or one the mode lacks.
    void switchTab(qint64 type);
    [[nodiscard]] qint64 currentTab() const { return m_currentTab; }
    [[nodiscard]] const QList<KVMainSettingItem> &settingItemArray() const { return m_settingItemArray; }

    // The running meeting's blocks (none at home).
    void setInteraction(std::shared_ptr<KVSettingInteraction> interaction) { m_interaction = std::move(interaction); }
    [[nodiscard]] std::shared_ptr<KVSettingInteraction> interaction() const { return m_interaction; }

    // ---- System monitor (meeting mode) ---------------------------------------------------------
    // The meeting's tiles and shares: the monitor's card lists (the panel is made on first use).
    void onMemberChange(const QList<KVSettingMonitorFeed::Tile> &members, const KVSettingMonitorFeed::Tile &avFileShare,
                        const KVSettingMonitorFeed::Tile &screenShare);
    [[nodiscard]] KVSettingMonitorFeed &monitorFeed() { return m_monitorFeed; }

    // Closes the window.
    void deleteViewAction();
    // The account tab's login devices, fetched once per window.
    void requestDeviceInfo();

    // ---- What the about tab reaches --------------------------------------------------------------
    // The version check (the shell's, with its toasts); unset does nothing.
    std::function<void(bool showToast)> versionChecker;
    // Opens a web page; QDesktopServices::openUrl unless replaced.
    std::function<bool(const QUrl &url)> urlOpener;

    // ---- Views ---------------------------------------------------------------------------------
    [[nodiscard]] MainSettingModel *settingModel() const { return m_settingModel; }
    [[nodiscard]] QWidget *contentView() const { return m_ui.contentView; }
    [[nodiscard]] QWidget *currentPanel() const { return m_currentPanel; }
    [[nodiscard]] const QList<MainSettingCell *> &cells() const { return m_ui.cells; }
    // The side bar's selected row, or -1.
    [[nodiscard]] int selectedRow() const;
    // Panels made so far (nullptr before the first visit of their tab).
    [[nodiscard]] MainSettingPanel *panel(qint64 type) const { return m_panels.value(type); }
    [[nodiscard]] MainSettingGeneralPanel *generalPanel() const { return panelAs<MainSettingGeneralPanel>(0); }
    [[nodiscard]] MainSettingVideoPanel *videoPanel() const { return panelAs<MainSettingVideoPanel>(1); }
    [[nodiscard]] MainSettingAudioPanel *audioPanel() const { return panelAs<MainSettingAudioPanel>(2); }
    [[nodiscard]] MainSettingSubtitlesPanel *subtitlesPanel() const { return panelAs<MainSettingSubtitlesPanel>(3); }
    [[nodiscard]] MainSettingAccountAndSecurityPanel *accountAndSecurityPanel() const
    {
        return panelAs<MainSettingAccountAndSecurityPanel>(4);
    }
    [[nodiscard]] MainSettingAboutUsPanel *aboutUsPanel() const { return panelAs<MainSettingAboutUsPanel>(5); }
    [[nodiscard]] KVSettingMonitorPanel *monitorPanel() const { return panelAs<KVSettingMonitorPanel>(6); }

    // Window delegate: closing stops the camera preview and the audio tests at once.
    void windowWillClose() override;

protected:
    void loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Ui {
        QPointer<QScrollArea> scrollView;
        QPointer<QWidget> itemCollectionView;
        QPointer<QWidget> contentView;
        QList<MainSettingCell *> cells;
    };

    // Each time the view is shown: the mode's look, and the cache size again.
    void viewDidAppear();
    void applyAppearance();
    void reloadSideBar();
    void selectRow(int row);
    void changePanelView(QWidget *panel);
    // The panel of a tab, made and wired (by its row of the table) on first use.
    MainSettingPanel *panelForTab(qint64 type);
    template <typename Panel> [[nodiscard]] Panel *panelAs(qint64 type) const
    {
        return qobject_cast<Panel *>(m_panels.value(type).data());
    }
    // A panel callback that hands the panel's model to one block of the interaction.
    template <typename Panel>
    std::function<void(Panel *)> forwardTo(KVSettingInteraction::Block KVSettingInteraction::*block)
    {
        QPointer<MainSettingViewController> weak(this);
        return [weak, block](Panel *panel) {
            if (!weak || !panel)
                return;
            // Held for the call: a block may replace the interaction.
            const std::shared_ptr<KVSettingInteraction> interaction = weak->m_interaction;
            if (interaction && (*interaction).*block)
                ((*interaction).*block)(panel->model());
        };
    }
    friend struct MainSettingTabs;

    void uploadLog();
    void openPage(const QString &address);
    void logOut();

    bool m_inMeeting = false;
    qint64 m_currentTab = 0;
    std::shared_ptr<KVSettingInteraction> m_interaction;
    QList<KVMainSettingItem> m_settingItemArray;
    QPointer<MainSettingModel> m_settingModel;
    bool m_deviceRequestRunning = false;

    Ui m_ui;
    QPointer<QWidget> m_currentPanel;
    QMap<qint64, QPointer<MainSettingPanel>> m_panels;
    KVSettingMonitorFeed m_monitorFeed; // by type: the video tab stops before the audio tab
};
