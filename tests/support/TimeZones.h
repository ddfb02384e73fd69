#pragma once

// Time rules tried where users are: UTC, a zone east of it (Asia/Shanghai, where the service's
// "yyyy-MM-dd HH:mm" times are written) and one with summer time (America/New_York). Qt's local
// times and the C library both follow TZ once tzset() has run.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace TimeZones {

inline constexpr const char *kZones[] = {"UTC", "Asia/Shanghai", "America/New_York"};

// Sets TZ for its life and puts back what was there (also "not set").
class ScopedTimeZone final {
public:
    explicit ScopedTimeZone(const char *zone)
    {
        if (const char *old = std::getenv("TZ"))
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_old)
            setenv("TZ", m_old->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone &) = delete;
    ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

private:
    std::optional<std::string> m_old;
};

// Runs body once in each zone; a failure names its zone, and a fatal one stops the round.
inline void inEachTimeZone(const std::function<void()> &body)
{
    for (const char *zone : kZones) {
        SCOPED_TRACE(std::string("TZ=") + zone);
        const ScopedTimeZone scoped(zone);
        body();
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

} // namespace TimeZones
