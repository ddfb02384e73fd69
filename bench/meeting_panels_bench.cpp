// Cost of the meeting panels with N lines: merging one transcription result, one refresh of the
// transcript's table copy, and adding one chat line to the overlay; and the cost of showing a long
// text from others against a short one.

#include "foundation/KVClock.h"
#include "foundation/models/MeetingMessageModel.h"
#include "meeting/panels/IMDisplayView.h"
#include "meeting/panels/TranscriptLines.h"
#include "meeting/panels/TranscriptionViewCell.h"
#include "meeting/panels/TranscriptionViewController.h"

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListView>
#include <QPainter>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

namespace {

KVSubTitleRecord record(const QString &sender, int type, const QString &text, double time)
{
    const QString json = QString::fromUtf8(QJsonDocument(QJsonObject{{"senderId", sender},
                                                                     {"senderName", sender},
                                                                     {"resultType", type},
                                                                     {"cnTextFix", text},
                                                                     {"senderTime", time}})
                                               .toJson(QJsonDocument::Compact));
    return *TranscriptLines::recordFromJson(json);
}

// n closed lines of ten speakers, then an open line for each.
TranscriptLines transcript(int n)
{
    TranscriptLines lines;
    for (int i = 0; i < n; ++i)
        lines.merge(record(QString::number(i % 10), 2, QStringLiteral("第%1句话").arg(i), 1000.0 + i));
    for (int s = 0; s < 10; ++s)
        lines.merge(record(QString::number(s), 0, QStringLiteral("说"), 1000.0 + n + s));
    return lines;
}

void BM_TranscriptMergeResult(benchmark::State &state)
{
    const int n = int(state.range(0));
    TranscriptLines lines = transcript(n);
    // A speaker's growing line: the text alternates so that each result changes it.
    const KVSubTitleRecord results[2] = {record(QStringLiteral("3"), 0, QStringLiteral("说话"), 1000.0 + n + 10),
                                         record(QStringLiteral("3"), 0, QStringLiteral("说话了"), 1000.0 + n + 11)};
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(lines.merge(results[++i % 2]));
    state.SetComplexityN(n);
}

void BM_TranscriptRefreshTick(benchmark::State &state)
{
    const int n = int(state.range(0));
    const TranscriptLines lines = transcript(n);
    for (auto _ : state) {
        auto rows = lines.displayCopy([](const QString &text) { return int(text.size()); });
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetComplexityN(n);
}

void BM_ChatAddLine(benchmark::State &state)
{
    const int n = int(state.range(0));
    QWidget window;
    window.resize(1200, 800);
    auto *overlay = new IMDisplayView(&window);
    overlay->layoutSelf(1.0);
    MeetingMessageModel line;
    line.messageType = MeetingMessageModel::Chat;
    line.userName = QStringLiteral("李四");
    line.messageString = QStringLiteral("大家好，今天的会议开始了");
    for (int i = 0; i < n; ++i)
        overlay->addSingleMessage(line);
    for (auto _ : state) {
        overlay->addSingleMessage(line);
        benchmark::DoNotOptimize(overlay->contentHeight());
    }
    state.SetComplexityN(n);
}

// ---- Long texts from others: the cost of showing one must not grow with its length ----------

QString longText(qsizetype length)
{
    QString text;
    text.reserve(length);
    const QString word = QStringLiteral("transfer 100 to 9876 ");
    while (text.size() < length)
        text += word;
    text.truncate(length);
    return text;
}

// One chat line of range(0) characters reaches a shown overlay and is painted.
void BM_ChatShowLine(benchmark::State &state)
{
    const QString text = longText(state.range(0));
    QWidget window;
    window.resize(1200, 800);
    auto *overlay = new IMDisplayView(&window);
    overlay->layoutSelf(1.0);
    window.show();
    for (auto _ : state) {
        MeetingMessageModel line;
        line.messageType = MeetingMessageModel::Chat;
        line.userName = QStringLiteral("李四");
        line.messageString = text;
        overlay->addSingleMessage(line);
        overlay->msgTable()->viewport()->repaint();
    }
}

// A transcript result of range(0) characters reaches the open transcript panel, which shows it
// at its next refresh: merged, measured and painted in the panel's list. The text alternates, so
// that each result changes the line.
void BM_TranscriptShowLine(benchmark::State &state)
{
    VirtualClockScope clock;
    QWidget window;
    window.resize(342, 600);
    TranscriptionViewController panel;
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel.view());
    window.show();
    const QString text = longText(state.range(0));
    // Decoded once: the channel's JSON is not what is measured here.
    const KVSubTitleRecord results[2] = {record(QStringLiteral("7"), 0, text, 1000),
                                         record(QStringLiteral("7"), 0, QLatin1Char('T') + text.mid(1), 1000)};
    panel.receiveRecords({results[1]});
    int i = 0;
    for (auto _ : state) {
        panel.receiveRecords({results[++i % 2]});
        panel.refreshTimer()->fire();
        panel.tableView()->viewport()->repaint();
    }
}

// A transcript row of range(0) characters, laid out when it was measured, painted again (what
// every repaint of the open transcript costs).
void BM_TranscriptRepaintRow(benchmark::State &state)
{
    TranscriptLines lines;
    lines.merge(record(QStringLiteral("7"), 2, longText(state.range(0)), 1000));
    const auto rows = lines.displayCopy(&TranscriptionViewCell::layOutText, TranscriptionViewCell::textWidth(400));
    QImage canvas(400, 200, QImage::Format_ARGB32_Premultiplied);
    TranscriptionViewCell cell;
    cell.setRecord(rows.first().record, rows.first().textHeight, rows.first().layout);
    for (auto _ : state) {
        QPainter painter(&canvas);
        cell.paintCell(painter, QRect(0, 0, 400, 200));
    }
}

// A video frame of a tile repainted, with the chat overlay over it holding a line of range(0)
// characters (0: no overlay).
void BM_TileFrameUnderOverlay(benchmark::State &state)
{
    QWidget window;
    window.resize(1200, 800);
    QImage frame(640, 360, QImage::Format_RGB32);
    frame.fill(Qt::darkCyan);
    class Tile final : public QWidget {
    public:
        Tile(QWidget *parent, const QImage &frame) : QWidget(parent), m_frame(frame) {}
        void paintEvent(QPaintEvent *) override { QPainter(this).drawImage(rect(), m_frame); }
        QImage m_frame;
    };
    auto *tile = new Tile(&window, frame);
    tile->setGeometry(0, 0, 1200, 800);
    if (state.range(0) > 0) {
        auto *overlay = new IMDisplayView(&window);
        overlay->layoutSelf(1.0);
        MeetingMessageModel line;
        line.messageType = MeetingMessageModel::Chat;
        line.userName = QStringLiteral("李四");
        line.messageString = longText(state.range(0));
        overlay->addSingleMessage(line);
    }
    window.show();
    QCoreApplication::processEvents();
    for (auto _ : state)
        tile->repaint();
}

BENCHMARK(BM_ChatShowLine)->Arg(50)->Arg(2'000'000)->Iterations(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TranscriptShowLine)->Arg(50)->Arg(2'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TranscriptRepaintRow)->Arg(50)->Arg(2'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TileFrameUnderOverlay)->Arg(0)->Arg(50)->Arg(2'000'000)->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_TranscriptMergeResult)->Arg(1000)->Arg(10000)->Complexity();
BENCHMARK(BM_TranscriptRefreshTick)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond)->Complexity();
// The list only grows: a fixed number of additions keeps N close to its argument.
BENCHMARK(BM_ChatAddLine)->Arg(1000)->Arg(10000)->Iterations(200)->Unit(benchmark::kMicrosecond)->Complexity();

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
