// Cost of the records page's cloud-recordings tab for N recordings, as the user meets it: the page
// opened on the tab with the service's reply of N recordings (mapped from its JSON as the agent
// maps it), laid out and drawn, then closed. Row widgets exist only for the rows in view, so the
// cost grows with the reply alone: BM_RecordingsGrowth times 100 and 1,000 recordings in turn,
// round by round, and the median ratio must stay at most 11 (10x the recordings).
// BM_RecordingsShownWithBus: 1,000 recordings shown with accessibility on and every node of the
// page read as a screen reader reads a window that appears; the median must stay under a second.

#include "BenchProcess.h"

#include "foundation/JXExtension.h"
#include "scheduling/MainRecordListViewController.h"
#include "scheduling/SchedulingAgent.h"

#include <QAccessible>
#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>

namespace {

QVariantList recordingsReply(int n)
{
    // Four recordings a meeting.
    QVariantList meetings;
    for (int m = 0; m < (n + 3) / 4; ++m) {
        QVariantList dvrs;
        for (int i = m * 4; i < std::min(n, m * 4 + 4); ++i)
            dvrs << QVariantMap{{"dvrSequenceId", QStringLiteral("d%1").arg(i)},
                                {"dvrName", QStringLiteral("周会录制%1.mp4").arg(i)},
                                {"dvrTimeLength", 3600 + i},
                                {"dvrSize", 1024 * 1024 * 50 + i},
                                {"dvrStatus", 3},
                                {"dvrDownPath", QStringLiteral("https://example.invalid/dvr/%1.mp4").arg(i)},
                                {"dvrPicPath", QString()},
                                {"dvrPlayUrl", QString()},
                                {"progress", 100}};
        meetings << QVariantMap{{"roomId", QString::number(900000000 + m)},
                                {"roomName", QStringLiteral("周会%1").arg(m)},
                                {"meetingBeginTime", QStringLiteral("2030-01-02 10:00:00")},
                                {"dvrList", dvrs}};
    }
    return meetings;
}

// Answers the records page at once: the recordings given, no documents.
class Records final : public SchedulingAgent {
public:
    QVariantList recordings;

    void queryRecordVideoListWithRoomId(QObject *, const QString &, Completion completion) override
    {
        completion(ok(QVariant::fromValue(jx_objectArrayWithKeyValuesArray<RecordVideoModel>(recordings))));
    }
    void queryRecordFileListWith(QObject *, qint64, qint64, Completion completion) override
    {
        completion(ok(QVariant::fromValue(QList<RecordFileModel>())));
    }
    void createOrUpdateMeeting(QObject *, const MeetingDataModel &, Completion) override {}
    void queryCreatedRoomsInfoWithCompletionBlock(QObject *, Completion) override {}
    void queryUserWithUserName(QObject *, const QString &, Completion) override {}
    void queryMeetingInvitationListWithRoomId(QObject *, const QString &, Completion) override {}
    void queryMeetingMembersListWithRoomId(QObject *, const QString &, Completion) override {}
    void queryMeetingAllowShareListWithRoomId(QObject *, const QString &, bool, Completion) override {}
    void queryFileList(QObject *, const QString &, Completion) override {}
    void queryMeetingListIsToday(QObject *, bool, Completion) override {}
    void endMeetingWithRoomId(QObject *, const QString &, Completion) override {}
    void cancelMeetingWithRoomId(QObject *, const QString &, bool, Completion) override {}

private:
    static KVMResponse ok(const QVariant &data)
    {
        KVMResponse r;
        r.code = 0;
        r.successed = true;
        r.data = data;
        return r;
    }
};

// The page on its recordings tab, shown as the home window shows it.
void openRecordings(Records &records, const QVariantList &reply)
{
    records.recordings = reply;
    {
        MainRecordListViewController page;
        QWidget *view = page.view();
        view->resize(980, 780);
        page.setCurrentListType(1);
        view->show();
        page.viewWillAppear();
        QCoreApplication::processEvents(); // laid out and drawn
        benchmark::DoNotOptimize(page.recordVideos().size());
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Every node a screen reader reads of a window that appears: name, role, state, children.
int readAll(QAccessibleInterface *node)
{
    if (!node)
        return 0;
    benchmark::DoNotOptimize(node->text(QAccessible::Name));
    benchmark::DoNotOptimize(node->role());
    benchmark::DoNotOptimize(node->state());
    int count = 1;
    for (int i = 0; i < node->childCount(); ++i)
        count += readAll(node->child(i));
    return count;
}

void BM_RecordingsGrowth(benchmark::State &state)
{
    Records records;
    SchedulingAgent::install(&records);
    std::map<int, QVariantList> replies{{100, recordingsReply(100)}, {1000, recordingsReply(1000)}};
    for (auto _ : state)
        bench::growthInTurn([&](int n) { openRecordings(records, replies[n]); }, 100, 1000, 9, state.counters);
    SchedulingAgent::install(nullptr);
}

void BM_RecordingsShownWithBus(benchmark::State &state)
{
    Records records;
    SchedulingAgent::install(&records);
    records.recordings = recordingsReply(1000);
    QAccessible::setActive(true);
    bench::Medians medians;
    for (auto _ : state) {
        for (int round = 0; round < 9; ++round) {
            const auto start = std::chrono::steady_clock::now();
            MainRecordListViewController page;
            QWidget *view = page.view();
            view->resize(980, 780);
            page.setCurrentListType(1);
            view->show();
            page.viewWillAppear();
            QCoreApplication::processEvents();
            const int nodes = readAll(QAccessible::queryAccessibleInterface(view));
            medians.add("ms_shown_1000",
                        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            medians.add("accessible_nodes", nodes);
            view->hide();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    medians.report(state.counters);
    QAccessible::setActive(false);
    SchedulingAgent::install(nullptr);
}

BENCHMARK(BM_RecordingsGrowth)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_RecordingsShownWithBus)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
