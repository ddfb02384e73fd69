// The devices a meeting uses while devices come and go on the private sound server: the settings
// window's audio tab, its menus and the meeting's device pop-ups show what the local engine
// really captures from.
#include "DispatchWindowSupport.h"
#include "MeetingTestSupport.h"
#include "devices/PulseTestSupport.h"

#include "agent/engine/KRTCEngineFactory.h"
#include "agent/engine/LocalEngine.h"
#include "devices/audio/KVAudioManager.h"
#include "devices/views/KVAudioSelectView.h"
#include "devices/views/KVDeviceListView.h"
#include "meeting/panels/MeetingSettingPage.h"
#include "meeting/panels/SettingPagePanel.h"
#include "settings/KVDeviceFieldButton.h"
#include "settings/MainSettingAudioPanel.h"
#include "settings/MainSettingViewController.h"
#include "uikit/MoreActionItem.h"
#include "uikit/MoreActionView.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

using namespace PulseTestSupport;

// One module of the sound server, loaded for the life of the object.
class ServerModule {
public:
    explicit ServerModule(const QStringList &arguments)
    {
        QByteArray id;
        if (pactl(QStringList{QStringLiteral("load-module")} + arguments, &id) == 0)
            m_id = QString::fromLatin1(id);
    }
    ~ServerModule() { unload(); }
    ServerModule(const ServerModule &) = delete;
    ServerModule &operator=(const ServerModule &) = delete;

    [[nodiscard]] bool loaded() const { return !m_id.isEmpty(); }
    void unload()
    {
        if (loaded())
            pactl({QStringLiteral("unload-module"), std::exchange(m_id, QString())});
    }

private:
    QString m_id;
};

// A microphone or speaker as a headset brings it: a source with a sound, a sink.
std::unique_ptr<ServerModule> plugMicrophone(const QString &name, const QString &description)
{
    return std::make_unique<ServerModule>(
        QStringList{QStringLiteral("module-sine-source"), QStringLiteral("source_name=") + name,
                    QStringLiteral("source_properties=device.description=") + description});
}

std::unique_ptr<ServerModule> plugSpeaker(const QString &name, const QString &description)
{
    return std::make_unique<ServerModule>(
        QStringList{QStringLiteral("module-null-sink"), QStringLiteral("sink_name=") + name,
                    QStringLiteral("sink_properties=device.description=") + description});
}

// The server's names of the sources this process records from, one per stream.
QStringList ownRecordingSources()
{
    QByteArray sources;
    QByteArray streams;
    if (pactl({QStringLiteral("-f"), QStringLiteral("json"), QStringLiteral("list"), QStringLiteral("short"),
               QStringLiteral("sources")},
              &sources) != 0 ||
        pactl({QStringLiteral("-f"), QStringLiteral("json"), QStringLiteral("list"), QStringLiteral("source-outputs")},
              &streams) != 0)
        return {QStringLiteral("(pactl failed)")};
    QHash<int, QString> names;
    for (const QJsonValue source : QJsonDocument::fromJson(sources).array())
        names.insert(source[QStringLiteral("index")].toInt(), source[QStringLiteral("name")].toString());
    const QString pid = QString::number(QCoreApplication::applicationPid());
    QStringList out;
    for (const QJsonValue stream : QJsonDocument::fromJson(streams).array()) {
        if (stream[QStringLiteral("properties")][QStringLiteral("application.process.id")].toString() == pid)
            out << names.value(stream[QStringLiteral("source")].toInt(), QStringLiteral("?"));
    }
    return out;
}

// Devices as the list's uniqueID ("" for the system default entry).
struct Shown {
    QString field;
    QString menuTick;
    QString popUpTick;
};

void expectShown(const char *what, const Shown &got, const QString &uniqueID)
{
    EXPECT_EQ(got.field.toStdString(), uniqueID.toStdString()) << what << ": the tab's field";
    EXPECT_EQ(got.menuTick.toStdString(), uniqueID.toStdString()) << what << ": the tab's menu";
    EXPECT_EQ(got.popUpTick.toStdString(), uniqueID.toStdString()) << what << ": the meeting's pop-up";
}

class MeetingAudioDevicesTest : public DispatchWindowTest {
protected:
    // The audio tab of the settings window the meeting opens, its lists read.
    MainSettingAudioPanel *openAudioTab()
    {
        page->showSettingPage(2);
        settle();
        MeetingSettingPage *opened = page->panels().panel<SettingPagePanel>().settingPage();
        auto *settings = opened ? qobject_cast<MainSettingViewController *>(opened->content()) : nullptr;
        MainSettingAudioPanel *panel = settings ? settings->audioPanel() : nullptr;
        EXPECT_TRUE(panel);
        if (panel) {
            EXPECT_TRUE(
                processEventsUntil([panel] { return panel->isAvailable() && !panel->recordDevices().isEmpty(); }));
        }
        return panel;
    }

