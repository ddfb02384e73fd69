// A shared document of large page images in the meeting window, its images from hosts on threads of
// their own: the main thread's longest stall and the process's peak memory while the document is
// shared, announced again and turned through. Two documents:
//   BM_LargePages    30 pages of 5700 x 5700 (about 100 KB each on the wire, within every limit);
//   BM_EndlessPages  240 pages whose images never end, spread over 40 hosts.
// Goal: no stall over 100 ms and a peak under 300 MB, in a release build (a sanitizer's build
// keeps freed memory and runs slower); a run over either is reported as an error.
// Counters: stall_ms (longest gap of a 5 ms timer), peak_MB (the process's high-water mark since
// the document started), shown (pages whose image came while they were the current one).

#include "agent/models/FileShareModel.h"
#include "connection/KVImageLoader.h"
#include "connection/KVTls.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/sharing/FileShareDocument.h"
#include "meeting/sharing/FileShareImageViewCollectionViewItem.h"
#include "meeting/sharing/FileSharePageView.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "uikit/MacBaseViewController.h"
#include "uikit/MacBaseWindowController.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#ifdef KORVI_WITH_STANDIN
#include "devservice/EndlessHost.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>
#endif

namespace {

#ifdef KORVI_WITH_STANDIN

constexpr double kStallGoalMs = 100;
constexpr double kPeakGoalMB = 300;

// A host on threads of its own answering every path with one body, as a file service would.
class PageHost {
public:
    explicit PageHost(QByteArray body) : m_body(std::move(body)) {}
    ~PageHost()
    {
        m_stop = true;
        if (m_acceptor.joinable())
            m_acceptor.join();
        for (std::thread &t : m_connections)
            t.join();
        if (m_listen >= 0)
            ::close(m_listen);
    }
    bool start()
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
            ::listen(m_listen, 64) != 0 ||
            ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return false;
        m_port = ntohs(address.sin_port);
        m_acceptor = std::thread([this] { acceptLoop(); });
        return true;
    }
    [[nodiscard]] QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
    }

private:
    void acceptLoop()
    {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0)
                m_connections.emplace_back([this, fd] { serve(fd); });
        }
    }
    void serve(int fd)
    {
        QByteArray request;
        char buffer[4096];
        while (!m_stop && !request.contains("\r\n\r\n")) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            request.append(buffer, n);
        }
        const QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nCache-Control: max-age=3600\r\n"
                                 "Connection: close\r\nContent-Length: " +
                                 QByteArray::number(m_body.size()) + "\r\n\r\n" + m_body;
        qsizetype sent = 0;
        while (!m_stop && sent < reply.size()) {
            const ssize_t n = ::send(fd, reply.constData() + sent, size_t(reply.size() - sent), MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += n;
        }
        ::close(fd);
    }

    const QByteArray m_body;
    int m_listen = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptor;
    std::vector<std::thread> m_connections; // the acceptor's only
};

class NoServices final : public FileShareDocumentServices {
public:
    void flipOver(QObject *, const QString &, const QString &, Completion) override {}
    void queryFileSliceUrl(QObject *, const QString &, Completion) override {}
    void queryAllShareFileInfo(QObject *, Completion) override {}
    void prefetch(const QStringList &urls) override { KVImageLoader::sharedLoader()->prefetchURLs(urls); }
    [[nodiscard]] Me me() const override { return {"u", "13800000001", QStringLiteral("我"), false, false}; }
    [[nodiscard]] FileSharedResp runningShare() const override { return {}; }
    [[nodiscard]] bool selfFileSharing() const override { return true; }
    void setSelfFileSharing(bool) override {}
    [[nodiscard]] bool selfScreenOrWindowSharing() const override { return false; }
};

double peakMB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// The longest gap between two turns of the main thread's event loop.
class StallProbe {
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, double(m_since.nsecsElapsed()) / 1e6);
            m_since.restart();
        });
        m_since.start();
        m_timer.start();
    }
    [[nodiscard]] double longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    double m_longest = 0;
};

void runFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

