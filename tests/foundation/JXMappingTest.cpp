#include "foundation/JXExtension.h"
#include "foundation/models/FileSharedResp.h"
#include "foundation/models/MeetingControlMessage.h"
#include "foundation/models/MeetingDataModel.h"
#include "foundation/models/MeetingInfoModel.h"
#include "foundation/models/MeetingListDataModel.h"
#include "foundation/models/VeskUserModel.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <limits>

// A model with the field kinds the server models don't use, and lists of itself.
struct JxProbeModel : VeskModel {
    Q_GADGET
    Q_CLASSINFO("jx_replacedKeyFromPropertyName", "renamed=wire_name, children = kids")
    Q_PROPERTY(uint u32 MEMBER u32)
    Q_PROPERTY(float ratio MEMBER ratio)
    Q_PROPERTY(QString renamed MEMBER renamed)
    Q_PROPERTY(QVariantMap extra MEMBER extra)
    Q_PROPERTY(QVariantList items MEMBER items)
    Q_PROPERTY(QStringList tags MEMBER tags)
    Q_PROPERTY(QVariant anything MEMBER anything)
    Q_PROPERTY(QJsonObject raw MEMBER raw)
    Q_PROPERTY(QList<JxProbeModel> children MEMBER children)
    Q_PROPERTY(QMap<QString, JxProbeModel> byName MEMBER byName)
    Q_PROPERTY(QString derived READ derived)

public:
    uint u32 = 7;
    float ratio = 0;
    QString renamed;
    QVariantMap extra;
    QVariantList items;
    QStringList tags;
    QVariant anything;
    QJsonObject raw;
    QList<JxProbeModel> children;
    QMap<QString, JxProbeModel> byName;

    [[nodiscard]] QString derived() const { return QStringLiteral("not mapped"); }

    // Declared here, defined once the class is complete (it holds lists of itself).
    friend bool operator==(const JxProbeModel &a, const JxProbeModel &b);
};

bool operator==(const JxProbeModel &a, const JxProbeModel &b)
{
    return a.u32 == b.u32 && a.ratio == b.ratio && a.renamed == b.renamed && a.extra == b.extra && a.items == b.items &&
           a.tags == b.tags && a.anything == b.anything && a.raw == b.raw && a.children == b.children &&
           a.byName == b.byName;
}

JX_REGISTER_MODEL(JxProbeModel)

namespace {

// Collects "korvi.model" warnings while alive.
class ModelLogCapture {
public:
    ModelLogCapture()
    {
        s_lines.clear();
        jx_forgetReportedKeys(); // what an earlier case of the process reported counts here too
        m_previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &ctx, const QString &msg) {
            if (ctx.category && QByteArray(ctx.category) == "korvi.model")
                s_lines << msg;
        });
    }
    ~ModelLogCapture() { qInstallMessageHandler(m_previous); }
    [[nodiscard]] QStringList lines() const { return s_lines; }

private:
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

QVariantMap parsed(const char *json)
{
    return jx_JSONObject(QString::fromUtf8(json)).toMap();
}

} // namespace

