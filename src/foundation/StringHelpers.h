#pragma once

#include <QDateTime>
#include <QString>

class QFont;

// String categories. Every function is thread-safe except widthOfStringwithFont (fonts: main thread).

namespace Additions {
// True for a string of length > 0.
[[nodiscard]] bool hasValue(const QString &s);
// Latin transliteration of the whole string (Chinese as pinyin), diacritics folded to ASCII,
// blanks removed, lowercase: "张三" -> "zhangsan".
[[nodiscard]] QString transformToPinyin(const QString &s);
// For each character the first letter (or digit) of its folded transliteration, joined, lowercase:
// "张三" -> "zs". Blanks and punctuation add nothing; "" for "".
[[nodiscard]] QString transformToPinyinFirstLetter(const QString &s);
// The string unchanged.
[[nodiscard]] QString truncationString(const QString &s);
} // namespace Additions

namespace vesk {
// A meeting password: 3 to 6 ASCII digits and nothing else (no trailing newline).
[[nodiscard]] bool isValidPasswordNumber(const QString &s);
// Width of the string drawn on one line in the font.
[[nodiscard]] qreal widthOfStringwithFont(const QString &s, const QFont &font);
} // namespace vesk

namespace AppInfo {
// The application's version (the build's version when none was set).
[[nodiscard]] QString ai_version();
} // namespace AppInfo

namespace Date {
// Parses "yyyy-MM-dd HH:mm" as local time; invalid for empty or unparsable text.
[[nodiscard]] QDateTime correctDate(const QString &s);
} // namespace Date

// Display form of a meeting ID: without "-" it is grouped by "-" every three characters
// ("123456789" -> "123-456-789", "12345678901" -> "123-456-789-01"); with "-" it stays as it is.
[[nodiscard]] QString toDisplayMeetingId(const QString &roomId);
