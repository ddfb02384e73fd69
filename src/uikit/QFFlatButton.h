#pragma once

#include "uikit/VeskButton.h"

// A flat button: title, font, title colour, alternate image and state.
class QFFlatButton : public VeskButton {
    Q_OBJECT
public:
    explicit QFFlatButton(QWidget *parent = nullptr);
    explicit QFFlatButton(const QString &title, QWidget *parent = nullptr);

    void setTitleNormalColor(const QColor &color) { setTextColor(color); }
    [[nodiscard]] QColor titleNormalColor() const { return textColor(); }
};
