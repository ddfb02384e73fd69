#include "meeting/panels/SubtitleRules.h"

#include "foundation/JXExtension.h"
#include "foundation/StringHelpers.h"

namespace SubtitleRules {

QList<KVSubTitleModel> resultsToShow(const QStringList &data, int subtitleLanguage, std::optional<qint64> lastShowMs,
                                     qint64 nowMs)
{
    QList<KVSubTitleModel> shown;
    for (const QString &json : data) {
        const QVariant object = jx_JSONObject(json);
        if (object.typeId() != QMetaType::QVariantMap)
            continue;
        auto result = jx_objectWithKeyValues<KVSubTitleModel>(object);
        if (result.resultType == KVSubTitleModel::Final)
            continue;
        const QString text = subtitleLanguage != 0 ? result.enText : result.cnText;
        if (result.resultType == KVSubTitleModel::Temporary && lastShowMs && nowMs - *lastShowMs <= kTemporaryGapMs)
            continue;
        result.showText = boundedText(text);
        result.senderName = DataText::bounded(result.senderName, DataText::kNameLength);
        shown.append(result);
    }
    return shown;
}

QString boundedText(const QString &text)
{
    return DataText::boundedTail(text, DataText::kSubtitleLength);
}

int fontForLevel(int level, int currentFont)
{
    if (level < 0 || level > 2)
        return currentFont;
    return 18 - 2 * level;
}

QString subtitleText(const KVSubTitleModel &result)
{
    return QStringLiteral("\n%1: %2").arg(DataText::isolated(result.senderName), DataText::isolated(result.showText));
}

} // namespace SubtitleRules
