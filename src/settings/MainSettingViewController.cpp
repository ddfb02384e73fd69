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
#include "settings/MainSettingGeneralPanel.h"
#include "settings/MainSettingNibs.h"
#include "settings/MainSettingRules.h"
#include "settings/MainSettingSubtitlesPanel.h"
#include "settings/SettingTexts.h"
#include "settings/SettingsLog.h"
#include "uikit/KVPageNavigator.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QApplication>
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

MainSettingViewController::MainSettingViewController(QObject *parent)
    : MacBaseViewController(parent),
      m_monitorFeed([this] { return qobject_cast<KVSettingMonitorPanel *>(panelForTab(Monitor)); })
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
    // Its rows take the focus; the area itself is no stop of Tab.
    m_ui.scrollView->setFocusPolicy(Qt::NoFocus);
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
            if (MainSettingAccountAndSecurityPanel *account = accountAndSecurityPanel())
                account->setModel(m_settingModel);
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
    // The keyboard follows: the first row takes the focus, Escape closes the window and the focus
    // goes back to what opened it (still the focus while the window is being shown).
    if (QWidget *top = window()) {
        QWidget *opener = QApplication::focusWidget();
        QPointer<MainSettingViewController> self(this);
        KVPanelFocus::opened(top, opener && !top->isAncestorOf(opener) ? opener : nullptr, [self] {
            if (self)
                self->deleteViewAction();
        });
    }
    if (MainSettingGeneralPanel *general = generalPanel())
        general->updateCacheSize();
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
    if (inMeeting)
        m_monitorFeed.observe(this);
    reloadSideBar();
    applyAppearance();
    if (m_currentTab == General) {
        if (MainSettingPanel *panel = panelForTab(General)) {
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
    // Only the tab shown runs its preview or tests.
    for (auto it = m_panels.cbegin(); it != m_panels.cend(); ++it) {
        if (it.key() != type && it.value())
            it.value()->stopRunning();
    }

    MainSettingPanel *panel = panelForTab(type);
    changePanelView(panel);
    if (panel) {
        panel->setModel(m_settingModel);
        if (const MainSettingTabRow *tab = MainSettingTabs::row(type); tab && tab->shown)
            tab->shown(*this, *panel);
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

MainSettingPanel *MainSettingViewController::panelForTab(qint64 type)
{
    if (MainSettingPanel *made = m_panels.value(type))
        return made;
    const MainSettingTabRow *tab = MainSettingTabs::row(type);
    if (!tab)
        return nullptr;
    auto *panel = vesk::loadViewFromNibWithName<MainSettingPanel>(tab->nibName);
    if (!panel) {
        qCWarning(lcSettings) << "a settings panel could not be made:" << tab->nibName;
        return nullptr;
    }
    panel->setParent(m_ui.contentView);
    panel->hide();
    m_panels.insert(type, panel);
    if (tab->wire)
        tab->wire(*this, *panel);
    return panel;
}

// ---- Actions -----------------------------------------------------------------------------------

void MainSettingViewController::onMemberChange(const QList<KVSettingMonitorFeed::Tile> &members,
                                               const KVSettingMonitorFeed::Tile &avFileShare,
                                               const KVSettingMonitorFeed::Tile &screenShare)
{
    if (m_inMeeting)
        m_monitorFeed.onMemberChange(members, avFileShare, screenShare);
}

void MainSettingViewController::deleteViewAction()
{
    if (QWidget *w = window(); w && w != view())
        w->close();
}

void MainSettingViewController::windowWillClose()
{
    for (const QPointer<MainSettingPanel> &panel : std::as_const(m_panels)) {
        if (panel)
            panel->stopRunning();
    }
}

void MainSettingViewController::requestDeviceInfo()
{
    MainSettingAccountAndSecurityPanel *account = accountAndSecurityPanel();
    if (!account || !account->deviceArray().isEmpty() || m_deviceRequestRunning)
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
        if (MainSettingAccountAndSecurityPanel *panel = accountAndSecurityPanel()) {
            panel->setDeviceArray(devices);
            panel->reloadData();
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
