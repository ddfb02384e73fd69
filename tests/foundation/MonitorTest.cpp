#include "foundation/KVClock.h"
#include "foundation/KVMCommonUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace std::chrono_literals;

namespace {

QByteArray statText(quint64 utime, quint64 stime, const QByteArray &comm = "korvi")
{
    return "4242 (" + comm + ") S 1 4242 4242 0 -1 4194560 1893 0 0 0 " + QByteArray::number(utime) + ' ' +
           QByteArray::number(stime) +
           " 0 0 20 0 9 0 123456 1000000 5000 18446744073709551615 1 1 0 0 0 0 0 "
           "4096 0 0 0 0 17 3 0 0 0 0 0\n";
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(content) == content.size();
}

void addSupply(const QString &root, const QString &name, const QByteArray &type, const QByteArray &capacity,
               const QByteArray &scope = {}, const QByteArray &present = {})
{
    const QString base = root + '/' + name + '/';
    writeFile(base + "type", type + '\n');
    if (!capacity.isNull())
        writeFile(base + "capacity", capacity + '\n');
    if (!scope.isNull())
        writeFile(base + "scope", scope + '\n');
    if (!present.isNull())
        writeFile(base + "present", present + '\n');
}

quint64 ticksPerSecond()
{
    return static_cast<quint64>(sysconf(_SC_CLK_TCK));
}

void drainMainQueue()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

struct Report {
    double cpu;
    double battery;
    bool onMain;
};

} // namespace

TEST(MonitorParseTest, ProcStatGivesUserPlusSystemTicks)
{
    EXPECT_EQ(KVMCommonUtil::cpuTicksFromProcStat(statText(250, 50)), 300u);
    // A process name may hold blanks and parentheses.
    EXPECT_EQ(KVMCommonUtil::cpuTicksFromProcStat(statText(7, 3, "my (odd) app 1")), 10u);
    EXPECT_EQ(KVMCommonUtil::cpuTicksFromProcStat(statText(18446744073709551000ull, 0)), 18446744073709551000ull);

    EXPECT_FALSE(KVMCommonUtil::cpuTicksFromProcStat({}).has_value());
    EXPECT_FALSE(KVMCommonUtil::cpuTicksFromProcStat("garbage").has_value());
    EXPECT_FALSE(KVMCommonUtil::cpuTicksFromProcStat("1 (x) S 1 2 3").has_value());
    EXPECT_FALSE(KVMCommonUtil::cpuTicksFromProcStat("1 (x) S 1 1 1 0 -1 0 0 0 0 0 abc 5 0").has_value());

    // The real file of this process parses.
    QFile self("/proc/self/stat");
    ASSERT_TRUE(self.open(QIODevice::ReadOnly));
    EXPECT_TRUE(KVMCommonUtil::cpuTicksFromProcStat(self.readAll()).has_value());
}

TEST(MonitorParseTest, CpuPercentIsOfOneCore)
{
    EXPECT_DOUBLE_EQ(KVMCommonUtil::cpuUsagePercent(100, 10000, 100), 10.0);
    EXPECT_DOUBLE_EQ(KVMCommonUtil::cpuUsagePercent(2000, 10000, 100), 200.0);
    EXPECT_DOUBLE_EQ(KVMCommonUtil::cpuUsagePercent(0, 10000, 100), 0.0);
    EXPECT_DOUBLE_EQ(KVMCommonUtil::cpuUsagePercent(50, 0, 100), 0.0);
    EXPECT_DOUBLE_EQ(KVMCommonUtil::cpuUsagePercent(50, -5, 100), 0.0);
}