    // Picks a device in the tab as a keyboard user does: the field opens its menu, Down walks
    // to the row, Return takes it.
    static void chooseByKeys(KVDeviceFieldButton *field, MainSettingAudioPanel *panel, const QString &uniqueID)
    {
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(field, Qt::Key_Space);
        ASSERT_TRUE(panel->selectView());
        const auto focused = [] { return qobject_cast<MoreActionItem *>(QApplication::focusWidget()); };
        for (int i = 0;
             i < 20 && focused() && focused()->associatedObject().value<KVAudioDevice>().uniqueID != uniqueID; ++i)
            QTest::keyClick(focused(), Qt::Key_Down);
        ASSERT_TRUE(focused());
        ASSERT_EQ(focused()->associatedObject().value<KVAudioDevice>().uniqueID, uniqueID);
        QTest::keyClick(focused(), Qt::Key_Return);
        ASSERT_TRUE(drainMainQueue());
    }

    // Waits for the observer to list (or no longer list) a device, then for the tab's refresh
    // half a second later (project time moves on in steps meanwhile).
    void waitForTheChange(MainSettingAudioPanel *panel, const QString &uniqueID, bool listed)
    {
        ASSERT_TRUE(panel);
        const auto has = [&](const QList<KVAudioDevice> &devices) {
            return std::any_of(devices.begin(), devices.end(),
                               [&](const KVAudioDevice &d) { return d.uniqueID == uniqueID; });
        };
        ASSERT_TRUE(spinUntil([&] {
            return has(KVAudioManager::recordDevices() + KVAudioManager::playoutDevices()) == listed;
        })) << uniqueID.toStdString();
        ASSERT_TRUE(spinUntil([&] {
            clock.clock.advance(100ms);
            return has(panel->recordDevices() + panel->playoutDevices()) == listed;
        })) << "the tab did not refresh";
        ASSERT_TRUE(drainMainQueue());
    }

    // The device the tab shows and its menu ticks (the menu opened and closed again), then the one
    // the meeting's pop-up ticks (opened by its button, which closes the settings window as any
    // other pop-up of the meeting; the tab is opened again after it).
    Shown shown(MainSettingAudioPanel *&panel, bool speaker)
    {
        Shown out{QStringLiteral("(no tab)"), QStringLiteral("(no tab)"), QStringLiteral("(no tab)")};
        if (!panel)
            return out;
        const QList<KVAudioDevice> &listed = speaker ? panel->playoutDevices() : panel->recordDevices();
        KVDeviceFieldButton *field = speaker ? panel->ui().speakerSelectBtn : panel->ui().micSelectBtn;
        out.field = QStringLiteral("(not listed)");
        for (const KVAudioDevice &device : listed) {
            if (device.displayName() == field->deviceName()) {
                out.field = device.uniqueID;
                break;
            }
        }
        QTest::mouseClick(field, Qt::LeftButton);
        if (MoreActionView *menu = panel->selectView()) {
            QStringList ticked;
            for (MoreActionItem *row : menu->items()) {
                if (row->isSelect())
                    ticked << row->associatedObject().value<KVAudioDevice>().uniqueID;
            }
            out.menuTick = ticked.size() == 1 ? ticked.first() : ticked.join(QLatin1Char('|')) + QStringLiteral("?");
            panel->onOverBtnClick();
        }

        MeetingBottomButton *button = speaker ? page->ui->selectSpeakerBtn : page->ui->selectMicrophoneBtn;
        QTest::mouseClick(button, Qt::LeftButton);
        processEventsFor(2);
        if (auto *popUp = qobject_cast<KVAudioSelectView *>(page->panels().state().audioSelectView)) {
            const QList<KVAudioDevice> devices =
                speaker ? KVAudioManager::playoutDevices() : KVAudioManager::recordDevices();
            const int at = popUp->deviceList()->selectedIndex();
            out.popUpTick = at >= 0 && at < devices.size() ? devices.at(at).uniqueID : QStringLiteral("(none)");
            QTest::mouseClick(button, Qt::LeftButton);
            processEventsFor(5);
        } else {
            out.popUpTick = QStringLiteral("(no pop-up)");
        }
        panel = openAudioTab();
        return out;
    }

    // The tool bar's microphone button pressed as the user does, the device check answered.
    void pressMicrophone()
    {
        QTest::mouseClick(page->ui->microphoneBtn, Qt::LeftButton);
        ASSERT_TRUE(settleRequests());
    }

    QPointer<LocalEngine> local;
    // The meeting's engine is the local one on the real devices of the private server.
    KRTCEngineFactory::ScopedCreator localEngines{[this](const KRTCEngineConfig &config) {
        auto made = std::make_unique<LocalEngine>(config);
        local = made.get();
        return made;
    }};
};

} // namespace

