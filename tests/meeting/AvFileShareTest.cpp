// A shared audio or video file in the meeting window: play, pause and seek for everybody, the
// position from frames and messages, the sharer's start report and the ring for audio.

#include "DispatchWindowSupport.h"

#include "support/AccessibilityWalk.h"

#include "meeting/sharing/AudioRingAnimation.h"
#include "meeting/sharing/AvFileShare.h"
#include "meeting/sharing/FileShareDocument.h"
#include "meeting/sharing/MeetingSharing.h"
#include "meeting/window/MeetingToolBar.h"
#include "uikit/AutoLayout.h"
#include "uikit/MacSliderCell.h"
#include "uikit/VeskTextView.h"
#include "uikit/VeskToast.h"

#include "foundation/RXEncrypt.h"

#include <QTest>

#include <thread>

namespace {

// Each request waits until the test answers it.
class FakeAvServices final : public AvFileShareServices {
public:
    struct Request {
        qint64 type = 0; // 2, 3, 4; 0 for the start report
        qint64 seekPosition = 0;
        QPointer<QObject> owner;
        Completion completion;
    };

    void play(QObject *owner, qint64 type, const QString &, qint64, qint64 seekPosition, Completion c) override
    {
        requests.append({type, seekPosition, owner, std::move(c)});
    }
    void processStart(QObject *owner, const QString &, Completion c) override
    {
        requests.append({0, 0, owner, std::move(c)});
    }
    [[nodiscard]] QString myPeerId() const override { return QStringLiteral("me"); }

    void answer(qint64 code, const QString &message = {})
    {
        Request r = requests.takeFirst();
        KVMResponse response;
        response.code = code;
        response.successed = code == 0;
        response.message = message;
        if (r.owner)
            r.completion(response);
    }

    QList<Request> requests;
};

class AvFileShareTest : public DispatchWindowTest {
protected:
    AvFileShare &av() { return page->sharing().avFileShare(); }

    // Joined, showing a file of 300 s that the user may operate or not.
    void showFile(const QString &type, bool canControl)
    {
        join();
        page->sharing().installAvFileShareServices(services);
        auto file = std::make_shared<FileShareModel>();
        file->fileId = QStringLiteral("f1");
        file->fileName = QStringLiteral("<b>片</b>.mp4");
        file->fileType = type;
        file->duration = 300;
        file->setUserCanControl(canControl);
        av().setAvFileShareModel(file);
        page->sharing().state().avFileSharePlaying = true;
        page->sharing().setFileShareMode(2);
    }

    std::shared_ptr<FakeAvServices> services = std::make_shared<FakeAvServices>();
};

TEST(AvFileShareRules, TimesShowHoursMinutesAndSeconds)
{
    EXPECT_EQ(AvFileShareRules::timeText(0), QStringLiteral("00:00:00"));
    EXPECT_EQ(AvFileShareRules::timeText(59), QStringLiteral("00:00:59"));
    EXPECT_EQ(AvFileShareRules::timeText(3599), QStringLiteral("00:59:59"));
    EXPECT_EQ(AvFileShareRules::timeText(4530), QStringLiteral("01:15:30"));
    EXPECT_EQ(AvFileShareRules::timeText(7200), QStringLiteral("02:00:00"));
    EXPECT_EQ(AvFileShareRules::timeText(AvFileShareRules::kMostSeconds), QStringLiteral("100:00:00"));
    EXPECT_EQ(AvFileShareRules::timeText(-5), QStringLiteral("00:00:00"));
}

TEST_F(AvFileShareTest, PlayAtTheEndStartsFromZeroHereAndForOthers_AFailedPauseRestoresButtonAndFlag)
{
    showFile(QStringLiteral("2"), true);
    EXPECT_FALSE(page->ui->avFileSharePlayButton->isHidden());
    EXPECT_EQ(page->ui->avFileShareTotalTime->text(), QStringLiteral("00:05:00"));

    // Ended: paused at the duration, the knob at the end.
    receive(controlMessage(Event::PlaybackEnded));
    EXPECT_EQ(page->ui->avFileShareSlider->value(), 300);
    page->ui->avFileSharePlayButton->click();
    ASSERT_EQ(services->requests.size(), 1);
    EXPECT_EQ(services->requests[0].type, 2);
    EXPECT_EQ(services->requests[0].seekPosition, 0);
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 0);
    services->answer(0);
    EXPECT_TRUE(page->sharing().state().avFileSharePlaying);

