#pragma once

// What the system tips of one meeting window showed and what the user silenced, and the rules
// that decide whether a tip shows. Plain code: the window applies the answer.

#include <optional>

struct KVSystemTipModel {
    bool hasCpuWarning = false;             // the CPU tip was shown in this meeting
    bool hasBatteryWarning = false;         // the battery tip was shown
    bool notRemindOnlyAudioWarning = false; // the audio-only advice is silenced (or was taken)
    // Project-clock seconds of the last network or audio-only tip; none before the first. The
    // clock is monotonic, so a change of the system time neither repeats nor silences a tip.
    std::optional<double> lastBadNetworkTime;
};

namespace SystemTipRules {

enum Style { HighCpu = 0, PoorNetwork = 1, OnlyAudio = 2, LowBattery = 3 };

inline constexpr double kBadNetworkInterval = 300.0; // seconds between network or audio-only tips
inline constexpr double kHighCpuPercent = 90.0;      // a report above it is high
inline constexpr double kLowBatteryPercent = 15.0;   // a report below it is low

struct Context {
    bool tipShown = false;              // a tip is on screen now
    bool notRemindHighCpuAgain = false; // the manager's flags, kept for the process
    bool noloogerShowNetWorkPopView = false;
    double now = 0.0; // project-clock seconds
};

// Whether a tip of the style shows now; when it does, the model records it. An audio-only tip
// that shows replaces the one on screen; the others wait while one is shown. Other styles never show.
[[nodiscard]] bool admit(int style, KVSystemTipModel &model, const Context &context);

} // namespace SystemTipRules
