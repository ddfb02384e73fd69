#include "foundation/JXExtension.h"
#include "foundation/models/KVSubTitleListModel.h"
#include "foundation/models/MeetingControlMessage.h"
#include "foundation/models/MeetingInfoModel.h"
#include "foundation/models/MeetingListDataModel.h"
#include "foundation/models/MeetingMessageModel.h"

#include <QLoggingCategory>
#include <QRandomGenerator>

#include <gtest/gtest.h>

// Replies as the service sends them; the loop below breaks them in every way
// a broken proxy or a server bug could, and the mapping must survive all of it.
namespace {

const char *const kReplies[] = {
    R"({"roomId":"123456789","roomName":"周会","creatorId":"13800000000","sequenceId":18446744073709551615,
        "streamLevel":2,"isSharingFiles":1,"micAllowStatus":1,"sharePermission":"2",
        "sharedFileResp":{"fileId":"f","orderStatus":{"sequenceId":"42","offsetScale":0.3},
                          "sliceInfo":[{"sliceId":"1","picWidth":800,"picHeight":600}]},
        "sharedAudVidResp":{"duration":12,"seekPosition":"300"}})",
    R"({"total":2,"pages":1,"pageNum":1,"pageSize":20,"list":[
        {"roomId":"1","beginTime":"2026-03-05 09:07","duration":"60","roomTranscribeStatus":1,
         "invitationList":[{"userId":"a","userName":"甲"}],
         "uploadFileAllowOpUserList":{"f1":{"fileId":"f1","enableUserList":[{"userId":"b"}]}}},
        {"roomId":"2","isCycle":true,"cycleRoomId":"3"}]})",
    R"({"event":266,"message":"m","data":"{\"peerId\":\"-1\",\"duration\":5,\"sliceInfo\":[{\"sliceId\":\"x\"}]}"})",
    R"({"total":1,"list":[{"senderId":"s","name":"n","content":"c","timeStamp":1700000000000.5}]})",
    R"({"msgId":1,"type":3,"userName":"u","messageString":"hi","messageType":3,"occTime":1.5})",
};

QByteArray mutate(QByteArray json, QRandomGenerator &rng)
{
    static const QByteArray kPieces[] = {"null",
                                         "true",
                                         "[]",
                                         "{}",
                                         "\"\"",
                                         "-1",
                                         "1e999",
                                         "\"1\"",
                                         "[[[[",
                                         "}}}}",
                                         ",",
                                         ":",
                                         "\"",
                                         "\\u0000",
                                         "18446744073709551616",
                                         "-9223372036854775809",
                                         "{\"a\":",
                                         "[{\"sliceId\":1}]",
                                         "\"{\\\"x\\\":1}\""};
    const int edits = 1 + int(rng.bounded(4));
    for (int e = 0; e < edits && !json.isEmpty(); ++e) {
        const qsizetype at = qsizetype(rng.bounded(quint32(json.size())));
        switch (rng.bounded(5)) {
        case 0: // truncate
            json.truncate(at);
            break;
        case 1: { // replace a value-ish span with another kind of value
            const QByteArray &piece = kPieces[rng.bounded(quint32(std::size(kPieces)))];
            const qsizetype len = qsizetype(rng.bounded(8));
            json.replace(at, len, piece);
            break;
        }
        case 2: // flip a byte
            json[at] = char(rng.bounded(256));
            break;
        case 3: { // wrap a piece in deep nesting
            const int depth = int(rng.bounded(3000));
            json.insert(at, QByteArray(depth, '[') + QByteArray(depth, ']'));
            break;
        }
        default: // swap objects and arrays
            for (char &c : json) {
                if (c == '{')
                    c = '[';
                else if (c == '[')
                    c = '{';
                if (rng.bounded(4) == 0)
                    break;
            }
        }
    }
    return json;
}

template <class T> void mapEveryWay(const QByteArray &json)
{
    const T model = jx_objectWithKeyValues<T>(QVariant(json));
    (void)jx_keyValues(model);
    (void)jx_JSONString(model);
    const QVariant parsed = jx_JSONObject(json);
    (void)jx_objectWithKeyValues<T>(parsed);
    (void)jx_objectArrayWithKeyValuesArray<T>(parsed);
    (void)jx_objectArrayWithKeyValuesArray<T>(QVariant(json));
    (void)jx_JSONString(parsed);
}

} // namespace

TEST(JXFuzzTest, MutatedRepliesNeverCrashTheMapping)
{
    QLoggingCategory::setFilterRules(QStringLiteral("korvi.model.warning=false\nkorvi.model.debug=false"));
    QRandomGenerator rng(20261207);
    for (int round = 0; round < 1500; ++round) {
        const QByteArray json = mutate(QByteArray(kReplies[round % std::size(kReplies)]), rng);
        mapEveryWay<MeetingInfoModel>(json);
        mapEveryWay<MeetingListDataModel>(json);
        mapEveryWay<MeetingControlMessage>(json);
        mapEveryWay<KVSubTitleListModel>(json);
        mapEveryWay<MeetingMessageModel>(json);
    }
    QLoggingCategory::setFilterRules(QString());
}

TEST(JXFuzzTest, WrongShapesInEveryFieldKeepTheModelUsable)
{
    QLoggingCategory::setFilterRules(QStringLiteral("korvi.model.warning=false"));
    // Every field of the room gets every kind of wrong value in turn.
    const QVariantList shapes{QVariant(),
                              QVariantList{QVariantList{}},
                              QVariantMap{{"x", QVariantMap{}}},
                              QStringLiteral("{not json"),
                              QStringLiteral("[1,2"),
                              1e308,
                              -1e308,
                              QVariant::fromValue(std::numeric_limits<quint64>::max()),
                              QStringLiteral("NaN"),
                              QStringLiteral("inf"),
                              true,
                              QByteArray("\xff\xfe")};
    const QVariantMap sample = jx_keyValues(MeetingInfoModel{});
    for (auto it = sample.cbegin(); it != sample.cend(); ++it) {
        for (const QVariant &shape : shapes) {
            const auto info = jx_objectWithKeyValues<MeetingInfoModel>(QVariantMap{{it.key(), shape}});
            EXPECT_EQ(jx_objectWithKeyValues<MeetingInfoModel>(jx_keyValues(info)), info) << it.key().toStdString();
        }
    }
    QLoggingCategory::setFilterRules(QString());
}
