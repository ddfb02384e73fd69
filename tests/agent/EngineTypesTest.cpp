#include "agent/engine/KRTCEngineOC.h"
#include "agent/engine/KRTCTypes.h"

#include "foundation/RXEncrypt.h"

#include <gtest/gtest.h>

namespace {

// An encrypted phone number whose hex holds "fc" (and, when asked, ends in "f").
QString encryptedWithFc(bool endingInF)
{
    for (qint64 n = 13800000000; n < 13800100000; ++n) {
        const QString hex = RXEncrypt::aes128ecbEncrypt(QString::number(n));
        if (hex.contains(QStringLiteral("fc")) && (!endingInF || hex.endsWith(QLatin1Char('f'))))
            return hex;
    }
    return {};
}

TEST(EngineTypes, ScreenOption_KeepsWhatTheSettersSet)
{
    KRTCScreenOption option;
    EXPECT_EQ(option.m_nWidth(), 0) << "size unset until a level gives one";
    EXPECT_EQ(option.m_nHeight(), 0);

    option.setM_ScreenOrWindowId(0x3a00007);
    option.setM_eType(KRTCScreenOption::TypeWindow);
    option.setM_nWidth(1280);
    option.setM_nHeight(720);
    option.setM_nMaxVideoBW(5000000);
    option.setM_eVideoEncodeQuality(33);
    option.setM_nNumSpatialLayers(1);
    option.setM_reconnectRecoverScreen(true);
    option.setM_nFPS(15);

    const KRTCScreenOption copy = option;
    EXPECT_EQ(copy.m_ScreenOrWindowId(), 0x3a00007);
    EXPECT_EQ(copy.m_eType(), 2);
    EXPECT_EQ(copy.m_nWidth(), 1280);
    EXPECT_EQ(copy.m_nHeight(), 720);
    EXPECT_EQ(copy.m_nMaxVideoBW(), 5000000);
    EXPECT_EQ(copy.m_eVideoEncodeQuality(), 33);
    EXPECT_EQ(copy.m_nNumSpatialLayers(), 1);
    EXPECT_TRUE(copy.m_reconnectRecoverScreen());
    EXPECT_EQ(copy.m_nFPS(), 15);
}

TEST(EngineTypes, StreamLevel_GivesTheShareSizeOnlyForLevelsOneToThree)
{
    EXPECT_EQ(KRTCScreenOption::sizeForStreamLevel(1), QSize(640, 360));
    EXPECT_EQ(KRTCScreenOption::sizeForStreamLevel(2), QSize(1280, 720));
    EXPECT_EQ(KRTCScreenOption::sizeForStreamLevel(3), QSize(1920, 1080));
    for (qint64 level : {0, 4, 9, -1})
        EXPECT_FALSE(KRTCScreenOption::sizeForStreamLevel(level).isValid()) << level;
}

TEST(EngineTypes, LevelId_CutsBackToThePeerIdEvenWhenTheHexHoldsFc)
{
    const QString withFc = encryptedWithFc(false);
    const QString endingInF = encryptedWithFc(true);
    ASSERT_FALSE(withFc.isEmpty());
    ASSERT_FALSE(endingInF.isEmpty());
    for (const QString &peerId : {withFc, endingInF, QStringLiteral("plain"), QStringLiteral("fcfc")}) {
        EXPECT_EQ(KRTCPeerId::fromLevelId(KRTCPeerId::levelId(peerId, true)), peerId);
        EXPECT_EQ(KRTCPeerId::fromLevelId(KRTCPeerId::levelId(peerId, false)), peerId);
    }
    // The first "fc" would have cut the peer id short.
    EXPECT_NE(withFc.left(withFc.indexOf(QStringLiteral("fc"))), withFc);
    EXPECT_EQ(KRTCPeerId::fromLevelId(QStringLiteral("noseparator")), QStringLiteral("noseparator"));
    EXPECT_NE(KRTCPeerId::levelId(withFc, true), KRTCPeerId::levelId(withFc, false));
}

TEST(EngineTypes, Statistics_KindTellsLocalAndVideo)
{
    KRTCStatistics s;
    s.kind = KRTCStatsKind::LocalVideo;
    EXPECT_TRUE(s.isLocal());
    EXPECT_TRUE(s.isVideo());
    s.kind = KRTCStatsKind::RemoteAudio;
    EXPECT_FALSE(s.isLocal());
    EXPECT_FALSE(s.isVideo());
    // Records travel as notification objects.
    const QVariant boxed = QVariant::fromValue(s);
    EXPECT_EQ(boxed.value<KRTCStatistics>().kind, KRTCStatsKind::RemoteAudio);
}

} // namespace
