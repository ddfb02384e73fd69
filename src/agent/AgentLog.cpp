#include "agent/AgentLog.h"

Q_LOGGING_CATEGORY(lcAgent, "korvi.agent")