template <typename Cond> bool runUntil(Cond cond, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() >= ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

FileShareDatailModel document(const QStringList &urls, int side)
{
    FileShareDatailModel model;
    model.fileId = QStringLiteral("doc");
    model.fileName = QStringLiteral("图纸.pdf");
    model.enableOperationFileStatus = FileShareRights::NotGiven;
    model.setUserCanControl(true);
    for (int i = 0; i < urls.size(); ++i) {
        FileSliceModel page;
        page.sliceId = QStringLiteral("s%1").arg(i);
        page.picWidth = side;
        page.picHeight = side;
        page.downloadUrl = urls.at(i);
        model.sliceInfo << page;
    }
    return model;
}

// Shares the document, announces it again, and turns through the first pages, each until its
// image shows (or waitMs); returns the pages whose image came.
int turnThrough(benchmark::State &state, const FileShareDatailModel &model, int pages, int waitMs)
{
    QWidget root;
    root.resize(1280, 800);
    MeetingPanels::registerPanels();
    Ui::MeetingViewController ui;
    ui.setupUi(&root);
    MeetingSharing::State shared;
    FileShareDocument doc(fileShareDocumentViews(ui), shared,
                          {{}, [] { return QSizeF(700, 700); }, {}, {}, {}, {}, {}, {}, {}},
                          std::make_shared<NoServices>());
    doc.buildViews();
    root.show();
    const auto imageShown = [&doc, &shared] {
        auto *tile =
            qobject_cast<FileShareImageViewCollectionViewItem *>(doc.pageView()->tileAt(shared.currentPageNum));
        return tile && !tile->contentImageView->pixmap().isNull();
    };
    doc.startFileShareFromAction(model);
    runFor(300);
    doc.startFileShareFromAction(model); // announced again
    int shown = 0;
    for (int page = 0; page < pages; ++page) {
        MeetingControlData flip;
        flip.flipOverType = 0;
        flip.sliceId = model.sliceInfo.at(page).sliceId;
        flip.sequenceId = shared.fileShareFlipOverSendSequenceId + 1;
        doc.applyDocumentFollow(flip);
        if (runUntil(imageShown, waitMs))
            ++shown;
    }
    if (!runUntil([] { return KVImageLoader::sharedLoader()->runningLoads() == 0; }, 60000))
        state.SkipWithError("the page loads did not end");
    runFor(300);
    return shown;
}

void report(benchmark::State &state, const StallProbe &probe, int shown)
{
    state.counters["stall_ms"] = probe.longestMs();
    state.counters["peak_MB"] = peakMB();
    state.counters["shown"] = shown;
    if (probe.longestMs() > kStallGoalMs)
        std::fprintf(stderr, "the main thread stalled %.0f ms\n", probe.longestMs());
    if (peakMB() > kPeakGoalMB)
        std::fprintf(stderr, "the peak memory was %.0f MB\n", peakMB());
}

QByteArray largePage()
{
    QImage image(5700, 5700, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 12));
    for (int y = 200; y < 5600; y += 400)
        painter.drawLine(200, y, 5500, y);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void BM_LargePages(benchmark::State &state)
{
    static const QByteArray page = largePage();
    PageHost host(page);
    if (!host.start()) {
        state.SkipWithError("no host");
        return;
    }
    QStringList urls;
    for (int i = 0; i < 30; ++i)
        urls << host.url(QStringLiteral("/large/p%1.png").arg(i));
    const FileShareDatailModel model = document(urls, 5700);
    for (auto _ : state) {
        resetPeak();
        StallProbe probe;
        const int shown = turnThrough(state, model, 30, 10000);
        report(state, probe, shown);
        if (shown < 30)
            state.SkipWithError("a page's image did not show");
    }
    state.counters["page_KB"] = double(page.size()) / 1024.0;
}

void BM_EndlessPages(benchmark::State &state)
{
    std::vector<std::unique_ptr<EndlessHost>> hosts;
    for (int i = 0; i < 40; ++i) {
        hosts.push_back(std::make_unique<EndlessHost>("image/png"));
        if (!hosts.back()->start()) {
            state.SkipWithError("no host");
            return;
        }
    }
    QStringList urls;
    for (int i = 0; i < 240; ++i)
        urls << hosts[size_t(i) % hosts.size()]->url(QStringLiteral("/endless/p%1.png").arg(i));
    const FileShareDatailModel model = document(urls, 1600);
    for (auto _ : state) {
        resetPeak();
        StallProbe probe;
        turnThrough(state, model, 60, 20);
        report(state, probe, 0);
    }
}

BENCHMARK(BM_LargePages)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EndlessPages)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

#else
void BM_NoStandIn(benchmark::State &state)
{
    for (auto _ : state)
        state.SkipWithError("built without the stand-in hosts");
}
BENCHMARK(BM_NoStandIn);
#endif

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir caches;
    qputenv("XDG_CACHE_HOME", caches.path().toUtf8());
    QApplication app(argc, argv);
    KVTls::setPlainHttpAllowed(true); // the hosts speak plain http, as in development
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
