#pragma once

#include "uikit/DraggableView.h"

#include <QColor>
#include <QPointer>

class KVElidedLabel;

// The label that names who is speaking; the user may drag it aside.
class CurrentSpeakerView final : public DraggableView {
    Q_OBJECT
public:
    explicit CurrentSpeakerView(QWidget *parent = nullptr);
    ~CurrentSpeakerView() override;

    void setBkColor(const QColor &color);
    [[nodiscard]] QColor bkColor() const { return m_bkColor; }

    // The speaker's name, plain text, cut to the label's width.
    QPointer<KVElidedLabel> nameLabel;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_bkColor;
};
