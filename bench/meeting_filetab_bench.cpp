// Cost of the share picker's file tab for N files, as the user meets it: the picker opened on its
// file tab with the list's reply of N files, laid out and drawn, then closed; and a poll whose reply
// changes one file's state, shown. Row widgets exist only for the rows in view and a poll binds only
// the row that changed, so both grow with the list's data alone: the *Growth figures time 160 and
// 1,600 files in turn, round by round, and the median ratio must stay at most 11 (10x the files).
// Accessibility is on throughout, as with a screen reader: every widget then answers the bus.

#include "BenchProcess.h"

#include "meeting/sharing/FileShareCollectionViewItem.h"
#include "meeting/sharing/ShareFileServices.h"
#include "meeting/sharing/ShareSelectPanel.h"

#include <QAccessible>
#include <QApplication>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

QVariantMap reply(int n, int variant)
{
    QVariantList files;
    files.reserve(n);
    for (int i = 0; i < n; ++i)
        files << QVariantMap{{QStringLiteral("fileId"), QStringLiteral("file-%1").arg(i)},
                             {QStringLiteral("fileName"), QStringLiteral("文档%1.pdf").arg(i)},
                             {QStringLiteral("fileType"), QStringLiteral("1")},
                             {QStringLiteral("fileSize"), QStringLiteral("120KB")},
                             {QStringLiteral("userId"), QStringLiteral("u%1").arg(i % 7)},
                             {QStringLiteral("userName"), QStringLiteral("成员%1").arg(i % 7)},
                             {QStringLiteral("createTime"), QStringLiteral("2026-12-07 10:00:00")},
                             // The second file, in view, changes state between the two replies.
                             {QStringLiteral("status"), i == 1 ? 1 + 2 * variant : 1}};
    const QVariantList types{QVariantMap{{"classify", "document"}, {"type", "pdf,doc,docx,ppt,pptx"}},
                             QVariantMap{{"classify", "video"}, {"type", "mp4,mov"}},
                             QVariantMap{{"classify", "audio"}, {"type", "mp3,wav"}}};
    return {{QStringLiteral("files"), files}, {QStringLiteral("fileTypes"), types}};
}

// A room whose file service answers the list at once with the reply it is given.
class Room final : public ShareFileServices {
public:
    QVariantMap listReply;

    void queryFileList(QObject *, const QString &, Completion completion) override
    {
        KVMResponse r;
        r.code = 0;
        r.successed = true;
        r.data = listReply;
        completion(r);
    }
    void deleteFiles(QObject *, const QStringList &, const QString &, const QString &, Completion) override {}
    void queryFileSliceUrl(QObject *, const QString &, const QString &, Completion) override {}
    void queryFileShareOPPermission(QObject *, const QString &, const QString &, const QString &, Completion) override
    {
    }
    void startOrStopFileShare(QObject *, bool, const QString &, const QString &, const QString &, const QString &,
                              const QString &, const QVariantList &, Completion) override
    {
    }
    void startOrStopAVFileShare(QObject *, qint64, const QString &, const QString &, qint64, const QString &, qint64,
                                const QString &, const QVariantList &, Completion) override
    {
    }
    void prepareUploadFileWithfileURL(QObject *, const QList<std::shared_ptr<KVFileSnapshot>> &, const QStringList &,
                                      const QString &, Completion) override
    {
    }
    void uploadFileWithfileURL(QObject *, const std::shared_ptr<KVFileSnapshot> &, const QString &, const QString &,
                               UploadFinish) override
    {
    }
    void fileShareOPPermission(QObject *, const QString &, const QString &, const QString &, const QString &, qint64,
                               const QVariantList &, Completion) override
    {
    }
    void fileUploadPermission(QObject *, qint64, const QString &, Completion) override {}
    void queryMeetingMember(QObject *, qint64, const QString &, Completion) override {}
    void queryUserWithUserName(QObject *, const QString &, Completion) override {}
    std::shared_ptr<KVFileSnapshot> takeSnapshot(const QString &, std::stop_token,
                                                 KVFileSnapshot::Failure *) const override
    {
        return nullptr;
    }
    QString joinedRoomId() const override { return QStringLiteral("room-1"); }
    QString roomCreatorId() const override { return {}; }
    int allowFileUpload() const override { return 1; }
    int roomUploadPermissionType() const override { return 2; }
    void setRoomUploadPermissionType(int) override {}
    bool isHost() const override { return true; }
    bool asssitantHost() const override { return false; }
    QStringList asssitantRecordArray() const override { return {}; }
    bool selfFileSharing() const override { return false; }
    bool selfAVFileSharing() const override { return false; }
    QString myUserName() const override { return QStringLiteral("主持人"); }
    bool isSelf(const MeetingDataModel &) const override { return true; }
};

// The picker in a window of the meeting's size, on its file tab, shown with the list.
struct Picker {
    std::shared_ptr<Room> room = std::make_shared<Room>();
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    ShareSelectPanel *panel = nullptr;

    explicit Picker(const QVariantMap &list)
    {
        room->listReply = list;
        window->resize(1000, 700);
        panel = new ShareSelectPanel(window.get(), room);
        panel->setDarkMode(true);
        panel->setGeometry(56, 100, ShareSelectPanel::kSize.width(), ShareSelectPanel::kSize.height());
        panel->fileShareAction();
        panel->reloadView();
        window->show();
        QCoreApplication::processEvents(); // laid out and drawn
    }
    ~Picker()
    {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

void BM_FileTabOpenGrowth(benchmark::State &state)
{
    std::map<int, QVariantMap> lists{{160, reply(160, 0)}, {1600, reply(1600, 0)}};
    for (auto _ : state) {
        bench::growthInTurn(
            [&](int n) {
                Picker picker(lists[n]);
                benchmark::DoNotOptimize(picker.panel->showArray().size());
            },
            160, 1600, 9, state.counters);
    }
    Picker picker(lists[1600]);
    state.counters["row_widgets_1600"] = double(picker.panel->fileItems().size());
}

void BM_FileTabPollGrowth(benchmark::State &state)
{
    std::map<int, std::pair<QVariantMap, QVariantMap>> lists;
    std::map<int, std::unique_ptr<Picker>> pickers;
    for (int n : {160, 1600}) {
        lists[n] = {reply(n, 0), reply(n, 1)};
        pickers[n] = std::make_unique<Picker>(lists[n].first);
    }
    std::map<int, int> turn;
    for (auto _ : state) {
        bench::growthInTurn(
            [&](int n) {
                // The poll's reply: one file's state differs from the last reply's.
                pickers[n]->room->listReply = (turn[n] ^= 1) ? lists[n].second : lists[n].first;
                pickers[n]->panel->timerFired();
                QCoreApplication::processEvents(); // the changed row is drawn
            },
            160, 1600, 9, state.counters);
    }
}

BENCHMARK(BM_FileTabOpenGrowth)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_FileTabPollGrowth)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QAccessible::setActive(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
