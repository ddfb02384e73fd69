// The applications panel against a fake meeting: layouts by role, the transcription gate, the
// host's record switches, the sub-panels, audio-only, and the tiles the window turns on and off.

#include "meeting/panels/ApplicationView.h"
#include "devservice/DevServiceTestUtil.h"
#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/ApplicationServices.h"
#include "meeting/panels/MeetingRecordSwitchView.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskToast.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class FakeMeeting final : public ApplicationServices {
public:
    struct Request {
        bool record;
        bool viewing;
        std::function<void(bool)> done;
    };

    [[nodiscard]] bool isPrivileged() const override { return privileged; }
    [[nodiscard]] int openTranslateText() const override { return record; }
    [[nodiscard]] int roomTranscribeStatus() const override { return viewing; }
    void setOpenTranslateText(int value) override { record = value; }
    void setRoomTranscribeStatus(int value) override { viewing = value; }
    void useOnlyAudioMode(bool on) override { audioOnly.append(on); }
    [[nodiscard]] bool isOnlyAudioAllowScreenShare() const override { return keepShares; }
    void setIsOnlyAudioAllowScreenShare(bool on) override { keepShares = on; }
    void hostHandleOpenTranscribe(QObject *, bool r, bool v, std::function<void(bool)> done) override
    {
        requests.append({r, v, std::move(done)});
    }

    bool privileged = false;
    int record = 0;
    int viewing = 0;
    bool keepShares = false;
    QList<bool> audioOnly;
    QList<Request> requests;
};

class ApplicationViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(800, 600);
        button = new QWidget(&window);
        button->setGeometry(380, 560, 40, 40);
        panel = new ApplicationView(&window);
        panel->setServices(meeting);
        panel->countDownActionBlock = [this](bool on) { countDown << on; };
        panel->transcriptionActionBlock = [this](bool on) { transcription << on; };
        window.show();
        panel->show();
    }
    void TearDown() override { VeskToast::dismissToast(); }

    void layout()
    {
        panel->layoutSelfWithView(button);
        settle(0ms);
    }
    void settle(std::chrono::milliseconds by)
    {
        clock.clock.advance(by);
        processEventsFor(3);
    }
    [[nodiscard]] QWidget *recordView() const { return panel->allowMeetingRecordView(); }
    static QString toast() { return VeskToast::textOf(VeskToast::currentToast()); }
    static int centreX(const QWidget *w) { return w->geometry().center().x(); }

    VirtualClockScope clock;
    QWidget window;
    QWidget *button = nullptr;
    ApplicationView *panel = nullptr;
    std::shared_ptr<FakeMeeting> meeting = std::make_shared<FakeMeeting>();
    QList<bool> countDown;
    QList<bool> transcription;
};

TEST_F(ApplicationViewTest, MemberAndHostLayouts)
{
    layout();
    EXPECT_FALSE(panel->isHostLayout());
    EXPECT_EQ(panel->size(), QSize(143, 60));
    EXPECT_EQ(panel->geometry().bottom() + 1, 600 - 70);
    EXPECT_NEAR(centreX(panel), centreX(button), 1);
    EXPECT_FALSE(panel->bkView1->isVisible());
    EXPECT_FALSE(panel->rightMoreButton->isVisible());
    EXPECT_EQ(panel->bkView3->x() - (panel->bkview2->x() + panel->bkview2->width()), 14);

    // Made assistant host while it is open: laid out again for the host.
    meeting->privileged = true;
    layout();
    EXPECT_EQ(panel->size(), QSize(220, 60));
    EXPECT_NEAR(centreX(panel), centreX(button) + 30, 1);
    EXPECT_TRUE(panel->bkView1->isVisible());
    EXPECT_TRUE(panel->rightMoreButton->isVisible());
    EXPECT_EQ(panel->bkview2->x(), 64);
    EXPECT_EQ(panel->bkView3->x() - (panel->bkview2->x() + panel->bkview2->width()), 30);
    // The record switches sit 6 above the panel, on its left edge, short while the record is off.
    EXPECT_EQ(recordView()->parentWidget(), &window);
    EXPECT_EQ(recordView()->geometry(), QRect(panel->x(), panel->y() - 6 - 35, 218, 35));
    EXPECT_EQ(panel->allowScreenShareView()->geometry(),
              QRect(panel->x() + panel->bkView3->x(), panel->y() - 6 - 44, 150, 44));
}

TEST_F(ApplicationViewTest, TranscriptionTile_RefusedWhileRecordOrViewingIsOffAndLeftAsItWas)
{
    layout();
    panel->transcriptionButton->click();
    EXPECT_EQ(toast(), QStringLiteral("主持人已关闭会议记录"));
    EXPECT_EQ(panel->transcriptionButton->state(), 0);
    meeting->record = 1;
    panel->transcriptionButton->click();
    EXPECT_EQ(toast(), QStringLiteral("主持人已关闭实时转录"));
    EXPECT_EQ(panel->transcriptionButton->state(), 0);
    EXPECT_EQ(panel->imageNameOf(ApplicationView::TranscriptionTile), QStringLiteral("transcribe"));
    EXPECT_TRUE(transcription.isEmpty());

    meeting->viewing = 1;
    panel->transcriptionButton->click();
    EXPECT_EQ(transcription, QList<bool>{true});
    EXPECT_EQ(panel->imageNameOf(ApplicationView::TranscriptionTile), QStringLiteral("transcribe_on"));

    // The transcript closed elsewhere: the tile goes off.
    NotificationCenter::defaultCenter().post(QStringLiteral("TranscriptionViewHidden"));
    EXPECT_EQ(panel->transcriptionButton->state(), 0);
    EXPECT_EQ(panel->imageNameOf(ApplicationView::TranscriptionTile), QStringLiteral("transcribe"));
}