TEST(JXLenientTest, NumbersStringsAndBoolsConvertTheWayServersSendThem)
{
    const auto info = jx_objectWithKeyValues<MeetingInfoModel>(QVariant(QStringLiteral(R"({
        "roomId": 123456789012, "streamLevel": "2", "countdown": 3.9, "micAllowStatus": 1,
        "cameraAllowStatus": "1", "imForbid": "true", "imAllowStatus": "false", "micForbid": 0,
        "roomLockStatus": true, "roomWaitStatus": "0", "sharePermission": " 2 ",
        "creatorName": 12.5, "password": true, "allowFileShared": "yes"})")));
    EXPECT_EQ(info.roomId, "123456789012"); // no ".0", no exponent
    EXPECT_EQ(info.streamLevel, 2);
    EXPECT_EQ(info.countdown, 3); // truncated like an integer read of a number
    EXPECT_TRUE(info.micAllowStatus);
    EXPECT_TRUE(info.cameraAllowStatus);
    EXPECT_TRUE(info.imForbid);
    EXPECT_FALSE(info.imAllowStatus);
    EXPECT_FALSE(info.micForbid);
    EXPECT_TRUE(info.roomLockStatus);
    EXPECT_FALSE(info.roomWaitStatus);
    EXPECT_EQ(info.sharePermission, 2);
    EXPECT_EQ(info.creatorName, "12.5");
    EXPECT_EQ(info.password, "1");
    EXPECT_TRUE(info.allowFileShared);

    const auto control = jx_objectWithKeyValues<MeetingControlData>(
        QVariantMap{{"offsetScale", "0.25"}, {"duration", "-12"}, {"seekPosition", 1.5e3}, {"fileType", false}});
    EXPECT_DOUBLE_EQ(control.offsetScale, 0.25);
    EXPECT_EQ(control.duration, -12);
    EXPECT_EQ(control.seekPosition, 1500);
    EXPECT_EQ(control.fileType, 0);
}

TEST(JXLenientTest, UnsignedSixtyFourBitIdsKeepEveryDigit)
{
    constexpr quint64 kMax = std::numeric_limits<quint64>::max();
    // As a JSON number beyond signed 64-bit range, as a string, and as a QVariant.
    EXPECT_EQ(
        jx_objectWithKeyValues<MeetingControlData>(QVariant(QByteArray(R"({"sequenceId": 18446744073709551615})")))
            .sequenceId,
        kMax);
    EXPECT_EQ(
        jx_objectWithKeyValues<MeetingControlData>(QVariant(QByteArray(R"({"sequenceId": "18446744073709551615"})")))
            .sequenceId,
        kMax);
    EXPECT_EQ(jx_objectWithKeyValues<MeetingControlData>(QVariant(QByteArray(R"({"sequenceId": 9223372036854775809})")))
                  .sequenceId,
              9223372036854775809ull);
    EXPECT_EQ(jx_objectWithKeyValues<FileShareInfoModel>(QVariantMap{{"sequenceId", QVariant(kMax - 1)}}).sequenceId,
              kMax - 1);
    // Just under 2^63 and near 2^53 (where doubles start rounding).
    EXPECT_EQ(jx_objectWithKeyValues<MeetingInfoModel>(QVariant(QByteArray(R"({"sequenceId": 9223372036854775807})")))
                  .sequenceId,
              9223372036854775807ull);
    EXPECT_EQ(jx_objectWithKeyValues<MeetingInfoModel>(QVariant(QByteArray(R"({"sequenceId": 9007199254740993})")))
                  .sequenceId,
              9007199254740993ull);

    // Out of range or negative keeps the default.
    MeetingControlData defaults;
    defaults.sequenceId = 5;
    jx_setKeyValues(defaults, QVariant(QByteArray(R"({"sequenceId": "18446744073709551616"})")));
    EXPECT_EQ(defaults.sequenceId, 5u);
    jx_setKeyValues(defaults, QVariant(QByteArray(R"({"sequenceId": -1})")));
    EXPECT_EQ(defaults.sequenceId, 5u);

    // Written back with every digit, and big numbers inside strings are left alone.
    MeetingControlData out;
    out.sequenceId = kMax;
    out.message = QStringLiteral("18446744073709551615");
    const QString text = jx_JSONString(out);
    EXPECT_TRUE(text.contains(QStringLiteral("\"sequenceId\":18446744073709551615"))) << text.toStdString();
    const auto back = jx_objectWithKeyValues<MeetingControlData>(QVariant(text));
    EXPECT_EQ(back.sequenceId, kMax);
    EXPECT_EQ(back.message, QStringLiteral("18446744073709551615"));
}

TEST(JXLenientTest, OutOfRangeIntegersKeepTheDefault)
{
    MeetingInfoModel info;
    info.streamLevel = 3;
    info.countdown = 4;
    jx_setKeyValues(info, QVariantMap{{"streamLevel", 4294967296.0}, {"countdown", "99999999999"}});
    EXPECT_EQ(info.streamLevel, 3);
    EXPECT_EQ(info.countdown, 4);
    jx_setKeyValues(info, QVariantMap{{"streamLevel", -2147483648.0}, {"countdown", "2147483647"}});
    EXPECT_EQ(info.streamLevel, std::numeric_limits<int>::min());
    EXPECT_EQ(info.countdown, std::numeric_limits<int>::max());

    // The 64-bit edges arriving as doubles.
    AVFileSharedResp av;
    jx_setKeyValues(av, QVariantMap{{"duration", -9223372036854775808.0}, {"seekPosition", 9.3e18}});
    EXPECT_EQ(av.duration, std::numeric_limits<qint64>::min());
    EXPECT_EQ(av.seekPosition, 0);

    JxProbeModel probe;
    jx_setKeyValues(probe, QVariantMap{{"u32", -1}});
    EXPECT_EQ(probe.u32, 7u);
    jx_setKeyValues(probe, QVariantMap{{"u32", "4294967295"}});
    EXPECT_EQ(probe.u32, 4294967295u);
}

TEST(JXLenientTest, MissingNullEmptyAndWrongTypedValuesKeepDefaults)
{
    ModelLogCapture log;
    MeetingDataModel m = MeetingDataModel::defaultModel();
    const MeetingDataModel before = m;
    jx_setKeyValues(m, QVariant(QByteArray(R"({
        "duration": null, "roomName": {"a": 1}, "cameraAllowStatus": [1], "isCycle": "maybe",
        "invitationList": {"userId": "1"}, "status": "", "password": null, "unknownKey": 5,
        "onlyUpdateThisMeeting": "", "fileCount": "abc", "uploadFileAllowOpUserList": [1, 2]})")));
    EXPECT_EQ(m, before);
    // Each unconvertible key is reported (null, empty and unknown keys are not).
    const QString all = log.lines().join('\n');
    for (const char *key :
         {"roomName", "cameraAllowStatus", "isCycle", "invitationList", "fileCount", "uploadFileAllowOpUserList"})
        EXPECT_TRUE(all.contains(QLatin1String(key))) << key;
    for (const char *key : {"duration", "status", "password", "unknownKey", "onlyUpdateThisMeeting"})
        EXPECT_FALSE(all.contains(QLatin1String(key))) << key;
}

TEST(JXLenientTest, AnUnconvertibleKeyIsLoggedOncePerClassAndKey)
{
    ModelLogCapture log;
    for (int i = 0; i < 5; ++i)
        (void)jx_objectWithKeyValues<JxProbeModel>(QVariantMap{{"ratio", QVariantList{1}}});
    (void)jx_objectWithKeyValues<JxProbeModel>(QVariantMap{{"wire_name", QVariantMap{}}});
    (void)jx_objectWithKeyValues<JxProbeModel>(QVariantMap{{"wire_name", QVariantList{}}});
    EXPECT_EQ(log.lines().filter(QStringLiteral("ratio")).size(), 1);
    EXPECT_EQ(log.lines().filter(QStringLiteral("wire_name")).size(), 1);
}

TEST(JXInputTest, NonJsonAndNonDictionaryInputGivesDefaults)
{
    for (const QVariant &bad :
         {QVariant(), QVariant(QStringLiteral("not json")), QVariant(QStringLiteral("[1,2]")),
          QVariant(QStringLiteral("\"text\"")), QVariant(42), QVariant(QStringLiteral("{\"roomId\":")),
          QVariant(QVariantList{QVariantMap{{"roomId", "1"}}}), QVariant(QByteArray("\xff\xfe{"))}) {
        EXPECT_EQ(jx_objectWithKeyValues<MeetingInfoModel>(bad), MeetingInfoModel{}) << bad.typeName();
        EXPECT_TRUE(jx_objectArrayWithKeyValuesArray<MeetingDataModel>(bad).isEmpty() ||
                    bad.metaType().id() == QMetaType::QVariantList);
    }
    EXPECT_FALSE(jx_JSONObject(QStringLiteral("not json")).isValid());
    EXPECT_FALSE(jx_JSONObject(QStringLiteral("")).isValid());
    EXPECT_FALSE(jx_JSONObject(QStringLiteral("12")).isValid());
    EXPECT_FALSE(jx_JSONObject(QStringLiteral("{\"a\":1} trailing")).isValid());
    EXPECT_EQ(jx_JSONObject(QStringLiteral(" {\"a\":1} ")).toMap().value("a").toInt(), 1);
    EXPECT_EQ(jx_JSONObject(QStringLiteral("[1,\"x\"]")).toList().size(), 2);
    EXPECT_EQ(jx_JSONString(QVariant(42)), QString());
}

TEST(JXInputTest, AcceptsQJsonObjectsVariantMapsAndJsonText)
{
    const char *json = R"({"userId":"u1","userName":"张三","phoneNumber":"13800000000"})";
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    const auto a = jx_objectWithKeyValues<VeskUserModel>(object);
    const auto b = jx_objectWithKeyValues<VeskUserModel>(QVariant(object));
    const auto c = jx_objectWithKeyValues<VeskUserModel>(QVariant(object.toVariantMap()));
    const auto d = jx_objectWithKeyValues<VeskUserModel>(QVariant(QString::fromUtf8(json)));
    const auto e = jx_sharedObjectWithKeyValues<VeskUserModel>(QVariant(QByteArray(json)));
    EXPECT_EQ(jx_objectWithKeyValues<VeskUserModel>(QVariant(QJsonDocument(object))), a);
    EXPECT_EQ(jx_objectArrayWithKeyValuesArray<VeskUserModel>(QVariant(QJsonDocument(QJsonArray{object}))).value(0), a);
    EXPECT_EQ(a.userName, QStringLiteral("张三"));
    EXPECT_EQ(a, b);
    EXPECT_EQ(a, c);
    EXPECT_EQ(a, d);
    ASSERT_TRUE(e);
    EXPECT_EQ(a, *e);
}

TEST(JXKeysTest, ReplacedKeysAreReadAndWrittenUnderTheirJsonName)
{
    const auto m =
        jx_objectWithKeyValues<MeetingDataModel>(QVariantMap{{"roomTranscribeStatus", 1}, {"enableTransStatus", 0}});
    EXPECT_EQ(m.enableTransStatus, 1);
    const QVariantMap back = jx_keyValues(m);
    EXPECT_EQ(back.value("roomTranscribeStatus").toInt(), 1);
    EXPECT_FALSE(back.contains("enableTransStatus"));

    // Spaces around the pairs are tolerated; read-only (derived) properties are never mapped.
    const auto probe = jx_objectWithKeyValues<JxProbeModel>(parsed(R"({"wire_name": "w", "renamed": "no",
        "kids": [{"wire_name": "child"}], "derived": "x"})"));
    EXPECT_EQ(probe.renamed, "w");
    ASSERT_EQ(probe.children.size(), 1);
    EXPECT_EQ(probe.children.first().renamed, "child");
    const QVariantMap out = jx_keyValues(probe);
    EXPECT_TRUE(out.contains("wire_name"));
    EXPECT_TRUE(out.contains("kids"));
    EXPECT_FALSE(out.contains("derived"));
}

TEST(JXArraysTest, TypedArrayElementsAndNestedModelsMapRecursively)
{
    const auto info = jx_objectWithKeyValues<MeetingInfoModel>(QVariant(QByteArray(R"({
        "isSharingFiles": 1,
        "sharedFileResp": {"fileId": "f1", "orderStatus": {"sliceId": "s2", "sequenceId": 18446744073709551615,
                                                           "offsetScale": 0.5, "flipOverType": "1"},
                           "sliceInfo": [{"sliceId": "s1", "picWidth": "800", "picHeight": 600,
                                          "downloadUrl": "http://x/1.png"},
                                         "junk", null, 5, {"sliceId": "s2"}]},
        "sharedAudVidResp": {"fileId": "a1", "duration": 9000000000}})")));
    EXPECT_EQ(info.sharedFileResp.fileId, "f1");
    EXPECT_EQ(info.sharedFileResp.orderStatus.sliceId, "s2");
    EXPECT_EQ(info.sharedFileResp.orderStatus.sequenceId, std::numeric_limits<quint64>::max());
    EXPECT_EQ(info.sharedFileResp.orderStatus.offsetScale, "0.5");
    EXPECT_EQ(info.sharedFileResp.orderStatus.flipOverType, 1);
    ASSERT_EQ(info.sharedFileResp.sliceInfo.size(), 2); // non-objects skipped
    EXPECT_EQ(info.sharedFileResp.sliceInfo[0].picWidth, 800);
    EXPECT_EQ(info.sharedFileResp.sliceInfo[0].downloadUrl, "http://x/1.png");
    EXPECT_EQ(info.sharedFileResp.sliceInfo[1].sliceId, "s2");
    EXPECT_EQ(info.sharedAudVidResp.duration, 9000000000);

    const auto page = jx_objectWithKeyValues<MeetingListDataModel>(parsed(R"({"total": "2", "list": [
        {"roomId": "1", "invitationList": [{"userId": "a"}, {"userId": "b"}],
         "uploadFileAllowOpUserList": {"f1": {"fileId": "f1", "enableUserList": [{"userName": "n"}]},
                                       "bad": 3}},
        {"roomId": "2"}]})"));
    EXPECT_EQ(page.total, 2);
    ASSERT_EQ(page.list.size(), 2);
    ASSERT_EQ(page.list[0].invitationList.size(), 2);
    EXPECT_EQ(page.list[0].invitationList[1].userId, "b");
    ASSERT_EQ(page.list[0].uploadFileAllowOpUserList.size(), 1);
    EXPECT_EQ(page.list[0].uploadFileAllowOpUserList.value("f1").enableUserList.value(0).userName, "n");
    EXPECT_EQ(page.list[1].roomId, "2");
}

TEST(JXArraysTest, TopLevelArraysSkipEntriesThatAreNotDictionaries)
{
    const auto list = jx_objectArrayWithKeyValuesArray<VeskUserModel>(
        QVariant(QStringLiteral(R"([{"userId":"1"}, 3, null, "x", [], {"userId":"2"}])")));
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[1].userId, "2");
    const QVariantList back = jx_keyValuesArrayWithObjectArray(list);
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[0].toMap().value("userId"), "1");
    EXPECT_EQ(jx_objectArrayWithKeyValuesArray<VeskUserModel>(QJsonArray{QJsonObject{{"userId", "9"}}}).value(0).userId,
              "9");
    EXPECT_TRUE(jx_objectArrayWithKeyValuesArray<VeskUserModel>(QVariant(QVariantMap{{"userId", "1"}})).isEmpty());
}

