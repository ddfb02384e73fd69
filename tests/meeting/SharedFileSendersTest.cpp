// Document and audio/video events reaching the host's window over the channel: one who neither
// shares the file nor was given rights changes nothing, the service, the sharer and those given
// rights do; a position whose id a JSON number cannot hold is refused, and following goes on.

#include "DispatchWindowSupport.h"

#include "foundation/RXEncrypt.h"
#include "meeting/sharing/FileShareDocument.h"
#include "meeting/sharing/FileSharePageView.h"
#include "meeting/sharing/MeetingSharing.h"

#include <optional>

namespace {

const QString kSharer = QStringLiteral("13700000001");
const QString kStranger = QStringLiteral("13700000002");
const QString kListed = QStringLiteral("13700000003");
const QString kDocumentId = QStringLiteral("doc-s");

class SharedFileSendersTest : public DispatchWindowTest {
protected:
    // The host's window, and a member who shares a four-page document at the service, letting one
    // other member operate it (rights 2).
    void joinWhileAMemberSharesADocument()
    {
        join(true, QStringLiteral("主持人"));
        DevRoom *room = service.state().room(kRoomId);
        for (const QString &phone : {kSharer, kStranger, kListed}) {
            service.state().addUser(phone, phone, QStringLiteral("成员") + phone.right(1),
                                    QStringLiteral("t-") + phone);
            room->members.append(DevMember{phone, QStringLiteral("成员") + phone.right(1), phone});
        }
        DevFile file;
        file.fileId = kDocumentId;
        file.fileName = QStringLiteral("方案.pdf");
        file.roomId = kRoomId;
        file.extra = {{"pages", 4}, {"portrait", true}, {"status", 1}, {"owner", kSharer}};
        service.state().files.insert(file.fileId, file);

        ASSERT_EQ(asSharer("GET", QStringLiteral("/qf/meeting/control/%1/getShareLock").arg(kRoomId), {}), 0);
        ASSERT_EQ(
            asSharer("POST", QStringLiteral("/qf/client/sharedFile"),
                     {{"roomId", kRoomId},
                      {"sharedFileStatus", 1},
                      {"sliceInfo", "[]"},
                      {"fileId", kDocumentId},
                      {"fileName", file.fileName},
                      {"uploadUserId", RXEncrypt::aes128ecbEncrypt(kSharer)},
                      {"enableOperationFileStatus", "2"},
                      {"enableUserList", QJsonArray{QJsonObject{{"userId", RXEncrypt::aes128ecbEncrypt(kListed)}}}}}),
            0);
        ASSERT_TRUE(processEventsUntil([&] {
            const FileSharePageView *pages = page->sharing().document().pageView();
            return page->sharing().state().fileShareMode == 1 && pages && pages->pageCount() == 4;
        }));
        settle();
    }

    qint64 asSharer(const char *method, const QString &path, const QJsonObject &body)
    {
        const QVariantMap headers{{"Authorization", QStringLiteral("t-") + kSharer},
                                  {"sequenceId", service.state().room(kRoomId)->sequenceId}};
        std::optional<KVMResponse> reply;
        HttpManager *http = VeskAppAgent::sharedInstance()->http();
        const auto done = [&](const KVMResponse &r) { reply = r; };
        if (QByteArray(method) == "GET")
            http->GET(&context, path, {}, headers, done);
        else
            http->POST(&context, path, body, headers, done);
        EXPECT_TRUE(processEventsUntil([&] { return reply.has_value(); }));
        return reply.value_or(KVMResponse()).code;
    }

    // A command as the channel delivers it from sender; data is JSON text, sent as written. Waits
    // until the window has taken it.
    void fromChannel(const QString &sender, int event, const QString &data)
    {
        const qint64 id = ++m_msgId;
        service.sendChannelMessage(
            kRoomId, kHostPhone,
            {{"type", 1},
             {"msgId", id},
             {"sender", sender},
             {"senderName", QStringLiteral("成员")},
             {"data", QJsonArray{QStringLiteral("{\"event\":%1,\"data\":%2}").arg(event).arg(data)}}});
        ASSERT_TRUE(processEventsUntil([&] { return service.channelAcks().contains(id); }));
        settle();
    }
    static QString position(const QString &sequenceId, int page)
    {
        return QStringLiteral("{\"flipOverType\":0,\"fileId\":\"%1\",\"sliceId\":\"%1-%2\",\"sequenceId\":%3}")
            .arg(kDocumentId)
            .arg(page)
            .arg(sequenceId);
    }
    [[nodiscard]] int shownPage() const { return page->sharing().state().currentPageNum + 1; }