TEST_F(ApplicationViewTest, RecordSwitches_SendBothBoxesAndFlipBackOnFailure)
{
    meeting->privileged = true;
    meeting->viewing = 1;
    layout();
    panel->rightMoreButton->click();
    ASSERT_TRUE(recordView()->isVisible());
    auto *switches = panel->allowMeetingRecordView();
    settle(0ms);
    EXPECT_EQ(switches->openTranscribeCheckBtn->state(), 0);
    EXPECT_EQ(switches->allowMemberViewRecordBtn->state(), 1);

    switches->openTranscribeCheckBtn->click();
    ASSERT_EQ(meeting->requests.size(), 1);
    EXPECT_TRUE(meeting->requests[0].record);
    EXPECT_TRUE(meeting->requests[0].viewing);
    meeting->requests[0].done(true);
    settle(0ms);
    EXPECT_EQ(toast(), QStringLiteral("你已打开会议记录"));
    EXPECT_EQ(meeting->record, 1);
    EXPECT_EQ(switches->height(), 60);

    switches->allowMemberViewRecordBtn->click();
    ASSERT_EQ(meeting->requests.size(), 2);
    EXPECT_TRUE(meeting->requests[1].record);
    EXPECT_FALSE(meeting->requests[1].viewing);
    meeting->requests[1].done(true);
    EXPECT_EQ(toast(), QStringLiteral("你已关闭转录\n关闭后全员不可见"));
    EXPECT_EQ(meeting->viewing, 0);

    // A failed request puts the box back and says nothing.
    VeskToast::dismissToast();
    switches->allowMemberViewRecordBtn->click();
    meeting->requests[2].done(false);
    EXPECT_EQ(switches->allowMemberViewRecordBtn->state(), 0);
    EXPECT_EQ(meeting->viewing, 0);
    EXPECT_EQ(toast(), QString());

    switches->openTranscribeCheckBtn->click();
    meeting->requests[3].done(true);
    settle(0ms);
    EXPECT_EQ(toast(), QStringLiteral("你已关闭会议记录"));
    EXPECT_EQ(meeting->record, 0);
    EXPECT_EQ(switches->height(), 35);
}

TEST_F(ApplicationViewTest, SubPanels_OneAtATimeAndOpenAgain50msAfterTheNextLayout)
{
    meeting->privileged = true;
    layout();
    settle(50ms);
    panel->rightMoreButton->click();
    EXPECT_TRUE(recordView()->isVisible());
    panel->allowScreenShareButton->click();
    EXPECT_TRUE(panel->allowScreenShareView()->isVisible());
    EXPECT_FALSE(recordView()->isVisible());
    EXPECT_EQ(panel->rightMoreButton->state(), 0);
    panel->rightMoreButton->click();
    EXPECT_FALSE(panel->allowScreenShareView()->isVisible());
    EXPECT_EQ(panel->allowScreenShareButton->state(), 0);

    // Closed and opened again: the open one comes back 0.05 s after the layout.
    panel->removeFromSuperview();
    EXPECT_FALSE(recordView()->isVisible());
    EXPECT_EQ(panel->rightMoreButton->state(), 1);
    panel->setParent(&window);
    panel->show();
    layout();
    settle(49ms);
    EXPECT_FALSE(recordView()->isVisible());
    settle(1ms);
    EXPECT_TRUE(recordView()->isVisible());
    EXPECT_FALSE(panel->allowScreenShareView()->isVisible());
}

TEST_F(ApplicationViewTest, AudioOnlyAndTilesTheWindowSwitches)
{
    layout();
    panel->onlyAudioButton->click();
    EXPECT_EQ(meeting->audioOnly, QList<bool>{true});
    EXPECT_EQ(panel->imageNameOf(ApplicationView::OnlyAudioTile), QStringLiteral("headset_blue"));
    // Keeping screen shares is the manager's own flag: nothing is sent.
    settle(50ms);
    panel->allowScreenShareButton->click();
    auto *keep = panel->allowScreenShareCheckBtn.data();
    ASSERT_NE(keep, nullptr);
    keep->click();
    EXPECT_TRUE(meeting->keepShares);
    EXPECT_TRUE(meeting->requests.isEmpty());

    panel->applicationStateSettingAction(ApplicationView::CountDownTile);
    EXPECT_TRUE(panel->countDownShow());
    EXPECT_EQ(countDown, QList<bool>{true});
    EXPECT_EQ(panel->imageNameOf(ApplicationView::CountDownTile), QStringLiteral("countdown_on"));
    panel->applicationStateSettingAction(ApplicationView::TranscriptionTile); // not one the window turns on
    EXPECT_EQ(panel->transcriptionButton->state(), 0);

    for (int tile : {0, 1, 2})
        panel->applicationStateRecover(tile);
    EXPECT_FALSE(panel->countDownShow());
    EXPECT_EQ(panel->onlyAudioButton->state(), 0);
    EXPECT_EQ(panel->imageNameOf(ApplicationView::CountDownTile), QStringLiteral("countdown_nor"));
    EXPECT_EQ(panel->imageNameOf(ApplicationView::OnlyAudioTile), QStringLiteral("headset"));
    EXPECT_EQ(meeting->audioOnly, QList<bool>{true}) << "recovering only changes the tile";

    panel->applicationStateSettingAction(ApplicationView::OnlyAudioTile);
    EXPECT_EQ(meeting->audioOnly, (QList<bool>{true, true}));
    panel->resetCountDownUIState(1);
    EXPECT_TRUE(panel->countDownShow());
    EXPECT_EQ(countDown, QList<bool>{true}) << "a reset runs no action";
}

} // namespace