    page->ui->avFileSharePlayButton->click(); // pause
    ASSERT_EQ(services->requests.size(), 1);
    EXPECT_EQ(services->requests[0].type, 3);
    EXPECT_FALSE(page->sharing().state().avFileSharePlaying);
    services->answer(7);
    EXPECT_TRUE(page->sharing().state().avFileSharePlaying);
    EXPECT_EQ(page->ui->avFileSharePlayButton->state(), 0);
    EXPECT_EQ(toastText(), QStringLiteral("暂停失败"));

    // Another's play at the end: the file starts again from 0 here too, and its frames count.
    receive(controlMessage(Event::PlaybackEnded));
    receive(controlMessage(Event::PlaybackStarted));
    av().takeFramePosition(2);
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 2);
}

// A two-hour file: the position the window shows is the one sent, to the second, wherever the
// knob would round it.
TEST_F(AvFileShareTest, TwoHours_PausedAndPlayedNearTheEnd_SendTheShownSecond)
{
    showFile(QStringLiteral("2"), true);
    page->sharing().state().avFileShareModel->duration = 7200;
    av().setAvFileShareModel(page->sharing().state().avFileShareModel);
    page->sharing().setFileShareMode(2);
    EXPECT_EQ(page->ui->avFileShareTotalTime->text(), QStringLiteral("02:00:00"));

    receive(controlMessage(Event::PlaybackSought, {{"seekPosition", 1234 * 1000}}));
    EXPECT_EQ(page->ui->avFileShareCurrentTime->text(), QStringLiteral("00:20:34"));
    page->ui->avFileSharePlayButton->click(); // pause
    ASSERT_EQ(services->requests.size(), 1);
    EXPECT_EQ(services->requests[0].type, 3);
    EXPECT_EQ(services->requests[0].seekPosition, 1234);
    services->answer(0);

    // Two seconds before the end: play goes on from there, it does not start the file again.
    receive(controlMessage(Event::PlaybackSought, {{"seekPosition", 7198 * 1000}}));
    page->ui->avFileSharePlayButton->click();
    ASSERT_EQ(services->requests.size(), 1);
    EXPECT_EQ(services->requests[0].type, 2);
    EXPECT_EQ(services->requests[0].seekPosition, 7198);
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 7198);
    services->answer(0);

    // The knob moved by one key press is one second.
    MacSliderCell *slider = page->ui->avFileShareSlider;
    EXPECT_EQ(slider->maximum(), 7200);
    EXPECT_EQ(slider->value(), 7198);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Left);
    ASSERT_EQ(services->requests.size(), 1);
    EXPECT_EQ(services->requests[0].seekPosition, 7197);
}

