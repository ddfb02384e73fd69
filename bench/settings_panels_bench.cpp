// Cost of the settings tabs that grow with the user's data: the general tab's cache size over N
// cached images (a fresh image loader walks its cache folder, as on the first opening), and the
// account tab's login-device list filled with N records.

#include "connection/KVImageLoader.h"
#include "foundation/AppPaths.h"
#include "settings/MainSettingAccountAndSecurityPanel.h"
#include "settings/MainSettingRules.h"

#include <QApplication>
#include <QDir>
#include <QNetworkDiskCache>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>

namespace {

// A cache folder holding n images of 2 KB, made once per n.
void fillImageCache(int n)
{
    static std::map<int, bool> made;
    QNetworkDiskCache cache;
    cache.setCacheDirectory(AppPaths::cacheDir() + QStringLiteral("/images"));
    cache.setMaximumCacheSize(qint64(1) << 40);
    if (made[n])
        return;
    cache.clear();
    const QByteArray image(2048, 'x');
    for (int i = 0; i < n; ++i) {
        QNetworkCacheMetaData meta;
        meta.setUrl(QUrl(QStringLiteral("http://127.0.0.1/img/%1.png").arg(i)));
        meta.setSaveToDisk(true);
        meta.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(1));
        QIODevice *device = cache.prepare(meta);
        device->write(image);
        cache.insert(device);
    }
    made.clear();
    made[n] = true;
}

void BM_CacheSizeText(benchmark::State &state)
{
    const int n = int(state.range(0));
    fillImageCache(n);
    for (auto _ : state) {
        KVImageLoader loader;
        benchmark::DoNotOptimize(MainSettingRules::fileSizeWithInterge(quint64(loader.diskCacheSize())));
    }
    state.SetComplexityN(n);
}

void BM_DeviceListFill(benchmark::State &state)
{
    const int n = int(state.range(0));
    QList<MeetingRecordDeviceModel> devices(n);
    for (int i = 0; i < n; ++i) {
        devices[i].deviceName = QStringLiteral("设备%1").arg(i);
        devices[i].deviceType = QStringLiteral("linux");
        devices[i].lastLoginTime = 1'700'000'000'000 + (i * 7919) % n * 1000;
    }
    MainSettingAccountAndSecurityPanel panel;
    panel.resize(610, 520);
    panel.show();
    for (auto _ : state) {
        QList<MeetingRecordDeviceModel> reply = devices;
        MainSettingRules::markLatestDevice(reply);
        panel.setDeviceArray(reply);
        panel.reloadData();
        QCoreApplication::processEvents(); // the list lays itself out
    }
    state.SetComplexityN(n);
}

} // namespace

BENCHMARK(BM_CacheSizeText)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_DeviceListFill)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The image cache lives under the caches folder: a temporary one, never the user's.
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
