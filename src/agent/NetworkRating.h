#pragma once

#include "agent/engine/KRTCTypes.h"

#include <QHash>
#include <QString>

// Rates the own connection from the engine's statistics records: level 0 (good) to 4 (not
// usable), and decides when the manager warns.
//
// The rule, in one place:
// - A record rates by its loss (percent) and round-trip time (ms) of its kind (audio or video):
//       level 0: loss <  3 and rtt <  200
//       level 1: loss <  8 and rtt <  400
//       level 2: loss < 15 and rtt <  700
//       level 3: loss < 30 and rtt < 1500
//       level 4: anything worse
// - Only records of the last 6 s count, the latest per stream. The own streams rate the
//   connection (the worst of them): they measure our own uplink. Without an own stream, the
//   best remote stream rates it: one clean remote stream shows our downlink is fine, and a
//   sender's bad uplink must not mark ours bad.
// - A worse level applies at once; a better one only after it held for 4 s (no flapping).
//   The level is posted only when it changes.
// - The network warning goes out when the level enters 3 or worse, at most once a minute.
// - The audio-only advice goes out when the level stayed 4 for 10 s, at most once in 5 min.
class NetworkRating final {
public:
    struct Outcome {
        bool levelChanged = false;
        int level = 0;
        bool networkWarning = false;
        bool qosWarning = false;
    };

    static constexpr qint64 SampleLifeMs = 6000;
    static constexpr qint64 ImproveAfterMs = 4000;
    static constexpr qint64 NetworkWarningGapMs = 60000;
    static constexpr qint64 QosAfterMs = 10000;
    static constexpr qint64 QosWarningGapMs = 300000;

    [[nodiscard]] static int levelFor(qint64 lostRate, qint64 rtt);
    [[nodiscard]] static int levelFor(const KRTCStatistics &stats);

    Outcome addStatistics(const KRTCStatistics &stats, qint64 nowMs);
    // The connection to the media server is gone: level 4 at once, whatever the last records
    // said; records after the reconnect rate it again (improving after ImproveAfterMs).
    Outcome connectionLost();
    // The connection is back: the loss no longer rates it (level 0 until records say otherwise;
    // a worse record applies at once).
    Outcome connectionRestored();
    // -1 until the first record.
    [[nodiscard]] int level() const { return m_level; }
    // Forgets everything (a new meeting).
    void reset();

private:
    struct Sample {
        int level = 0;
        bool local = false;
        qint64 atMs = 0;
    };
    [[nodiscard]] int candidate(qint64 nowMs);

    QHash<QString, Sample> m_samples;
    int m_level = -1;
    qint64 m_betterSinceMs = -1;
    int m_betterLevel = -1;
    qint64 m_worstSinceMs = -1;
    qint64 m_lastNetworkWarningMs = -1;
    qint64 m_lastQosWarningMs = -1;
    bool m_lost = false; // the level is the loss's, not the records'
};
