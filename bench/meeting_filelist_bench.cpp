// Cost of the share picker's file list for N files: a file-list reply taken into the list with
// the rows' states and tested for change (BM_FileListReply alternates two replies), and a
// pre-upload answer of N items matched to N pending rows. A poll's reply is read once and only the
// rows that read otherwise are mapped, so it grows with the reply's size alone: BM_FileListReplyGrowth
// times the poll with 160 and 1,600 files in turn, round by round, and the median ratio must stay
// at most 11 (10x the files).

#include "BenchProcess.h"

#include "meeting/sharing/ShareFileList.h"

#include <map>

#include <QCoreApplication>

#include <benchmark/benchmark.h>

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
                             // The last file changes state between the two replies.
                             {QStringLiteral("status"), i == n - 1 ? 1 + variant : i % 5}};
    const QVariantList types{QVariantMap{{"classify", "document"}, {"type", "pdf,doc,docx,ppt,pptx"}},
                             QVariantMap{{"classify", "video"}, {"type", "mp4,mov"}},
                             QVariantMap{{"classify", "audio"}, {"type", "mp3,wav"}}};
    return {{QStringLiteral("files"), files}, {QStringLiteral("fileTypes"), types}};
}

void BM_FileListReply(benchmark::State &state)
{
    const int n = int(state.range(0));
    const QVariantMap replies[] = {reply(n, 0), reply(n, 1)};
    const QList<FileShareModel> pending(3);
    ShareFileList::State list;
    int k = 0;
    for (auto _ : state) {
        const bool changed = ShareFileList::apply(list, replies[k ^= 1]);
        const QList<FileShareModel> shown = pending + list.networkingArray;
        benchmark::DoNotOptimize(changed);
        benchmark::DoNotOptimize(ShareFileList::anyConverting(list.networkingArray));
        benchmark::DoNotOptimize(shown.size());
    }
    state.SetComplexityN(n);
}

void BM_PreUploadMatch(benchmark::State &state)
{
    const int n = int(state.range(0));
    QList<FileShareModel> pending;
    QVariantList items;
    for (int i = 0; i < n; ++i) {
        FileShareModel row;
        row.fileName = QStringLiteral("文件%1.pdf").arg(i);
        row.fileURL = QUrl::fromLocalFile(QStringLiteral("/tmp/") + row.fileName);
        row.identity = ShareFileList::identity(QStringLiteral("%1").arg(i, 32, 16, QLatin1Char('0')), row.fileName,
                                               1765000000000ULL + i);
        pending << row;
    }
    // Answered in the reverse order, a third of them held already, one refused.
    for (int i = n - 1; i >= 0; --i)
        items << QVariantMap{{QStringLiteral("identity"), pending[i].identity},
                             {QStringLiteral("fileId"), QStringLiteral("f%1").arg(i)},
                             {QStringLiteral("fileName"), pending[i].fileName},
                             {QStringLiteral("status"), i == 0 ? -1 : (i % 3 == 0 ? 1 : 2)},
                             {QStringLiteral("remarks"), QStringLiteral("太大")}};
    for (auto _ : state) {
        const ShareFileList::PreUploadPlan plan = ShareFileList::planPreUpload(items, pending);
        benchmark::DoNotOptimize(plan.identities.size());
    }
    state.SetComplexityN(n);
}

// The poll, 160 against 1,600 files in turn: a list that holds the last reply takes the next one,
// in which one file changed state, as the picker's poll does while a file converts.
void BM_FileListReplyGrowth(benchmark::State &state)
{
    std::map<int, std::pair<QVariantMap, QVariantMap>> replies;
    std::map<int, ShareFileList::State> lists;
    std::map<int, int> turn;
    for (int n : {160, 1600}) {
        replies[n] = {reply(n, 0), reply(n, 1)};
        ShareFileList::apply(lists[n], replies[n].first);
    }
    for (auto _ : state) {
        bench::growthInTurn(
            [&](int n) {
                ShareFileList::State &list = lists[n];
                const bool changed = ShareFileList::apply(list, (turn[n] ^= 1) ? replies[n].second : replies[n].first);
                benchmark::DoNotOptimize(changed);
                benchmark::DoNotOptimize(ShareFileList::anyConverting(list));
                benchmark::DoNotOptimize(list.networkingArray.constData() + list.keptHead);
            },
            160, 1600, 15, state.counters);
    }
}

BENCHMARK(BM_FileListReply)->Arg(100)->Arg(400)->Arg(1600)->Complexity();
BENCHMARK(BM_PreUploadMatch)->Arg(100)->Arg(400)->Arg(1600)->Complexity();
BENCHMARK(BM_FileListReplyGrowth)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
