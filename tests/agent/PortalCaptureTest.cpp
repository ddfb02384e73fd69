// Desktop capture through the desktop portal, against a fake portal on a private D-Bus and
// frames from a private PipeWire daemon.
#include "FakePortal.h"
#include "PrivatePipeWire.h"
#include "RecordedMedia.h"

#include "TestEvents.h"
#include "agent/engine/DesktopCaptureBackends.h"
#include "agent/engine/PortalDesktopCapture.h"
#include "agent/engine/VeskScreenRecord.h"
#include "foundation/UserDefaults.h"

#include <QMutex>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Backend = DesktopCaptureSource::Backend;

TEST(PortalCaptureChoice, WaylandSessionsTakeThePortal_X11TheXServer_ElseQtOrWhatIsForced)
{
    EXPECT_EQ(DesktopCaptureBackends::choose(QStringLiteral("wayland"), QStringLiteral("wayland"), {}),
              Backend::Portal);
    EXPECT_EQ(DesktopCaptureBackends::choose(QStringLiteral("wayland-egl"), {}, {}), Backend::Portal);
    EXPECT_EQ(DesktopCaptureBackends::choose(QStringLiteral("xcb"), QStringLiteral("x11"), {}), Backend::X11);
    EXPECT_EQ(DesktopCaptureBackends::choose(QStringLiteral("xcb"), QStringLiteral("wayland"), {}), Backend::Portal)
        << "XWayland sees no other client's windows";
    EXPECT_EQ(DesktopCaptureBackends::choose(QStringLiteral("offscreen"), {}, {}), Backend::Qt);
    EXPECT_EQ(DesktopCaptureBackends::choose(QStringLiteral("xcb"), {}, QStringLiteral("portal")), Backend::Portal);
}

// What a share stream delivered.
struct Received {
    QMutex mutex;
    QList<QImage> frames; // guarded by mutex: frames come on a capture thread
    QStringList ended;    // main thread: "ended: why" or "failed: why" (a start that failed)

    DesktopCaptureSink sink()
    {
        DesktopCaptureSink sink;
        sink.onFrame = [this](const QImage &frame) {
            QMutexLocker lock(&mutex);
            frames << frame;
        };
        sink.onEnded = [this](const QString &why) { ended << QStringLiteral("ended: ") + why; };
        sink.onStartFailed = [this](const QString &why) { ended << QStringLiteral("failed: ") + why; };
        return sink;
    }
    qsizetype frameCount()
    {
        QMutexLocker lock(&mutex);
        return frames.size();
    }
    // The numbers the test source wrote into the frames, in order (a 320 x 240 source in 640 x 360).
    QList<int> numbers()
    {
        QMutexLocker lock(&mutex);
        QList<int> out;
        for (const QImage &frame : std::as_const(frames)) {
            const QRgb block = frame.pixel(92, 12);
            out << (qRed(block) | (qGreen(block) << 8));
        }
        return out;
    }
};

class PortalCapture : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!bus.start())
            GTEST_SKIP() << bus.why().toStdString();
        client = QDBusConnection::connectToBus(bus.address(), QStringLiteral("korvi-client"));
        portalSide = QDBusConnection::connectToBus(bus.address(), QStringLiteral("korvi-fake-portal"));
        ASSERT_TRUE(client.isConnected() && portalSide.isConnected());
        portal = std::make_unique<FakePortal>(portalSide);
        capture = std::make_unique<PortalDesktopCapture>(client);
        option.setM_eType(KRTCScreenOption::TypeScreen);
        option.setM_ScreenOrWindowId(DesktopCaptureSource::kPortalChoiceId);
        option.setM_nWidth(640);
        option.setM_nHeight(360);
        option.setM_nFPS(15);
    }
    void TearDown() override
    {
        capture.reset();
        portal.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("korvi-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("korvi-fake-portal"));
    }

    // The portal's dialog gives this screen: its node, reached through its PipeWire.
    // The screen the portal's dialog gives: a private PipeWire source of 320 x 240 in kGreen.
    // False (and pipewire.why()) when PipeWire cannot run here.
    [[nodiscard]] bool offerScreen(PrivatePipeWire &pipewire)
    {
        if (!pipewire.start(QSize(320, 240), kGreen))
            return false;
        portal->nodeId = pipewire.sourceNode();
        portal->openRemote = [&pipewire] { return pipewire.connect(); };
        return true;
    }

    static constexpr quint32 kGreen = 0xff00c000;

    PrivateBus bus;
    QDBusConnection client{QString()};
    QDBusConnection portalSide{QString()};
    std::unique_ptr<FakePortal> portal;
    std::unique_ptr<PortalDesktopCapture> capture;
    KRTCScreenOption option;
};

