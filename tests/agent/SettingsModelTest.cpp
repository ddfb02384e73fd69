// The persisted settings models: first start, partial and foreign dictionaries, rewrites.
#include "agent/KVMoreSetting.h"
#include "agent/MainSettingModel.h"
#include "agent/MainSettingMonitorModel.h"
#include "agent/SubtitleSettingModel.h"
#include "agent/VeskAppAgent.h"
#include "foundation/UserDefaults.h"

#include <gtest/gtest.h>

namespace {

UserDefaults &defaults()
{
    return UserDefaults::standardUserDefaults();
}

const QStringList kMainKeys{"autoCameraOn", "autoMicphoneOn", "showCurrentSpeaker", "videoMirror", "videoFill"};

class SettingsModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        defaults().removeObjectForKey(MainSettingModel::kDefaultsKey);
        defaults().removeObjectForKey(SubtitleSettingModel::kDefaultsKey);
        defaults().removeObjectForKey(KVMoreSetting::kDefaultsKey);
    }
};

TEST_F(SettingsModelTest, FirstStart_DefaultsInMemoryOnly_SubtitleEntryWrittenAtOnce)
{
    MainSettingModel model;
    EXPECT_FALSE(model.autoCameraOn());
    EXPECT_FALSE(model.autoMicphoneOn());
    EXPECT_TRUE(model.showCurrentSpeaker());
    EXPECT_TRUE(model.videoMirror());
    EXPECT_FALSE(model.videoFill());
    EXPECT_FALSE(defaults().contains(MainSettingModel::kDefaultsKey));

    const QVariantMap sub = defaults().dictionaryForKey(SubtitleSettingModel::kDefaultsKey);
    EXPECT_EQ(sub.value("subTitleLevel").toInt(), 1);
    EXPECT_EQ(sub.value("subTitleLanguageType").toInt(), 0);
    EXPECT_EQ(sub.value("myLanguageType").toInt(), 0);
    EXPECT_EQ(model.subtitle()->subTitleLevel(), 1);
}

TEST_F(SettingsModelTest, PartialDictionary_MissingKeysLoadAsNo_AndAllFiveAreRewritten)
{
    defaults().setObject(QVariantMap{{"videoFill", true}}, MainSettingModel::kDefaultsKey);
    MainSettingModel model;
    EXPECT_FALSE(model.autoCameraOn());
    EXPECT_FALSE(model.autoMicphoneOn());
    EXPECT_FALSE(model.showCurrentSpeaker());
    EXPECT_FALSE(model.videoMirror());
    EXPECT_TRUE(model.videoFill());
    const QVariantMap stored = defaults().dictionaryForKey(MainSettingModel::kDefaultsKey);
    for (const QString &key : kMainKeys)
        EXPECT_TRUE(stored.contains(key)) << key.toStdString();
    EXPECT_TRUE(stored.value("videoFill").toBool());
    EXPECT_FALSE(stored.value("videoMirror").toBool());
}

TEST_F(SettingsModelTest, ForeignValues_LoadAsNoOrZero_NumbersAreTakenAsStored)
{
    defaults().setObject(QVariantMap{{"autoCameraOn", "yes"}, {"autoMicphoneOn", 1}, {"videoMirror", 0.0}},
                         MainSettingModel::kDefaultsKey);
    defaults().setObject(QVariantMap{{"subTitleLevel", 7}, {"subTitleLanguageType", "1"}},
                         SubtitleSettingModel::kDefaultsKey);
    MainSettingModel model;
    EXPECT_FALSE(model.autoCameraOn()); // a string is not a number
    EXPECT_TRUE(model.autoMicphoneOn());
    EXPECT_FALSE(model.videoMirror());
    EXPECT_EQ(model.subtitle()->subTitleLevel(), 7); // no range check
    EXPECT_EQ(model.subtitle()->subTitleLanguageType(), 0);
    EXPECT_EQ(model.subtitle()->myLanguageType(), 0);
    const QVariantMap sub = defaults().dictionaryForKey(SubtitleSettingModel::kDefaultsKey);
    EXPECT_EQ(sub.size(), 3);
}

