#pragma once

#include "uikit/VeskButton.h"

#include <functional>

// A button that calls its blocks when the pointer enters or leaves it.
class MacCoverButton : public VeskButton {
    Q_OBJECT
public:
    explicit MacCoverButton(QWidget *parent = nullptr) : VeskButton(parent) {}

    std::function<void()> mouseEnterBlock;
    std::function<void()> mouseExitBlock;

protected:
    void mouseEntered() override;
    void mouseExited() override;
};
