#include "StringHelpers.h"

#include "DateHelpers.h"
#include "RaceDetector.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLoggingCategory>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <mutex>

Q_LOGGING_CATEGORY(lcStrings, "korvi.strings")

namespace {

// Building a transliterator costs milliseconds (it loads the pinyin tables), so one is kept; ICU
// transliterators are not safe for concurrent use, hence the lock.
class PinyinTransliterator final {
public:
    static PinyinTransliterator &instance()
    {
        static PinyinTransliterator t;
        return t;
    }

    // Latin, ASCII-folded text; the input unchanged when ICU is not usable.
    QString toLatinAscii(const QString &s)
    {
        icu::UnicodeString u(reinterpret_cast<const UChar *>(s.utf16()), static_cast<int32_t>(s.size()));
        {
            std::lock_guard lock(m_mutex);
            if (!m_translit)
                return s;
            // Transliterating changes the transliterator (see unicode/translit.h).
            RaceDetector::writes(m_translit.get(), sizeof(icu::Transliterator));
            m_translit->transliterate(u);
        }
        return QString(reinterpret_cast<const QChar *>(u.getBuffer()), u.length());
    }

private:
    PinyinTransliterator()
    {
        UErrorCode status = U_ZERO_ERROR;
        m_translit.reset(icu::Transliterator::createInstance(icu::UnicodeString::fromUTF8("Any-Latin; Latin-ASCII"),
                                                             UTRANS_FORWARD, status));
        if (U_FAILURE(status)) {
            qCWarning(lcStrings) << "ICU transliterator unavailable:" << u_errorName(status);
            m_translit.reset();
        }
    }

    std::mutex m_mutex;
    std::unique_ptr<icu::Transliterator> m_translit;
};

QString withoutBlanks(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        if (!c.isSpace())
            out += c;
    }
    return out;
}

} // namespace

namespace Additions {

bool hasValue(const QString &s)
{
    return !s.isEmpty();
}

QString transformToPinyin(const QString &s)
{
    if (s.isEmpty())
        return {};
    return withoutBlanks(PinyinTransliterator::instance().toLatinAscii(s)).toLower();
}

QString transformToPinyinFirstLetter(const QString &s)
{
    QString out;
    const QList<uint> codePoints = s.toUcs4();
    for (const uint cp : codePoints) {
        const char32_t c = cp;
        const QString latin = PinyinTransliterator::instance().toLatinAscii(QString::fromUcs4(&c, 1));
        for (const QChar ch : latin) {
            if (ch.isSpace())
                continue;
            if (ch.isLetterOrNumber())
                out += ch.toLower();
            break;
        }
    }
    return out;
}

QString truncationString(const QString &s)
{
    return s;
}

} // namespace Additions

namespace vesk {

bool isValidPasswordNumber(const QString &s)
{
    // Only ASCII digits: a pattern's \d and $ would also let through other scripts' digits and a
    // trailing newline, which nobody can type back when joining.
    if (s.size() < 3 || s.size() > 6)
        return false;
    for (const QChar c : s) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

qreal widthOfStringwithFont(const QString &s, const QFont &font)
{
    return QFontMetricsF(font).horizontalAdvance(s);
}

} // namespace vesk

namespace AppInfo {

QString ai_version()
{
    const QString v = QCoreApplication::applicationVersion();
    return v.isEmpty() ? QStringLiteral(KORVI_VERSION) : v;
}

} // namespace AppInfo

namespace Date {

QDateTime correctDate(const QString &s)
{
    return DateFromString::defaultDateWithOutSecondFromString(s);
}

} // namespace Date

QString toDisplayMeetingId(const QString &roomId)
{
    if (roomId.contains(u'-'))
        return roomId;
    QString out;
    out.reserve(roomId.size() + roomId.size() / 3);
    for (qsizetype i = 0; i < roomId.size(); i += 3) {
        if (i > 0)
            out += u'-';
        out += QStringView(roomId).mid(i, 3);
    }
    return out;
}

namespace DataText {

namespace {
// Whether the text can move anything around it: a right-to-left letter or number, or a mark that
// embeds, overrides or isolates. Without one, wrapping changes nothing that is shown.
bool mayReorder(const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        switch (QChar::direction(c)) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirAN:
        case QChar::DirLRE:
        case QChar::DirLRO:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirPDF:
        case QChar::DirLRI:
        case QChar::DirRLI:
        case QChar::DirFSI:
        case QChar::DirPDI:
            return true;
        default:
            break;
        }
    }
    return false;
}
} // namespace

QString isolated(const QString &text)
{
    // The data's own embeddings, overrides and isolates go: an override inside a name would show
    // it reversed ("invoice" U+202E "exe.pdf" as "invoicefdp.exe") even inside our isolate.
    QString shown = text;
    shown.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
    });
    if (!mayReorder(shown))
        return shown;
    return QChar(0x2068) + shown + QChar(0x2069);
}

QString bounded(const QString &text, qsizetype maxLength)
{
    if (text.size() <= maxLength || maxLength < 2)
        return text.size() <= maxLength ? text : text.left(std::max<qsizetype>(0, maxLength));
    qsizetype cut = maxLength - 1;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut) + QChar(0x2026);
}

QString isolatedName(const QString &name)
{
    return isolated(oneLine(name, kNameLength));
}

QString oneLine(const QString &text, qsizetype maxLength)
{
    QString line = bounded(text, maxLength);
    for (QChar &c : line) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == u'\v' || u == u'\f' || u == 0x85 || u == 0x2028 || u == 0x2029)
            c = QLatin1Char(' ');
    }
    return line;
}

QString isolatedTitle(const QString &title)
{
    return isolated(oneLine(title, kTitleLength));
}

QString boundedTail(const QString &text, qsizetype maxLength)
{
    if (text.size() <= maxLength || maxLength < 2)
        return text.size() <= maxLength ? text : text.right(std::max<qsizetype>(0, maxLength));
    qsizetype from = text.size() - (maxLength - 1);
    if (text.at(from).isLowSurrogate())
        ++from;
    return QChar(0x2026) + text.mid(from);
}

} // namespace DataText
