#pragma once

#include <QObject>

// The clipboard's change count (the platform counts changes of the general pasteboard; Qt only
// signals them) and the count the home page has already looked at, so an invitation is offered
// once and the program's own copies are never offered back.
class PasteboardWatcher final : public QObject {
    Q_OBJECT
public:
    // Made at start-up so every later change is counted.
    static PasteboardWatcher *sharedWatcher();

    [[nodiscard]] qint64 changeCount() const { return m_changeCount; }
    // The clipboard changed since the last markSeen() (true before the first one: what the
    // clipboard held at start-up is looked at once).
    [[nodiscard]] bool hasUnseenChange() const { return m_seenCount != m_changeCount; }
    void markSeen() { m_seenCount = m_changeCount; }

private:
    PasteboardWatcher();
    qint64 m_changeCount = 0;
    qint64 m_seenCount = -1;
};
