#pragma once

#include <QtGlobal>

#include <cmath>
#include <span>

// Conversions between the device layer's scales and the sound server's.
namespace KVAudioLevel {

// The system volume scale of the settings (0..255) over PulseAudio's 0..PA_VOLUME_NORM.
inline constexpr quint32 kMaxVolume = 255;
inline constexpr quint32 kPulseNorm = 0x10000U;

[[nodiscard]] inline quint32 toPulseVolume(quint32 volume)
{
    const quint32 clamped = qMin(volume, kMaxVolume);
    return static_cast<quint32>((static_cast<quint64>(clamped) * kPulseNorm + kMaxVolume / 2) / kMaxVolume);
}

// Volumes boosted above 100% by other mixers read as the top of the scale.
[[nodiscard]] inline quint32 fromPulseVolume(quint32 pulseVolume)
{
    const quint64 scaled = (static_cast<quint64>(pulseVolume) * kMaxVolume + kPulseNorm / 2) / kPulseNorm;
    return static_cast<quint32>(qMin<quint64>(scaled, kMaxVolume));
}

// The meter level 0..100 of a block of float samples: the peak in decibels,
// -60 dBFS and below read 0, full scale reads 100. A logarithmic meter moves
// for quiet speech, which a linear one barely shows.
[[nodiscard]] inline int levelOfSamples(std::span<const float> samples)
{
    float peak = 0.0f;
    for (const float s : samples) {
        const float a = std::fabs(s);
        if (std::isfinite(a) && a > peak)
            peak = a;
    }
    if (peak <= 0.001f)
        return 0;
    const double db = 20.0 * std::log10(qMin(1.0, static_cast<double>(peak)));
    const double level = (db + 60.0) / 60.0 * 100.0;
    return qBound(0, static_cast<int>(std::ceil(level)), 100);
}

} // namespace KVAudioLevel
