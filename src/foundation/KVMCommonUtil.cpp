#include "KVMCommonUtil.h"

#include "KVClock.h"
#include "MainQueue.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <unistd.h>

#include <algorithm>

namespace {

QByteArray readSmallFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // Kernel files report size 0; readAll reads them to the end regardless.
    return f.readAll();
}

qint64 ticksPerSecond()
{
    static const qint64 tps = [] {
        const long v = sysconf(_SC_CLK_TCK);
        return v > 0 ? static_cast<qint64>(v) : qint64(100);
    }();
    return tps;
}

} // namespace

KVMCommonUtil &KVMCommonUtil::sharedInstance()
{
    static KVMCommonUtil util;
    return util;
}

KVMCommonUtil::KVMCommonUtil(QString procStatPath, QString powerSupplyDir, QObject *parent)
    : QObject(parent), m_procStatPath(std::move(procStatPath)), m_powerSupplyDir(std::move(powerSupplyDir))
{
}

KVMCommonUtil::~KVMCommonUtil()
{
    if (!m_thread)
        return;
    // The timer and its context die on their own thread, then the thread ends.
    runOnMonitorThread([this] {
        delete m_threadContext;
        m_threadContext = nullptr;
    });
    m_thread->quit();
    m_thread->wait();
}

void KVMCommonUtil::runOnMonitorThread(const std::function<void()> &fn)
{
    if (!m_thread || !m_threadContext)
        return;
    if (QThread::currentThread() == m_thread.get())
        fn();
    else
        QMetaObject::invokeMethod(m_threadContext, fn, Qt::BlockingQueuedConnection);
}

quint64 KVMCommonUtil::beginMonitorCpuUseAge(MonitorBlock block)
{
    quint64 number;
    {
        std::lock_guard lock(m_mutex);
        // The latest caller gets the reports: a meeting window that begins monitoring again must
        // not leave them going to the block of one that is gone.
        m_block = std::move(block);
        number = ++m_blockNumber;
        // Battery reading stops for the rest of one meeting only: the next one reads it again.
        m_readBattery = true;
    }
    if (!m_thread) {
        m_thread = std::make_unique<QThread>();
        m_thread->setObjectName(QStringLiteral("com.meeting.cpuMonitorThread"));
        m_threadContext = new QObject;
        m_threadContext->moveToThread(m_thread.get());
        m_thread->start();
    }
    // Blocking: once this returns the timer is armed (tests advance virtual time right after).
    runOnMonitorThread([this] {
        if (m_timer)
            return;
        resetBaseline();
        m_timer = KVTimer::repeating(m_threadContext, kSampleInterval, [this] { tick(); });
        m_running = true;
    });
    return number;
}

bool KVMCommonUtil::dropMonitorBlock(quint64 blockNumber)
{
    std::lock_guard lock(m_mutex);
    if (!m_block || blockNumber != m_blockNumber)
        return false;
    m_block = nullptr;
    return true;
}

void KVMCommonUtil::stopMonitorCpuAndBattery(bool pause)
{
    if (!pause) {
        std::lock_guard lock(m_mutex);
        m_readBattery = false;
        return;
    }
    runOnMonitorThread([this] {
        delete m_timer.data();
        m_running = false;
    });
}

bool KVMCommonUtil::isReadingBattery() const
{
    std::lock_guard lock(m_mutex);
    return m_readBattery;
}

std::optional<quint64> KVMCommonUtil::readCpuTicks() const
{
    return cpuTicksFromProcStat(readSmallFile(m_procStatPath));
}

void KVMCommonUtil::resetBaseline()
{
    const auto ticks = readCpuTicks();
    const qint64 now = KVClock::current().nowMs();
    std::lock_guard lock(m_mutex);
    m_lastTicks = ticks;
    m_lastWallMs = now;
}

KVMCommonUtil::Sample KVMCommonUtil::sampleNow()
{
    const auto ticks = readCpuTicks();
    const qint64 now = KVClock::current().nowMs();
    bool readBattery;
    Sample s;
    {
        std::lock_guard lock(m_mutex);
        if (ticks && m_lastTicks && *ticks >= *m_lastTicks)
            s.cpu = cpuUsagePercent(*ticks - *m_lastTicks, now - m_lastWallMs, ticksPerSecond());
        m_lastTicks = ticks;
        m_lastWallMs = now;
        readBattery = m_readBattery;
    }
    if (readBattery)
        s.battery = batteryLevelFromPowerSupply(m_powerSupplyDir).value_or(100.0);
    return s;
}

void KVMCommonUtil::tick()
{
    report(sampleNow());
}

void KVMCommonUtil::report(const Sample &s)
{
    // The block is looked up when the report arrives: one dropped or replaced meanwhile never runs.
    MainQueue::async(this, [this, s] {
        MonitorBlock block;
        {
            std::lock_guard lock(m_mutex);
            block = m_block;
        }
        if (block)
            block(s.cpu, s.battery);
    });
}

std::optional<quint64> KVMCommonUtil::cpuTicksFromProcStat(const QByteArray &statText)
{
    // "pid (comm) state ppid ...": comm may hold blanks and ')', so fields count from the last ')'.
    const qsizetype close = statText.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    const QList<QByteArray> fields = statText.mid(close + 1).simplified().split(' ');
    // After comm: [0] state (field 3) ... [11] utime (field 14), [12] stime (field 15).
    constexpr int kUtime = 11;
    constexpr int kStime = 12;
    if (fields.size() <= kStime)
        return std::nullopt;
    bool okU = false;
    bool okS = false;
    const quint64 utime = fields.at(kUtime).toULongLong(&okU);
    const quint64 stime = fields.at(kStime).toULongLong(&okS);
    if (!okU || !okS)
        return std::nullopt;
    return utime + stime;
}

double KVMCommonUtil::cpuUsagePercent(quint64 ticksDelta, qint64 wallMsDelta, qint64 ticksPerSecond)
{
    if (wallMsDelta <= 0 || ticksPerSecond <= 0)
        return 0.0;
    const double cpuSeconds = static_cast<double>(ticksDelta) / static_cast<double>(ticksPerSecond);
    return cpuSeconds * 100000.0 / static_cast<double>(wallMsDelta);
}

std::optional<double> KVMCommonUtil::batteryLevelFromPowerSupply(const QString &powerSupplyDir)
{
    const QDir dir(powerSupplyDir);
    if (!dir.exists())
        return std::nullopt;
    double sum = 0.0;
    int count = 0;
    const QStringList entries = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : entries) {
        const QString base = dir.filePath(name) + u'/';
        if (readSmallFile(base + QStringLiteral("type")).trimmed() != "Battery")
            continue;
        // Mice and headsets report batteries too ("scope" Device); only the system's counts.
        if (readSmallFile(base + QStringLiteral("scope")).trimmed() == "Device")
            continue;
        if (readSmallFile(base + QStringLiteral("present")).trimmed() == "0")
            continue;
        bool ok = false;
        const int capacity = readSmallFile(base + QStringLiteral("capacity")).trimmed().toInt(&ok);
        if (!ok)
            continue;
        sum += std::clamp(capacity, 0, 100);
        ++count;
    }
    if (count == 0)
        return std::nullopt;
    return sum / count;
}