TEST(JXArraysTest, JsonTextInsideAStringFillsModelAndArrayFields)
{
    // Control messages carry their data as the JSON text of an object.
    QJsonObject data{{"peerId", "-1"}, {"sliceInfo", QStringLiteral(R"([{"sliceId":"a"}])")}};
    const QString text = QString::fromUtf8(QJsonDocument(data).toJson(QJsonDocument::Compact));
    const auto message =
        jx_objectWithKeyValues<MeetingControlMessage>(QVariantMap{{"event", "266"}, {"message", "m"}, {"data", text}});
    EXPECT_EQ(message.event, 266);
    EXPECT_EQ(message.data.peerId, "-1");
    ASSERT_EQ(message.data.sliceInfo.size(), 1);
    EXPECT_EQ(message.data.sliceInfo[0].sliceId, "a");
    // A plain string is not JSON: the model keeps its default.
    EXPECT_EQ(jx_objectWithKeyValues<MeetingControlMessage>(QVariantMap{{"data", "hello"}}).data, MeetingControlData{});
}

TEST(JXPlainValuesTest, MapsListsStringListsAndVariantsAreKeptAsValues)
{
    const auto probe = jx_objectWithKeyValues<JxProbeModel>(parsed(R"({
        "extra": {"a": [1, {"b": null}]}, "items": [1, "two", {"three": 3}], "tags": ["x", 2, true, {"no": 1}],
        "anything": {"k": "v"}, "raw": {"r": 1}, "ratio": "0.5",
        "byName": {"one": {"wire_name": "1"}, "two": {"kids": [{"u32": 3}]}}})"));
    EXPECT_EQ(probe.extra.value("a").toList().size(), 2);
    EXPECT_EQ(probe.items.size(), 3);
    EXPECT_EQ(probe.items[2].toMap().value("three").toInt(), 3);
    EXPECT_EQ(probe.tags, (QStringList{"x", "2", "1"}));
    EXPECT_EQ(probe.anything.toMap().value("k"), "v");
    EXPECT_EQ(probe.raw.value("r").toInt(), 1);
    EXPECT_FLOAT_EQ(probe.ratio, 0.5f);
    ASSERT_EQ(probe.byName.size(), 2);
    EXPECT_EQ(probe.byName.value("one").renamed, "1");
    EXPECT_EQ(probe.byName.value("two").children.value(0).u32, 3u);

    const JxProbeModel back = jx_objectWithKeyValues<JxProbeModel>(QVariant(jx_JSONString(probe)));
    EXPECT_EQ(back, probe);
}

