#pragma once

// Shared pieces of the settings tests: the stand-in service fixture with a signed-in user,
// settings windows in either mode, stand-ins for the video and audio panels that record their
// preview and tests, and an interaction that records its blocks.

#include "fixtures/StandInServiceTest.h"

#include "agent/MainSettingModel.h"
#include "devices/FrameSupport.h"
#include "settings/MainSettingAudioPanel.h"
#include "settings/MainSettingNibs.h"
#include "settings/MainSettingTabs.h"
#include "settings/MainSettingVideoPanel.h"
#include "settings/MainSettingViewController.h"
#include "settings/MainSettingWindow.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

// Video and audio panels that log what the window asks of them ("video:start", "audio:stop") and
// touch no device: the model is only kept, the cameras are none.
class FakeVideoPanel final : public MainSettingVideoPanel {
public:
    explicit FakeVideoPanel(QStringList *log)
        : MainSettingVideoPanel(nullptr, std::make_unique<FrameSupport::FakeFrameSource>()), m_log(log)
    {
    }
    [[nodiscard]] MainSettingModel *model() const override { return m_kept; }
    void setModel(MainSettingModel *model) override { m_kept = model; }
    void startRunning() override { m_log->append(QStringLiteral("video:start")); }
    void stopRunning() override { m_log->append(QStringLiteral("video:stop")); }

private:
    QStringList *m_log;
    QPointer<MainSettingModel> m_kept;
};

class FakeAudioPanel final : public MainSettingAudioPanel {
public:
    explicit FakeAudioPanel(QStringList *log) : m_log(log) {}
    [[nodiscard]] MainSettingModel *model() const override { return m_kept; }
    void setModel(MainSettingModel *model) override { m_kept = model; }
    void stopRunning() override { m_log->append(QStringLiteral("audio:stop")); }

private:
    QStringList *m_log;
    QPointer<MainSettingModel> m_kept;
};

class SettingsTest : public StandInServiceTest {
protected:
    void SetUp() override
    {
        StandInServiceTest::SetUp();
        signIn();
    }

    void TearDown() override
    {
        // The real panels again: a stand-in's factory may hold this test's fields.
        for (const MainSettingTabRow &row : MainSettingTabs::all())
            vesk::registerNib(row.nibName, [make = row.make]() -> QWidget * { return make(); });
        windows.clear();
        StandInServiceTest::TearDown();
    }

    void signIn(const QString &name = QStringLiteral("张三"), const QString &applicationId = {})
    {
        VeskUserModel me = signInUser(kMyPhone, name);
        me.applicationId = applicationId;
        VeskAppAgent::sharedInstance()->setMyInfo(me);
        VeskAppAgent::sharedInstance()->saveMyInfoToLocal();
    }

    // A settings window as its openers make it, shown.
    MainSettingViewController *open(bool inMeeting)
    {
        auto window = MainSettingWindow::instantiate();
        MainSettingViewController *settings = MainSettingWindow::controllerOf(window.get());
        settings->setInMeeting(inMeeting);
        settings->urlOpener = [this](const QUrl &url) {
            openedUrls.append(url.toString());
            return true;
        };
        window->showWindow();
        windows.push_back(std::move(window));
        return settings;
    }

    // From now on the video and audio tabs get the logging stand-ins.
    void useFakeDevicePanels()
    {
        registerSettingNibs();
        vesk::registerNib(QStringLiteral("MainSettingVideoPanel"), [this] { return new FakeVideoPanel(&panelLog); });
        vesk::registerNib(QStringLiteral("MainSettingAudioPanel"), [this] { return new FakeAudioPanel(&panelLog); });
    }

    // An interaction whose every block logs its name and checks it got the one settings model.
    std::shared_ptr<KVSettingInteraction> recordingInteraction()
    {
        auto interaction = std::make_shared<KVSettingInteraction>();
        const auto record = [this](const QString &name) {
            return [this, name](MainSettingModel *model) {
                EXPECT_EQ(model, VeskAppAgent::sharedInstance()->settingModel()) << name.toStdString();
                blocks.append(name);
            };
        };
        interaction->onShowCurrentSpeaker = record(QStringLiteral("onShowCurrentSpeaker"));
        interaction->onVideoMirror = record(QStringLiteral("onVideoMirror"));
        interaction->onVideoFill = record(QStringLiteral("onVideoFill"));
        interaction->onVideoDeviceChanged = record(QStringLiteral("onVideoDeviceChanged"));
        interaction->onSubTitleFontNumer = record(QStringLiteral("onSubTitleFontNumer"));
        interaction->onSubTitleLanguage = record(QStringLiteral("onSubTitleLanguage"));
        interaction->onInputLanguage = record(QStringLiteral("onInputLanguage"));
        interaction->onMicphoneDeviceChanged = record(QStringLiteral("onMicphoneDeviceChanged"));
        interaction->onSpeakerDeviceChanged = record(QStringLiteral("onSpeakerDeviceChanged"));
        return interaction;
    }

    std::vector<std::unique_ptr<MacBaseWindowController>> windows;
    QStringList panelLog;
    QStringList blocks;
    QStringList openedUrls;
};