    qint64 m_msgId = 100000;
};

TEST_F(SharedFileSendersTest, AMembersForgedDocumentEventsChangeNothing_TheSharersAndTheListedDo)
{
    joinWhileAMemberSharesADocument();
    ASSERT_EQ(shownPage(), 1);
    const QString stranger = kStranger;

    // One who neither shares nor was listed: no page, no end, no other share, no file.
    fromChannel(stranger, 903, position(QStringLiteral("5"), 3));
    fromChannel(stranger, 901, QStringLiteral("{\"sharedFileStatus\":0,\"fileId\":\"%1\"}").arg(kDocumentId));
    fromChannel(stranger, 901, QStringLiteral("{\"sharedFileStatus\":1,\"fileId\":\"other\",\"sliceCount\":0}"));
    fromChannel(stranger, 902, QStringLiteral("{\"fileId\":\"other\"}"));
    fromChannel(stranger, 707,
                QStringLiteral("{\"fileId\":\"f\",\"fileName\":\"a.mp4\",\"fileType\":2,\"duration\":30}"));
    EXPECT_EQ(page->sharing().state().fileShareMode, 1);
    EXPECT_EQ(page->sharing().state().fileShareDatailModel->fileId, kDocumentId);
    EXPECT_EQ(page->sharing().document().pageView()->pageCount(), 4);
    EXPECT_EQ(shownPage(), 1);
    EXPECT_EQ(page->sharing().state().fileShareFlipOverReceiveSequenceId, 0u);

    // Not even the sharer moves it with an id beyond what the service can carry back.
    fromChannel(kSharer, 903, position(QStringLiteral("18446744073709551615"), 3));
    EXPECT_EQ(shownPage(), 1);
    EXPECT_EQ(page->sharing().state().fileShareFlipOverReceiveSequenceId, 0u);

    // The sharer, one listed, and the service move it.
    fromChannel(kSharer, 903, position(QStringLiteral("1"), 3));
    EXPECT_EQ(shownPage(), 3);
    fromChannel(RXEncrypt::aes128ecbEncrypt(kListed), 903, position(QStringLiteral("2"), 2));
    EXPECT_EQ(shownPage(), 2);
    fromChannel(QStringLiteral("mccServer"), 903, position(QStringLiteral("3"), 4));
    EXPECT_EQ(shownPage(), 4);
    EXPECT_EQ(page->sharing().state().fileShareFlipOverReceiveSequenceId, 3u);

    // The sharer ends it.
    fromChannel(kSharer, 901, QStringLiteral("{\"sharedFileStatus\":0,\"fileId\":\"%1\"}").arg(kDocumentId));
    EXPECT_EQ(page->sharing().state().fileShareMode, 0);
}

TEST_F(SharedFileSendersTest, AMemberCannotStopOrSteerAnotherMembersFile)
{
    joinWhileAMemberSharesADocument();
    // The document ends at the service; the sharer plays a video file with default rights.
    ASSERT_EQ(asSharer("POST", QStringLiteral("/qf/client/sharedFile"),
                       {{"roomId", kRoomId},
                        {"sharedFileStatus", 0},
                        {"sliceInfo", ""},
                        {"fileId", kDocumentId},
                        {"fileName", "方案.pdf"},
                        {"uploadUserId", RXEncrypt::aes128ecbEncrypt(kSharer)}}),
              0);
    ASSERT_EQ(asSharer("POST", QStringLiteral("/qf/client/audVidShare"),
                       {{"roomId", kRoomId},
                        {"type", 1},
                        {"fileType", 2},
                        {"token", "t"},
                        {"fileId", "v1"},
                        {"fileName", "片.mp4"},
                        {"duration", 600},
                        {"uploadUserId", RXEncrypt::aes128ecbEncrypt(kSharer)},
                        {"enableOperationFileStatus", "1"}}),
              0);
    ASSERT_TRUE(processEventsUntil([&] { return page->sharing().state().fileShareMode == 2; }));
    receive(controlMessage(Event::PlaybackSought, {{"seekPosition", 60000}}, {}, QStringLiteral("mccServer"), {}));
    ASSERT_EQ(page->sharing().avFileSharePlayTimerCount(), 60);

    for (const int event : {701, 702, 703, 705, 706, 709})
        fromChannel(kStranger, event, QStringLiteral("{\"fileId\":\"v1\"}"));
    fromChannel(kStranger, 704, QStringLiteral("{\"fileId\":\"v1\",\"seekPosition\":500000}"));
    fromChannel(kStranger, 914,
                QStringLiteral("{\"fileId\":\"v1\",\"enableOperationFileStatus\":2,"
                               "\"enableUserList\":[{\"userId\":\"%1\"}]}")
                    .arg(RXEncrypt::aes128ecbEncrypt(kStranger)));
    EXPECT_EQ(page->sharing().state().fileShareMode, 2);
    EXPECT_TRUE(page->sharing().state().avFileSharePlaying);
    EXPECT_EQ(page->sharing().avFileSharePlayTimerCount(), 60);
    EXPECT_EQ(page->sharing().state().avFileShareModel->enableOperationFileStatus, 1);

    // The sharer pauses it.
    fromChannel(RXEncrypt::aes128ecbEncrypt(kSharer), 703, QStringLiteral("{\"fileId\":\"v1\"}"));
    EXPECT_FALSE(page->sharing().state().avFileSharePlaying);
}

// The user shares files another member uploaded (their rows name the uploader): he is their
// sharer. The uploader's events change nothing; the user's own, from another of his clients, do.
TEST_F(SharedFileSendersTest, SharingAnotherMembersUpload_TheUploaderSteersNothing_TheUsersOwnEventsDo)
{
    join(true, QStringLiteral("主持人"));
    DevRoom *room = service.state().room(kRoomId);
    service.state().addUser(kSharer, kSharer, QStringLiteral("成员1"), QStringLiteral("t-") + kSharer);
    room->members.append(DevMember{kSharer, QStringLiteral("成员1"), kSharer});
    const QString uploader = RXEncrypt::aes128ecbEncrypt(kSharer);
    const QString me = RXEncrypt::aes128ecbEncrypt(kHostPhone);

    FileShareDatailModel document;
    document.fileId = kDocumentId;
    document.fileName = QStringLiteral("方案.pdf");
    document.userId = uploader;
    document.userName = QStringLiteral("成员1");
    document.enableOperationFileStatus = FileShareRights::HostsAndSharer;
    for (int i = 1; i <= 4; ++i) {
        FileSliceModel slice;
        slice.sliceId = QStringLiteral("%1-%2").arg(kDocumentId).arg(i);
        slice.picWidth = 720;
        slice.picHeight = 1280;
        document.sliceInfo << slice;
    }
    page->sharing().startFileShareFromAction(document);
    settle();
    ASSERT_EQ(page->sharing().state().fileShareMode, 1);
    fromChannel(uploader, 903, position(QStringLiteral("5"), 3));
    fromChannel(uploader, 901, QStringLiteral("{\"sharedFileStatus\":0,\"fileId\":\"%1\"}").arg(kDocumentId));
    EXPECT_EQ(page->sharing().state().fileShareMode, 1);
    EXPECT_EQ(shownPage(), 1);
    fromChannel(me, 903, position(QStringLiteral("6"), 3));
    EXPECT_EQ(shownPage(), 3);
    fromChannel(me, 901, QStringLiteral("{\"sharedFileStatus\":0,\"fileId\":\"%1\"}").arg(kDocumentId));
    EXPECT_EQ(page->sharing().state().fileShareMode, 0);

    FileShareModel file;
    file.fileId = QStringLiteral("v1");
    file.fileName = QStringLiteral("片.mp4");
    file.fileType = FileShareType::Video;
    file.duration = 600;
    file.userId = uploader;
    file.userName = QStringLiteral("成员1");
    file.enableOperationFileStatus = FileShareRights::HostsAndSharer;
    page->sharing().avFileShare().startOwn(file);
    settle();
    ASSERT_EQ(page->sharing().state().fileShareMode, 2);
    ASSERT_TRUE(page->sharing().state().avFileSharePlaying);
    for (const int event : {703, 705, 706})
        fromChannel(uploader, event, QStringLiteral("{\"fileId\":\"v1\"}"));
    EXPECT_EQ(page->sharing().state().fileShareMode, 2);
    EXPECT_TRUE(page->sharing().state().avFileSharePlaying);
    fromChannel(me, 703, QStringLiteral("{\"fileId\":\"v1\"}"));
    EXPECT_FALSE(page->sharing().state().avFileSharePlaying);
}

} // namespace
