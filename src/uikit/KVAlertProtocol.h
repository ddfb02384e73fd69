#pragma once

#include <QSize>

class QAbstractButton;
class QLabel;

// What a custom alert view offers the alert. Every method is optional.
class KVAlertProtocol {
public:
    virtual ~KVAlertProtocol() = default;
    // The size the alert takes; an empty size uses the view's size hint.
    [[nodiscard]] virtual QSize preferredSize() const { return {}; }
    [[nodiscard]] virtual QAbstractButton *cancelButton() const { return nullptr; }
    [[nodiscard]] virtual QAbstractButton *confirmButton() const { return nullptr; }
    [[nodiscard]] virtual QLabel *contentLabel() const { return nullptr; }
};
