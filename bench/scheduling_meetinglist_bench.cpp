// Cost of the all-meetings list for N past meetings: history pages of 10 grouped into day
// sections (a day's section found through the index by title), then the reload with the search
// for the selected meeting (the last one listed) and the flat list model's rebuild.

#include "scheduling/MainMeetingListModel.h"
#include "scheduling/MeetingListRules.h"

#include <QApplication>
#include <QDate>

#include <benchmark/benchmark.h>

namespace {

QList<MeetingListDataModel> pages(int n)
{
    QList<MeetingListDataModel> out;
    const int pageCount = (n + 9) / 10;
    for (int p = 0; p < pageCount; ++p) {
        MeetingListDataModel page;
        page.pageSize = 10;
        page.pages = pageCount;
        for (int i = p * 10; i < std::min(n, p * 10 + 10); ++i) {
            MeetingDataModel m;
            m.roomId = QString::number(900000000 + i);
            m.roomName = QStringLiteral("会议%1").arg(i);
            // Three meetings a day, newest first.
            m.beginTime =
                QDate(2030, 1, 1).addDays(-i / 3).toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 10:00");
            page.list.append(m);
        }
        out.append(page);
    }
    return out;
}

void BM_HistoryGroupingAndReload(benchmark::State &state)
{
    const int n = int(state.range(0));
    const QList<MeetingListDataModel> all = pages(n);
    const QString selected = QString::number(900000000 + n - 1);
    MainMeetingListModel model;
    for (auto _ : state) {
        MeetingListRules::MeetingSections sections;
        for (int p = 0; p < all.size(); ++p)
            sections.appendHistoryPage(all[p], p + 1);
        const auto at = MeetingListRules::selectionAfterReload(sections, selected);
        model.reload(&sections);
        benchmark::DoNotOptimize(at);
        benchmark::DoNotOptimize(model.rowCount());
        model.reload(nullptr);
    }
    state.SetComplexityN(n);
}

BENCHMARK(BM_HistoryGroupingAndReload)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond)->Complexity();

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
