#pragma once

// The waiting-room red point. Methods are optional; calls arrive on the main thread.
class VeskRedPointDelegate {
public:
    virtual ~VeskRedPointDelegate() = default;

    virtual void updateUIRedpoint(bool show) { (void)show; }
};
