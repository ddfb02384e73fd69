#include "agent/NetworkRating.h"

#include <algorithm>

int NetworkRating::levelFor(qint64 lostRate, qint64 rtt)
{
    if (lostRate < 3 && rtt < 200)
        return 0;
    if (lostRate < 8 && rtt < 400)
        return 1;
    if (lostRate < 15 && rtt < 700)
        return 2;
    if (lostRate < 30 && rtt < 1500)
        return 3;
    return 4;
}

int NetworkRating::levelFor(const KRTCStatistics &stats)
{
    return stats.isVideo() ? levelFor(stats.videoLostRate, stats.videoRtt)
                           : levelFor(stats.audioLostRate, stats.audioRtt);
}

int NetworkRating::candidate(qint64 nowMs)
{
    int worstLocal = -1;
    int bestRemote = -1;
    for (auto it = m_samples.begin(); it != m_samples.end();) {
        if (nowMs - it->atMs > SampleLifeMs) {
            it = m_samples.erase(it);
            continue;
        }
        if (it->local)
            worstLocal = std::max(worstLocal, it->level);
        else
            bestRemote = bestRemote < 0 ? it->level : std::min(bestRemote, it->level);
        ++it;
    }
    return worstLocal >= 0 ? worstLocal : bestRemote;
}

NetworkRating::Outcome NetworkRating::addStatistics(const KRTCStatistics &stats, qint64 nowMs)
{
    const QString key = QString::number(int(stats.kind)) + QLatin1Char('|') + stats.peerId + QLatin1Char('|') +
                        QString::number(stats.isVideo() ? stats.videoSourceType : stats.audioSourceType);
    m_samples.insert(key, Sample{levelFor(stats), stats.isLocal(), nowMs});

    Outcome out;
    const int next = candidate(nowMs);
    const int before = m_level;
    if (next < 0)
        return out;
    if (m_level < 0 || next > m_level) {
        m_level = next;
        m_betterSinceMs = -1;
    } else if (next < m_level) {
        // The level improves to the worst of what held during the wait.
        if (m_betterSinceMs < 0) {
            m_betterSinceMs = nowMs;
            m_betterLevel = next;
        } else {
            m_betterLevel = std::max(m_betterLevel, next);
        }
        if (nowMs - m_betterSinceMs >= ImproveAfterMs) {
            m_level = m_betterLevel;
            m_betterSinceMs = -1;
            m_betterLevel = -1;
        }
    } else {
        m_betterSinceMs = -1;
        m_betterLevel = -1;
    }

    out.level = m_level;
    out.levelChanged = m_level != before;
    if (out.levelChanged && m_level >= 3 && (before < 3) &&
        (m_lastNetworkWarningMs < 0 || nowMs - m_lastNetworkWarningMs >= NetworkWarningGapMs)) {
        out.networkWarning = true;
        m_lastNetworkWarningMs = nowMs;
    }
    if (m_level == 4) {
        if (m_worstSinceMs < 0)
            m_worstSinceMs = nowMs;
        if (nowMs - m_worstSinceMs >= QosAfterMs &&
            (m_lastQosWarningMs < 0 || nowMs - m_lastQosWarningMs >= QosWarningGapMs)) {
            out.qosWarning = true;
            m_lastQosWarningMs = nowMs;
        }
    } else {
        m_worstSinceMs = -1;
    }
    return out;
}

NetworkRating::Outcome NetworkRating::connectionLost()
{
    m_samples.clear();
    m_betterSinceMs = -1;
    m_betterLevel = -1;
    // The reconnect banner says it already; no advice to switch to audio for a dead line.
    m_worstSinceMs = -1;
    m_lost = true;
    Outcome out;
    out.levelChanged = m_level != 4;
    out.level = m_level = 4;
    return out;
}

NetworkRating::Outcome NetworkRating::connectionRestored()
{
    Outcome out;
    if (!m_lost)
        return out;
    m_lost = false;
    out.levelChanged = m_level != 0;
    out.level = m_level = 0;
    return out;
}

void NetworkRating::reset()
{
    *this = NetworkRating();
}
