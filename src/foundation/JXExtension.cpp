#include "foundation/JXExtension.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QLocale>
#include <QMetaProperty>
#include <QReadWriteLock>
#include <QSet>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

Q_LOGGING_CATEGORY(korviModel, "korvi.model")

namespace jx::detail {
namespace {

// Nested models deeper than this are left at their defaults; only a model that
// contains lists of itself could recurse that far.
constexpr int kMaxDepth = 64;

enum class Kind {
    String,
    Bool,
    SignedInt,
    UnsignedInt,
    Double,
    VariantMap,
    VariantList,
    StringList,
    Variant,
    JsonObject,
    JsonArray,
    JsonValue,
    Model,
    Other, // a registered model list/map, or anything QVariant can convert
};

struct PropInfo {
    QMetaProperty prop;
    QString key;
    QMetaType type;
    Kind kind = Kind::Other;
    qint64 minValue = 0; // integer kinds
    quint64 maxValue = 0;
    const QMetaObject *modelMetaObject = nullptr; // Kind::Model
};

struct ClassTable {
    const QMetaObject *metaObject = nullptr;
    QByteArray className;
    std::vector<PropInfo> props;
};

// ---- registries -----------------------------------------------------------

struct Registry {
    QReadWriteLock lock;
    std::unordered_map<const QMetaObject *, std::unique_ptr<ClassTable>> tables;
    std::map<int, ModelOps> listOps; // by QList<T> / QMap<QString, T> type id
};

Registry &registry()
{
    static Registry r;
    return r;
}

const ModelOps *opsForType(QMetaType type)
{
    Registry &r = registry();
    const int id = type.id();
    QReadLocker locker(&r.lock);
    auto it = r.listOps.find(id);
    return it == r.listOps.end() ? nullptr : &it->second;
}

void setIntegerBounds(PropInfo &p)
{
    switch (p.type.id()) {
    case QMetaType::Int:
        p.minValue = std::numeric_limits<int>::min();
        p.maxValue = std::numeric_limits<int>::max();
        break;
    case QMetaType::Short:
        p.minValue = std::numeric_limits<short>::min();
        p.maxValue = std::numeric_limits<short>::max();
        break;
    case QMetaType::Long:
        p.minValue = std::numeric_limits<long>::min();
        p.maxValue = std::numeric_limits<long>::max();
        break;
    case QMetaType::LongLong:
        p.minValue = std::numeric_limits<qint64>::min();
        p.maxValue = std::numeric_limits<qint64>::max();
        break;
    case QMetaType::UInt:
        p.maxValue = std::numeric_limits<uint>::max();
        break;
    case QMetaType::UShort:
        p.maxValue = std::numeric_limits<ushort>::max();
        break;
    case QMetaType::ULong:
        p.maxValue = std::numeric_limits<ulong>::max();
        break;
    case QMetaType::ULongLong:
        p.maxValue = std::numeric_limits<quint64>::max();
        break;
    default:
        break;
    }
}

Kind kindOf(QMetaType type, PropInfo &p)
{
    switch (type.id()) {
    case QMetaType::QString:
        return Kind::String;
    case QMetaType::Bool:
        return Kind::Bool;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
        setIntegerBounds(p);
        return Kind::SignedInt;
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        setIntegerBounds(p);
        return Kind::UnsignedInt;
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Double;
    case QMetaType::QVariantMap:
        return Kind::VariantMap;
    case QMetaType::QVariantList:
        return Kind::VariantList;
    case QMetaType::QStringList:
        return Kind::StringList;
    case QMetaType::QVariant:
        return Kind::Variant;
    case QMetaType::QJsonObject:
        return Kind::JsonObject;
    case QMetaType::QJsonArray:
        return Kind::JsonArray;
    case QMetaType::QJsonValue:
        return Kind::JsonValue;
    default:
        break;
    }
    if ((type.flags() & QMetaType::IsGadget) && type.metaObject()) {
        p.modelMetaObject = type.metaObject();
        return Kind::Model;
    }
    return Kind::Other;
}

QMap<QString, QString> replacedKeys(const QMetaObject &mo)
{
    QMap<QString, QString> keys;
    // Base classes come first, so a subclass overrides its base's choice.
    for (int i = 0; i < mo.classInfoCount(); ++i) {
        const QMetaClassInfo info = mo.classInfo(i);
        if (qstrcmp(info.name(), "jx_replacedKeyFromPropertyName") != 0)
            continue;
        const QStringList pairs = QString::fromUtf8(info.value()).split(QLatin1Char(','));
        for (const QString &pair : pairs) {
            const qsizetype eq = pair.indexOf(QLatin1Char('='));
            if (eq <= 0)
                continue;
            const QString property = pair.left(eq).trimmed();
            const QString key = pair.mid(eq + 1).trimmed();
            if (!property.isEmpty() && !key.isEmpty())
                keys.insert(property, key);
        }
    }
    return keys;
}

std::unique_ptr<ClassTable> buildTable(const QMetaObject &mo)
{
    auto table = std::make_unique<ClassTable>();
    table->metaObject = &mo;
    table->className = mo.className();
    const QMap<QString, QString> keys = replacedKeys(mo);
    for (int i = 0; i < mo.propertyCount(); ++i) {
        const QMetaProperty prop = mo.property(i);
        if (!prop.isWritable())
            continue; // derived values are not mapped
        PropInfo p;
        p.prop = prop;
        p.type = prop.metaType();
        const QString name = QString::fromLatin1(prop.name());
        p.key = keys.value(name, name);
        p.kind = kindOf(p.type, p);
        table->props.push_back(std::move(p));
    }
    return table;
}

const ClassTable &tableFor(const QMetaObject &mo)
{
    Registry &r = registry();
    {
        QReadLocker locker(&r.lock);
        auto it = r.tables.find(&mo);
        if (it != r.tables.end())
            return *it->second;
    }
    auto built = buildTable(mo);
    QWriteLocker locker(&r.lock);
    auto [it, inserted] = r.tables.emplace(&mo, std::move(built));
    return *it->second;
}

// ---- diagnostics ------------------------------------------------------------

std::mutex g_reportedMutex;
QSet<QByteArray> g_reported;

void logUnconvertible(const ClassTable &table, const PropInfo &p, const char *what,
                      const char *outcome = "default kept")
{
    const QByteArray id = table.className + '.' + p.key.toUtf8();
    {
        std::lock_guard<std::mutex> guard(g_reportedMutex);
        if (g_reported.contains(id))
            return;
        g_reported.insert(id);
    }
    qCWarning(korviModel, "%s: a %s value cannot fill %s (%s); %s", table.className.constData(), what,
              p.key.toUtf8().constData(), p.type.name(), outcome);
}

// ---- JSON text --------------------------------------------------------------

bool fitsInt64(const char *digits, qsizetype len, bool negative)
{
    // digits: no sign, no leading zeros handled by caller's length check.
    static const char kMax[] = "9223372036854775807";
    static const char kMin[] = "9223372036854775808";
    const char *limit = negative ? kMin : kMax;
    constexpr qsizetype limitLen = 19;
    if (len != limitLen)
        return len < limitLen;
    return std::memcmp(digits, limit, limitLen) <= 0;
}

// QJsonDocument keeps integers exactly only within 64-bit signed range and
// turns bigger ones into doubles. Integer literals beyond that range are
// quoted first, so they arrive as exact decimal strings (which fill an
// unsigned 64-bit field exactly). Returns the input itself when nothing
// needs quoting, which is the normal case.
QByteArray quoteBigIntegers(const QByteArray &json)
{
    QByteArray out;
    bool changed = false;
    const char *s = json.constData();
    const qsizetype n = json.size();
    qsizetype copiedUpTo = 0;
    bool inString = false;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = s[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
            continue;
        }
        if (c != '-' && (c < '0' || c > '9'))
            continue;
        // A number token outside strings.
        qsizetype end = i;
        bool integral = true;
        while (end < n) {
            const char d = s[end];
            if (d >= '0' && d <= '9') {
            } else if (d == '.' || d == 'e' || d == 'E' || d == '+' || (d == '-' && end != i)) {
                integral = false;
            } else if (d != '-') {
                break;
            }
            ++end;
        }
        const bool negative = s[i] == '-';
        const qsizetype digitsStart = negative ? i + 1 : i;
        const qsizetype digitCount = end - digitsStart;
        if (integral && digitCount >= 19 && digitCount <= 400 && s[digitsStart] != '0' &&
            !fitsInt64(s + digitsStart, digitCount, negative)) {
            if (!changed) {
                out.reserve(n + 16);
                changed = true;
            }
            out.append(s + copiedUpTo, i - copiedUpTo);
            out.append('"');
            out.append(s + i, end - i);
            out.append('"');
            copiedUpTo = end;
        }
        i = end - 1;
    }
    if (!changed)
        return json;
    out.append(s + copiedUpTo, n - copiedUpTo);
    return out;
}

QJsonDocument parseJson(const QByteArray &utf8)
{
    QJsonParseError error{};
    QJsonDocument doc = QJsonDocument::fromJson(quoteBigIntegers(utf8), &error);
    if (error.error != QJsonParseError::NoError)
        return {};
    return doc;
}

bool looksLikeJson(const QString &text)
{
    for (const QChar c : text) {
        if (c.isSpace())
            continue;
        return c == QLatin1Char('{') || c == QLatin1Char('[');
    }
    return false;
}

// ---- values -------------------------------------------------------------------

// One incoming value, reduced to what the conversions look at.
struct Scalar {
    enum Type { Null, Bool, Int, UInt, Double, String, Object, Array, Other } type = Null;
    bool b = false;
    qint64 i = 0;
    quint64 u = 0;
    double d = 0;
    QString s;
};

Scalar classify(const QJsonValue &v)
{
    Scalar out;
    switch (v.type()) {
    case QJsonValue::Bool:
        out.type = Scalar::Bool;
        out.b = v.toBool();
        break;
    case QJsonValue::Double: {
        const double d = v.toDouble();
        const qint64 i = v.toInteger(std::numeric_limits<qint64>::min());
        if (i != std::numeric_limits<qint64>::min() || d == static_cast<double>(i)) {
            out.type = Scalar::Int;
            out.i = i;
        } else {
            out.type = Scalar::Double;
            out.d = d;
        }
        break;
    }
    case QJsonValue::String:
        out.type = Scalar::String;
        out.s = v.toString();
        break;
    case QJsonValue::Object:
        out.type = Scalar::Object;
        break;
    case QJsonValue::Array:
        out.type = Scalar::Array;
        break;
    default:
        break;
    }
    return out;
}

Scalar classify(const QVariant &v)
{
    Scalar out;
    switch (v.metaType().id()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        break;
    case QMetaType::Bool:
        out.type = Scalar::Bool;
        out.b = v.toBool();
        break;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
        out.type = Scalar::Int;
        out.i = v.toLongLong();
        break;
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        out.type = Scalar::UInt;
        out.u = v.toULongLong();
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        out.type = Scalar::Double;
        out.d = v.toDouble();
        break;
    case QMetaType::QString:
        out.type = Scalar::String;
        out.s = v.toString();
        break;
    case QMetaType::QByteArray:
        out.type = Scalar::String;
        out.s = QString::fromUtf8(v.toByteArray());
        break;
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
    case QMetaType::QJsonObject:
        out.type = Scalar::Object;
        break;
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
    case QMetaType::QJsonArray:
        out.type = Scalar::Array;
        break;
    case QMetaType::QJsonValue:
        return classify(v.toJsonValue());
    default:
        out.type = Scalar::Other;
        break;
    }
    return out;
}

const char *typeName(const Scalar &s)
{
    switch (s.type) {
    case Scalar::Bool:
        return "bool";
    case Scalar::Int:
    case Scalar::UInt:
    case Scalar::Double:
        return "number";
    case Scalar::String:
        return "string";
    case Scalar::Object:
        return "object";
    case Scalar::Array:
        return "array";
    default:
        return "other";
    }
}

// Whole-number text without a trailing ".0"; other numbers in their shortest exact form.
QString numberText(double d)
{
    if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9007199254740992.0)
        return QString::number(static_cast<qint64>(d));
    return QString::number(d, 'g', QLocale::FloatingPointShortest);
}

