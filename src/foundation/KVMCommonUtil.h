#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class KVTimer;
class QThread;

// Device and resource utilities. The resource monitor samples the process's processor use and the
// battery level every 10 s on its own thread ("com.meeting.cpuMonitorThread") and reports both on
// the main thread.
class KVMCommonUtil final : public QObject {
    Q_OBJECT
public:
    // Processor use in percent of one core; battery level in percent.
    using MonitorBlock = std::function<void(double cpu, double battery)>;

    struct Sample {
        double cpu = 0.0;
        double battery = 100.0;
    };

    static constexpr std::chrono::seconds kSampleInterval{10};

    static KVMCommonUtil &sharedInstance();

    // The sources are files of the kernel; tests give fakes.
    explicit KVMCommonUtil(QString procStatPath = QStringLiteral("/proc/self/stat"),
                           QString powerSupplyDir = QStringLiteral("/sys/class/power_supply"),
                           QObject *parent = nullptr);
    ~KVMCommonUtil() override;

    // Starts the 10 s sampling (main thread). A later call resumes a paused monitor and makes block
    // the one that receives the reports, reading the battery again. Returns the block's number for
    // dropMonitorBlock.
    quint64 beginMonitorCpuUseAge(MonitorBlock block);
    // Drops the block of that number while it still receives the reports (a later begin may have
    // replaced it); true when it was dropped.
    bool dropMonitorBlock(quint64 blockNumber);
    // true pauses the sampling; false stops reading the battery only (it then reads 100).
    void stopMonitorCpuAndBattery(bool pause);

    // Takes one sample now: processor use since the previous sample (0 for the first) and the
    // battery level (100 without a battery or once battery reading is off). Used by the timer.
    Sample sampleNow();
    // Hands a sample to the current block on the main thread, as the timer does with each one.
    void report(const Sample &sample);

    [[nodiscard]] bool isMonitoring() const { return m_running.load(); }
    [[nodiscard]] bool isReadingBattery() const;
    [[nodiscard]] QThread *monitorThread() const { return m_thread.get(); }

    // utime + stime (clock ticks) from the text of /proc/<pid>/stat; nullopt when malformed.
    [[nodiscard]] static std::optional<quint64> cpuTicksFromProcStat(const QByteArray &statText);
    // ticksDelta over wallMsDelta as percent of one core; 0 for no elapsed time.
    [[nodiscard]] static double cpuUsagePercent(quint64 ticksDelta, qint64 wallMsDelta, qint64 ticksPerSecond);
    // Mean capacity of the system batteries in a power_supply folder; nullopt when there is none.
    [[nodiscard]] static std::optional<double> batteryLevelFromPowerSupply(const QString &powerSupplyDir);

private:
    void tick();
    void resetBaseline();
    void runOnMonitorThread(const std::function<void()> &fn);
    [[nodiscard]] std::optional<quint64> readCpuTicks() const;

    const QString m_procStatPath;
    const QString m_powerSupplyDir;

    mutable std::mutex m_mutex; // guards the fields below
    MonitorBlock m_block;
    quint64 m_blockNumber = 0;
    bool m_readBattery = true;
    std::optional<quint64> m_lastTicks;
    qint64 m_lastWallMs = 0;

    std::atomic<bool> m_running{false};
    std::unique_ptr<QThread> m_thread;
    QObject *m_threadContext = nullptr; // lives on m_thread; owns the timer
    QPointer<KVTimer> m_timer;          // touched on m_thread only
};
