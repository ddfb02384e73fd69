#pragma once

#include <QString>

// Asks the service for the newest version of the client.
class KVCheckVersion final {
public:
    // A newer version opens the update alert. With showToast the user also hears when the
    // running version is the newest or the check failed (the service's message, else the
    // network text).
    static void checkVersionWithShowToast(bool showToast);

    // The running version compared against the service's answer.
    [[nodiscard]] static QString runningVersion();

    KVCheckVersion() = delete;
};
