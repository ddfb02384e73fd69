#include "devices/audio/KVAudioLevel.h"
#include "foundation/models/KVAudioDevice.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

TEST(KVAudioLevel, MeterReadsDecibelsFromSilenceToFullScale)
{
    const std::vector<float> silence(480, 0.0f);
    EXPECT_EQ(KVAudioLevel::levelOfSamples(silence), 0);
    EXPECT_EQ(KVAudioLevel::levelOfSamples({}), 0);

    std::vector<float> full(480, 0.0f);
    full[100] = -1.0f; // a negative peak counts as much as a positive one
    EXPECT_EQ(KVAudioLevel::levelOfSamples(full), 100);

    const std::vector<float> tenth(480, 0.1f); // -20 dBFS
    EXPECT_EQ(KVAudioLevel::levelOfSamples(tenth), 67);

    const std::vector<float> clipped(16, 4.0f); // over full scale stays at the top
    EXPECT_EQ(KVAudioLevel::levelOfSamples(clipped), 100);

    // A corrupt sample must not take the meter to the top or below zero.
    std::vector<float> broken(16, 0.0f);
    broken[3] = std::numeric_limits<float>::quiet_NaN();
    broken[4] = std::numeric_limits<float>::infinity();
    EXPECT_EQ(KVAudioLevel::levelOfSamples(broken), 0);
}

TEST(KVAudioLevel, VolumeScaleMapsOntoTheServerScaleAndBack)
{
    EXPECT_EQ(KVAudioLevel::toPulseVolume(0), 0u);
    EXPECT_EQ(KVAudioLevel::toPulseVolume(255), KVAudioLevel::kPulseNorm);
    EXPECT_EQ(KVAudioLevel::toPulseVolume(1000), KVAudioLevel::kPulseNorm); // clamped, never boosted
    for (quint32 v = 0; v <= 255; ++v)
        ASSERT_EQ(KVAudioLevel::fromPulseVolume(KVAudioLevel::toPulseVolume(v)), v) << v;
    // Boosted by another mixer: reads as the top of the slider.
    EXPECT_EQ(KVAudioLevel::fromPulseVolume(KVAudioLevel::kPulseNorm * 3 / 2), 255u);
}

TEST(KVAudioDevice, DefaultEntryDisplaysInChineseAndIdsAreStable)
{
    KVAudioDevice systemDefault;
    systemDefault.name = QStringLiteral("default (Built-in Output)");
    EXPECT_EQ(systemDefault.displayName(), QStringLiteral("系统默认 (Built-in Output)"));
    EXPECT_TRUE(systemDefault.isSystemDefault());

    const KVAudioDevice usb =
        KVAudioDevice::device(QStringLiteral("alsa_output.usb-headset"), QStringLiteral("Headset"));
    EXPECT_EQ(usb.displayName(), QStringLiteral("Headset"));
    EXPECT_FALSE(usb.isSystemDefault());
    EXPECT_NE(usb.deviceID, 0u); // 0 is the default entry's
    EXPECT_EQ(usb.deviceID, KVAudioDevice::deviceIDForUniqueID(QStringLiteral("alsa_output.usb-headset")));
    EXPECT_NE(usb.deviceID, KVAudioDevice::deviceIDForUniqueID(QStringLiteral("alsa_output.usb-headset.2")));
    // FNV-1a of "a": the value must not change between runs or builds.
    EXPECT_EQ(KVAudioDevice::deviceIDForUniqueID(QStringLiteral("a")), 0xe40c292cu);
}