TEST_F(MeetingAudioDevicesTest, DevicesComingAndGoing_TheTabAndPopUpsShowWhatTheEngineCapturesFrom)
{
    KORVI_REQUIRE_PULSE();
    const QString tag = QString::number(QCoreApplication::applicationPid());
    const QString mic = QStringLiteral("korvi_headset_mic_") + tag;
    const QString speaker = QStringLiteral("korvi_headset_speaker_") + tag;
    auto headsetMic = plugMicrophone(mic, QStringLiteral("Korvi-Headset-Mic-") + tag);
    auto headsetSpeaker = plugSpeaker(speaker, QStringLiteral("Korvi-Headset-Speaker-") + tag);
    ASSERT_TRUE(headsetMic->loaded() && headsetSpeaker->loaded());
    ASSERT_TRUE(spinUntil([&] {
        const QList<KVAudioDevice> listed = KVAudioManager::recordDevices();
        return std::any_of(listed.begin(), listed.end(), [&](const KVAudioDevice &d) { return d.uniqueID == mic; });
    }));

    join(true);
    ASSERT_TRUE(local);
    pressMicrophone();
    ASSERT_TRUE(processEventsUntil([&] { return page->ownDevices().isMicOn() && local->usingRealMicrophone(); }));
    ASSERT_TRUE(spinUntil([] { return ownRecordingSources() == QStringList{kSineSource}; }))
        << ownRecordingSources().join(' ').toStdString();

    // The headset chosen in the tab by keyboard: the engine captures from it.
    MainSettingAudioPanel *panel = openAudioTab();
    ASSERT_TRUE(panel);
    chooseByKeys(panel->ui().micSelectBtn, panel, mic);
    chooseByKeys(panel->ui().speakerSelectBtn, panel, speaker);
    ASSERT_TRUE(spinUntil([&] { return ownRecordingSources() == QStringList{mic}; }))
        << ownRecordingSources().join(' ').toStdString();

    // Another device comes: the engine goes on with the headset, and so everything says.
    const QString other = QStringLiteral("korvi_other_mic_") + tag;
    auto otherMic = plugMicrophone(other, QStringLiteral("Korvi-Other-Mic-") + tag);
    ASSERT_TRUE(otherMic->loaded());
    waitForTheChange(panel, other, true);
    expectShown("microphone after a plug", shown(panel, false), mic);
    expectShown("speaker after a plug", shown(panel, true), speaker);
    // The closed pop-up's level meter ends on its unit's own thread, a moment later.
    EXPECT_TRUE(spinUntil([&] { return ownRecordingSources() == QStringList{mic}; }))
        << ownRecordingSources().join(' ').toStdString();

    // The headset goes while the meeting's 选择麦克风 pop-up is open (it closes the settings
    // window): the engine follows the system default, the first entry, and so everything says.
    QTest::mouseClick(page->ui->selectMicrophoneBtn, Qt::LeftButton);
    processEventsFor(2);
    QPointer<KVAudioSelectView> popUp = qobject_cast<KVAudioSelectView *>(page->panels().state().audioSelectView);
    ASSERT_TRUE(popUp);
    headsetMic->unload();
    headsetSpeaker->unload();
    ASSERT_TRUE(spinUntil([&] {
        const QList<KVAudioDevice> listed = KVAudioManager::recordDevices() + KVAudioManager::playoutDevices();
        return std::none_of(listed.begin(), listed.end(),
                            [&](const KVAudioDevice &d) { return d.uniqueID == mic || d.uniqueID == speaker; });
    }));
    EXPECT_TRUE(spinUntil([&] { return popUp && popUp->deviceList()->selectedIndex() == 0; }))
        << "the open pop-up ticks row " << (popUp ? popUp->deviceList()->selectedIndex() : -2);
    ASSERT_TRUE(popUp);
    QTest::mouseClick(page->ui->selectMicrophoneBtn, Qt::LeftButton);
    processEventsFor(5);
    panel = openAudioTab();
    EXPECT_TRUE(spinUntil([&] { return ownRecordingSources() == QStringList{kSineSource}; }))
        << ownRecordingSources().join(' ').toStdString();
    EXPECT_TRUE(spinUntil([&] { return local->currentDeviceName(KRTCDeviceKind::Microphone).isEmpty(); }))
        << "the engine still holds the headset";
    expectShown("microphone after the unplug", shown(panel, false), QString());
    expectShown("speaker after the unplug", shown(panel, true), QString());

    // The headset comes back and the microphone is opened again: the engine stays with the
    // system default the tab shows.
    headsetMic = plugMicrophone(mic, QStringLiteral("Korvi-Headset-Mic-") + tag);
    ASSERT_TRUE(headsetMic->loaded());
    waitForTheChange(panel, mic, true);
    expectShown("microphone after it came back", shown(panel, false), QString());
    pressMicrophone();
    ASSERT_TRUE(processEventsUntil([&] { return !page->ownDevices().isMicOn(); }));
    pressMicrophone();
    ASSERT_TRUE(processEventsUntil([&] { return page->ownDevices().isMicOn() && local->usingRealMicrophone(); }));
    EXPECT_TRUE(spinUntil([] { return ownRecordingSources() == QStringList{kSineSource}; }))
        << ownRecordingSources().join(' ').toStdString();
}