// A start announced by another with a duration no file has: bounded as it enters, so the times,
// the knob and every position sent stay in range.
TEST_F(AvFileShareTest, AStartWithAnImpossibleDuration_IsBoundedWhereItEnters)
{
    showFile(QStringLiteral("2"), true);
    const auto start = [&](const QString &duration) {
        IMMessage m = controlMessage(Event::FileShareStarted);
        m.sender = QStringLiteral("mccServer");
        m.data = QStringList{QStringLiteral("{\"event\":707,\"data\":{\"fileId\":\"f2\",\"fileName\":\"a.mp4\","
                                            "\"fileType\":2,\"enableOperationFileStatus\":2,\"enableUserList\":"
                                            "[{\"userId\":\"%1\"}],\"duration\":%2}}")
                                 .arg(RXEncrypt::aes128ecbEncrypt(kMyPhone), duration)};
        receive(m);
    };
    struct Case {
        QString duration;
        qint64 seconds;
        QString total;
    };
    for (const Case &c : {Case{"0", 0, "00:00:00"}, Case{"-1", 0, "00:00:00"},
                          Case{"1e17", AvFileShareRules::kMostSeconds, "100:00:00"}, Case{"\"NaN\"", 0, "00:00:00"},
                          Case{"1e400", 0, "00:00:00"}}) {
        start(c.duration);
        const auto file = page->sharing().state().avFileShareModel;
        ASSERT_TRUE(file) << c.duration.toStdString();
        EXPECT_EQ(file->fileId, QStringLiteral("f2"));
        EXPECT_EQ(file->duration, c.seconds) << c.duration.toStdString();
        EXPECT_EQ(page->ui->avFileShareTotalTime->text(), c.total) << c.duration.toStdString();
        EXPECT_EQ(page->ui->avFileShareSlider->maximum(), c.seconds);
        // The end of the knob and a pause there send what is shown.
        page->ui->avFileShareSlider->setFocus();
        QTest::keyClick(page->ui->avFileShareSlider, Qt::Key_End);
        page->ui->avFileSharePlayButton->click();
        for (const FakeAvServices::Request &r : std::as_const(services->requests)) {
            EXPECT_GE(r.seekPosition, 0) << c.duration.toStdString();
            EXPECT_LE(r.seekPosition, c.seconds) << c.duration.toStdString();
        }
        while (!services->requests.isEmpty())
            services->answer(0);
    }
}

// A file's layout hides who shares a document; the next document shows it again.
TEST_F(AvFileShareTest, AfterAFile_ADocumentNamesItsSharerAgain)
{
    showFile(QStringLiteral("2"), true);
    page->view()->window()->show();
    EXPECT_TRUE(page->ui->currentFileShareNameLabel->isHidden());
    receive(controlMessage(Event::FileShareStopped, {}, {}, QStringLiteral("mccServer"), QString()));
    FileShareDatailModel document;
    document.fileId = QStringLiteral("doc-1");
    document.fileName = QStringLiteral("方案.pdf");
    document.sliceInfo.resize(2);
    page->sharing().startFileShareFromAction(document);
    EXPECT_TRUE(page->ui->currentFileShareNameLabel->isVisible());
    EXPECT_EQ(page->ui->currentFileShareNameLabel->text(), QStringLiteral("您正在共享"));
}

TEST_F(AvFileShareTest, Slider_DragPausesFramesAndSeeksOnRelease_FailureKeepsThePosition)
{
    showFile(QStringLiteral("2"), true);
    MacSliderCell *slider = page->ui->avFileShareSlider;
    slider->setSliderDown(true);
    EXPECT_TRUE(av().avFileSharePlaySliderTracking());
    av().takeFramePosition(3); // near, but the user holds the knob
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 0);
    slider->setSliderPosition(150);
    slider->setSliderDown(false);
    EXPECT_FALSE(av().avFileSharePlaySliderTracking());
    ASSERT_EQ(services->requests.size(), 1);
    EXPECT_EQ(services->requests[0].type, 4);
    EXPECT_EQ(services->requests[0].seekPosition, 150);
    EXPECT_EQ(page->ui->avFileShareCurrentTime->text(), QStringLiteral("00:02:30"));
    services->answer(3, QStringLiteral("文件已删除"));
    EXPECT_EQ(toastText(), QStringLiteral("文件已删除"));
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 150);
}

TEST_F(AvFileShareTest, WithoutRights_NoControls_SeeksIgnored_EndStillShown_266OnlyForTheShownAudio)
{
    showFile(QStringLiteral("3"), false);
    EXPECT_TRUE(page->ui->avFileSharePlayButton->isHidden());
    EXPECT_TRUE(page->ui->avFileShareSliderBKView->isHidden());
    receive(controlMessage(Event::PlaybackSought, {{"seekPosition", 61999}}));
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 0);
    receive(controlMessage(Event::PlaybackEnded));
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 300);
    page->sharing().setAvFileSharePlayTimerCount(0);
    receive(controlMessage(Event::PlaybackFinished));
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 300);

    receive(controlMessage(Event::PlaybackPosition, {{"fileId", "other"}, {"duration", 12}}));
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 300);
    receive(controlMessage(Event::PlaybackPosition, {{"fileId", "f1"}, {"duration", 12}}));
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 12);
    page->sharing().state().avFileShareModel->fileType = QStringLiteral("2");
    receive(controlMessage(Event::PlaybackPosition, {{"fileId", "f1"}, {"duration", 40}}));
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 12);
}

