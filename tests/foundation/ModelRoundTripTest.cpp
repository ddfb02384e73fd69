#include "foundation/JXExtension.h"
#include "foundation/models/AVFileSharedResp.h"
#include "foundation/models/DesktopCaptureSnapshotModel.h"
#include "foundation/models/FileShareInfoModel.h"
#include "foundation/models/FileSharedResp.h"
#include "foundation/models/FileSliceModel.h"
#include "foundation/models/KVSubTitleListModel.h"
#include "foundation/models/KVSubTitleModel.h"
#include "foundation/models/KVSubTitleRecord.h"
#include "foundation/models/MeetingControlData.h"
#include "foundation/models/MeetingControlMessage.h"
#include "foundation/models/MeetingDataModel.h"
#include "foundation/models/MeetingFileAllowOpUserList.h"
#include "foundation/models/MeetingHostModel.h"
#include "foundation/models/MeetingInfoModel.h"
#include "foundation/models/MeetingListDataModel.h"
#include "foundation/models/MeetingMemberShareStatusModel.h"
#include "foundation/models/MeetingMessageModel.h"
#include "foundation/models/MeetingRecordDeviceModel.h"
#include "foundation/models/ShareTokenModel.h"
#include "foundation/models/VeskUserModel.h"
#include "foundation/models/VeskUserModelCopy.h"

#include <QMetaClassInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <limits>

namespace {

// The JSON keys of a class, read from its declaration the way a server author would.
QMap<QString, QString> keysOf(const QMetaObject &mo)
{
    QMap<QString, QString> keys;
    for (int i = 0; i < mo.classInfoCount(); ++i) {
        if (qstrcmp(mo.classInfo(i).name(), "jx_replacedKeyFromPropertyName") != 0)
            continue;
        for (const QString &pair : QString::fromUtf8(mo.classInfo(i).value()).split(',')) {
            const QStringList parts = pair.split('=');
            if (parts.size() == 2)
                keys.insert(parts[0].trimmed(), parts[1].trimmed());
        }
    }
    return keys;
}

QVariantMap sampleDict(const QMetaObject &mo, int seed, int depth);

// A server-shaped value of the given field type, different from any default.
QVariant sampleFor(QMetaType type, int seed, int depth)
{
    switch (type.id()) {
    case QMetaType::QString:
        return QStringLiteral("v%1-名").arg(seed);
    case QMetaType::Bool:
        return true;
    case QMetaType::Int:
    case QMetaType::UInt:
        return seed + 1;
    case QMetaType::LongLong:
        return -(qint64(1) << 40) - seed;
    case QMetaType::ULongLong:
        return QVariant::fromValue(std::numeric_limits<quint64>::max() - quint64(seed));
    case QMetaType::Double:
    case QMetaType::Float:
        return seed + 0.5;
    case QMetaType::QVariantList:
        return QVariantList{seed, QStringLiteral("x"), QVariantMap{{"userId", QString::number(seed)}}};
    case QMetaType::QVariantMap:
        return QVariantMap{{"k", seed}};
    case QMetaType::QStringList:
        return QStringList{"a", "b"};
    default:
        break;
    }
    if (type.flags() & QMetaType::IsGadget)
        return sampleDict(*type.metaObject(), seed * 7, depth + 1);
    static const QRegularExpression list(QStringLiteral("^QList<(\\w+)>$"));
    static const QRegularExpression map(QStringLiteral("^QMap<QString,(\\w+)>$"));
    const QString name = QString::fromLatin1(type.name());
    if (const auto m = list.match(name); m.hasMatch()) {
        const QMetaObject *element = QMetaType::fromName(m.captured(1).toLatin1()).metaObject();
        if (!element)
            return {};
        return QVariantList{sampleDict(*element, seed + 1, depth + 1), sampleDict(*element, seed + 2, depth + 1)};
    }
    if (const auto m = map.match(name); m.hasMatch()) {
        const QMetaObject *element = QMetaType::fromName(m.captured(1).toLatin1()).metaObject();
        if (!element)
            return {};
        return QVariantMap{{"f1", sampleDict(*element, seed + 3, depth + 1)}};
    }
    return {};
}

QVariantMap sampleDict(const QMetaObject &mo, int seed, int depth)
{
    QVariantMap dict;
    if (depth > 4)
        return dict;
    const QMap<QString, QString> keys = keysOf(mo);
    for (int i = 0; i < mo.propertyCount(); ++i) {
        const QMetaProperty p = mo.property(i);
        if (!p.isWritable())
            continue;
        const QString name = QString::fromLatin1(p.name());
        dict.insert(keys.value(name, name), sampleFor(p.metaType(), seed + i, depth));
    }
    return dict;
}

template <class T> class ModelRoundTripTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Names of element classes resolve once their types are known to QMetaType.
        for (QMetaType t : {QMetaType::fromType<FileSliceModel>(), QMetaType::fromType<VeskUserModel>(),
                            QMetaType::fromType<MeetingDataModel>(), QMetaType::fromType<KVSubTitleRecord>(),
                            QMetaType::fromType<MeetingFileAllowOpUserList>()})
            (void)t.id();
    }
};

using AllModels =
    ::testing::Types<VeskUserModel, VeskUserModelCopy, MeetingInfoModel, FileSharedResp, FileShareInfoModel,
                     AVFileSharedResp, FileSliceModel, MeetingControlMessage, MeetingControlData, MeetingMessageModel,
                     MeetingHostModel, KVSubTitleModel, KVSubTitleRecord, KVSubTitleListModel,
                     DesktopCaptureSnapshotModel, ShareTokenModel, MeetingMemberShareStatusModel, MeetingDataModel,
                     MeetingFileAllowOpUserList, MeetingListDataModel, MeetingRecordDeviceModel>;

TYPED_TEST_SUITE(ModelRoundTripTest, AllModels);

} // namespace

TYPED_TEST(ModelRoundTripTest, EveryFieldIsFilledFromItsKeyAndSurvivesTheWayBack)
{
    using Model = TypeParam;
    const QMetaObject &mo = Model::staticMetaObject;
    const QVariantMap dict = sampleDict(mo, 1, 0);
    ASSERT_FALSE(dict.isEmpty());

    const Model model = jx_objectWithKeyValues<Model>(QVariant(dict));
    const Model defaults{};
    for (int i = 0; i < mo.propertyCount(); ++i) {
        const QMetaProperty p = mo.property(i);
        if (p.isWritable()) {
            EXPECT_NE(p.readOnGadget(&model), p.readOnGadget(&defaults)) << mo.className() << "." << p.name();
        }
    }

    // model -> dictionary gives back what the server sent, under the same keys.
    const QVariantMap back = jx_keyValues(model);
    EXPECT_EQ(back, dict) << jx_JSONString(back).toStdString() << "\n" << jx_JSONString(dict).toStdString();

    // ... and mapping that dictionary, or its JSON text, gives the same model.
    EXPECT_TRUE(jx_objectWithKeyValues<Model>(QVariant(back)) == model);
    const QString text = jx_JSONString(model);
    EXPECT_TRUE(jx_objectWithKeyValues<Model>(QVariant(text)) == model) << text.toStdString();

    const QList<Model> models{model, defaults};
    const QList<Model> again =
        jx_objectArrayWithKeyValuesArray<Model>(QVariant(jx_keyValuesArrayWithObjectArray(models)));
    EXPECT_TRUE(again == models);
}
