#pragma once

#include "foundation/models/KVSubTitleModel.h"

#include <QList>
#include <QStringList>

#include <optional>

// Which speech results become a subtitle, and the subtitle's font.
namespace SubtitleRules {

inline const QString kTranscriptionClosedToast = QStringLiteral("主持人已关闭实时转录");
// A temporary result this soon after the last subtitle shown is skipped.
inline constexpr qint64 kTemporaryGapMs = 600;
inline constexpr qint64 kHideAfterMs = 10000;
inline constexpr int kMinTextHeight = 40;

// The results of one message to show, in order: finals never, temporary ones only when the last
// subtitle was shown more than 600 ms ago (lastShowMs empty: none shown yet); each with showText
// set from enText (subtitleLanguage not 0) or cnText, bounded. Strings that are not JSON objects give none.
[[nodiscard]] QList<KVSubTitleModel> resultsToShow(const QStringList &data, int subtitleLanguage,
                                                   std::optional<qint64> lastShowMs, qint64 nowMs);

// A result's text as the box shows it: cut where it enters, keeping the latest words of a long
// utterance (and whatever a sender made of it short enough to lay out at once).
[[nodiscard]] QString boundedText(const QString &text);

// The subtitle's point size for a level (0 large 18, 1 middle 16, 2 small 14); another level keeps
// the current size.
[[nodiscard]] int fontForLevel(int level, int currentFont);

// The text of the last result: a line break, then "name: text".
[[nodiscard]] QString subtitleText(const KVSubTitleModel &result);

} // namespace SubtitleRules
