#include "meeting/panels/SettingPagePanel.h"

#include "agent/MainSettingModel.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/KRTCEngineOC.h"
#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/panels/MeetingSettingPage.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <chrono>

namespace {

constexpr int kMicrophone = 0;
constexpr int kSpeaker = 1;

void switchDevice(int kind, const std::optional<KVAudioDevice> &device)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    KRTCEngineOC *engine = manager ? manager->engine() : nullptr;
    // A device without a name switches nothing.
    if (engine && device && !device->name.isEmpty())
        engine->switchDevice(kind, device->name);
}

void mirror(bool on)
{
    if (VeskMeetingManager *manager = MeetingCurrent::manager()) {
        manager->previewMirror(on);
        manager->pushStreamMirror(on);
    }
}

} // namespace

SettingPagePanel::SettingPagePanel(MeetingPanels &panels, Views views, Calls calls)
    : QObject(&panels), m_panels(panels), m_views(std::move(views)), m_calls(std::move(calls))
{
}

SettingPagePanel::~SettingPagePanel()
{
    if (m_page)
        dropPage(true);
}

void SettingPagePanel::dropPage(bool closeWindow)
{
    std::shared_ptr<MeetingSettingPage> page(std::move(m_page));
    if (!page)
        return;
    m_panels.state().settingPage = nullptr;
    if (MacBaseViewController *content = page->content())
        content->windowShouldCloseBlock = nullptr;
    if (closeWindow)
        page->windowController().close();
    // Not inside the window's own close: the page goes once that has run.
    MainQueue::async([page] {});
}

void SettingPagePanel::showSettingPage(int tab)
{
    if (m_page)
        dropPage(true);
    m_panels.hideOtherOverViewsExceptView(nullptr);

    m_page = MeetingSettingPage::instantiate();
    MeetingSettingPage *page = m_page.get();
    m_panels.state().settingPage = page->content();
    page->setInMeeting(true);

    QPointer<SettingPagePanel> self(this);
    if (MacBaseViewController *content = page->content()) {
        content->windowShouldCloseBlock = [self] {
            if (!self)
                return true;
            // Dropping the page drops this block with what it holds: a copy first.
            SettingPagePanel *panel = self.data();
            panel->dropPage(false);
            if (panel->m_views.settingPageBtn)
                panel->m_views.settingPageBtn->setState(0);
            panel->m_panels.moreMenuItemDidClose(MoreItemView::SettingItem);
            return true;
        };
    }
    page->windowController().showWindow();
    vesk::veskCenter(page->windowController().window());

    auto interaction = std::make_shared<KVSettingInteraction>();
    interaction->onShowCurrentSpeaker = [self](MainSettingModel *model) {
        if (self && model)
            self->m_calls.showCurrentSpeakerView(model->showCurrentSpeaker());
    };
    interaction->onVideoMirror = [](MainSettingModel *model) {
        if (model)
            mirror(model->videoMirror());
    };
    interaction->onVideoDeviceChanged = [](MainSettingModel *) {};
    interaction->onSubTitleFontNumer = [self](MainSettingModel *model) {
        if (self && model)
            self->m_calls.handleSubTitleChangeEvent(model->subtitle(), false);
    };
    interaction->onSubTitleLanguage = interaction->onSubTitleFontNumer;
    interaction->onInputLanguage = [self](MainSettingModel *model) {
        if (self && model)
            self->m_calls.handleSubTitleChangeEvent(model->subtitle(), true);
    };
    interaction->onMicphoneDeviceChanged = [](MainSettingModel *model) {
        if (model)
            switchDevice(kMicrophone, model->currentMicphone());
    };
    interaction->onSpeakerDeviceChanged = [](MainSettingModel *model) {
        if (model)
            switchDevice(kSpeaker, model->currentSpeaker());
    };
    page->setInteraction(interaction);

    page->switchTab(tab);
    page->onMemberChange(m_calls.activeMembers(), m_calls.avFileShareSourceModel(), m_calls.screenShareSourceModel());
    if (m_views.settingPageBtn)
        m_views.settingPageBtn->setState(1);
}

void SettingPagePanel::membersChanged()
{
    if (m_page)
        m_page->onMemberChange(m_calls.activeMembers(), m_calls.avFileShareSourceModel(),
                               m_calls.screenShareSourceModel());
}

void SettingPagePanel::hideSettingPage()
{
    if (m_page)
        dropPage(true);
    if (m_views.settingPageBtn)
        m_views.settingPageBtn->setState(0);
}

void SettingPagePanel::handleSettingPageConfig()
{
    if (m_configTimer)
        m_configTimer->invalidate();
    QPointer<SettingPagePanel> self(this);
    m_configTimer = KVTimer::singleShot(this, std::chrono::milliseconds(kConfigDelayMs), [self] {
        VeskAppAgent *agent = VeskAppAgent::existingInstance();
        if (!self || !agent || self->m_panels.meetingEnded())
            return;
        MainSettingModel *settings = agent->settingModel();
        switchDevice(kSpeaker, settings->currentSpeaker());
        switchDevice(kMicrophone, settings->currentMicphone());
        self->m_calls.showCurrentSpeakerView(settings->showCurrentSpeaker());
        mirror(settings->videoMirror());
        self->m_calls.handleSubTitleChangeEvent(settings->subtitle(), true);
    });
}
