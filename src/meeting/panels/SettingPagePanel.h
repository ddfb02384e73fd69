#pragma once

#include <QObject>
#include <QPointer>

#include <QList>

#include <functional>
#include <memory>

class KVTimer;
class MeetingActiveModel;
class MeetingBottomButton;
class MeetingPanels;
class MeetingSettingPage;
class SubtitleSettingModel;

// The settings window opened from the meeting: one at a time, on a given tab, with the blocks
// through which its changes act on the running meeting; the tool bar's settings button follows
// it. Also the stored settings applied once, a second after joining.
class SettingPagePanel final : public QObject {
    Q_OBJECT
public:
    static constexpr int kConfigDelayMs = 1000;

    using Tile = std::shared_ptr<MeetingActiveModel>;

    struct Views {
        QPointer<MeetingBottomButton> settingPageBtn; // follows the page: on while it is open
    };
    // What the page's changes do to the running meeting, and what it shows of it.
    struct Calls {
        std::function<void(bool show)> showCurrentSpeakerView;
        std::function<void(SubtitleSettingModel *model, bool languageType)> handleSubTitleChangeEvent;
        // The grid's tiles and the two share streams, for the page's video tab.
        std::function<QList<Tile>()> activeMembers;
        std::function<Tile()> avFileShareSourceModel;
        std::function<Tile()> screenShareSourceModel;
    };

    SettingPagePanel(MeetingPanels &panels, Views views, Calls calls);
    ~SettingPagePanel() override;

    void showSettingPage(int tab);
    void hideSettingPage();
    void handleSettingPageConfig();
    // The window's tiles or shares changed: an open page's system monitor follows them.
    void membersChanged();

    [[nodiscard]] MeetingSettingPage *settingPage() const { return m_page.get(); }

private:
    // Closes the page's window and forgets it (deleted once its close has run).
    void dropPage(bool closeWindow);

    MeetingPanels &m_panels;
    const Views m_views;
    const Calls m_calls;
    std::unique_ptr<MeetingSettingPage> m_page;
    QPointer<KVTimer> m_configTimer;
};