TEST_F(SettingsModelTest, ChangingOneSwitch_RewritesAllFiveKeys_AndSurvivesARestart)
{
    {
        MainSettingModel model;
        model.setVideoFill(true);
        const QVariantMap stored = defaults().dictionaryForKey(MainSettingModel::kDefaultsKey);
        EXPECT_EQ(stored.size(), 5);
        EXPECT_TRUE(stored.value("showCurrentSpeaker").toBool());
        EXPECT_TRUE(stored.value("videoMirror").toBool());
        EXPECT_TRUE(stored.value("videoFill").toBool());
        model.subtitle()->setMyLanguageType(2);
        model.setCurrentCamera(KVVideoDevice::deviceUniqueID("/dev/video0", "Cam"));
        model.setCurrentMicphone(KVAudioDevice::device("mic", "Mic"));
    }
    UserDefaults::resetStandardUserDefaults();
    MainSettingModel again;
    EXPECT_TRUE(again.videoFill());
    EXPECT_TRUE(again.videoMirror());
    EXPECT_EQ(again.subtitle()->myLanguageType(), 2);
    // Device choices are never persisted.
    EXPECT_FALSE(again.currentCamera().has_value());
    EXPECT_FALSE(again.currentMicphone().has_value());
    EXPECT_FALSE(again.currentSpeaker().has_value());
    for (const QString &key : defaults().dictionaryForKey(MainSettingModel::kDefaultsKey).keys())
        EXPECT_TRUE(kMainKeys.contains(key));
}

TEST_F(SettingsModelTest, AgentSettingModel_IsCreatedOnceAndKept)
{
    VeskAppAgent::resetSharedInstance();
    MainSettingModel *first = VeskAppAgent::sharedInstance()->settingModel();
    EXPECT_EQ(VeskAppAgent::sharedInstance()->settingModel(), first);
    first->setAutoCameraOn(true);
    EXPECT_TRUE(VeskAppAgent::sharedInstance()->settingModel()->autoCameraOn());
    VeskAppAgent::resetSharedInstance();
}

TEST_F(SettingsModelTest, MoreSetting_PathRoundTrips_NoPathStoresEmptyDictionary_RemoveDropsKey)
{
    KVMoreSetting setting;
    setting.mattingPath = QStringLiteral("/tmp/bg.png");
    setting.denoise = true;
    setting.saveMoreSettingLocal();
    KVMoreSetting loaded = KVMoreSetting::getMoreSettingFromLocal();
    EXPECT_EQ(loaded.mattingPath, QStringLiteral("/tmp/bg.png"));
    EXPECT_FALSE(loaded.denoise); // memory only

    KVMoreSetting().saveMoreSettingLocal();
    EXPECT_TRUE(defaults().contains(KVMoreSetting::kDefaultsKey));
    EXPECT_TRUE(defaults().dictionaryForKey(KVMoreSetting::kDefaultsKey).isEmpty());
    EXPECT_TRUE(KVMoreSetting::getMoreSettingFromLocal().mattingPath.isNull());

    KVMoreSetting::removeMoreSetting();
    EXPECT_FALSE(defaults().contains(KVMoreSetting::kDefaultsKey));
}

TEST(SettingsMonitorModelTest, AudioUpdateClearsVideoFigures_AndFloatsAreTruncated)
{
    auto model = MainSettingMonitorModel::modelWithType(1);
    EXPECT_FALSE(model->open);
    model->updateName("张三", "138");
    model->updateVideoWithLossRate(2.9f, 40, 1024.7f, 29.9f, 720, 1280);
    EXPECT_EQ(model->lossRate, 2);
    EXPECT_EQ(model->bitRate, 1024);
    EXPECT_EQ(model->fps, 29);
    EXPECT_EQ(model->videoWidth, 1280);
    model->updateAudioWithLossRate(0.5f, 10, 32.0f);
    EXPECT_EQ(model->fps, 0);
    EXPECT_EQ(model->videoHeight, 0);
    EXPECT_EQ(model->videoWidth, 0);
    EXPECT_EQ(model->name, QStringLiteral("张三"));
    int calls = 0;
    model->setNeedUpdate();
    model->didUpdate = [&calls] { ++calls; };
    model->setNeedUpdate();
    EXPECT_EQ(calls, 1);
}

} // namespace
