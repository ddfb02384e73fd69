#pragma once

#include <QMetaType>
#include <QObject>

#include <type_traits>

// Base of the server models: a plain property bag. A model is a Q_GADGET struct
// deriving from VeskModel that declares each field once,
//     Q_PROPERTY(QString roomId MEMBER roomId)
//     QString roomId;
// and is mapped to and from JSON by foundation/JXExtension.h through its
// meta-object: the property name is the JSON key unless the class renames keys
//     Q_CLASSINFO("jx_replacedKeyFromPropertyName", "rows=meetList")
// (property=key pairs, comma separated). A QList<T> or QMap<QString, T> field
// whose element T is a model needs JX_REGISTER_MODEL(T) (the element class of
// the array) in the .cpp of the class holding the field, and that .cpp ends
// with `#include "moc_<Class>.cpp"`: the meta-object then lives in the same
// object file, so linking the model always links its registrations. Members
// that are not Q_PROPERTYs (caches, images) are never mapped.
struct VeskModel {
    Q_GADGET

public:
    // Lets a model default its own ==: `friend bool operator==(const X &, const X &) = default;`
    friend bool operator==(const VeskModel &, const VeskModel &) { return true; }
    // A model without its own == must not compare equal through this base.
    template <class T>
    requires(std::is_base_of_v<VeskModel, T> && !std::is_same_v<T, VeskModel>) friend bool
    operator==(const T &, const T &) = delete;
};
