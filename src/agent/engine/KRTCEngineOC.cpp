#include "KRTCEngineOC.h"

#include "KRTCEngineFactory.h"

namespace {
const QString kLevelSeparator = QStringLiteral("fc");
}

namespace KRTCPeerId {

QString levelId(const QString &peerId, bool mic)
{
    // The suffix is a digit: it can never hold an "f", so the last "fc" is always ours.
    return peerId + kLevelSeparator + (mic ? QStringLiteral("0") : QStringLiteral("1"));
}

QString fromLevelId(const QString &levelId)
{
    const qsizetype at = levelId.lastIndexOf(kLevelSeparator);
    return at < 0 ? levelId : levelId.left(at);
}

} // namespace KRTCPeerId

void KRTCEngineOC::analyzePerformance(const QString &appId, const QString &userId, const QString &userName,
                                      const QString &logDirectory, AnalyzeCallback callback)
{
    if (auto handler = KRTCEngineFactory::analyzeHandler())
        handler(appId, userId, userName, logDirectory, std::move(callback));
}
