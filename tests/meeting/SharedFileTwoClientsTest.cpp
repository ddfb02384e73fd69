// Two clients in one room, in two processes, against one stand-in: this process is client A
// (the host, who shares) and runs the stand-in; client B is this test program started again with
// only the peer case, pointed at A's stand-in. B prints what its window shows whenever it changes
// ("STATE ..." lines); A waits for the states a user of B would see.

#include "MeetingTestSupport.h"

#include "agent/engine/FakeEngine.h"
#include "foundation/JXExtension.h"
#include "foundation/RXEncrypt.h"
#include "meeting/sharing/FileShareDocument.h"
#include "meeting/sharing/FileSharePageView.h"
#include "meeting/sharing/MeetingSharing.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "uikit/AutoLayout.h"
#include "uikit/MacDisableScrollView.h"
#include "uikit/VeskButton.h"

#include "TestEvents.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScrollBar>

#include <cstdio>

namespace {

using namespace std::chrono_literals;

const QString kPeerPhone = QStringLiteral("13700000000");
const QString kPeerName = QStringLiteral("王五");
const QString kDocumentId = QStringLiteral("doc-e2e");

// ---- Client B --------------------------------------------------------------------------------------------

// What B's window shows of the share, as one line.
QString peerState(MeetingViewController *page)
{
    if (!page || !page->isViewLoaded())
        return {};
    MeetingSharing &sharing = page->sharing();
    const FileSharePageView *pages = sharing.document().pageView();
    const int height = pages ? pages->documentHeight() : 0;
    const double scale = height > 0 ? page->ui->fileShareScrollView->verticalScrollBar()->value() / double(height) : 0;
    const bool flips = !page->ui->leftFlipOverButton->isHidden() || !page->ui->rightFlipOverButton->isHidden();
    return QStringLiteral("STATE mode=%1 pages=%2 page=%3 scale=%4 flips=%5 toast=%6")
        .arg(sharing.state().fileShareMode)
        .arg(pages ? pages->pageCount() : 0)
        .arg(page->ui->currentPage->text())
        .arg(scale, 0, 'f', 2)
        .arg(flips ? 1 : 0)
        .arg(VeskToast::textOf(VeskToast::currentToast()));
}

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Runs only when client A starts it (KORVI_PEER_PORT names A's stand-in); real time, as a user's.
TEST(SharedFilePeer, FollowsWhatTheSharerDoes)
{
    const QByteArray port = qgetenv("KORVI_PEER_PORT");
    if (port.isEmpty())
        GTEST_SKIP() << "client B of the two-client test; started by it";
    FakeEngineScope engines;
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    pointAgentAtStandIn(agent, port.toUShort());
    VeskUserModel me;
    me.userId = kPeerPhone;
    me.phoneNumber = kPeerPhone;
    me.userName = kPeerName;
    me.authorization = QStringLiteral("token-") + kPeerPhone;
    agent->setMyInfo(me);
    agent->setMeetingManager(VeskMeetingManager::initManagerAndSdk());
    {
        QObject context;
        bool joined = false;
        agent->joinMeetingRoomWithRoomId(&context, kRoomId, QString(), 1, [&](const KVMResponse &r) {
            ASSERT_TRUE(r.successed) << r.code;
            agent->meetingManager()->joinRoomWith(r.data.value<std::shared_ptr<MeetingInfoModel>>());
            joined = true;
        });
        ASSERT_TRUE(processEventsUntil([&] { return joined; }));
        FakeNavigator navigator;
        QPointer<MeetingViewController> page = navigator.openMeetingPage(false);
        ASSERT_TRUE(
            processEventsUntil([&] { return agent->meetingManager()->state() == VeskMeetingManager::StateInRoom; }));
        say(QStringLiteral("READY"));
        QString last;
        bool shown = false;
        const bool done = processEventsUntil(
            [&] {
                const QString now = peerState(page);
                if (now != last)
                    say(last = now);
                shown = shown || (page && page->sharing().state().fileShareMode == 1);
                return shown && page && page->sharing().state().fileShareMode == 0 &&
                       VeskToast::currentToast() != nullptr;
            },
            60000);
        say(done ? QStringLiteral("DONE") : QStringLiteral("GAVE UP"));
        VeskToast::dismissToast();
    }
    VeskAppAgent::resetSharedInstance();
    processEventsFor(5);
}

// ---- Client A --------------------------------------------------------------------------------------------

class SharedFileTwoClientsTest : public MeetingTest {
protected:
    void TearDown() override
    {
        if (peer.state() != QProcess::NotRunning) {
            peer.kill();
            peer.waitForFinished(5000);
        }
        MeetingTest::TearDown();
    }

    void startPeer()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVI_PEER_PORT"), QString::number(service.port()));
        peer.setProcessEnvironment(env);
        peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&peer, &QProcess::readyReadStandardOutput, &context, [this] {
            while (peer.canReadLine()) {
                const QString line = QString::fromUtf8(peer.readLine()).trimmed();
                if (line.startsWith(QLatin1String("STATE")) || line == QLatin1String("READY") ||
                    line == QLatin1String("DONE") || line == QLatin1String("GAVE UP"))
                    lines << line;
            }
        });
        peer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=SharedFilePeer.*")});
    }
    // B reached a state whose line matches the pattern (a real-time bound, B runs on its own).
    bool peerShows(const QString &pattern)
    {
        const QRegularExpression re(pattern);
        return processEventsUntil(
            [&] {
                return std::any_of(lines.cbegin(), lines.cend(),
                                   [&](const QString &l) { return re.match(l).hasMatch(); });
            },
            30000);
    }
    [[nodiscard]] QString peerLast() const { return lines.isEmpty() ? QString() : lines.last(); }

