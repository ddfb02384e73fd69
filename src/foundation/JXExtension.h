#pragma once

// JSON mapping of the server models (see foundation/models/VeskModel.h for how
// a model declares its fields). Everything here is lenient the way server data
// needs it and never throws or crashes on bad input:
//   - "1" fills an int, a number fills a string ("12", not "12.0"), 0/1/"0"/"1"/
//     true/false/"true"/"false" fill a bool, numeric strings fill a double;
//   - an unsigned 64-bit field keeps all its digits, from a number or a string;
//   - a missing or null key keeps the field's default; a value that cannot be
//     converted keeps the default and is logged once per class and key
//     (category "korvi.model");
//   - a string holding JSON text fills a model or array field as if it were
//     the object or array itself.
// Mapping may run on any thread; each model instance belongs to one thread.

#include "foundation/models/VeskModel.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QLoggingCategory>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QVariant>

#include <concepts>
#include <memory>
#include <type_traits>

Q_DECLARE_LOGGING_CATEGORY(korviModel)

template <class T>
concept JxModel = std::is_base_of_v<VeskModel, T> && std::is_default_constructible_v<T> && requires
{
    T::staticMetaObject;
};

namespace jx::detail {

// Type-erased operations on QList<T> / QMap<QString, T> of one model class T.
struct ModelOps {
    const QMetaObject *metaObject = nullptr;
    QMetaType modelType;
    QMetaType listType;
    QMetaType mapType;
    void *(*appendToList)(void *list) = nullptr; // appends a default T, returns it
    void (*removeLastFromList)(void *list) = nullptr;
    qsizetype (*listSize)(const void *list) = nullptr;
    const void *(*listAt)(const void *list, qsizetype i) = nullptr;
    void *(*insertIntoMap)(void *map, const QString &key) = nullptr; // default T at key
    void (*removeFromMap)(void *map, const QString &key) = nullptr;
    void (*forEachInMap)(const void *map, void *ctx,
                         void (*fn)(void *ctx, const QString &key, const void *value)) = nullptr;
};

void registerModelOps(const ModelOps &ops);

template <JxModel T> bool registerModel()
{
    ModelOps ops;
    ops.metaObject = &T::staticMetaObject;
    ops.modelType = QMetaType::fromType<T>();
    ops.listType = QMetaType::fromType<QList<T>>();
    ops.mapType = QMetaType::fromType<QMap<QString, T>>();
    ops.appendToList = [](void *list) -> void * { return &static_cast<QList<T> *>(list)->emplaceBack(); };
    ops.removeLastFromList = [](void *list) { static_cast<QList<T> *>(list)->removeLast(); };
    ops.listSize = [](const void *list) { return static_cast<const QList<T> *>(list)->size(); };
    ops.listAt = [](const void *list, qsizetype i) -> const void * {
        return &static_cast<const QList<T> *>(list)->at(i);
    };
    ops.insertIntoMap = [](void *map, const QString &key) -> void * {
        auto *m = static_cast<QMap<QString, T> *>(map);
        return &m->insert(key, T{}).value();
    };
    ops.removeFromMap = [](void *map, const QString &key) { static_cast<QMap<QString, T> *>(map)->remove(key); };
    ops.forEachInMap = [](const void *map, void *ctx, void (*fn)(void *, const QString &, const void *)) {
        const auto *m = static_cast<const QMap<QString, T> *>(map);
        for (auto it = m->cbegin(); it != m->cend(); ++it)
            fn(ctx, it.key(), &it.value());
    };
    registerModelOps(ops);
    return true;
}

// Fills the gadget at `gadget` (of class `mo`) from a dictionary: a QVariantMap,
// QVariantHash, QJsonObject, QJsonValue/QJsonDocument holding an object, or JSON
// text (QString or UTF-8 QByteArray) of an object.
// Returns false (gadget untouched) when `dict` is none of these.
bool fill(const QMetaObject &mo, void *gadget, const QVariant &dict);
bool fill(const QMetaObject &mo, void *gadget, const QJsonObject &dict);
bool fill(const QMetaObject &mo, void *gadget, const QVariantMap &dict);

// Appends one element per dictionary of `array` (QVariantList, QJsonArray,
// QStringList of JSON texts, or JSON text of an array); entries that are not
// dictionaries are skipped. `append` adds a default element and returns it,
// `dropLast` takes it back out.
void fillArray(const QMetaObject &mo, const QVariant &array, void *list, void *(*append)(void *list),
               void (*dropLast)(void *list));

// The reverse mapping of a gadget: property keys (after replacement) to plain
// values; nested models become QVariantMap, model lists QVariantList.
QVariantMap keyValues(const QMetaObject &mo, const void *gadget);

} // namespace jx::detail

