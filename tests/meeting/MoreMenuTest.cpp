// The share tool bar's more menu: its exclusive items against a fake meeting, and in the joined
// meeting window the panels its items open and close under it.

#include "DispatchWindowSupport.h"

#include "devservice/DevServiceTestUtil.h"
#include "meeting/panels/ApplicationServices.h"
#include "meeting/panels/ChatPanel.h"
#include "meeting/panels/FloatingIMView.h"
#include "meeting/panels/HostCountDownView.h"
#include "meeting/panels/IMDisplayView.h"
#include "meeting/panels/MeetingRecordSwitchView.h"
#include "meeting/panels/MoreItemView.h"
#include "meeting/panels/TranscriptionViewController.h"
#include "meeting/sharing/MeetingSharing.h"
#include "meeting/window/MeetingCountDowns.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskToast.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>

namespace {

class FakeMeeting final : public ApplicationServices {
public:
    [[nodiscard]] bool isPrivileged() const override { return true; }
    [[nodiscard]] int openTranslateText() const override { return 1; }
    [[nodiscard]] int roomTranscribeStatus() const override { return viewing; }
    void setOpenTranslateText(int) override {}
    void setRoomTranscribeStatus(int value) override { viewing = value; }
    void useOnlyAudioMode(bool) override {}
    [[nodiscard]] bool isOnlyAudioAllowScreenShare() const override { return false; }
    void setIsOnlyAudioAllowScreenShare(bool) override {}
    void hostHandleOpenTranscribe(QObject *, bool, bool, std::function<void(bool)>) override {}

    int viewing = 1;
};

class MoreItemViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        menu.setServices(meeting);
        const std::pair<std::function<void(VeskButton *)> *, QString> blocks[] = {
            {&menu.settingBlock, QStringLiteral("setting")},
            {&menu.countDownBlock, QStringLiteral("countDown")},
            {&menu.messageBlock, QStringLiteral("message")},
            {&menu.transcriptionBlock, QStringLiteral("transcription")},
            {&menu.transcriptionSettingBlock, QStringLiteral("record")}};
        for (const auto &[block, name] : blocks)
            *block = [this, name = name](VeskButton *b) { calls << QStringLiteral("%1 %2").arg(name).arg(b->state()); };
        menu.show();
    }
    void TearDown() override { VeskToast::dismissToast(); }

    [[nodiscard]] QList<int> states() const
    {
        QList<int> out;
        for (int i = 0; i < MoreItemView::ItemCount; ++i)
            out << int(menu.buttonOf(MoreItemView::Item(i))->state());
        return out;
    }
    // Every call so far, then forgotten.
    QStringList take() { return std::exchange(calls, {}); }

    VirtualClockScope clock;
    std::shared_ptr<FakeMeeting> meeting = std::make_shared<FakeMeeting>();
    MoreItemView menu;
    QStringList calls;
};

TEST_F(MoreItemViewTest, OneItemOnAtATime_TheOpenPanelClosesFirst_AgainClosesIt_ResetClosesOnlyWhatWasOpen)
{
    menu.countDownBtn->click();
    EXPECT_EQ(take(), QStringList{"countDown 1"});
    EXPECT_EQ(menu.imageNameOf(MoreItemView::CountDownItem), QStringLiteral("countdown_on"));
    EXPECT_TRUE(menu.countDownLabel->styleSheet().contains(QStringLiteral("#007AFF")));

    // By its accessibility action, as a click.
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(menu.messageBtn);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("聊天"));
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(take(), (QStringList{"countDown 0", "message 1"}));
    EXPECT_EQ(states(), (QList<int>{0, 0, 1, 0, 0}));
    EXPECT_EQ(menu.imageNameOf(MoreItemView::CountDownItem), QStringLiteral("countdown_nor"));
    EXPECT_TRUE(menu.countDownLabel->styleSheet().contains(QStringLiteral("white")));
    EXPECT_EQ(menu.imageNameOf(MoreItemView::MessageItem), QStringLiteral("chat_on"));

    menu.messageBtn->click();
    EXPECT_EQ(take(), QStringList{"message 0"});
    EXPECT_EQ(states(), (QList<int>{0, 0, 0, 0, 0}));

    menu.transcriptionSettingBtn->click();
    menu.settingBtn->click();
    EXPECT_EQ(take(), (QStringList{"record 1", "record 0", "setting 1"}));
    menu.resetItem(nullptr);
    EXPECT_EQ(take(), QStringList{"setting 0"});
    EXPECT_EQ(states(), (QList<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(menu.imageNameOf(MoreItemView::SettingItem), QStringLiteral("setting"));
}

TEST_F(MoreItemViewTest, RefusedTranscriptionToastsAndGoesBackOff_ClosingIsNeverRefused)
{
    meeting->viewing = 0;
    menu.transcriptionBtn->click();
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentToast()), QStringLiteral("主持人已关闭实时转录"));
    EXPECT_TRUE(take().isEmpty());
    EXPECT_EQ(menu.transcriptionBtn->state(), 0);
    EXPECT_EQ(menu.imageNameOf(MoreItemView::TranscriptionItem), QStringLiteral("transcribe"));

    meeting->viewing = 1;
    menu.transcriptionBtn->click();
    EXPECT_EQ(take(), QStringList{"transcription 1"});
    EXPECT_EQ(menu.imageNameOf(MoreItemView::TranscriptionItem), QStringLiteral("transcribe_on"));

    // Turned off by the host while open: the window still closes.
    meeting->viewing = 0;
    VeskToast::dismissToast();
    menu.transcriptionBtn->click();
    EXPECT_EQ(take(), QStringList{"transcription 0"});
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
}

