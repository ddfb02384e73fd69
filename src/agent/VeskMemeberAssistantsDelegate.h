#pragma once

// Told when the meeting manager rebuilt its assistant-host or virtual-member list.
// Methods are optional; calls arrive on the main thread.
class VeskMemeberAssistantsDelegate {
public:
    virtual ~VeskMemeberAssistantsDelegate() = default;

    virtual void needUpdateUIFitAssistantChange() {}
    virtual void needUpdateUIFitMetaMemberChange() {}
};