// The compositor's session manager would link the chosen node to our stream: linked once the
// portal handed out the remote, then running once the format is agreed.
::testing::AssertionResult linkWhenAsked(PrivatePipeWire &pipewire, const FakePortal &portal, const QString &consumer,
                                         const std::function<bool()> &alsoDone = {})
{
    bool linked = false;
    if (processEventsUntil(
            [&] {
                if (!linked && portal.calls.contains(QStringLiteral("OpenPipeWireRemote")))
                    linked = pipewire.link(consumer);
                return (linked && pipewire.running(consumer)) || (alsoDone && alsoDone());
            },
            60000))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "portal calls: " << portal.calls.join(' ').toStdString()
                                         << (linked ? "; linked; " : "; not linked; ")
                                         << pipewire.describe(consumer).toStdString();
}

TEST_F(PortalCapture, OneCandidateOpensThePortal_FramesOfTheAskedSize_TokenKept_StopClosesTheSession)
{
    PrivatePipeWire pipewire;
    if (!offerScreen(pipewire))
        GTEST_SKIP() << "no private PipeWire: " << pipewire.why().toStdString();
    portal->restoreToken = QStringLiteral("token-1");

    const QList<KRTCDesktopSource> screens = capture->screens(QSize(160, 90));
    ASSERT_EQ(screens.size(), 1);
    EXPECT_EQ(screens[0].sourceId, DesktopCaptureSource::kPortalChoiceId);
    EXPECT_TRUE(capture->windows(QSize(160, 90)).isEmpty()) << "the portal's dialog lists the windows";

    Received received;
    auto stream = capture->openStream(option, received.sink());
    ASSERT_TRUE(stream);
    ASSERT_TRUE(
        linkWhenAsked(pipewire, *portal, QStringLiteral("korvi-share"), [&] { return !received.ended.isEmpty(); }));
    pipewire.setRate(15);
    ASSERT_TRUE(processEventsUntil([&] { return received.frameCount() >= 3 || !received.ended.isEmpty(); }, 30000));
    ASSERT_TRUE(received.ended.isEmpty()) << received.ended.join(' ').toStdString();
    EXPECT_EQ(portal->calls, (QStringList{QStringLiteral("CreateSession"), QStringLiteral("SelectSources"),
                                          QStringLiteral("Start"), QStringLiteral("OpenPipeWireRemote")}));
    EXPECT_EQ(portal->selectOptions.value(QStringLiteral("types")).toUInt(), 3u) << "screens and windows";
    EXPECT_FALSE(portal->selectOptions.contains(QStringLiteral("restore_token")));
    {
        QMutexLocker lock(&received.mutex);
        const QImage frame = received.frames.last();
        EXPECT_EQ(frame.size(), QSize(640, 360));
        EXPECT_EQ(frame.format(), QImage::Format_RGB32);
        EXPECT_EQ(frame.pixel(320, 180), kGreen) << std::hex << frame.pixel(320, 180);
        EXPECT_EQ(frame.pixel(10, 180), 0xff000000) << "letterboxed on black";
    }
    EXPECT_EQ(
        UserDefaults::standardUserDefaults().stringForKey(QString::fromLatin1(PortalDesktopCapture::kRestoreTokenKey)),
        QStringLiteral("token-1"));

    stream.reset();
    EXPECT_TRUE(processEventsUntil([&] { return portal->sessionClosed; }, 10000)) << "stopping frees the session";

    // The next share hands the portal its token, so it need not ask again.
    portal->startResponse = 1;
    auto again = capture->openStream(option, received.sink());
    ASSERT_TRUE(processEventsUntil([&] { return received.ended.size() == 1; }, 10000));
    EXPECT_EQ(portal->selectOptions.value(QStringLiteral("restore_token")).toString(), QStringLiteral("token-1"));
}

