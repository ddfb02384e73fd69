// Cost of applying a meeting's member list: engine events for N participants (joined, half of
// them with a camera) until the window has the whole list with every member's tiles.

#include "agent/MeetingMemberModel.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/VeskRoomDelegate.h"
#include "agent/engine/FakeEngine.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/MeetingInfoModel.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

struct Window final : VeskRoomDelegate {
    qsizetype members = 0;
    qsizetype tiles = 0;
    void onMemberChange(const MeetingMemberList &list) override
    {
        members = list.size();
        tiles = 0;
        for (const auto &m : list)
            tiles += m->activeArr().size();
    }
};

void drain()
{
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void BM_ApplyMemberList(benchmark::State &state)
{
    const int n = int(state.range(0));
    VeskUserModel me;
    me.userId = "u-self";
    me.phoneNumber = "13800000000";
    me.userName = "me";
    VeskAppAgent::sharedInstance()->setMyInfo(me);

    QStringList ids;
    for (int i = 0; i < n; ++i)
        ids << RXEncrypt::aes128ecbEncrypt(QString::number(13700000000LL + i));

    FakeEngineScope engines;
    engines.onCreate = [](FakeEngine &e) { e.setJoinMode(FakeEngine::JoinMode::Immediate); };
    VeskMeetingManager manager;
    Window window;
    manager.setDelegate(&window);
    auto room = std::make_shared<MeetingInfoModel>();
    room->roomId = "123456789";
    room->streamLevel = 2;

    for (auto _ : state) {
        state.PauseTiming();
        manager.leaveRoom();
        drain();
        manager.joinRoomWith(room);
        manager.joinRoom();
        drain();
        state.ResumeTiming();

        FakeEngine *engine = engines.engine();
        for (int i = 0; i < n; ++i) {
            engine->emitMemberJoined(ids[i], QStringLiteral("成员%1").arg(i));
            engine->emitStreamPublished(ids[i], 1, true, i % 2 == 0);
        }
        drain();
        if (window.members != n + 1)
            state.SkipWithError("member list incomplete");
        benchmark::DoNotOptimize(window.tiles);
    }
    state.SetComplexityN(n);
    state.counters["members"] = double(n);
}

BENCHMARK(BM_ApplyMemberList)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->Complexity();

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    VeskAppAgent::resetSharedInstance();
    return 0;
}
