#include "meeting/panels/MeetingSettingPage.h"

#include "settings/MainSettingViewController.h"
#include "settings/MainSettingWindow.h"
#include "uikit/MacBaseWindowController.h"

namespace {

// The settings module's window in its meeting form.
class MainSettingPage final : public MeetingSettingPage {
public:
    MainSettingPage() : m_window(MainSettingWindow::instantiate()) {}

    MacBaseWindowController &windowController() override { return *m_window; }
    void setInMeeting(bool inMeeting) override
    {
        if (auto *page = controller())
            page->setInMeeting(inMeeting);
    }
    void setInteraction(std::shared_ptr<KVSettingInteraction> interaction) override
    {
        if (auto *page = controller())
            page->setInteraction(std::move(interaction));
    }
    void switchTab(qint64 tab) override
    {
        if (auto *page = controller())
            page->switchTab(tab);
    }
    void onMemberChange(const QList<Tile> &members, const Tile &avFileShare, const Tile &screenShare) override
    {
        if (auto *page = controller())
            page->onMemberChange(members, avFileShare, screenShare);
    }

private:
    [[nodiscard]] MainSettingViewController *controller() const
    {
        return MainSettingWindow::controllerOf(m_window.get());
    }

    std::unique_ptr<MacBaseWindowController> m_window;
};

MeetingSettingPage::Factory &installedFactory()
{
    static MeetingSettingPage::Factory factory;
    return factory;
}

} // namespace

MacBaseViewController *MeetingSettingPage::content() const
{
    return const_cast<MeetingSettingPage *>(this)->windowController().contentViewController();
}

std::unique_ptr<MeetingSettingPage> MeetingSettingPage::instantiate()
{
    if (const Factory &factory = installedFactory())
        return factory();
    return std::make_unique<MainSettingPage>();
}

MeetingSettingPage::FactoryScope::FactoryScope(Factory factory) : m_previous(installedFactory())
{
    installedFactory() = std::move(factory);
}

MeetingSettingPage::FactoryScope::~FactoryScope()
{
    installedFactory() = std::move(m_previous);
}