using MoreMenuWindowTest = DispatchWindowTest;

TEST_F(MoreMenuWindowTest, ItemsOpenTheirPanelsUnderTheMenuAndCloseTheirWindows)
{
    join(true);
    room()->openTranslateText = 1;
    room()->roomTranscribeStatus = 1;
    MoreItemView *menu = page->moreItemView();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(page->moreItemView(), menu);
    EXPECT_EQ(page->sharing().state().moreItemViewStorage, menu);
    menu->setGeometry(300, 100, MoreItemView::kWidth, MoreItemView::kHeight);
    menu->show();
    const int menuBottom = menu->mapToGlobal(QPoint(0, menu->height())).y();
    const auto floatingOf = [](QWidget *view) { return QPointer<KVWindow>(qobject_cast<KVWindow *>(view->window())); };

    menu->countDownBtn->click();
    HostCountDownView *setter = page->countDowns().hostCountDownView();
    QPointer<KVWindow> floating = floatingOf(setter);
    ASSERT_FALSE(floating.isNull());
    EXPECT_EQ(floating->identifier(), QStringLiteral("showFloatingWindowAtView"));
    EXPECT_EQ(floating->size(), QSize(278, 203));
    EXPECT_EQ(floating->geometry().top(), menuBottom + 8);

    // Chat closes the count-down's window first; the setter is kept for the next time.
    menu->messageBtn->click();
    processEventsFor(5);
    EXPECT_TRUE(floating.isNull());
    EXPECT_EQ(page->countDowns().hostCountDownView(), setter);
    EXPECT_EQ(setter->parentWidget(), nullptr);
    ChatPanel &chat = page->panels().panel<ChatPanel>();
    FloatingIMView *im = chat.existingFloatingIMView();
    ASSERT_NE(im, nullptr);
    floating = floatingOf(im);
    ASSERT_FALSE(floating.isNull());
    EXPECT_EQ(floating->size(), QSize(414, 520));
    EXPECT_TRUE(im->isAncestorOf(page->floatingIMDisplayView()));

    // The record switches: as high as the room's record shows, again after a change.
    menu->transcriptionSettingBtn->click();
    processEventsFor(5);
    EXPECT_TRUE(floating.isNull());
    EXPECT_EQ(chat.existingFloatingIMView(), nullptr);
    MeetingRecordSwitchView *record = page->allowMeetingRecordView();
    floating = floatingOf(record);
    ASSERT_FALSE(floating.isNull());
    EXPECT_EQ(floating->size(), QSize(218, 60));
    room()->openTranslateText = 0;
    page->refreshAllowMeetingRecordView();
    processEventsFor(5);
    EXPECT_TRUE(floating.isNull());
    floating = floatingOf(record);
    ASSERT_FALSE(floating.isNull());
    EXPECT_EQ(floating->size(), QSize(218, 35));

    // The menu closed from the tool bar: nothing stays open, and a late reply opens nothing.
    page->resetItem(nullptr);
    processEventsFor(5);
    EXPECT_TRUE(floating.isNull());
    EXPECT_EQ(record->parentWidget(), nullptr);
    page->refreshAllowMeetingRecordView();
    EXPECT_EQ(record->parentWidget(), nullptr);
    for (int i = 0; i < MoreItemView::ItemCount; ++i)
        EXPECT_EQ(menu->buttonOf(MoreItemView::Item(i))->state(), 0);
}

TEST_F(MoreMenuWindowTest, PanelsClosedByThemselvesTurnTheirItemOff_ASetterInTheMeetingWindowStays)
{
    join(true);
    room()->roomTranscribeStatus = 1;
    MoreItemView *menu = page->moreItemView();
    menu->show();

    menu->messageBtn->click();
    FloatingIMView *im = page->panels().panel<ChatPanel>().existingFloatingIMView();
    ASSERT_NE(im, nullptr);
    im->closeBlock();
    EXPECT_EQ(menu->messageBtn->state(), 0);

    menu->transcriptionBtn->click();
    ASSERT_TRUE(page->transcriptionWindow()->window()->isVisible());
    page->transcriptionView()->closeButton()->click();
    EXPECT_EQ(menu->transcriptionBtn->state(), 0);
    EXPECT_FALSE(page->transcriptionWindow()->window()->isVisible());

    // The setter the applications panel put into the meeting window is not the menu's to close.
    HostCountDownView *setter = page->countDowns().hostCountDownView();
    setter->setParent(page->view());
    menu->countDownBtn->setState(1);
    menu->resetItem(nullptr);
    EXPECT_EQ(setter->parentWidget(), page->view());
    EXPECT_TRUE(page->view()->window()->isVisible());
}

} // namespace