// Registers T as the element class of QList<T> / QMap<QString, T> fields. Put it
// at namespace scope in the .cpp of each model holding such a field (and in T's
// own .cpp); registering twice is harmless.
#define JX_REGISTER_MODEL(T)                                                                                           \
    namespace {                                                                                                        \
    [[maybe_unused]] const bool jx_registered_##T = ::jx::detail::registerModel<T>();                                  \
    }

// JSON text to a QVariantMap (object) or QVariantList (array); a null QVariant
// when the text is not JSON (or is a bare scalar). Integers beyond 64-bit signed
// range come back as exact decimal strings instead of rounded doubles.
// Tests: every unconvertible key is reported again (each is reported once per process).
void jx_forgetReportedKeys();
[[nodiscard]] QVariant jx_JSONObject(const QString &text);
[[nodiscard]] QVariant jx_JSONObject(const QByteArray &utf8);
[[nodiscard]] inline QVariant jx_JSONObject(const char *utf8)
{
    return jx_JSONObject(QByteArray(utf8));
}

// JSON text to a document for code that works on QJsonObject: a null document when the text is
// not JSON. Integers beyond 64-bit signed range come back as exact decimal strings, as above.
[[nodiscard]] QJsonDocument jx_JSONDocument(const QByteArray &utf8);

// Compact JSON text of a dictionary or array (QVariantMap/QVariantHash/QVariantList/
// QStringList/QJsonObject/QJsonArray); "" for anything else.
[[nodiscard]] QString jx_JSONString(const QVariant &mapOrList);

// One model from a dictionary (QVariantMap, QJsonObject, QJsonDocument, or JSON
// text of an object as QString or UTF-8 QByteArray); anything else gives a
// default-constructed T.
template <JxModel T> [[nodiscard]] T jx_objectWithKeyValues(const QVariant &dict)
{
    T model;
    jx::detail::fill(T::staticMetaObject, &model, dict);
    return model;
}

template <JxModel T> [[nodiscard]] T jx_objectWithKeyValues(const QJsonObject &dict)
{
    T model;
    jx::detail::fill(T::staticMetaObject, &model, dict);
    return model;
}

// Fills an existing model in place (keys that are absent keep their value).
template <JxModel T> bool jx_setKeyValues(T &model, const QVariant &dict)
{
    return jx::detail::fill(T::staticMetaObject, &model, dict);
}

// Shared instance for state several owners hold (`roomInfo`, `myInfo`).
template <JxModel T> [[nodiscard]] std::shared_ptr<T> jx_sharedObjectWithKeyValues(const QVariant &dict)
{
    auto model = std::make_shared<T>();
    jx::detail::fill(T::staticMetaObject, model.get(), dict);
    return model;
}

// Models from an array of dictionaries (QVariantList, QJsonArray, or JSON text
// of an array); entries that are not dictionaries are skipped.
template <JxModel T> [[nodiscard]] QList<T> jx_objectArrayWithKeyValuesArray(const QVariant &array)
{
    QList<T> list;
    jx::detail::fillArray(
        T::staticMetaObject, array, &list, [](void *l) -> void * { return &static_cast<QList<T> *>(l)->emplaceBack(); },
        [](void *l) { static_cast<QList<T> *>(l)->removeLast(); });
    return list;
}

template <JxModel T> [[nodiscard]] QList<T> jx_objectArrayWithKeyValuesArray(const QJsonArray &array)
{
    return jx_objectArrayWithKeyValuesArray<T>(QVariant::fromValue(array));
}

// Model to dictionary, honouring replaced keys (what requests send).
template <JxModel T> [[nodiscard]] QVariantMap jx_keyValues(const T &model)
{
    return jx::detail::keyValues(T::staticMetaObject, &model);
}

template <JxModel T> [[nodiscard]] QVariantList jx_keyValuesArrayWithObjectArray(const QList<T> &models)
{
    QVariantList out;
    out.reserve(models.size());
    for (const T &m : models)
        out.append(jx::detail::keyValues(T::staticMetaObject, &m));
    return out;
}

// Compact JSON text of a model.
template <JxModel T> [[nodiscard]] QString jx_JSONString(const T &model)
{
    return jx_JSONString(QVariant(jx_keyValues(model)));
}
