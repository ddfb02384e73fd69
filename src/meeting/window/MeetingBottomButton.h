#pragma once

#include "uikit/VeskButton.h"

// A tool-bar item of the meeting window: image above a short title, a hover background, and an
// extended click area around it (the cover's extra size; 0 = the button's own frame).
class MeetingBottomButton : public VeskButton {
    Q_OBJECT
public:
    explicit MeetingBottomButton(QWidget *parent = nullptr);
    MeetingBottomButton(const QString &title, const QPixmap &image, QWidget *parent = nullptr);

    void setCoverExtendedSize(double size) { m_coverExtendedSize = size; }
    [[nodiscard]] double coverExtendedSize() const { return m_coverExtendedSize; }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_coverExtendedSize = 0;
};
