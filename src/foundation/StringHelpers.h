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

// Text from others as it enters a view (uikit's KVDataText names them for the widgets).
namespace DataText {
// The text as shown: its explicit direction controls (embeddings, overrides and isolates,
// U+202A-U+202E and U+2066-U+2069) are dropped, so it reads as it is stored, and what is left is
// wrapped in U+2068 FIRST STRONG ISOLATE ... U+2069 POP DIRECTIONAL ISOLATE, so its right-to-left
// letters do not reorder the text around it. Text without one comes back without the wrapping
// (it would change nothing shown). Only for showing: the stored and sent text stays as it is.
[[nodiscard]] QString isolated(const QString &text);
// At most maxLength UTF-16 units: a longer text is cut (never inside a surrogate pair) and ends in
// "…", so what is shown stays cheap to lay out whatever was sent.
[[nodiscard]] QString bounded(const QString &text, qsizetype maxLength);
// The same bound keeping the end: a longer text starts with "…" and ends as sent.
[[nodiscard]] QString boundedTail(const QString &text, qsizetype maxLength);
// A name from others inside a text of ours: cut at kNameLength, on one line, and isolated.
[[nodiscard]] QString isolatedName(const QString &name);
// Bounded as above and on one line: its line breaks become spaces, so a title cannot push what
// follows it in a text of ours (an alert's question, a toast's reason) out of sight.
[[nodiscard]] QString oneLine(const QString &text, qsizetype maxLength);
// A title or file name from others inside a text of ours (an alert, a toast, a window title): the
// form a list row shows (kTitleLength, one line), isolated.
[[nodiscard]] QString isolatedTitle(const QString &title);
// Lengths no real text reaches: a chat line or notice (the senders' own limit is 50), a line of
// text, a name, and a transcribed sentence (the service's transcript file keeps the whole text).
inline constexpr qsizetype kChatLength = 200;
inline constexpr qsizetype kLineLength = 500;
inline constexpr qsizetype kNameLength = 64;
// A meeting's title or a file's name as a row, an alert or a toast shows it.
inline constexpr qsizetype kTitleLength = 200;
inline constexpr qsizetype kTranscriptLength = 150;
// A live subtitle keeps its latest words in a box of a few lines over the video.
inline constexpr qsizetype kSubtitleLength = 150;
} // namespace DataText