TEST(JXNestingTest, SelfNestingIsCutAtAFixedDepthWithoutCrashing)
{
    QString json = QStringLiteral("{\"u32\":1}");
    for (int i = 0; i < 200; ++i)
        json = QStringLiteral("{\"u32\":%1,\"kids\":[%2]}").arg(i).arg(json);
    const auto probe = jx_objectWithKeyValues<JxProbeModel>(QVariant(json));
    int depth = 0;
    const JxProbeModel *p = &probe;
    while (!p->children.isEmpty()) {
        p = &p->children.first();
        ++depth;
    }
    EXPECT_GT(depth, 10);
    EXPECT_LT(depth, 200);
    EXPECT_FALSE(jx_JSONString(probe).isEmpty());
}

TEST(JXJsonStringTest, WritesCompactEscapedJsonThatParsesBack)
{
    const QVariantMap map{{"s", "a\"b\\c\n\t\x01中"},
                          {"n", 1.5},
                          {"i", 3},
                          {"b", true},
                          {"null", QVariant()},
                          {"l", QVariantList{1, "x"}},
                          {"whole", 2.0},
                          {"nan", std::nan("")}};
    const QString text = jx_JSONString(map);
    EXPECT_FALSE(text.contains(' '));
    EXPECT_TRUE(text.contains("\"whole\":2}")) << text.toStdString();
    EXPECT_TRUE(text.contains("\"nan\":null")) << text.toStdString();
    const QVariantMap back = jx_JSONObject(text).toMap();
    EXPECT_EQ(back.value("s").toString(), map.value("s").toString());
    EXPECT_EQ(back.value("l").toList().size(), 2);
    EXPECT_TRUE(back.value("b").toBool());
    EXPECT_EQ(jx_JSONString(QVariantList{}), "[]");
    EXPECT_EQ(jx_JSONString(QVariantMap{}), "{}");
}

#include "JXMappingTest.moc"
