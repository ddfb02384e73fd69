#include "KRTCEngineFactory.h"

#include "EngineLog.h"
#include "LocalEngine.h"

#include "foundation/MainQueue.h"

#include <mutex>

namespace {

std::mutex g_mutex;
KRTCEngineFactory::Creator g_creator;
KRTCEngineFactory::AnalyzeHandler g_analyze;

// The local engine has no log service to upload to: say so instead of claiming an upload.
void localAnalyze(const QString &, const QString &, const QString &, const QString &,
                  KRTCEngineOC::AnalyzeCallback callback)
{
    qCInfo(lcEngine) << "log upload: the local engine has no upload service";
    if (callback)
        MainQueue::async([callback = std::move(callback)] { callback(1001); });
}

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
    return g_analyze ? g_analyze : AnalyzeHandler(localAnalyze);
}