TEST_F(AvFileShareTest, StartReport_OncePerShareBySharerOnly_AgainAfterAFailure)
{
    showFile(QStringLiteral("2"), true);
    av().avFileShareRecvStream(QStringLiteral("someone"));
    EXPECT_TRUE(services->requests.isEmpty());
    page->sharing().state().avFileSharePlaying = false;
    av().avFileShareRecvStream(QStringLiteral("me"));
    EXPECT_TRUE(services->requests.isEmpty());

    page->sharing().state().avFileSharePlaying = true;
    page->ui->avFileSharePlayButton->setState(1);
    av().avFileShareRecvStream(QStringLiteral("me"));
    av().avFileShareRecvStream(QStringLiteral("me"));
    EXPECT_EQ(page->ui->avFileSharePlayButton->state(), 0); // the stream flows: it plays
    ASSERT_EQ(services->requests.size(), 1);
    services->answer(500);
    av().avFileShareRecvStream(QStringLiteral("me"));
    ASSERT_EQ(services->requests.size(), 1);
    services->answer(0);
    av().avFileShareRecvStream(QStringLiteral("me"));
    EXPECT_TRUE(services->requests.isEmpty());
}

TEST_F(AvFileShareTest, Ring_TurnsOnlyForAnAudioOnlyFileStream)
{
    showFile(QStringLiteral("3"), true);
    auto audio = std::make_shared<MeetingActiveModel>(3, "p", "u", "P", false, nullptr, 0);
    audio->setCustomAudioFlag(true);
    page->setAvFileShareSourceModel(audio);
    av().startAVFileShareTimer();
    ASSERT_NE(av().animation(), nullptr);
    EXPECT_EQ(av().animation()->ringAnimationKeys(), QStringList{AudioRingAnimation::kRotationKey});
    EXPECT_EQ(av().animation()->waveAnimationKeys(), QStringList{AudioRingAnimation::kOpacityKey});
    av().pauseAVFileShareTimer();
    EXPECT_TRUE(av().animation()->ringAnimationKeys().isEmpty());
    av().resumeAVFileShareTimer();
    page->sharing().setAvFileSharePlayTimerCount(120);
    av().stopAVFileShareTimer(true); // kept, as on every member change
    EXPECT_FALSE(av().animation()->ringAnimationKeys().isEmpty());
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 120); // frames near 120 still count
    page->sharing().setFileShareMode(0);
    page->ui->avFileShareSliderBKView->show();
    av().stopAVFileShareTimer(false);
    EXPECT_TRUE(av().animation()->ringAnimationKeys().isEmpty());
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 0);

    auto *view = new KRTCVideoView(page->view());
    auto video = std::make_shared<MeetingActiveModel>(3, "p", "u", "P", false, view, 0);
    video->setCustomAudioFlag(true);
    page->setAvFileShareSourceModel(video);
    av().startAVFileShareTimer();
    EXPECT_TRUE(av().animation()->ringAnimationKeys().isEmpty());

    EXPECT_DOUBLE_EQ(AudioRingAnimation::waveOpacity(0), 1.0);
    EXPECT_DOUBLE_EQ(AudioRingAnimation::waveOpacity(1500), 0.5);
    EXPECT_DOUBLE_EQ(AudioRingAnimation::ringAngle(1000), 90.0);
}

TEST_F(AvFileShareTest, TheSharersOwnFileIsDrawnUnmirrored)
{
    showFile(QStringLiteral("2"), true);
    auto *view = new KRTCVideoView(page->view());
    view->setGeometry(0, 0, 64, 32);
    view->show();
    page->setAvFileShareSourceModel(std::make_shared<MeetingActiveModel>(3, "me", "u", "Me", true, view, 0));
    KRTCVideoFrame frame;
    frame.image = QImage(64, 32, QImage::Format_RGB32);
    frame.image.fill(Qt::blue);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            frame.image.setPixel(x, y, qRgb(255, 0, 0));
    FakeEngine::onForeignThread([&] { engine().emitRenderFrame(QStringLiteral("me"), frame, 3); });
    ASSERT_TRUE(view->hasFrame());
    EXPECT_EQ(view->grab().toImage().pixelColor(4, 16), QColor(Qt::red));
}

