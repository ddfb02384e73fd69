#include "shell/KVCheckVersion.h"

#include "agent/VeskAppAgent.h"
#include "connection/KVMResponse.h"
#include "foundation/StringHelpers.h"
#include "shell/ShellLog.h"
#include "shell/ShellRules.h"
#include "shell/ShellTexts.h"
#include "uikit/KVAlert.h"
#include "uikit/VeskToast.h"

#include <QDesktopServices>
#include <QUrl>

QString KVCheckVersion::runningVersion()
{
    return AppInfo::ai_version();
}

void KVCheckVersion::checkVersionWithShowToast(bool showToast)
{
    // Owned by the agent: the answer may come after the window that asked is gone.
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    agent->checkVersion(agent, [showToast](const KVMResponse &response) {
        if (!response.successed) {
            qCInfo(lcShell) << "version check failed" << response.code << response.error;
            if (showToast)
                VeskToast::showToast(ReplyText::failureText(response));
            return;
        }
        const QVariantMap data = response.dataMap();
        const QString version = data.value(QStringLiteral("version")).toString();
        if (!VersionRule::isNewer(version, runningVersion())) {
            if (showToast)
                VeskToast::showToast(ShellTexts::kUpToDate);
            return;
        }
        const QUrl download(data.value(QStringLiteral("downloadUrl")).toString());
        const bool force = data.value(QStringLiteral("forceUpdate")).toInt() != 0;
        auto openDownload = [download] {
            if (VersionRule::isOpenableDownload(download))
                QDesktopServices::openUrl(download);
            else
                qCWarning(lcShell) << "update address refused:" << download.scheme();
        };
        const QString title = ShellTexts::kNewVersionTitle.arg(version);
        const QString description = data.value(QStringLiteral("description")).toString();
        // A forced update offers no "later".
        KVAlert *alert =
            force ? KVAlert::alertWithMessage(description.isEmpty() ? title : title + QLatin1Char('\n') + description,
                                              ShellTexts::kUpdateNow, openDownload)
                  : KVAlert::alertWithTitle(title, description, ShellTexts::kUpdateLater, ShellTexts::kUpdateNow, {},
                                            openDownload);
        alert->setObjectName(QStringLiteral("updateAlert"));
        alert->showInCenterOfWindow(nullptr);
    });
}
