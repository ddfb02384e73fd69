#include "KRTCEngineFactory.h"

#include "LocalEngine.h"

#include <mutex>

namespace {

std::mutex g_mutex;
KRTCEngineFactory::Creator g_creator;
KRTCEngineFactory::AnalyzeHandler g_analyze;

} // namespace

std::unique_ptr<KRTCEngineOC> KRTCEngineFactory::create(const KRTCEngineConfig &config)
{
    Creator creator;
    {
        std::lock_guard lock(g_mutex);
        creator = g_creator;
    }
    if (creator)
        return creator(config);
    return std::make_unique<LocalEngine>(config);
}

void KRTCEngineFactory::setCreator(Creator creator)
{
    std::lock_guard lock(g_mutex);
    g_creator = std::move(creator);
}

void KRTCEngineFactory::setAnalyzeHandler(AnalyzeHandler handler)
{
    std::lock_guard lock(g_mutex);
    g_analyze = std::move(handler);
}

KRTCEngineFactory::AnalyzeHandler KRTCEngineFactory::analyzeHandler()
{
    std::lock_guard lock(g_mutex);
    return g_analyze ? g_analyze : AnalyzeHandler(&LocalEngine::analyzePerformance);
}
