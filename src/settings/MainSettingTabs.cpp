#include "settings/MainSettingTabs.h"

#include "agent/VeskAppAgent.h"
#include "settings/KVSettingMonitorPanel.h"
#include "settings/MainSettingAboutUsPanel.h"
#include "settings/MainSettingAccountAndSecurityPanel.h"
#include "settings/MainSettingAudioPanel.h"
#include "settings/MainSettingGeneralPanel.h"
#include "settings/MainSettingSubtitlesPanel.h"
#include "settings/MainSettingVideoPanel.h"
#include "settings/MainSettingViewController.h"
#include "settings/SettingTexts.h"

using namespace MainSettingRules;

namespace {

using Controller = MainSettingViewController;

template <typename Panel> Panel &as(MainSettingPanel &panel)
{
    return static_cast<Panel &>(panel);
}

} // namespace

const QList<MainSettingTabRow> &MainSettingTabs::all()
{
    static const QList<MainSettingTabRow> rows{
        {General,
         SettingTexts::kGeneral,
         true,
         true,
         QStringLiteral("MainSettingGeneralPanel"),
         [] { return new MainSettingGeneralPanel; },
         [](Controller &window, MainSettingPanel &panel) {
             as<MainSettingGeneralPanel>(panel).onShowCurrentSpeaker =
                 window.forwardTo<MainSettingGeneralPanel>(&KVSettingInteraction::onShowCurrentSpeaker);
         },
         {}},
        {Video, SettingTexts::kVideo, true, true, QStringLiteral("MainSettingVideoPanel"),
         [] { return new MainSettingVideoPanel; },
         [](Controller &window, MainSettingPanel &panel) {
             auto &video = as<MainSettingVideoPanel>(panel);
             video.onVideoMirror = window.forwardTo<MainSettingVideoPanel>(&KVSettingInteraction::onVideoMirror);
             video.onVideoFill = window.forwardTo<MainSettingVideoPanel>(&KVSettingInteraction::onVideoFill);
             video.onVideoDeviceChanged =
                 window.forwardTo<MainSettingVideoPanel>(&KVSettingInteraction::onVideoDeviceChanged);
         },
         [](Controller &window, MainSettingPanel &panel) {
             panel.setInMeeting(window.inMeeting());
             panel.startRunning();
         }},
        {Audio, SettingTexts::kAudio, true, true, QStringLiteral("MainSettingAudioPanel"),
         [] { return new MainSettingAudioPanel; },
         [](Controller &window, MainSettingPanel &panel) {
             auto &audio = as<MainSettingAudioPanel>(panel);
             // Known before the tab's first model: in a meeting it shows the devices in use.
             audio.setInMeeting(window.inMeeting());
             audio.onMichoneChanged =
                 window.forwardTo<MainSettingAudioPanel>(&KVSettingInteraction::onMicphoneDeviceChanged);
             audio.onSpeakerChanged =
                 window.forwardTo<MainSettingAudioPanel>(&KVSettingInteraction::onSpeakerDeviceChanged);
         },
         [](Controller &window, MainSettingPanel &panel) { panel.setInMeeting(window.inMeeting()); }},
        {Subtitles,
         SettingTexts::kSubtitles,
         true,
         true,
         QStringLiteral("MainSettingSubtitlesPanel"),
         [] { return new MainSettingSubtitlesPanel; },
         [](Controller &window, MainSettingPanel &panel) {
             auto &subtitles = as<MainSettingSubtitlesPanel>(panel);
             subtitles.onSubTitleFontNumber =
                 window.forwardTo<MainSettingSubtitlesPanel>(&KVSettingInteraction::onSubTitleFontNumer);
             subtitles.onSubTitleLanguage =
                 window.forwardTo<MainSettingSubtitlesPanel>(&KVSettingInteraction::onSubTitleLanguage);
             subtitles.onInputLanguage =
                 window.forwardTo<MainSettingSubtitlesPanel>(&KVSettingInteraction::onInputLanguage);
         },
         {}},
        {Account, SettingTexts::kAccount, true, false, QStringLiteral("MainSettingAccountAndSecurityPanel"),
         [] { return new MainSettingAccountAndSecurityPanel; },
         [](Controller &window, MainSettingPanel &panel) {
             QPointer<Controller> weak(&window);
             as<MainSettingAccountAndSecurityPanel>(panel).onLoginOutAction = [weak](auto *) {
                 if (weak)
                     weak->logOut();
             };
         },
         [](Controller &window, MainSettingPanel &) { window.requestDeviceInfo(); }},
        {About,
         SettingTexts::kAbout,
         true,
         false,
         QStringLiteral("MainSettingAboutUsPanel"),
         [] { return new MainSettingAboutUsPanel; },
         [](Controller &window, MainSettingPanel &panel) {
             auto &about = as<MainSettingAboutUsPanel>(panel);
             QPointer<Controller> weak(&window);
             about.onCheckUpdate = [weak](auto *) {
                 if (weak && weak->versionChecker)
                     weak->versionChecker(true);
             };
             about.onShowInstructions = [weak](auto *) {
                 if (weak)
                     weak->openPage(VeskAppAgent::sharedInstance()->getUserHandlerBook());
             };
             about.onUploadLog = [weak](auto *) {
                 if (weak)
                     weak->uploadLog();
             };
             about.onFeedbackAction = [](auto *) {};
             about.onShowUserProtocol = [weak](auto *) {
                 if (weak)
                     weak->openPage(VeskAppAgent::sharedInstance()->privacy1UrlString());
             };
             about.onShowPrivacyStrategy = [weak](auto *) {
                 if (weak)
                     weak->openPage(VeskAppAgent::sharedInstance()->privacyUrlString());
             };
         },
         {}},
        {Monitor,
         SettingTexts::kMonitor,
         false,
         true,
         QStringLiteral("KVSettingMonitorPanel"),
         [] { return new KVSettingMonitorPanel; },
         {},
         {}},
    };
    return rows;
}

const MainSettingTabRow *MainSettingTabs::row(qint64 type)
{
    for (const MainSettingTabRow &row : all()) {
        if (row.type == type)
            return &row;
    }
    return nullptr;
}