// A portal sends a frame when the screen changes, as fast as it changes: the share takes them as
// they come, never more than its rate, never one twice, and nothing while the screen is still.
TEST_F(PortalCapture, FramesAsTheScreenChanges_AtMostTheRateAsked_NeverOneTwice)
{
    PrivatePipeWire pipewire;
    if (!offerScreen(pipewire))
        GTEST_SKIP() << "no private PipeWire: " << pipewire.why().toStdString();
    Received received;
    auto stream = capture->openStream(option, received.sink());
    ASSERT_TRUE(linkWhenAsked(pipewire, *portal, QStringLiteral("korvi-share")));

    pipewire.setRate(40);
    ASSERT_TRUE(processEventsUntil([&] { return received.frameCount() >= 1; }, 10000));
    const qsizetype first = received.frameCount();
    recordFor(3000);
    const qsizetype taken = received.frameCount() - first;
    EXPECT_LE(taken, 3 * 15 + 2) << "at most 15 a second";
    EXPECT_GE(taken, 3 * 15 / 2) << "yet frames keep coming";

    pipewire.setRate(0);
    recordFor(500);
    const qsizetype still = received.frameCount();
    recordFor(1500);
    EXPECT_EQ(received.frameCount(), still) << "a still screen sends nothing and nothing is repeated";
    pipewire.changeOnce();
    ASSERT_TRUE(processEventsUntil([&] { return received.frameCount() == still + 1; }, 5000));
    recordFor(500);
    EXPECT_EQ(received.frameCount(), still + 1);

    const QList<int> numbers = received.numbers();
    for (qsizetype i = 1; i < numbers.size(); ++i)
        ASSERT_GT(numbers[i], numbers[i - 1]) << "frame " << i << " of " << numbers.size();
    ASSERT_TRUE(received.ended.isEmpty()) << received.ended.join(' ').toStdString();
}

// What the desktop does to a running cast: its own stop closes the portal's session; the screen
// going (or the portal) removes the PipeWire node. Either ends the stream, once, as an end.
TEST_F(PortalCapture, TheDesktopEndsTheCast_SessionClosedOrNodeGone_EndsTheStreamOnce)
{
    for (const bool closed : {true, false}) {
        PrivatePipeWire pipewire;
        if (!offerScreen(pipewire))
            GTEST_SKIP() << "no private PipeWire: " << pipewire.why().toStdString();
        Received received;
        auto stream = capture->openStream(option, received.sink());
        ASSERT_TRUE(linkWhenAsked(pipewire, *portal, QStringLiteral("korvi-share")));
        pipewire.setRate(15);
        ASSERT_TRUE(processEventsUntil([&] { return received.frameCount() >= 2; }, 10000));
        pipewire.setRate(0);
        if (closed)
            portal->closeSession();
        else
            pipewire.removeSource();
        ASSERT_TRUE(processEventsUntil([&] { return !received.ended.isEmpty(); }, 10000)) << closed;
        recordFor(300);
        ASSERT_EQ(received.ended.size(), 1) << received.ended.join(' ').toStdString();
        EXPECT_TRUE(received.ended[0].startsWith(QStringLiteral("ended: "))) << received.ended[0].toStdString();
        stream.reset();
        processEventsFor(50);
        portal->openRemote = nullptr;
        portal->calls.clear();
    }
    // Closed while the user still chooses: the start failed.
    portal->startDelayMs = 2000;
    Received received;
    auto stream = capture->openStream(option, received.sink());
    ASSERT_TRUE(processEventsUntil([&] { return portal->calls.contains(QStringLiteral("Start")); }, 10000));
    portal->closeSession();
    ASSERT_TRUE(processEventsUntil([&] { return !received.ended.isEmpty(); }, 10000));
    recordFor(2500);
    EXPECT_EQ(received.ended, QStringList{QStringLiteral("failed: the portal closed the session")});
}

