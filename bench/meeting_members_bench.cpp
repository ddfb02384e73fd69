// Cost of the member list for N members: a roster update (row copies, order, names from the cache
// of the previous update) through the list itself, and one search keystroke.

#include "agent/MeetingMemberModel.h"
#include "meeting/panels/MemberListRules.h"
#include "meeting/panels/MemberListViewController.h"

#include <QApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>

namespace {

const char *const kSurnames[] = {"张", "李", "王", "赵", "陈", "刘", "杨", "黄"};
const char *const kGiven[] = {"三", "伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军"};

MeetingMemberList members(int n)
{
    MeetingMemberList out;
    for (int i = 0; i < n; ++i) {
        VeskUserModel user;
        user.userId = QString::number(10000 + i);
        user.phoneNumber = QStringLiteral("138%1").arg(10000000 + i);
        user.userName =
            QString::fromUtf8(kSurnames[i % 8]) + QString::fromUtf8(kGiven[(i / 8) % 10]) + QString::number(i);
        auto m = std::make_shared<MeetingMemberModel>(user);
        m->setShareFlag(i == n / 2);
        out << m;
    }
    return out;
}

void BM_UpdateMembers(benchmark::State &state)
{
    const int n = int(state.range(0));
    const MeetingMemberList list = members(n);
    MemberListViewController controller;
    controller.updateMembers(list); // names of this roster cached, as in a meeting
    for (auto _ : state) {
        controller.updateMembers(list);
        benchmark::DoNotOptimize(controller.membersArray().size());
    }
    state.SetComplexityN(n);
}

void BM_SearchKeystroke(benchmark::State &state)
{
    const int n = int(state.range(0));
    MemberListViewController controller;
    controller.updateMembers(members(n));
    controller.searchTextField()->setText(QStringLiteral("z"));
    bool flip = false;
    for (auto _ : state) {
        // Each iteration is one keystroke: "zs" typed, then taken back.
        controller.searchTextField()->setText(flip ? QStringLiteral("z") : QStringLiteral("zs"));
        flip = !flip;
        benchmark::DoNotOptimize(controller.membersDisplayArray().size());
    }
    state.SetComplexityN(n);
}

BENCHMARK(BM_UpdateMembers)->Arg(100)->Arg(1000)->Arg(10000)->Complexity(benchmark::oN);
BENCHMARK(BM_SearchKeystroke)->Arg(100)->Arg(1000)->Arg(10000)->Complexity(benchmark::oN);

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
