#pragma once

#include "KRTCEngineOC.h"

#include <functional>
#include <memory>

// Where engines come from: the app gets a LocalEngine, tests install a creator that hands out
// a FakeEngine. Main thread only.
class KRTCEngineFactory final {
public:
    using Creator = std::function<std::unique_ptr<KRTCEngineOC>(const KRTCEngineConfig &)>;
    using AnalyzeHandler = std::function<void(const QString &appId, const QString &userId, const QString &userName,
                                              const QString &logDirectory, KRTCEngineOC::AnalyzeCallback callback)>;

    [[nodiscard]] static std::unique_ptr<KRTCEngineOC> create(const KRTCEngineConfig &config);
    // nullptr puts the default (LocalEngine) back.
    static void setCreator(Creator creator);
    // Handler of KRTCEngineOC::analyzePerformance; nullptr puts the default back.
    static void setAnalyzeHandler(AnalyzeHandler handler);
    [[nodiscard]] static AnalyzeHandler analyzeHandler();

    // Installs a creator for the life of a scope (tests).
    class ScopedCreator final {
    public:
        explicit ScopedCreator(Creator creator) { setCreator(std::move(creator)); }
        ~ScopedCreator() { setCreator(nullptr); }
        ScopedCreator(const ScopedCreator &) = delete;
        ScopedCreator &operator=(const ScopedCreator &) = delete;
    };
};