TEST(MonitorParseTest, BatteryLevelCountsOnlySystemBatteries)
{
    QTemporaryDir dir;
    const QString root = dir.filePath("power_supply");
    EXPECT_FALSE(KVMCommonUtil::batteryLevelFromPowerSupply(root).has_value()); // no folder
    QDir().mkpath(root);
    EXPECT_FALSE(KVMCommonUtil::batteryLevelFromPowerSupply(root).has_value()); // desktop, no supplies

    addSupply(root, "AC", "Mains", {});
    addSupply(root, "hidpp_battery_0", "Battery", "5", "Device"); // a mouse
    EXPECT_FALSE(KVMCommonUtil::batteryLevelFromPowerSupply(root).has_value());

    addSupply(root, "BAT0", "Battery", "80");
    EXPECT_DOUBLE_EQ(KVMCommonUtil::batteryLevelFromPowerSupply(root).value_or(-1), 80.0);

    addSupply(root, "BAT1", "Battery", "60", "System");
    EXPECT_DOUBLE_EQ(KVMCommonUtil::batteryLevelFromPowerSupply(root).value_or(-1), 70.0);

    addSupply(root, "BAT2", "Battery", "10", {}, "0"); // slot without a battery
    addSupply(root, "BAT3", "Battery", "unknown");     // unreadable level
    EXPECT_DOUBLE_EQ(KVMCommonUtil::batteryLevelFromPowerSupply(root).value_or(-1), 70.0);

    QTemporaryDir other;
    addSupply(other.path(), "BAT0", "Battery", "150");
    EXPECT_DOUBLE_EQ(KVMCommonUtil::batteryLevelFromPowerSupply(other.path()).value_or(-1), 100.0);
}

TEST(MonitorSampleTest, SampleMeasuresSinceThePreviousOneAndHonoursBatteryOff)
{
    VirtualClockScope scope;
    QTemporaryDir dir;
    const QString stat = dir.filePath("stat");
    const QString supply = dir.filePath("power_supply");
    ASSERT_TRUE(writeFile(stat, statText(300, 0)));
    addSupply(supply, "BAT0", "Battery", "42");

    KVMCommonUtil util(stat, supply);
    KVMCommonUtil::Sample s = util.sampleNow();
    EXPECT_DOUBLE_EQ(s.cpu, 0.0); // nothing to compare with yet
    EXPECT_DOUBLE_EQ(s.battery, 42.0);

    ASSERT_TRUE(writeFile(stat, statText(300, ticksPerSecond()))); // one CPU second ...
    scope.clock.advance(10s);                                      // ... in ten seconds
    s = util.sampleNow();
    EXPECT_NEAR(s.cpu, 10.0, 1e-9);

    util.stopMonitorCpuAndBattery(false);
    EXPECT_FALSE(util.isReadingBattery());
    scope.clock.advance(10s);
    s = util.sampleNow();
    EXPECT_DOUBLE_EQ(s.battery, 100.0);
    EXPECT_DOUBLE_EQ(s.cpu, 0.0);

    // Unreadable sources never fail the sample.
    KVMCommonUtil blind(dir.filePath("nope"), dir.filePath("nothing"));
    blind.sampleNow();
    scope.clock.advance(10s);
    s = blind.sampleNow();
    EXPECT_DOUBLE_EQ(s.cpu, 0.0);
    EXPECT_DOUBLE_EQ(s.battery, 100.0);
}

TEST(MonitorTimerTest, ReportsEveryTenSecondsOnTheMainThread)
{
    VirtualClockScope scope;
    QTemporaryDir dir;
    const QString stat = dir.filePath("stat");
    ASSERT_TRUE(writeFile(stat, statText(100, 0)));
    addSupply(dir.filePath("ps"), "BAT0", "Battery", "12");

    KVMCommonUtil util(stat, dir.filePath("ps"));
    std::vector<Report> reports;
    util.beginMonitorCpuUseAge([&](double cpu, double battery) {
        reports.push_back({cpu, battery, QThread::currentThread() == QCoreApplication::instance()->thread()});
    });
    ASSERT_NE(util.monitorThread(), nullptr);
    EXPECT_EQ(util.monitorThread()->objectName(), "com.meeting.cpuMonitorThread");
    EXPECT_TRUE(util.monitorThread()->isRunning());
    EXPECT_TRUE(util.isMonitoring());

    // Two CPU seconds between the start and the first report.
    ASSERT_TRUE(writeFile(stat, statText(100 + 2 * ticksPerSecond(), 0)));
    scope.clock.advance(9999ms);
    drainMainQueue();
    EXPECT_TRUE(reports.empty());
    scope.clock.advance(1ms);
    drainMainQueue();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NEAR(reports[0].cpu, 20.0, 1e-9);
    EXPECT_DOUBLE_EQ(reports[0].battery, 12.0);
    EXPECT_TRUE(reports[0].onMain);

    scope.clock.advance(30s);
    drainMainQueue();
    EXPECT_EQ(reports.size(), 4u);
    EXPECT_DOUBLE_EQ(reports.back().cpu, 0.0);
}

