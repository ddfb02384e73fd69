#pragma once

#include "uikit/VeskButton.h"

#include <QColor>
#include <QPointer>

// A tool-bar item of the meeting window: image above a short title, and on hover a dark cover
// behind it that reaches coverExtendedSize beyond the button, half above and half below.
class MeetingBottomButton : public VeskButton {
    Q_OBJECT
public:
    explicit MeetingBottomButton(QWidget *parent = nullptr);
    MeetingBottomButton(const QString &title, const QPixmap &image, QWidget *parent = nullptr);
    ~MeetingBottomButton() override;

    void setCovered(bool covered) { m_covered = covered; }
    [[nodiscard]] bool covered() const { return m_covered; }
    void setCoverExtendedSize(double size);
    [[nodiscard]] double coverExtendedSize() const { return m_coverExtendedSize; }
    void setCoverColor(const QColor &color);
    [[nodiscard]] QColor coverColor() const { return m_coverColor; }

    // The cover, a sibling just below the button; made on first request, null without a parent.
    QWidget *bgLayer();

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void mouseEntered() override;
    void mouseExited() override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void placeCover();

    bool m_covered = true;
    double m_coverExtendedSize = 10.0;
    QColor m_coverColor{0, 0, 0, 102};
    QPointer<QWidget> m_bgLayer;
};
