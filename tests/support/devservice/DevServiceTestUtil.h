#pragma once

#include "connection/HttpManager.h"
#include "support/TestEvents.h"

// Every request the client has sent, or queued on the main thread, has been answered, and so is
// in the stand-in's log: the main queue is drained and nothing is pending, in a few rounds so that
// a completion queueing a follow-up request is covered too. Then "nothing was sent" is an outcome.
inline bool settleRequests(const HttpManager &http = *HttpManager::sharedManager())
{
    for (int round = 0; round < 3; ++round) {
        if (!drainMainQueue() || !processEventsUntil([&http] { return http.pendingRequestCount() == 0; }))
            return false;
    }
    return true;
}