TEST(MonitorTimerTest, PauseStopsReportsAndASecondBeginResumesWithTheNewBlock)
{
    VirtualClockScope scope;
    QTemporaryDir dir;
    KVMCommonUtil util(dir.filePath("stat"), dir.filePath("ps"));
    int first = 0;
    int second = 0;
    util.beginMonitorCpuUseAge([&](double, double battery) {
        ++first;
        EXPECT_DOUBLE_EQ(battery, 100.0); // no battery at all
    });
    scope.clock.advance(10s);
    drainMainQueue();
    EXPECT_EQ(first, 1);

    util.stopMonitorCpuAndBattery(true);
    EXPECT_FALSE(util.isMonitoring());
    scope.clock.advance(60s);
    drainMainQueue();
    EXPECT_EQ(first, 1);
    util.stopMonitorCpuAndBattery(true); // pausing twice is harmless

    QThread *const thread = util.monitorThread();
    util.beginMonitorCpuUseAge([&](double, double) { ++second; });
    EXPECT_EQ(util.monitorThread(), thread) << "resuming must not start another thread";
    EXPECT_TRUE(util.isMonitoring());
    scope.clock.advance(20s);
    drainMainQueue();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);

    // Beginning again while running changes nothing but the receiver: still one report per period.
    util.beginMonitorCpuUseAge([&](double, double) { ++second; });
    scope.clock.advance(10s);
    drainMainQueue();
    EXPECT_EQ(second, 3);
}

TEST(MonitorTimerTest, BatteryOffKeepsCpuReportsComing)
{
    VirtualClockScope scope;
    QTemporaryDir dir;
    addSupply(dir.filePath("ps"), "BAT0", "Battery", "9");
    KVMCommonUtil util(dir.filePath("stat"), dir.filePath("ps"));
    std::vector<double> batteries;
    util.beginMonitorCpuUseAge([&](double, double battery) { batteries.push_back(battery); });
    scope.clock.advance(10s);
    drainMainQueue();
    util.stopMonitorCpuAndBattery(false);
    EXPECT_TRUE(util.isMonitoring());
    scope.clock.advance(20s);
    drainMainQueue();
    EXPECT_EQ(batteries, (std::vector<double>{9.0, 100.0, 100.0}));
}

TEST(MonitorTimerTest, DestroyingTheMonitorStopsItsThreadAndPendingReports)
{
    VirtualClockScope scope;
    QTemporaryDir dir;
    int reports = 0;
    {
        KVMCommonUtil util(dir.filePath("stat"), dir.filePath("ps"));
        util.beginMonitorCpuUseAge([&](double, double) { ++reports; });
        scope.clock.advance(10s); // a report is queued for the main thread ...
    }                             // ... and its owner dies before it is delivered
    drainMainQueue();
    EXPECT_EQ(reports, 0);
    scope.clock.advance(30s);
    EXPECT_EQ(scope.clock.pendingCount(), 0);
}

TEST(MonitorTimerTest, SharedInstanceIsOneMonitor)
{
    EXPECT_EQ(&KVMCommonUtil::sharedInstance(), &KVMCommonUtil::sharedInstance());
    EXPECT_FALSE(KVMCommonUtil::sharedInstance().isMonitoring());
    const KVMCommonUtil::Sample s = KVMCommonUtil::sharedInstance().sampleNow();
    EXPECT_GE(s.cpu, 0.0);
    EXPECT_GE(s.battery, 0.0);
    EXPECT_LE(s.battery, 100.0);
}
