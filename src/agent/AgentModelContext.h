#pragma once

#include "foundation/ModelContext.h"

class VeskAppAgent;

// The models' view of the agent: signed-in user, joined room, web address, two settings.
// Installed by the agent for its lifetime.
class AgentModelContext final : public ModelContext {
public:
    explicit AgentModelContext(VeskAppAgent *agent) : m_agent(agent) {}

    [[nodiscard]] QString myPhoneNumber() const override;
    [[nodiscard]] QString myUserId() const override;
    [[nodiscard]] QString myUserName() const override;
    [[nodiscard]] QString roomCreatorId() const override;
    [[nodiscard]] QString webBaseUrl() const override;
    [[nodiscard]] bool autoCameraOn() const override;
    [[nodiscard]] bool autoMicphoneOn() const override;

private:
    VeskAppAgent *m_agent;
};
