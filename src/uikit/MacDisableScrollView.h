#pragma once

#include <QScrollArea>

// A scroll view whose wheel scrolling can be switched off; while off, wheel
// events are swallowed (the view and what lies beneath do not scroll).
class MacDisableScrollView : public QScrollArea {
    Q_OBJECT
public:
    explicit MacDisableScrollView(QWidget *parent = nullptr);

    void setEnableScroll(bool enable) { m_enableScroll = enable; }
    [[nodiscard]] bool enableScroll() const { return m_enableScroll; }

protected:
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_enableScroll = false;
};