enum class Outcome { Written, Skipped, Failed };

// Integer from a scalar, as a signed or unsigned 64-bit value.
struct IntegerValue {
    bool negative = false;
    quint64 magnitude = 0;
};

std::optional<IntegerValue> integerFromDouble(double d)
{
    if (!std::isfinite(d))
        return std::nullopt;
    d = std::trunc(d);
    // Both bounds are exact powers of two in a double.
    if (d >= 18446744073709551616.0 || d < -9223372036854775808.0)
        return std::nullopt;
    if (d < 0)
        return IntegerValue{true, static_cast<quint64>(-d)};
    return IntegerValue{false, static_cast<quint64>(d)};
}

std::optional<IntegerValue> integerFrom(const Scalar &s)
{
    switch (s.type) {
    case Scalar::Bool:
        return IntegerValue{false, s.b ? 1u : 0u};
    case Scalar::Int:
        if (s.i < 0)
            return IntegerValue{true, static_cast<quint64>(-(s.i + 1)) + 1};
        return IntegerValue{false, static_cast<quint64>(s.i)};
    case Scalar::UInt:
        return IntegerValue{false, s.u};
    case Scalar::Double:
        return integerFromDouble(s.d);
    case Scalar::String: {
        const QString t = s.s.trimmed();
        bool ok = false;
        const qint64 i = t.toLongLong(&ok);
        if (ok) {
            Scalar asInt;
            asInt.type = Scalar::Int;
            asInt.i = i;
            return integerFrom(asInt);
        }
        const quint64 u = t.toULongLong(&ok);
        if (ok && !t.startsWith(QLatin1Char('-')))
            return IntegerValue{false, u};
        const double d = t.toDouble(&ok);
        if (ok)
            return integerFromDouble(d);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<double> doubleFrom(const Scalar &s)
{
    switch (s.type) {
    case Scalar::Bool:
        return s.b ? 1.0 : 0.0;
    case Scalar::Int:
        return static_cast<double>(s.i);
    case Scalar::UInt:
        return static_cast<double>(s.u);
    case Scalar::Double:
        return s.d;
    case Scalar::String: {
        bool ok = false;
        const double d = s.s.trimmed().toDouble(&ok);
        if (ok && std::isfinite(d))
            return d;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<bool> boolFrom(const Scalar &s)
{
    switch (s.type) {
    case Scalar::Bool:
        return s.b;
    case Scalar::Int:
        return s.i != 0;
    case Scalar::UInt:
        return s.u != 0;
    case Scalar::Double:
        return s.d != 0;
    case Scalar::String: {
        const QString t = s.s.trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
            t.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 ||
            t.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0)
            return false;
        if (auto d = doubleFrom(s))
            return *d != 0;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QString> stringFrom(const Scalar &s)
{
    switch (s.type) {
    case Scalar::String:
        return s.s;
    case Scalar::Bool:
        return s.b ? QStringLiteral("1") : QStringLiteral("0");
    case Scalar::Int:
        return QString::number(s.i);
    case Scalar::UInt:
        return QString::number(s.u);
    case Scalar::Double:
        return numberText(s.d);
    default:
        return std::nullopt;
    }
}

QVariant integerVariant(QMetaType type, const IntegerValue &v, const PropInfo &p, bool isSigned, bool &ok)
{
    ok = false;
    if (isSigned) {
        qint64 value = 0;
        if (v.negative) {
            const quint64 limit = static_cast<quint64>(-(p.minValue + 1)) + 1;
            if (v.magnitude > limit)
                return {};
            value = v.magnitude == limit ? p.minValue : -static_cast<qint64>(v.magnitude);
        } else {
            if (v.magnitude > p.maxValue)
                return {};
            value = static_cast<qint64>(v.magnitude);
        }
        ok = true;
        switch (type.id()) {
        case QMetaType::Int:
            return QVariant(static_cast<int>(value));
        case QMetaType::Short:
            return QVariant::fromValue(static_cast<short>(value));
        case QMetaType::Long:
            return QVariant::fromValue(static_cast<long>(value));
        default:
            return QVariant(static_cast<qlonglong>(value));
        }
    }
    if ((v.negative && v.magnitude != 0) || v.magnitude > p.maxValue)
        return {};
    ok = true;
    switch (type.id()) {
    case QMetaType::UInt:
        return QVariant(static_cast<uint>(v.magnitude));
    case QMetaType::UShort:
        return QVariant::fromValue(static_cast<ushort>(v.magnitude));
    case QMetaType::ULong:
        return QVariant::fromValue(static_cast<ulong>(v.magnitude));
    default:
        return QVariant(static_cast<qulonglong>(v.magnitude));
    }
}

// ---- container access, the same for JSON values and QVariants ------------------

QVariantMap variantMapOf(const QJsonValue &v)
{
    return v.toObject().toVariantMap();
}
QVariantList variantListOf(const QJsonValue &v)
{
    return v.toArray().toVariantList();
}

QVariantMap variantMapOf(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::QVariantMap:
        return v.toMap();
    case QMetaType::QVariantHash: {
        QVariantMap m;
        const QVariantHash h = v.toHash();
        for (auto it = h.cbegin(); it != h.cend(); ++it)
            m.insert(it.key(), it.value());
        return m;
    }
    case QMetaType::QJsonObject:
        return v.toJsonObject().toVariantMap();
    case QMetaType::QJsonValue:
        return v.toJsonValue().toObject().toVariantMap();
    default:
        return {};
    }
}

QVariantList variantListOf(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::QVariantList:
        return v.toList();
    case QMetaType::QStringList: {
        QVariantList out;
        for (const QString &s : v.toStringList())
            out.append(s);
        return out;
    }
    case QMetaType::QJsonArray:
        return v.toJsonArray().toVariantList();
    case QMetaType::QJsonValue:
        return v.toJsonValue().toArray().toVariantList();
    default:
        return {};
    }
}

QVariant plainVariantOf(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::QJsonValue)
        return v.toJsonValue().toVariant();
    if (v.metaType().id() == QMetaType::QJsonObject)
        return v.toJsonObject().toVariantMap();
    if (v.metaType().id() == QMetaType::QJsonArray)
        return v.toJsonArray().toVariantList();
    return v;
}

template <class Fn> void forEachElement(const QJsonValue &v, Fn &&fn)
{
    const QJsonArray a = v.toArray();
    for (qsizetype i = 0; i < a.size(); ++i)
        fn(a.at(i));
}

template <class Fn> void forEachElement(const QVariant &v, Fn &&fn)
{
    switch (v.metaType().id()) {
    case QMetaType::QJsonArray:
    case QMetaType::QJsonValue:
        forEachElement(v.metaType().id() == QMetaType::QJsonArray ? QJsonValue(v.toJsonArray()) : v.toJsonValue(), fn);
        return;
    case QMetaType::QStringList:
        for (const QString &s : v.toStringList())
            fn(QVariant(s));
        return;
    default: {
        const QVariantList list = v.toList();
        for (const QVariant &e : list)
            fn(e);
    }
    }
}

template <class Fn> void forEachEntry(const QJsonValue &v, Fn &&fn)
{
    const QJsonObject o = v.toObject();
    for (auto it = o.constBegin(); it != o.constEnd(); ++it)
        fn(it.key(), it.value());
}

template <class Fn> void forEachEntry(const QVariant &v, Fn &&fn)
{
    switch (v.metaType().id()) {
    case QMetaType::QJsonObject:
    case QMetaType::QJsonValue:
        forEachEntry(v.metaType().id() == QMetaType::QJsonObject ? QJsonValue(v.toJsonObject()) : v.toJsonValue(), fn);
        return;
    case QMetaType::QVariantHash: {
        const QVariantHash h = v.toHash();
        for (auto it = h.cbegin(); it != h.cend(); ++it)
            fn(it.key(), it.value());
        return;
    }
    default: {
        const QVariantMap m = v.toMap();
        for (auto it = m.cbegin(); it != m.cend(); ++it)
            fn(it.key(), it.value());
    }
    }
}

// One walk over a dictionary's keys for both kinds of input: a parsed JSON object, whose values
// are QJsonValue, and a QVariantMap, whose values are QVariant.
template <class Dict> bool fillAt(const QMetaObject &mo, void *gadget, const Dict &dict, int depth);

bool fillFromValue(const QMetaObject &mo, void *gadget, const QJsonValue &v, int depth)
{
    if (!v.isObject())
        return false;
    return fillAt(mo, gadget, v.toObject(), depth);
}

bool fillFromValue(const QMetaObject &mo, void *gadget, const QVariant &v, int depth)
{
    switch (v.metaType().id()) {
    case QMetaType::QVariantMap:
        return fillAt(mo, gadget, v.toMap(), depth);
    case QMetaType::QVariantHash:
        return fillAt(mo, gadget, variantMapOf(v), depth);
    case QMetaType::QJsonObject:
        return fillAt(mo, gadget, v.toJsonObject(), depth);
    case QMetaType::QJsonValue:
        return fillFromValue(mo, gadget, v.toJsonValue(), depth);
    default:
        return false;
    }
}

template <class V> Outcome assign(const ClassTable &table, const PropInfo &p, void *gadget, const V &value, int depth);

// A string holding JSON text of an object or array, parsed; null otherwise.
QJsonValue embeddedJson(const Scalar &s)
{
    if (s.type != Scalar::String || !looksLikeJson(s.s))
        return {};
    const QJsonDocument doc = parseJson(s.s.toUtf8());
    if (doc.isObject())
        return doc.object();
    if (doc.isArray())
        return doc.array();
    return {};
}

// One model per element of an array, JSON or QVariant; an element that is neither an object nor
// the JSON text of one is taken back out. True when such an element (other than a null) was met.
template <class V>
bool fillElements(const QMetaObject &mo, const V &array, void *list, void *(*append)(void *list),
                  void (*dropLast)(void *list), int depth)
{
    bool skipped = false;
    forEachElement(array, [&](const auto &element) {
        void *item = append(list);
        if (fillFromValue(mo, item, element, depth))
            return;
        const Scalar s = classify(element);
        const QJsonValue embedded = embeddedJson(s);
        if (embedded.isObject() && fillFromValue(mo, item, embedded, depth))
            return;
        dropLast(list);
        skipped = skipped || s.type != Scalar::Null;
    });
    return skipped;
}

template <class V>
Outcome assignModelList(const ClassTable &table, const PropInfo &p, const ModelOps &ops, void *gadget, const V &value,
                        int depth)
{
    QVariant holder(p.type);
    void *container = holder.data();
    bool skippedSome = false;
    if (p.type == ops.listType) {
        skippedSome =
            fillElements(*ops.metaObject, value, container, ops.appendToList, ops.removeLastFromList, depth + 1);
    } else {
        forEachEntry(value, [&](const QString &key, const auto &entry) {
            void *item = ops.insertIntoMap(container, key);
            if (!fillFromValue(*ops.metaObject, item, entry, depth + 1)) {
                ops.removeFromMap(container, key);
                skippedSome = skippedSome || classify(entry).type != Scalar::Null;
            }
        });
    }
    if (skippedSome)
        logUnconvertible(table, p, "non-object element", "element skipped");
    return p.prop.writeOnGadget(gadget, holder) ? Outcome::Written : Outcome::Failed;
}

template <class V> Outcome assign(const ClassTable &table, const PropInfo &p, void *gadget, const V &value, int depth)
{
    if constexpr (std::is_same_v<V, QVariant>) {
        // Exactly the field's type (a round trip, or a value built in code).
        if (value.metaType() == p.type)
            return p.prop.writeOnGadget(gadget, value) ? Outcome::Written : Outcome::Failed;
    }
    const Scalar s = classify(value);
    if (s.type == Scalar::Null)
        return Outcome::Skipped;

    switch (p.kind) {
    case Kind::String:
        if (auto text = stringFrom(s))
            return p.prop.writeOnGadget(gadget, QVariant(*text)) ? Outcome::Written : Outcome::Failed;
        return Outcome::Failed;
    case Kind::Bool:
        if (s.type == Scalar::String && s.s.trimmed().isEmpty())
            return Outcome::Skipped;
        if (auto b = boolFrom(s))
            return p.prop.writeOnGadget(gadget, QVariant(*b)) ? Outcome::Written : Outcome::Failed;
        return Outcome::Failed;
    case Kind::SignedInt:
    case Kind::UnsignedInt: {
        if (s.type == Scalar::String && s.s.trimmed().isEmpty())
            return Outcome::Skipped;
        const auto integer = integerFrom(s);
        if (!integer)
            return Outcome::Failed;
        bool ok = false;
        const QVariant v = integerVariant(p.type, *integer, p, p.kind == Kind::SignedInt, ok);
        if (!ok)
            return Outcome::Failed;
        return p.prop.writeOnGadget(gadget, v) ? Outcome::Written : Outcome::Failed;
    }
    case Kind::Double: {
        if (s.type == Scalar::String && s.s.trimmed().isEmpty())
            return Outcome::Skipped;
        const auto d = doubleFrom(s);
        if (!d)
            return Outcome::Failed;
        const QVariant v = p.type.id() == QMetaType::Float ? QVariant(static_cast<float>(*d)) : QVariant(*d);
        return p.prop.writeOnGadget(gadget, v) ? Outcome::Written : Outcome::Failed;
    }
    case Kind::VariantMap:
        if (s.type == Scalar::Object)
            return p.prop.writeOnGadget(gadget, QVariant(variantMapOf(value))) ? Outcome::Written : Outcome::Failed;
        if (const QJsonValue e = embeddedJson(s); e.isObject())
            return p.prop.writeOnGadget(gadget, QVariant(e.toObject().toVariantMap())) ? Outcome::Written
                                                                                       : Outcome::Failed;
        return Outcome::Failed;
    case Kind::VariantList:
        if (s.type == Scalar::Array)
            return p.prop.writeOnGadget(gadget, QVariant(variantListOf(value))) ? Outcome::Written : Outcome::Failed;
        if (const QJsonValue e = embeddedJson(s); e.isArray())
            return p.prop.writeOnGadget(gadget, QVariant(e.toArray().toVariantList())) ? Outcome::Written
                                                                                       : Outcome::Failed;
        return Outcome::Failed;
    case Kind::StringList: {
        if (s.type != Scalar::Array)
            return Outcome::Failed;
        QStringList list;
        bool dropped = false;
        forEachElement(value, [&](const auto &element) {
            if (auto text = stringFrom(classify(element)))
                list.append(*text);
            else
                dropped = true;
        });
        if (dropped)
            logUnconvertible(table, p, "non-string element", "element skipped");
        return p.prop.writeOnGadget(gadget, QVariant(list)) ? Outcome::Written : Outcome::Failed;
    }
    case Kind::Variant:
        return p.prop.writeOnGadget(gadget, plainVariantOf(QVariant::fromValue(value))) ? Outcome::Written
                                                                                        : Outcome::Failed;
    case Kind::JsonObject:
    case Kind::JsonArray:
    case Kind::JsonValue: {
        QJsonValue json;
        if constexpr (std::is_same_v<V, QJsonValue>)
            json = value;
        else
            json = QJsonValue::fromVariant(plainVariantOf(value));
        if (const QJsonValue e = embeddedJson(s); !e.isNull())
            json = e;
        if (p.kind == Kind::JsonObject && json.isObject())
            return p.prop.writeOnGadget(gadget, QVariant(json.toObject())) ? Outcome::Written : Outcome::Failed;
        if (p.kind == Kind::JsonArray && json.isArray())
            return p.prop.writeOnGadget(gadget, QVariant(json.toArray())) ? Outcome::Written : Outcome::Failed;
        if (p.kind == Kind::JsonValue)
            return p.prop.writeOnGadget(gadget, QVariant(json)) ? Outcome::Written : Outcome::Failed;
        return Outcome::Failed;
    }
    case Kind::Model: {
        if (depth >= kMaxDepth)
            return Outcome::Skipped;
        QVariant nested(p.type);
        bool filled = false;
        if (s.type == Scalar::Object)
            filled = fillFromValue(*p.modelMetaObject, nested.data(), value, depth + 1);
        else if (const QJsonValue e = embeddedJson(s); e.isObject())
            filled = fillAt(*p.modelMetaObject, nested.data(), e.toObject(), depth + 1);
        if (!filled)
            return Outcome::Failed;
        return p.prop.writeOnGadget(gadget, nested) ? Outcome::Written : Outcome::Failed;
    }
    case Kind::Other:
        break;
    }

    if (const ModelOps *ops = opsForType(p.type)) {
        if (depth >= kMaxDepth)
            return Outcome::Skipped;
        const bool wantsList = p.type == ops->listType;
        if ((wantsList && s.type == Scalar::Array) || (!wantsList && s.type == Scalar::Object))
            return assignModelList(table, p, *ops, gadget, value, depth);
        const QJsonValue e = embeddedJson(s);
        if ((wantsList && e.isArray()) || (!wantsList && e.isObject()))
            return assignModelList(table, p, *ops, gadget, e, depth);
        return Outcome::Failed;
    }
    // Anything else QVariant itself knows how to convert.
    QVariant v = plainVariantOf(QVariant::fromValue(value));
    if (v.metaType() == QMetaType::fromType<QJsonValue>())
        v = v.value<QJsonValue>().toVariant();
    if (v.isValid() && v.convert(p.type))
        return p.prop.writeOnGadget(gadget, v) ? Outcome::Written : Outcome::Failed;
    return Outcome::Failed;
}

template <class V>
void assignAndReport(const ClassTable &table, const PropInfo &p, void *gadget, const V &value, int depth)
{
    if (assign(table, p, gadget, value, depth) == Outcome::Failed)
        logUnconvertible(table, p, typeName(classify(value)));
}

template <class Dict> bool fillAt(const QMetaObject &mo, void *gadget, const Dict &dict, int depth)
{
    static_assert(std::is_same_v<Dict, QJsonObject> || std::is_same_v<Dict, QVariantMap>);
    using Value = std::conditional_t<std::is_same_v<Dict, QJsonObject>, QJsonValue, QVariant>;
    const ClassTable &table = tableFor(mo);
    for (const PropInfo &p : table.props) {
        const auto it = dict.constFind(p.key);
        if (it == dict.constEnd())
            continue;
        const Value &value = it.value();
        assignAndReport(table, p, gadget, value, depth);
    }
    return true;
}

// ---- reverse mapping ----------------------------------------------------------

QVariant plainValue(const PropInfo &p, const QVariant &value, int depth);

QVariantMap keyValuesAt(const QMetaObject &mo, const void *gadget, int depth)
{
    QVariantMap out;
    if (depth >= kMaxDepth)
        return out;
    const ClassTable &table = tableFor(mo);
    for (const PropInfo &p : table.props) {
        const QVariant value = p.prop.readOnGadget(gadget);
        out.insert(p.key, plainValue(p, value, depth));
    }
    return out;
}

struct MapWalk {
    QVariantMap *out;
    const QMetaObject *mo;
    int depth;
};

QVariant plainValue(const PropInfo &p, const QVariant &value, int depth)
{
    switch (p.kind) {
    case Kind::Model:
        return keyValuesAt(*p.modelMetaObject, value.constData(), depth + 1);
    case Kind::Other:
        break;
    default:
        return value;
    }
    const ModelOps *ops = opsForType(p.type);
    if (!ops)
        return value;
    if (p.type == ops->listType) {
        QVariantList list;
        const qsizetype n = ops->listSize(value.constData());
        list.reserve(n);
        for (qsizetype i = 0; i < n; ++i)
            list.append(keyValuesAt(*ops->metaObject, ops->listAt(value.constData(), i), depth + 1));
        return list;
    }
    QVariantMap map;
    MapWalk walk{&map, ops->metaObject, depth + 1};
    ops->forEachInMap(value.constData(), &walk, [](void *ctx, const QString &key, const void *item) {
        auto *w = static_cast<MapWalk *>(ctx);
        w->out->insert(key, keyValuesAt(*w->mo, item, w->depth));
    });
    return map;
}

// ---- compact JSON writer ---------------------------------------------------------
// Our own, so unsigned 64-bit values are written with every digit (QJsonValue
// would turn values above 2^63-1 into doubles).

void writeString(QString &out, const QString &s)
{
    out += QLatin1Char('"');
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'"':
            out += QLatin1String("\\\"");
            break;
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\t':
            out += QLatin1String("\\t");
            break;
        case u'\b':
            out += QLatin1String("\\b");
            break;
        case u'\f':
            out += QLatin1String("\\f");
            break;
        default:
            if (u < 0x20)
                out += QStringLiteral("\\u%1").arg(static_cast<int>(u), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
}

void writeValue(QString &out, const QVariant &v, int depth);

void writeJsonValue(QString &out, const QJsonValue &v, int depth)
{
    writeValue(out, v.toVariant(), depth);
}

void writeValue(QString &out, const QVariant &v, int depth)
{
    if (depth > 1024) {
        out += QLatin1String("null");
        return;
    }
    switch (v.metaType().id()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        out += QLatin1String("null");
        return;
    case QMetaType::Bool:
        out += v.toBool() ? QLatin1String("true") : QLatin1String("false");
        return;
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
        out += QString::number(v.toLongLong());
        return;
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        out += QString::number(v.toULongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        out += std::isfinite(d) ? numberText(d) : QStringLiteral("null");
        return;
    }
    case QMetaType::QString:
        writeString(out, v.toString());
        return;
    case QMetaType::QByteArray:
        writeString(out, QString::fromUtf8(v.toByteArray()));
        return;
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
    case QMetaType::QJsonObject: {
        const QVariantMap m = variantMapOf(v);
        out += QLatin1Char('{');
        bool first = true;
        for (auto it = m.cbegin(); it != m.cend(); ++it) {
            if (!first)
                out += QLatin1Char(',');
            first = false;
            writeString(out, it.key());
            out += QLatin1Char(':');
            writeValue(out, it.value(), depth + 1);
        }
        out += QLatin1Char('}');
        return;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
    case QMetaType::QJsonArray: {
        const QVariantList l = variantListOf(v);
        out += QLatin1Char('[');
        for (qsizetype i = 0; i < l.size(); ++i) {
            if (i)
                out += QLatin1Char(',');
            writeValue(out, l.at(i), depth + 1);
        }
        out += QLatin1Char(']');
        return;
    }
    case QMetaType::QJsonValue:
        writeJsonValue(out, v.toJsonValue(), depth);
        return;
    default:
        break;
    }
    // A model put into a dictionary as a value.
    const QMetaType type = v.metaType();
    if ((type.flags() & QMetaType::IsGadget) && type.metaObject()) {
        writeValue(out, keyValuesAt(*type.metaObject(), v.constData(), 0), depth + 1);
        return;
    }
    if (opsForType(type)) {
        PropInfo p;
        p.type = type;
        p.kind = Kind::Other;
        writeValue(out, plainValue(p, v, 0), depth + 1);
        return;
    }
    QVariant converted = v;
    if (converted.convert(QMetaType::fromType<QString>()))
        writeString(out, converted.toString());
    else
        out += QLatin1String("null");
}

} // namespace

// ---- public -----------------------------------------------------------------

void registerModelOps(const ModelOps &ops)
{
    Registry &r = registry();
    const int listId = ops.listType.id();
    const int mapId = ops.mapType.id();
    QWriteLocker locker(&r.lock);
    r.listOps[listId] = ops;
    r.listOps[mapId] = ops;
}

bool fill(const QMetaObject &mo, void *gadget, const QVariant &dict)
{
    switch (dict.metaType().id()) {
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QJsonDocument doc =
            parseJson(dict.metaType().id() == QMetaType::QString ? dict.toString().toUtf8() : dict.toByteArray());
        if (!doc.isObject())
            return false;
        return fillAt(mo, gadget, doc.object(), 0);
    }
    case QMetaType::QJsonDocument: {
        const QJsonDocument doc = dict.toJsonDocument();
        return doc.isObject() && fillAt(mo, gadget, doc.object(), 0);
    }
    default:
        return fillFromValue(mo, gadget, dict, 0);
    }
}

bool fill(const QMetaObject &mo, void *gadget, const QJsonObject &dict)
{
    return fillAt(mo, gadget, dict, 0);
}

bool fill(const QMetaObject &mo, void *gadget, const QVariantMap &dict)
{
    return fillAt(mo, gadget, dict, 0);
}

void fillArray(const QMetaObject &mo, const QVariant &array, void *list, void *(*append)(void *list),
               void (*dropLast)(void *list))
{
    QVariant source = array;
    if (array.metaType().id() == QMetaType::QString || array.metaType().id() == QMetaType::QByteArray) {
        const QJsonDocument doc =
            parseJson(array.metaType().id() == QMetaType::QString ? array.toString().toUtf8() : array.toByteArray());
        if (!doc.isArray())
            return;
        source = QVariant(doc.array());
    } else if (array.metaType().id() == QMetaType::QJsonDocument) {
        source = QVariant(array.toJsonDocument().array());
    }
    const Scalar kind = classify(source);
    if (kind.type != Scalar::Array)
        return;
    if (fillElements(mo, source, list, append, dropLast, 0))
        qCDebug(korviModel, "%s: array entries that are not objects were skipped", mo.className());
}

QVariantMap keyValues(const QMetaObject &mo, const void *gadget)
{
    return keyValuesAt(mo, gadget, 0);
}

} // namespace jx::detail

void jx_forgetReportedKeys()
{
    std::lock_guard<std::mutex> guard(jx::detail::g_reportedMutex);
    jx::detail::g_reported.clear();
}

QVariant jx_JSONObject(const QByteArray &utf8)
{
    const QJsonDocument doc = jx::detail::parseJson(utf8);
    if (doc.isObject())
        return doc.object().toVariantMap();
    if (doc.isArray())
        return doc.array().toVariantList();
    return {};
}

QJsonDocument jx_JSONDocument(const QByteArray &utf8)
{
    return jx::detail::parseJson(utf8);
}

QVariant jx_JSONObject(const QString &text)
{
    return jx_JSONObject(text.toUtf8());
}

QString jx_JSONString(const QVariant &mapOrList)
{
    switch (mapOrList.metaType().id()) {
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
    case QMetaType::QJsonObject:
    case QMetaType::QJsonArray:
        break;
    default:
        return {};
    }
    QString out;
    jx::detail::writeValue(out, mapOrList, 0);
    return out;
}
