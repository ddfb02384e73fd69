// Cost of a shared document of N pages in the meeting window: laying out its pages (the own
// share's start), the scroll layout test, and a followed flip to its last page. A long document
// should cost what its length says and no more: 2,000 pages at most 4.5 times 500.

#include "agent/models/FileShareModel.h"
#include "foundation/KVClock.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/sharing/FileShareDocument.h"
#include "meeting/sharing/FileSharePageView.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/MacBaseWindowController.h"

#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

namespace {

using namespace std::chrono_literals;

// A service that takes every request and answers none.
class SilentServices final : public FileShareDocumentServices {
public:
    void flipOver(QObject *, const QString &, const QString &, Completion) override {}
    void queryFileSliceUrl(QObject *, const QString &, Completion) override {}
    void queryAllShareFileInfo(QObject *, Completion) override {}
    void prefetch(const QStringList &) override {}
    [[nodiscard]] Me me() const override { return {"u", "13800000001", QStringLiteral("我"), false, false}; }
    [[nodiscard]] FileSharedResp runningShare() const override { return {}; }
    [[nodiscard]] bool selfFileSharing() const override { return true; }
    void setSelfFileSharing(bool) override {}
    [[nodiscard]] bool selfScreenOrWindowSharing() const override { return false; }
};

FileShareDatailModel document(int pages)
{
    FileShareDatailModel model;
    model.fileId = QStringLiteral("doc");
    model.fileName = QStringLiteral("年度报告.pdf");
    model.enableOperationFileStatus = FileShareRights::NotGiven;
    model.setUserCanControl(true);
    for (int i = 0; i < pages; ++i) {
        FileSliceModel page;
        page.sliceId = QStringLiteral("s%1").arg(i);
        page.picWidth = 720;
        page.picHeight = 1280;
        model.sliceInfo << page;
    }
    return model;
}

void BM_DocumentPages(benchmark::State &state)
{
    const int pages = int(state.range(0));
    VirtualClockScope clock;
    QWidget root;
    root.resize(1280, 800);
    MeetingPanels::registerPanels();
    Ui::MeetingViewController ui;
    ui.setupUi(&root);
    MeetingSharing::State shared;
    FileShareDocument doc(fileShareDocumentViews(ui), shared,
                          {{}, [] { return QSizeF(700, 1244); }, {}, {}, {}, {}, {}, {}, {}},
                          std::make_shared<SilentServices>());
    doc.buildViews();
    root.show();
    const FileShareDatailModel model = document(pages);
    MeetingControlData last;
    last.flipOverType = 0;
    last.sliceId = model.sliceInfo.last().sliceId;
    for (auto _ : state) {
        doc.startFileShareFromAction(model);
        benchmark::DoNotOptimize(doc.fileShareDisplayEnableScroll());
        last.sequenceId = shared.fileShareFlipOverSendSequenceId + 1;
        doc.applyDocumentFollow(last);
        QCoreApplication::processEvents();
        clock.clock.advance(300ms);
        benchmark::DoNotOptimize(doc.pageView()->tiledPages().size());
    }
    if (shared.currentPageNum != pages - 1)
        state.SkipWithError("the followed flip did not reach the last page");
    state.SetComplexityN(pages);
}

BENCHMARK(BM_DocumentPages)->Arg(125)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

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
