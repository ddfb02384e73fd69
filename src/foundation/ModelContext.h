#pragma once

#include <QString>

// What the models' derived values need from outside the foundation: the
// signed-in user, the joined room, the web address, two settings. The agent
// implements it and installs it at start-up; until then (and in tests that
// install nothing) a null context answers empty strings and false.
class ModelContext {
public:
    virtual ~ModelContext() = default;

    // The installed context, or the null context.
    [[nodiscard]] static const ModelContext &current();
    // Installs `context` (not owned; it must outlive its installation);
    // nullptr puts the null context back.
    static void install(const ModelContext *context);

    // Signed-in user (`myInfo`), plain values.
    [[nodiscard]] virtual QString myPhoneNumber() const { return {}; }
    [[nodiscard]] virtual QString myUserId() const { return {}; }
    [[nodiscard]] virtual QString myUserName() const { return {}; }
    // The joined room's `creatorId` (plain), empty outside a meeting.
    [[nodiscard]] virtual QString roomCreatorId() const { return {}; }
    // Base address of the web client, without a trailing "/".
    [[nodiscard]] virtual QString webBaseUrl() const { return {}; }
    // Settings `autoCameraOn` / `autoMicphoneOn`.
    [[nodiscard]] virtual bool autoCameraOn() const { return false; }
    [[nodiscard]] virtual bool autoMicphoneOn() const { return false; }
};

// Installs a context for the lifetime of the scope (tests), then restores the previous one.
class ModelContextScope final {
public:
    explicit ModelContextScope(const ModelContext &context);
    ~ModelContextScope();
    ModelContextScope(const ModelContextScope &) = delete;
    ModelContextScope &operator=(const ModelContextScope &) = delete;

private:
    const ModelContext *m_previous;
};
