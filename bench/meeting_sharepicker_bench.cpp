// Cost of the share picker's desktop tab for N windows (about three per application): grouping
// the windows, and grouping plus building the three sections' tiles in the picker.

#include "meeting/sharing/ShareSelectPanel.h"
#include "meeting/sharing/ShareSelectSections.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

QList<DesktopCaptureSnapshotModel> windows(int n)
{
    QImage thumbnail(148, 78, QImage::Format_RGB32);
    thumbnail.fill(Qt::darkGray);
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::blue);
    QList<DesktopCaptureSnapshotModel> out;
    for (int i = 0; i < n; ++i) {
        DesktopCaptureSnapshotModel m;
        m.type = DesktopCaptureSnapshotModel::Window;
        m.id = 1000 + i;
        m.pid = 100 + (i * 7919) % (n / 3 + 1); // windows of one application spread over the list
        m.title = QStringLiteral("文档 %1 - 编辑器").arg(i);
        m.image = thumbnail;
        m.iconImage = icon;
        out << m;
    }
    return out;
}

void BM_GroupWindows(benchmark::State &state)
{
    const QList<DesktopCaptureSnapshotModel> list = windows(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ShareSelectSections::groupWindows(list).size());
    state.SetComplexityN(state.range(0));
}

void BM_PickerSections(benchmark::State &state)
{
    const QList<DesktopCaptureSnapshotModel> list = windows(int(state.range(0)));
    ShareSelectPanel panel;
    panel.setDarkMode(true);
    panel.resize(ShareSelectPanel::kSize);
    for (auto _ : state) {
        panel.setWindowsArray(list);
        panel.reloadView();
        // What the event loop does next in the app; left undone, the posted events of every
        // round pile up and each deleted tile searches them all.
        QCoreApplication::sendPostedEvents();
        benchmark::DoNotOptimize(panel.windowItems().size());
    }
    state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_GroupWindows)->Arg(250)->Arg(1000)->Arg(4000)->Complexity(benchmark::oN);
BENCHMARK(BM_PickerSections)->Arg(250)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

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
