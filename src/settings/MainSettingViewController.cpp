#include "settings/MainSettingViewController.h"

#include "agent/MainSettingModel.h"
#include "agent/VeskAppAgent.h"
#include "agent/engine/KRTCEngineOC.h"
#include "devices/audio/KVAudioManager.h"
#include "foundation/KVLogManager.h"
#include "foundation/MainQueue.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "foundation/StringHelpers.h"
#include "settings/MainSettingAboutUsPanel.h"
#include "settings/MainSettingAccountAndSecurityPanel.h"
#include "settings/MainSettingCell.h"
#include "settings/MainSettingDevicePanels.h"
#include "settings/MainSettingGeneralPanel.h"
#include "settings/MainSettingNibs.h"
#include "settings/MainSettingRules.h"
#include "settings/MainSettingSubtitlesPanel.h"
#include "settings/SettingTexts.h"
#include "settings/SettingsLog.h"
#include "uikit/KVPageNavigator.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace MainSettingRules;

namespace {

constexpr int kViewWidth = 780;
constexpr int kViewHeight = 520;
constexpr int kSideBarWidth = 170;

const QString kUserNameChangedNotification = QStringLiteral("kUserNameChangedNotification");

// The look of the window at home.
void applyLightAppearance(QWidget *widget)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, vesk::colorWithHexString(QStringLiteral("333333")));
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::AlternateBase, vesk::colorWithHexString(QStringLiteral("F5F6F7")));
    pal.setColor(QPalette::Text, vesk::colorWithHexString(QStringLiteral("333333")));
    pal.setColor(QPalette::Button, vesk::colorWithHexString(QStringLiteral("F5F6F7")));
    pal.setColor(QPalette::ButtonText, vesk::colorWithHexString(QStringLiteral("333333")));
    pal.setColor(QPalette::ToolTipBase, Qt::white);
    pal.setColor(QPalette::ToolTipText, vesk::colorWithHexString(QStringLiteral("333333")));
    pal.setColor(QPalette::PlaceholderText, vesk::colorWithHexString(QStringLiteral("B4B4B4")));
    widget->setPalette(pal);
}

} // namespace

MainSettingViewController::MainSettingViewController(QObject *parent) : MacBaseViewController(parent)
{
    registerSettingNibs();
    urlOpener = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
}

MainSettingViewController::~MainSettingViewController()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

// ---- View ------------------------------------------------------------------------------------

void MainSettingViewController::loadView()
{
    auto *view = new QWidget();
    view->setObjectName(QStringLiteral("MainSettingView"));
    view->resize(kViewWidth, kViewHeight);
    vesk::setCornerRadius(view, 8);
    auto *row = new QHBoxLayout(view);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    m_ui.scrollView = new QScrollArea(view);
    m_ui.scrollView->setFixedWidth(kSideBarWidth);
    m_ui.scrollView->setFrameShape(QFrame::NoFrame);
    m_ui.scrollView->setWidgetResizable(true);
    // Six rows at most fit the window's height.
    m_ui.scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_ui.scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_ui.itemCollectionView = new QWidget(m_ui.scrollView);
    m_ui.itemCollectionView->setObjectName(QStringLiteral("itemCollectionView"));
    m_ui.itemCollectionView->setAccessibleName(SettingTexts::kWindowTitle);
    m_ui.itemCollectionView->setAutoFillBackground(true);
    auto *rows = new QVBoxLayout(m_ui.itemCollectionView);
    rows->setContentsMargins(0, 16, 0, 16);
    rows->setSpacing(4);
    rows->addStretch(1);
    m_ui.scrollView->setWidget(m_ui.itemCollectionView);
    row->addWidget(m_ui.scrollView);

    m_ui.contentView = new QWidget(view);
    m_ui.contentView->setObjectName(QStringLiteral("contentView"));
    auto *content = new QVBoxLayout(m_ui.contentView);
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(0);
    row->addWidget(m_ui.contentView, 1);
    setView(view);
}

void MainSettingViewController::viewDidLoad()
{
    m_settingModel = VeskAppAgent::sharedInstance()->settingModel();
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, kMainSettingViewControllerNeedCloseNotification,
                       [this](const Notification &) { deleteViewAction(); });
    center.addObserver(this, kUserNameChangedNotification, [this](const Notification &) {
        MainQueue::async(this, [this] {
            if (m_accountAndSecurityPanel)
                m_accountAndSecurityPanel->setModel(m_settingModel);
        });
    });
    view()->installEventFilter(this);
    reloadSideBar();
    KVAudioManager::loadAudioCache();
}

bool MainSettingViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (isViewLoaded() && watched == view() && event->type() == QEvent::Show)
        viewDidAppear();
    return MacBaseViewController::eventFilter(watched, event);
}

