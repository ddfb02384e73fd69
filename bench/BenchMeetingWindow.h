#pragma once

// The meeting window joined to a room for the in-process benchmarks (media engine: the scriptable
// fake; requests: the local stand-in in-process; no message channel), its grid shown offscreen.

#include "BenchMeeting.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/FakeEngine.h"
#include "foundation/KVClock.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/window/MeetingViewController.h"
#include "meeting/window/grid/VideoCollectionView.h"
#include "uikit/MacBaseWindowController.h"

#include "devservice/DevService.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QPointer>

#include <functional>
#include <memory>

namespace bench {

// Lets the window finish what it queued (coalesced member changes, layout, first paints).
inline void settle(int ms = 500)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

inline bool processUntil(const std::function<bool()> &done, int boundMs = 30000)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > boundMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// One joined meeting window for the whole program (the virtual clock stands still unless a
// benchmark moves it).
class Meeting {
public:
    Meeting()
    {
        engines.onCreate = [](FakeEngine &e) { e.setJoinMode(FakeEngine::JoinMode::Immediate); };
        if (!service.start())
            return;
        qputenv("KORVI_DEV_PORT", QByteArray::number(service.port()));
        VeskAppAgent *agent = VeskAppAgent::sharedInstance();
        agent->setServerEnvironment(2);
        service.state().addUser(kPhone, kPhone, bench::kUserName, bench::kToken);
        service.state().addRoom(kRoomId, kPhone, QStringLiteral("周会"));
        agent->setMyInfo(bench::signedInUser());
        agent->setMeetingManager(VeskMeetingManager::initManagerAndSdk());

        std::shared_ptr<MeetingInfoModel> room;
        bool answered = false;
        agent->joinMeetingRoomWithRoomId(&context, kRoomId, QString(), 1, [&](const KVMResponse &r) {
            answered = true;
            if (r.successed)
                room = r.data.value<std::shared_ptr<MeetingInfoModel>>();
        });
        if (!processUntil([&] { return answered; }) || !room)
            return;
        room->imUrl.clear(); // the benchmark measures the window, not the message channel
        agent->meetingManager()->joinRoomWith(room);

        window = std::make_unique<MacBaseWindowController>(new QWidget());
        page = new MeetingViewController(false);
        window->setWindowContentViewController(page, QRect(0, 0, 1400, 1000));
        page->resetWindowDelegate();
        window->showWindow();
        if (!processUntil([&] { return manager()->state() == VeskMeetingManager::StateInRoom && grid(); }))
            return;
        fitGrid();
        ready = grid() && grid()->scrollArea()->viewport()->size() == kGridViewport;
    }

    ~Meeting()
    {
        if (page) {
            QPointer<QWidget> view = page->isViewLoaded() ? page->view() : nullptr;
            delete page.data();
            delete view.data();
        }
        window.reset();
        VeskAppAgent::resetSharedInstance();
    }

    [[nodiscard]] static VeskMeetingManager *manager() { return VeskAppAgent::sharedInstance()->meetingManager(); }
    [[nodiscard]] FakeEngine *engine() const { return engines.engine(); }
    [[nodiscard]] VideoCollectionView *grid() const { return bench::gridOf(page); }

    void fitGrid()
    {
        if (VideoCollectionView *g = grid())
            bench::fitGrid(window->window(), g, [] { settle(100); });
    }

    // N other participants, each with audio, every other one (or all) with a camera.
    QStringList join(int n, bool allCameras)
    {
        QStringList ids;
        for (int i = 0; i < n; ++i) {
            const QString id = RXEncrypt::aes128ecbEncrypt(QString::number(13700000000LL + i));
            ids << id;
            engine()->emitMemberJoined(id, QStringLiteral("成员%1").arg(i));
            engine()->emitStreamPublished(id, 1, true, allCameras || i % 2 == 0);
        }
        return ids;
    }

    void leave(const QStringList &ids)
    {
        for (const QString &id : ids)
            engine()->emitMemberLeft(id);
    }

    [[nodiscard]] bool gridHas(qsizetype tiles) const { return grid() && grid()->numberOfItems() == tiles; }

    // What the engine was told last: receiving (true unless stopped) and the stream size.
    struct Receiving {
        QHash<QString, bool> receiving;
        QHash<QString, int> videoType;
    };
    [[nodiscard]] Receiving receiving() const
    {
        Receiving r;
        for (const FakeEngine::Call &call : engine()->calls()) {
            if (call.name == QLatin1String("muteVideo") && call.args.value(1).toLongLong() == 1)
                r.receiving.insert(call.args.value(0).toString(), !call.args.value(2).toBool());
            else if (call.name == QLatin1String("setPlayStreamVideoType") && call.args.value(1).toLongLong() == 1)
                r.videoType.insert(call.args.value(0).toString(), call.args.value(2).toInt());
        }
        return r;
    }

    // The window's own timers (clock, tips, reports) stand still: what is measured is the frame.
    VirtualClockScope clock;
    FakeEngineScope engines;
    DevService service;
    QObject context;
    std::unique_ptr<MacBaseWindowController> window;
    QPointer<MeetingViewController> page;
    bool ready = false;
};

} // namespace bench