TEST_F(AvFileShareTest, Layout_TheFileIsNamedAtTheBarsStart_TheSliderStaysClearOfTheChatInput)
{
    showFile(QStringLiteral("2"), true);
    QWidget *window = page->view()->window();
    window->show();
    AutoLayout::layoutSubtreeIfNeeded(window);
    settle();
    const auto at = [window](QWidget *w) { return QRect(w->mapTo(window, QPoint(0, 0)), w->size()); };
    QLabel *name = page->ui->shareFileName;
    ASSERT_TRUE(name->isVisible());
    EXPECT_EQ(name->text(), QStringLiteral("<b>片</b>.mp4"));
    EXPECT_TRUE(at(page->sharing().document().documentBar()).contains(at(name)));
    EXPECT_EQ(at(name).left(), 16) << "after the hidden sharer's place";
    EXPECT_FALSE(at(page->ui->avFileShareSliderBKView).intersects(at(page->ui->IMChatTextView)));
}

// Keyboard alone and the accessibility bus: every control of the file's bar reached by Tab and
// named; Space plays or pauses, the arrow keys and the bus's value seek.
TEST_F(AvFileShareTest, Controls_ByKeyboardAndAccessibility)
{
    using namespace AccessibilityWalk;
    showFile(QStringLiteral("2"), true);
    QWidget *window = page->view()->window();
    window->show();
    AutoLayout::layoutSubtreeIfNeeded(window);
    settle();
    // The pointer away from the window hides the play button; the keyboard on the slider brings it back.
    activate(window);
    page->toolBar().mouseExited();
    ASSERT_TRUE(page->ui->avFileSharePlayButton->isHidden());
    page->ui->avFileShareSlider->setFocus();
    EXPECT_FALSE(page->ui->avFileSharePlayButton->isHidden());
    page->toolBar().mouseExited();
    EXPECT_FALSE(page->ui->avFileSharePlayButton->isHidden());

    page->ui->avFileSharePlayButton->setFocus();
    const Report report = walk(window);
    EXPECT_TRUE(report.faults.isEmpty()) << report.text();
    const QList<QWidget *> stops = tabStops();
    EXPECT_TRUE(stops.contains(page->ui->avFileShareSlider));

    // The button is named by what it does: playing, it pauses.
    EXPECT_EQ(nameOf(page->ui->avFileSharePlayButton), QStringLiteral("暂停"));
    page->ui->avFileSharePlayButton->setFocus();
    QTest::keyClick(page->ui->avFileSharePlayButton, Qt::Key_Space);
    ASSERT_EQ(services->requests.size(), 1);
    EXPECT_EQ(services->requests[0].type, 3);
    services->answer(0);
    EXPECT_EQ(nameOf(page->ui->avFileSharePlayButton), QStringLiteral("播放"));
    ASSERT_TRUE(press(page->ui->avFileSharePlayButton));
    ASSERT_EQ(services->requests.size(), 1);
    EXPECT_EQ(services->requests[0].type, 2);
    services->answer(0);

    MacSliderCell *slider = page->ui->avFileShareSlider;
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_End);
    ASSERT_EQ(services->requests.size(), 1);
    EXPECT_EQ(services->requests[0].type, 4);
    EXPECT_EQ(services->requests[0].seekPosition, 300);
    services->answer(0);
    QAccessibleValueInterface *value = QAccessible::queryAccessibleInterface(slider)->valueInterface();
    ASSERT_NE(value, nullptr);
    value->setCurrentValue(75);
    ASSERT_EQ(services->requests.size(), 1);
    EXPECT_EQ(services->requests[0].seekPosition, 75);
}

} // namespace
