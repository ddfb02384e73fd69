#include "uikit/KVWorkspace.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace KVWorkspace {

namespace {
Revealer &installed()
{
    static Revealer revealer;
    return revealer;
}
} // namespace

bool revealInFileViewer(const QString &filePath)
{
    if (filePath.isEmpty())
        return false;
    if (installed())
        return installed()(filePath);
    // Freedesktop viewers take a folder, not a file to select.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(filePath).absolutePath()));
}

RevealOverrideScope::RevealOverrideScope(Revealer revealer) : m_previous(std::move(installed()))
{
    installed() = std::move(revealer);
}

RevealOverrideScope::~RevealOverrideScope()
{
    installed() = std::move(m_previous);
}

} // namespace KVWorkspace