void MainSettingViewController::viewDidAppear()
{
    applyAppearance();
    if (m_generalPanel)
        m_generalPanel->updateCacheSize();
}

void MainSettingViewController::applyAppearance()
{
    QWidget *target = window() ? window() : view();
    if (m_inMeeting)
        KVWindow::applyDarkAppearance(target);
    else
        applyLightAppearance(target);
    vesk::setBackgroundColor(view(), target->palette().color(QPalette::Window));
    QPalette bar = m_ui.itemCollectionView->palette();
    bar.setColor(QPalette::Window,
                 vesk::colorWithHexString(m_inMeeting ? QStringLiteral("25262B") : QStringLiteral("F5F6F7")));
    m_ui.itemCollectionView->setPalette(bar);
    for (MainSettingCell *cell : std::as_const(m_ui.cells))
        cell->setDarkAppearance(m_inMeeting);
}

// ---- Side bar ----------------------------------------------------------------------------------

void MainSettingViewController::reloadSideBar()
{
    auto *rows = static_cast<QVBoxLayout *>(m_ui.itemCollectionView->layout());
    qDeleteAll(m_ui.cells);
    m_ui.cells.clear();
    for (int i = 0; i < m_settingItemArray.size(); ++i) {
        const KVMainSettingItem item = m_settingItemArray[i];
        auto *cell = new MainSettingCell(item.title, m_ui.itemCollectionView);
        cell->setDarkAppearance(m_inMeeting);
        connect(cell, &QAbstractButton::clicked, this, [this, i, type = item.type] {
            selectRow(i);
            switchTab(type);
        });
        rows->insertWidget(i, cell);
        m_ui.cells.append(cell);
    }
    selectRow(0);
}

int MainSettingViewController::selectedRow() const
{
    for (int i = 0; i < m_ui.cells.size(); ++i) {
        if (m_ui.cells[i]->isSelected())
            return i;
    }
    return -1;
}

void MainSettingViewController::selectRow(int row)
{
    for (int i = 0; i < m_ui.cells.size(); ++i)
        m_ui.cells[i]->setSelected(i == row);
}

// ---- Mode and tabs -------------------------------------------------------------------------------

void MainSettingViewController::setInMeeting(bool inMeeting)
{
    view();
    m_inMeeting = inMeeting;
    m_settingItemArray = settingItems(inMeeting);
    reloadSideBar();
    applyAppearance();
    if (m_currentTab == General) {
        if (MainSettingGeneralPanel *panel = loadGeneralPanel()) {
            changePanelView(panel);
            panel->setModel(m_settingModel);
            panel->setInMeeting(inMeeting);
        }
    }
}

void MainSettingViewController::switchTab(qint64 type)
{
    if (type == m_currentTab)
        return;
    const int row = rowOfTab(m_settingItemArray, type);
    if (row < 0)
        return;
    m_currentTab = type;
    if (type != Video && m_videoPanel)
        m_videoPanel->stopRunning();
    if (type != Audio && m_audioPanel)
        m_audioPanel->stopRunning();

    changePanelView(panelForTab(type));
    switch (type) {
    case General:
        if (m_generalPanel)
            m_generalPanel->setModel(m_settingModel);
        break;
    case Video:
        if (m_videoPanel) {
            m_videoPanel->setModel(m_settingModel);
            m_videoPanel->setInMeeting(m_inMeeting);
            m_videoPanel->startRunning();
        }
        break;
    case Audio:
        if (m_audioPanel) {
            m_audioPanel->setModel(m_settingModel);
            m_audioPanel->setInMeeting(m_inMeeting);
        }
        break;
    case Subtitles:
        if (m_subtitlesPanel)
            m_subtitlesPanel->setModel(m_settingModel);
        break;
    case Account:
        if (m_accountAndSecurityPanel) {
            m_accountAndSecurityPanel->setModel(m_settingModel);
            requestDeviceInfo();
        }
        break;
    case About:
        if (m_aboutUsPanel)
            m_aboutUsPanel->setModel(m_settingModel);
        break;
    case Monitor:
        if (m_monitorPanel)
            m_monitorPanel->setModel(m_settingModel);
        break;
    default:
        break;
    }
    if (selectedRow() != row)
        selectRow(row);
}

void MainSettingViewController::changePanelView(QWidget *panel)
{
    auto *layout = m_ui.contentView->layout();
    while (QLayoutItem *item = layout->takeAt(0)) {
        if (QWidget *shown = item->widget())
            shown->hide();
        delete item;
    }
    m_currentPanel = panel;
    if (!panel)
        return;
    layout->addWidget(panel);
    panel->show();
}

// ---- Panels ------------------------------------------------------------------------------------