TEST_F(PortalCapture, RefusedOrCancelled_EvenLate_EndsTheStreamOnceAsAStartThatFailed)
{
    struct Case {
        QString refuseCall;
        uint startResponse;
        int startDelayMs;
    };
    for (const Case &c :
         {Case{QStringLiteral("CreateSession"), 0, 0}, Case{QString(), 1, 0}, Case{QString(), 2, 0},
          Case{QString(), 1, 1500}, Case{QString(), 2, 1500}, Case{QStringLiteral("OpenPipeWireRemote"), 0, 0}}) {
        portal->refuseCall = c.refuseCall;
        portal->startResponse = c.startResponse;
        portal->startDelayMs = c.startDelayMs;
        Received received;
        auto stream = capture->openStream(option, received.sink());
        ASSERT_TRUE(stream);
        if (c.startDelayMs > 0) {
            recordFor(c.startDelayMs / 2);
            EXPECT_TRUE(received.ended.isEmpty()) << "the user still chooses";
        }
        EXPECT_TRUE(processEventsUntil([&] { return !received.ended.isEmpty(); }, 10000))
            << c.refuseCall.toStdString() << c.startResponse;
        processEventsFor(20);
        ASSERT_EQ(received.ended.size(), 1);
        EXPECT_TRUE(received.ended[0].startsWith(QStringLiteral("failed: "))) << received.ended[0].toStdString();
        EXPECT_EQ(received.frameCount(), 0);
    }
    KRTCScreenOption window = option;
    window.setM_eType(KRTCScreenOption::TypeWindow);
    Received never;
    EXPECT_FALSE(capture->openStream(window, never.sink())) << "only the portal's candidate opens";
}

struct RecorderReports final : VeskScreenRecordDelegate {
    void recordStart() override { events << QStringLiteral("start"); }
    void recordFail(const QString &message) override { events << QStringLiteral("fail:") + message; }
    void recordSuccess(const QUrl &fileURL) override { events << fileURL.toLocalFile(); }
    QStringList events;
};

// A recorder on the portal, writing into a folder of its own.
struct PortalRecorder {
    explicit PortalRecorder(const QDBusConnection &client)
    {
        recorder.setDelegate(&reports);
        recorder.setFolder(dir.path());
        recorder.usePortal(client);
    }
    RecorderReports reports;
    QTemporaryDir dir;
    VeskScreenRecord recorder;
};

// The recorder in a Wayland session: the screen the portal's dialog gives, from its PipeWire node.
TEST_F(PortalCapture, Recorder_RecordsThePortalsScreen_ACancelledDialogFails)
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        GTEST_SKIP() << "needs the test sound server (scripts/with-pulseaudio.sh)";
    PrivatePipeWire pipewire;
    if (!offerScreen(pipewire))
        GTEST_SKIP() << "no private PipeWire: " << pipewire.why().toStdString();

    PortalRecorder recording(client);
    auto &[reports, dir, recorder] = recording;
    recorder.start();
    EXPECT_TRUE(reports.events.isEmpty()) << "the user chooses first";
    ASSERT_TRUE(linkWhenAsked(pipewire, *portal, QStringLiteral("korvi-record")));
    ASSERT_EQ(reports.events, QStringList{QStringLiteral("start")});
    EXPECT_FALSE(portal->selectOptions.contains(QStringLiteral("restore_token")));
    pipewire.setRate(15);
    recordFor(2000);
    recorder.stop();
    ASSERT_TRUE(processEventsUntil([&] { return reports.events.size() == 2; }, 30000));
    const QString file = reports.events.last();
    ASSERT_TRUE(file.endsWith(QStringLiteral(".mp4"))) << file.toStdString();
    const RecordedMedia media = discover(file);
    EXPECT_EQ(media.video, 1);
    EXPECT_GT(media.seconds, 0.5);
    EXPECT_TRUE(processEventsUntil([&] { return portal->sessionClosed; }, 10000)) << "the portal session ends with it";

    portal->startResponse = 1;
    recorder.start();
    ASSERT_TRUE(processEventsUntil([&] { return reports.events.size() == 3; }, 10000));
    EXPECT_TRUE(reports.events.last().startsWith(QStringLiteral("fail:")));
    EXPECT_FALSE(recorder.isRecord());
}

