#include "DateHelpers.h"

#include <QLocale>

namespace {

// A formatter built once and shared: immutable after construction, so any thread may use it.
class DateFormatter final {
public:
    explicit DateFormatter(QString qtPattern) : m_locale(QLocale::c()), m_pattern(std::move(qtPattern)) {}

    [[nodiscard]] QString format(const QDateTime &date) const
    {
        return date.isValid() ? m_locale.toString(date, m_pattern) : QString();
    }
    [[nodiscard]] QDateTime parse(const QString &text) const
    {
        if (text.isEmpty())
            return {};
        const QDateTime local = m_locale.toDateTime(text, m_pattern);
        if (local.isValid())
            return local;
        // A wall time the clock skips (summer time begins) is read with the offset in force
        // before the skip, which is where the skip leads: 02:30 reads as 03:30.
        const qsizetype patternSpace = m_pattern.indexOf(u' ');
        const qsizetype textSpace = text.indexOf(u' ');
        if (patternSpace < 0 || textSpace < 0)
            return {};
        const QDate date = m_locale.toDate(text.left(textSpace), m_pattern.left(patternSpace));
        const QTime time = m_locale.toTime(text.mid(textSpace + 1), m_pattern.mid(patternSpace + 1));
        if (!date.isValid() || !time.isValid())
            return {};
        const QDateTime asUtc(date, time, Qt::UTC);
        const int before = asUtc.addDays(-1).toLocalTime().offsetFromUtc();
        return asUtc.addSecs(-before).toLocalTime();
    }

private:
    const QLocale m_locale;
    const QString m_pattern;
};

const DateFormatter &defaultFormatter()
{
    static const DateFormatter f(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return f;
}

const DateFormatter &withOutSecondFormatter()
{
    static const DateFormatter f(QStringLiteral("yyyy-MM-dd HH:mm"));
    return f;
}

const DateFormatter &moreDefaultFormatter()
{
    static const DateFormatter f(QStringLiteral("yyyy-MM-dd HH:mm:ss:zzz"));
    return f;
}

const DateFormatter &parseWithOutSecondFormatter()
{
    static const DateFormatter f(QStringLiteral("yyyy-MM-dd HH:mm"));
    return f;
}

// Translates the letters where a date pattern and Qt's format disagree; quoted text passes as is.
QString toQtPattern(const QString &pattern)
{
    QString out;
    out.reserve(pattern.size() + 4);
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (c == u'\'') {
            const qsizetype end = pattern.indexOf(u'\'', i + 1);
            const qsizetype stop = end < 0 ? pattern.size() : end + 1;
            out += QStringView(pattern).mid(i, stop - i);
            i = stop;
            continue;
        }
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern.at(i + run) == c)
            ++run;
        switch (c.unicode()) {
        case u'S':
            out += QStringLiteral("zzz");
            break;
        case u'E':
            out += run >= 4 ? QStringLiteral("dddd") : QStringLiteral("ddd");
            break;
        case u'a':
            out += QStringLiteral("AP");
            break;
        case u'z': // zone name, where Qt would print milliseconds
            out += u't';
            break;
        case u'Y': // week-year; the calendar year is what every caller means
            out += QString(run, u'y');
            break;
        default:
            out += QStringView(pattern).mid(i, run);
            break;
        }
        i += run;
    }
    return out;
}

} // namespace

namespace StringFormatter {

QString defaultDateString(const QDateTime &date)
{
    return defaultFormatter().format(date);
}

QString defaultDateStringWithOutSecond(const QDateTime &date)
{
    return withOutSecondFormatter().format(date);
}

QString moreDefaultDateString(const QDateTime &date)
{
    return moreDefaultFormatter().format(date);
}

QString stringWithFormat(const QDateTime &date, const QString &pattern)
{
    if (!date.isValid())
        return {};
    return QLocale::c().toString(date, toQtPattern(pattern));
}

} // namespace StringFormatter

namespace DateFromString {

QDateTime defaultDateWithOutSecondFromString(const QString &text)
{
    return parseWithOutSecondFormatter().parse(text);
}

} // namespace DateFromString

namespace Utilities {

QDateTime dateByAddingMinutes(const QDateTime &date, qint64 minutes)
{
    return date.addSecs(minutes * 60);
}

QDateTime dateByAddingHours(const QDateTime &date, qint64 hours)
{
    return date.addSecs(hours * 3600);
}

int weekday(const QDateTime &date)
{
    if (!date.isValid())
        return 0;
    // Qt counts Monday = 1 ... Sunday = 7.
    return date.date().dayOfWeek() % 7 + 1;
}

} // namespace Utilities