QWidget *MainSettingViewController::panelForTab(qint64 type)
{
    switch (type) {
    case General:
        return loadGeneralPanel();
    case Video:
        return loadVideoPanel();
    case Audio:
        return loadAudioPanel();
    case Subtitles:
        return loadSubtitlesPanel();
    case Account:
        return loadAccountAndSecurityPanel();
    case About:
        return loadAboutUsPanel();
    case Monitor:
        return loadMonitorPanel();
    default:
        return nullptr;
    }
}

template <typename Panel> Panel *MainSettingViewController::adopt(Panel *panel)
{
    if (!panel) {
        qCWarning(lcSettings) << "a settings panel could not be made";
        return nullptr;
    }
    panel->setParent(m_ui.contentView);
    panel->hide();
    return panel;
}

template <typename Panel>
std::function<void(Panel *)>
MainSettingViewController::forwardTo(KVSettingInteraction::Block KVSettingInteraction::*block)
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

MainSettingGeneralPanel *MainSettingViewController::loadGeneralPanel()
{
    if (!m_generalPanel) {
        m_generalPanel =
            adopt(vesk::loadViewFromNibWithName<MainSettingGeneralPanel>(QStringLiteral("MainSettingGeneralPanel")));
        if (m_generalPanel)
            m_generalPanel->onShowCurrentSpeaker =
                forwardTo<MainSettingGeneralPanel>(&KVSettingInteraction::onShowCurrentSpeaker);
    }
    return m_generalPanel;
}

MainSettingVideoPanel *MainSettingViewController::loadVideoPanel()
{
    if (!m_videoPanel) {
        m_videoPanel =
            adopt(vesk::loadViewFromNibWithName<MainSettingVideoPanel>(QStringLiteral("MainSettingVideoPanel")));
        if (m_videoPanel) {
            m_videoPanel->onVideoMirror = forwardTo<MainSettingVideoPanel>(&KVSettingInteraction::onVideoMirror);
            m_videoPanel->onVideoFill = forwardTo<MainSettingVideoPanel>(&KVSettingInteraction::onVideoFill);
            m_videoPanel->onVideoDeviceChanged =
                forwardTo<MainSettingVideoPanel>(&KVSettingInteraction::onVideoDeviceChanged);
        }
    }
    return m_videoPanel;
}

MainSettingAudioPanel *MainSettingViewController::loadAudioPanel()
{
    if (!m_audioPanel) {
        m_audioPanel =
            adopt(vesk::loadViewFromNibWithName<MainSettingAudioPanel>(QStringLiteral("MainSettingAudioPanel")));
        if (m_audioPanel) {
            m_audioPanel->onMichoneChanged =
                forwardTo<MainSettingAudioPanel>(&KVSettingInteraction::onMicphoneDeviceChanged);
            m_audioPanel->onSpeakerChanged =
                forwardTo<MainSettingAudioPanel>(&KVSettingInteraction::onSpeakerDeviceChanged);
        }
    }
    return m_audioPanel;
}

MainSettingSubtitlesPanel *MainSettingViewController::loadSubtitlesPanel()
{
    if (!m_subtitlesPanel) {
        m_subtitlesPanel = adopt(
            vesk::loadViewFromNibWithName<MainSettingSubtitlesPanel>(QStringLiteral("MainSettingSubtitlesPanel")));
        if (m_subtitlesPanel) {
            m_subtitlesPanel->onSubTitleFontNumber =
                forwardTo<MainSettingSubtitlesPanel>(&KVSettingInteraction::onSubTitleFontNumer);
            m_subtitlesPanel->onSubTitleLanguage =
                forwardTo<MainSettingSubtitlesPanel>(&KVSettingInteraction::onSubTitleLanguage);
            m_subtitlesPanel->onInputLanguage =
                forwardTo<MainSettingSubtitlesPanel>(&KVSettingInteraction::onInputLanguage);
        }
    }
    return m_subtitlesPanel;
}

MainSettingAccountAndSecurityPanel *MainSettingViewController::loadAccountAndSecurityPanel()
{
    if (!m_accountAndSecurityPanel) {
        m_accountAndSecurityPanel = adopt(vesk::loadViewFromNibWithName<MainSettingAccountAndSecurityPanel>(
            QStringLiteral("MainSettingAccountAndSecurityPanel")));
        if (m_accountAndSecurityPanel) {
            QPointer<MainSettingViewController> weak(this);
            m_accountAndSecurityPanel->onLoginOutAction = [weak](MainSettingAccountAndSecurityPanel *) {
                if (weak)
                    weak->logOut();
            };
        }
    }
    return m_accountAndSecurityPanel;
}

