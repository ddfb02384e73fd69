#pragma once

#include "agent/MeetingActiveModel.h"
#include "settings/KVSettingInteraction.h"

#include <QList>

#include <functional>
#include <memory>

class MacBaseViewController;
class MacBaseWindowController;

// The settings window as the meeting opens it: its window (with the content controller that
// decides whether it may close) and what the meeting hands it. The real one is the settings
// module's window; tests install a factory of their own.
class MeetingSettingPage {
public:
    using Tile = std::shared_ptr<MeetingActiveModel>;
    using Factory = std::function<std::unique_ptr<MeetingSettingPage>()>;

    virtual ~MeetingSettingPage() = default;

    [[nodiscard]] virtual MacBaseWindowController &windowController() = 0;
    [[nodiscard]] MacBaseViewController *content() const;
    virtual void setInMeeting(bool inMeeting) = 0;
    virtual void setInteraction(std::shared_ptr<KVSettingInteraction> interaction) = 0;
    virtual void switchTab(qint64 tab) = 0;
    // The media of the meeting, for the system monitor.
    virtual void onMemberChange(const QList<Tile> &members, const Tile &avFileShare, const Tile &screenShare) = 0;

    // A new settings window (not shown) from the factory in force.
    [[nodiscard]] static std::unique_ptr<MeetingSettingPage> instantiate();
    // Installs a factory for the life of the scope (tests).
    class FactoryScope {
    public:
        explicit FactoryScope(Factory factory);
        ~FactoryScope();
        FactoryScope(const FactoryScope &) = delete;
        FactoryScope &operator=(const FactoryScope &) = delete;

    private:
        Factory m_previous;
    };

protected:
    MeetingSettingPage() = default;
};
