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
        // Cut where it enters the box: no real subtitle is this long.
        result.showText = DataText::bounded(text, DataText::kLineLength);
        result.senderName = DataText::bounded(result.senderName, DataText::kNameLength);
        shown.append(result);
    }
    return shown;
}

int fontForLevel(int level, int currentFont)
{
    if (level < 0 || level > 2)
        return currentFont;
    return 18 - 2 * level;
}

QString subtitleText(const KVSubTitleModel &result)
{
    return QStringLiteral("\n%1: %2").arg(result.senderName, result.showText);
}

} // namespace SubtitleRules