MainSettingAboutUsPanel *MainSettingViewController::loadAboutUsPanel()
{
    if (!m_aboutUsPanel) {
        m_aboutUsPanel =
            adopt(vesk::loadViewFromNibWithName<MainSettingAboutUsPanel>(QStringLiteral("MainSettingAboutUsPanel")));
        if (m_aboutUsPanel) {
            QPointer<MainSettingViewController> weak(this);
            m_aboutUsPanel->onCheckUpdate = [weak](MainSettingAboutUsPanel *) {
                if (weak && weak->versionChecker)
                    weak->versionChecker(true);
            };
            m_aboutUsPanel->onShowInstructions = [weak](MainSettingAboutUsPanel *) {
                if (weak)
                    weak->openPage(VeskAppAgent::sharedInstance()->getUserHandlerBook());
            };
            m_aboutUsPanel->onUploadLog = [weak](MainSettingAboutUsPanel *) {
                if (weak)
                    weak->uploadLog();
            };
            m_aboutUsPanel->onFeedbackAction = [](MainSettingAboutUsPanel *) {};
            m_aboutUsPanel->onShowUserProtocol = [weak](MainSettingAboutUsPanel *) {
                if (weak)
                    weak->openPage(VeskAppAgent::sharedInstance()->privacy1UrlString());
            };
            m_aboutUsPanel->onShowPrivacyStrategy = [weak](MainSettingAboutUsPanel *) {
                if (weak)
                    weak->openPage(VeskAppAgent::sharedInstance()->privacyUrlString());
            };
        }
    }
    return m_aboutUsPanel;
}

KVSettingMonitorPanel *MainSettingViewController::loadMonitorPanel()
{
    if (!m_monitorPanel)
        m_monitorPanel =
            adopt(vesk::loadViewFromNibWithName<KVSettingMonitorPanel>(QStringLiteral("KVSettingMonitorPanel")));
    return m_monitorPanel;
}

// ---- Actions -----------------------------------------------------------------------------------

void MainSettingViewController::deleteViewAction()
{
    if (QWidget *w = window(); w && w != view())
        w->close();
}

void MainSettingViewController::windowWillClose()
{
    if (m_videoPanel)
        m_videoPanel->stopRunning();
    if (m_audioPanel)
        m_audioPanel->stopRunning();
}

void MainSettingViewController::requestDeviceInfo()
{
    if (!m_accountAndSecurityPanel || !m_accountAndSecurityPanel->deviceArray().isEmpty() || m_deviceRequestRunning)
        return;
    m_deviceRequestRunning = true;
    VeskAppAgent::sharedInstance()->getTheDeviceInfoCompletionBlock(this, [this](const KVMResponse &reply) {
        m_deviceRequestRunning = false;
        if (!reply.successed) {
            VeskToast::showToast(reply.message.isEmpty() ? SettingTexts::kNetworkFailed : reply.message);
            return;
        }
        QList<MeetingRecordDeviceModel> devices = reply.data.value<QList<MeetingRecordDeviceModel>>();
        markLatestDevice(devices);
        if (m_accountAndSecurityPanel) {
            m_accountAndSecurityPanel->setDeviceArray(devices);
            m_accountAndSecurityPanel->reloadData();
        }
    });
}

void MainSettingViewController::uploadLog()
{
    const VeskUserModel me = VeskAppAgent::sharedInstance()->myInfo();
    // Also marks in the log where the user asked, so the packed log is never empty.
    KVLogManager::sharedInstance().logInfo(QStringLiteral("uploadLog"), QStringLiteral("INFO"),
                                           {AppInfo::ai_version()});
    VeskToast::showLoadingToast(SettingTexts::kUploading);
    QPointer<MainSettingViewController> weak(this);
    // The engine answers on a thread of its choice; the toasts belong on the main thread.
    KRTCEngineOC::analyzePerformance(me.applicationId.isEmpty() ? QStringLiteral("") : me.applicationId,
                                     RXEncrypt::aes128ecbEncrypt(me.userId), me.userName, QStringLiteral(""),
                                     [weak](int code) {
                                         MainQueue::async([weak, code] {
                                             if (!weak)
                                                 return;
                                             qCInfo(lcSettings) << "log upload answered" << code;
                                             VeskToast::dismissLoadingToast();
                                             VeskToast::showToast(uploadResultText(code));
                                         });
                                     });
}

void MainSettingViewController::openPage(const QString &address)
{
    if (urlOpener)
        urlOpener(QUrl(address));
}

void MainSettingViewController::logOut()
{
    qCInfo(lcSettings) << "logging out from the settings";
    VeskAppAgent::sharedInstance()->logout();
    if (KVPageNavigator *navigator = KVPageNavigator::current())
        navigator->showLoginPage();
}
