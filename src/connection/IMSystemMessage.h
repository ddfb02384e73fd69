#pragma once

#include "connection/IMSystemSubMessage.h"
#include "foundation/models/VeskModel.h"

#include <QVariantMap>

// A service notice for hosts: "event" (108 entered the waiting room, 109 left it, 110 device
// notice) and its "content", the member it is about.
struct IMSystemMessage : VeskModel {
    Q_GADGET
    Q_PROPERTY(int event MEMBER event)
    Q_PROPERTY(IMSystemSubMessage content MEMBER content)

public:
    int event = 0;
    IMSystemSubMessage content;

    // From the notice dictionary ("event", "content" and the notice's other keys).
    [[nodiscard]] static IMSystemMessage fromDictionary(const QVariantMap &dictionary);

    friend bool operator==(const IMSystemMessage &, const IMSystemMessage &) = default;
};