    QProcess peer;
    QStringList lines;
};

TEST_F(SharedFileTwoClientsTest, ADocumentSharedByTheHostIsFollowedPageAndScrollByAMember)
{
    service.state().addUser(kPeerPhone, kPeerPhone, kPeerName, QStringLiteral("token-") + kPeerPhone);
    signIn(kHostPhone, QStringLiteral("主持人"));
    addRoom();
    DevFile file;
    file.fileId = kDocumentId;
    file.fileName = QStringLiteral("方案.pdf");
    file.roomId = kRoomId;
    file.extra = {{"pages", 6}, {"portrait", true}, {"status", 1}, {"owner", kHostPhone}};
    service.state().files.insert(file.fileId, file);
    MeetingViewController *page = openJoinedPage();
    ASSERT_NE(page, nullptr);

    startPeer();
    ASSERT_TRUE(processEventsUntil([&] { return lines.contains(QStringLiteral("READY")); }, 30000))
        << qPrintable(peerLast());
    ASSERT_TRUE(processEventsUntil([&] { return service.channelConnectionCount(kRoomId, kPeerPhone) > 0; }, 30000));

    // A shares the document as the share button and the picker do: the lock, the service, then
    // the window.
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    KVMResponse slices;
    bool answered = false;
    agent->getShareTokenWithRoomId(&context, kRoomId, kHostPhone, QStringLiteral("主持人"), [&](const KVMResponse &r) {
        EXPECT_TRUE(r.successed) << qPrintable(r.message);
        answered = true;
    });
    ASSERT_TRUE(processEventsUntil([&] { return answered; }));
    answered = false;
    agent->queryFileSliceUrl(&context, kDocumentId, kRoomId, [&](const KVMResponse &r) {
        slices = r;
        answered = true;
    });
    ASSERT_TRUE(processEventsUntil([&] { return answered; }));
    auto document = jx_objectWithKeyValues<FileShareDatailModel>(slices.data);
    ASSERT_EQ(document.sliceInfo.size(), 6);
    document.enableOperationFileStatus = 1;
    answered = false;
    agent->startOrStopFileShare(&context, true, RXEncrypt::aes128ecbEncrypt(kHostPhone), kDocumentId, document.fileName,
                                jx_JSONString(jx_keyValuesArrayWithObjectArray(document.sliceInfo)), "1", {},
                                [&](const KVMResponse &r) {
                                    EXPECT_TRUE(r.successed) << qPrintable(r.message);
                                    answered = true;
                                });
    ASSERT_TRUE(processEventsUntil([&] { return answered; }));
    page->sharing().startFileShareFromAction(document);
    page->sharing().queryFileShareList(3);
    AutoLayout::layoutSubtreeIfNeeded(page->view());

    // B shows the same pages, on the first, without flip buttons.
    ASSERT_TRUE(peerShows(QStringLiteral("mode=1 pages=6 page=1 .*flips=0"))) << qPrintable(peerLast());

    // Two quick flips: both go out before the first reply, and B ends on the page A shows.
    page->ui->rightFlipOverButton->click();
    page->ui->rightFlipOverButton->click();
    EXPECT_EQ(page->ui->currentPage->text(), "3");
    ASSERT_TRUE(peerShows(QStringLiteral("mode=1 pages=6 page=3 "))) << qPrintable(peerLast());

    // A scrolls a quarter down: B follows to the same scale, on the same page.
    clock.clock.advance(150ms);
    QScrollBar *bar = page->ui->fileShareScrollView->verticalScrollBar();
    ASSERT_TRUE(page->ui->fileShareScrollView->enableScroll());
    bar->setValue(page->sharing().document().pageView()->documentHeight() / 4);
    const QString quarter = QStringLiteral("page=%1 scale=0.25 ").arg(page->sharing().state().currentPageNum + 1);
    ASSERT_TRUE(peerShows(QStringLiteral("mode=1 pages=6 ") + quarter)) << qPrintable(peerLast());
    clock.clock.advance(250ms); // the final position after the scroll stops
    EXPECT_TRUE(processEventsUntil([&] { return requestCount(QStringLiteral("/qf/client/fileOp")) == 4; }));

    // A ends the share: B is back on the grid and told whose share ended.
    page->sharing().stopScreenShare(true);
    ASSERT_TRUE(peerShows(QStringLiteral("mode=0 .*toast=主持人的共享已结束$"))) << qPrintable(peerLast());
    ASSERT_TRUE(processEventsUntil([&] { return lines.contains(QStringLiteral("DONE")); }, 30000))
        << qPrintable(peerLast());
    ASSERT_TRUE(peer.waitForFinished(30000));
    EXPECT_EQ(peer.exitCode(), 0);
}

} // namespace
