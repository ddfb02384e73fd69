// Cost of the member chips for N people: the editable field's flow (the geometry alone and the
// layout pass over N chip widgets), the two-line list's pass, and the member picker's updateData
// with N results of which N are chosen; the begin-time picker's days over N days.

#include "scheduling/KVMeetingMemberCollectionView.h"
#include "scheduling/KVMeetingMemberCustomLayout.h"
#include "scheduling/KVMemberEnterCollectionView.h"
#include "scheduling/KVMemberSelectView.h"
#include "scheduling/MemberChipGeometry.h"
#include "scheduling/NSMemberEnterFlowLayout.h"
#include "uikit/KVDatePickerModel.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

QList<VeskUserModel> people(int n)
{
    QList<VeskUserModel> out;
    out.reserve(n);
    for (int i = 0; i < n; ++i) {
        VeskUserModel u;
        u.userId = QString::number(13800000000LL + i);
        u.userName = QStringLiteral("成员%1").arg(i);
        out << u;
    }
    return out;
}

void BM_EnterFlowGeometry(benchmark::State &state)
{
    const int n = int(state.range(0));
    QList<QSize> sizes;
    for (int i = 0; i < n; ++i)
        sizes << QSize(40 + (i * 7) % 60, 22);
    sizes << QSize(60, 22);
    MemberChipGeometry::FlowSpacing spacing;
    spacing.insets = QMargins(6, 5, 6, 5);
    for (auto _ : state) {
        auto pass = MemberChipGeometry::enterFlow(sizes, 444, spacing);
        benchmark::DoNotOptimize(pass.frames.data());
    }
    state.SetComplexityN(n);
}

void BM_EnterFlowLayoutPass(benchmark::State &state)
{
    const int n = int(state.range(0));
    KVMemberEnterCollectionView field;
    field.resize(444, 62);
    field.show(); // as in the form: only the chips in sight (and some slack) are moved at once
    field.reloadData(people(n));
    QApplication::processEvents();
    NSMemberEnterFlowLayout *layout = field.flowLayout();
    // Two widths, so every pass reflows the rows and moves the chips.
    const QRect rects[] = {QRect(0, 0, 444, layout->heightForWidth(444)),
                           QRect(0, 0, 380, layout->heightForWidth(380))};
    int k = 0;
    for (auto _ : state) {
        layout->setGeometry(rects[k ^= 1]);
        benchmark::DoNotOptimize(layout->lines());
    }
    state.SetComplexityN(n);
}

void BM_TwoLineLayoutPass(benchmark::State &state)
{
    const int n = int(state.range(0));
    KVMeetingMemberCollectionView list;
    list.setMembers(people(n));
    KVMeetingMemberCustomLayout *layout = list.memberLayout();
    const QRect rects[] = {QRect(0, 0, 444, 50), QRect(0, 0, 380, 50)};
    int k = 0;
    for (auto _ : state) {
        layout->setGeometry(rects[k ^= 1]);
        benchmark::DoNotOptimize(layout->moreIndex());
    }
    state.SetComplexityN(n);
}

void BM_PickerUpdateData(benchmark::State &state)
{
    const int n = int(state.range(0));
    KVMemberSelectView picker;
    QList<VeskUserModel> chosen = people(n);
    std::reverse(chosen.begin(), chosen.end());
    picker.setMembers(people(n));
    picker.setSelectMembers(&chosen);
    picker.updateData(); // rows are made once and reused
    for (auto _ : state) {
        picker.updateData();
        benchmark::DoNotOptimize(picker.isRowSelected(0));
    }
    state.SetComplexityN(n);
}

// The begin-time picker's refresh: the days it offers (each with its hours) over N days.
void BM_BeginPickerDays(benchmark::State &state)
{
    const int n = int(state.range(0));
    KVDatePickerModel model;
    model.reload(QDateTime::currentDateTime());
    model.endDate = model.beginDate.addDays(n);
    for (auto _ : state) {
        const QList<QDate> days = model.days();
        benchmark::DoNotOptimize(days.size());
    }
    state.SetComplexityN(n);
}

BENCHMARK(BM_EnterFlowGeometry)->Arg(20)->Arg(200)->Arg(2000)->Complexity();
BENCHMARK(BM_EnterFlowLayoutPass)->Arg(20)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond)->Complexity();
BENCHMARK(BM_TwoLineLayoutPass)->Arg(20)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond)->Complexity();
BENCHMARK(BM_BeginPickerDays)->Arg(36)->Arg(366)->Unit(benchmark::kMicrosecond)->Complexity();
BENCHMARK(BM_PickerUpdateData)->Arg(20)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond)->Complexity();

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
