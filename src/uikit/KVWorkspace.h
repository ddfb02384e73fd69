#pragma once

#include <QString>

#include <functional>

// The desktop's file viewer: shows a file in its folder. Best effort: whether a viewer appears is
// up to the desktop.
namespace KVWorkspace {

using Revealer = std::function<bool(const QString &filePath)>;

// Asks the desktop to open the file's folder; false when the request could not be made.
bool revealInFileViewer(const QString &filePath);

// Replaces the desktop for the life of a scope (tests).
class RevealOverrideScope {
public:
    explicit RevealOverrideScope(Revealer revealer);
    ~RevealOverrideScope();
    RevealOverrideScope(const RevealOverrideScope &) = delete;
    RevealOverrideScope &operator=(const RevealOverrideScope &) = delete;

private:
    Revealer m_previous;
};

} // namespace KVWorkspace
