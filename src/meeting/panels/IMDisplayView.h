#pragma once

#include <QWidget>

// The chat panel of the meeting window: the list of chat and notice lines above the input.
// The lines and their look come with the chat panel; until then it is the panel's frame.
class IMDisplayView : public QWidget {
    Q_OBJECT
public:
    explicit IMDisplayView(QWidget *parent = nullptr);

    // Sizes the panel for the window's scale.
    void layoutSelf(double adjustScale);
    [[nodiscard]] double layoutScale() const { return m_scale; }

private:
    double m_scale = 1.0;
};