// A portal sends nothing while the screen stays as it is: a recording of a still screen still
// covers its whole length, picture and sound alike.
TEST_F(PortalCapture, Recorder_AStillScreen_KeepsItsLengthAndItsSound)
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        GTEST_SKIP() << "needs the test sound server (scripts/with-pulseaudio.sh)";
    PrivatePipeWire pipewire;
    if (!offerScreen(pipewire))
        GTEST_SKIP() << "no private PipeWire: " << pipewire.why().toStdString();

    PortalRecorder recording(client);
    auto &[reports, dir, recorder] = recording;
    recorder.start();
    ASSERT_TRUE(linkWhenAsked(pipewire, *portal, QStringLiteral("korvi-record")));
    ASSERT_EQ(reports.events, QStringList{QStringLiteral("start")});
    pipewire.changeOnce(); // one picture, then none
    recordFor(5000);
    recorder.stop();
    ASSERT_TRUE(processEventsUntil([&] { return reports.events.size() == 2; }, 30000));
    const QString file = reports.events.last();
    ASSERT_TRUE(file.endsWith(QStringLiteral(".mp4"))) << reports.events.join(' ').toStdString();
    const RecordedMedia media = discover(file);
    EXPECT_EQ(media.video, 1);
    EXPECT_EQ(media.audio, 1);
    EXPECT_GE(trackSeconds(file, "video"), 4.5);
    EXPECT_GE(trackSeconds(file, "audio"), 4.5);
}

// The desktop's own stop while recording: its node goes and its session closes; or the portal
// went away, and its node goes without a word; or the portal closes the session while the node
// stays. Each way the recording ends there with a finished file, as on the user's stop, its
// sound kept to the end.
TEST_F(PortalCapture, Recorder_TheDesktopEndsTheCast_TheFileIsFinished)
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        GTEST_SKIP() << "needs the test sound server (scripts/with-pulseaudio.sh)";
    enum End { NodeGoneSessionClosed, NodeGone, SessionClosed };
    for (const End end : {NodeGoneSessionClosed, NodeGone, SessionClosed}) {
        const bool closes = end != NodeGone;
        PrivatePipeWire pipewire;
        if (!offerScreen(pipewire))
            GTEST_SKIP() << "no private PipeWire: " << pipewire.why().toStdString();

        PortalRecorder recording(client);
        auto &[reports, dir, recorder] = recording;
        recorder.start();
        ASSERT_TRUE(linkWhenAsked(pipewire, *portal, QStringLiteral("korvi-record"))) << end;
        pipewire.setRate(15);
        recordFor(1500);
        if (end != SessionClosed) {
            pipewire.removeSource();
            recordFor(300);
        }
        if (closes)
            portal->closeSession();
        ASSERT_TRUE(processEventsUntil([&] { return reports.events.size() == 2; }, 15000))
            << end << " the recording goes on: " << reports.events.join(' ').toStdString();
        const QString file = reports.events.last();
        ASSERT_TRUE(file.endsWith(QStringLiteral(".mp4"))) << reports.events.join(' ').toStdString();
        EXPECT_FALSE(recorder.isRecord());
        const RecordedMedia media = discover(file);
        EXPECT_EQ(media.video, 1);
        EXPECT_EQ(media.audio, 1);
        EXPECT_GE(trackSeconds(file, "video"), 1.0) << end;
        EXPECT_GE(trackSeconds(file, "audio"), trackSeconds(file, "video") - 0.2) << end;
        portal->openRemote = nullptr;
        portal->calls.clear();
    }
}

} // namespace
