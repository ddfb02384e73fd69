#pragma once

#include <QWidget>

class MainSettingModel;

// What the settings window asks of every tab's panel: the model each time the tab shows, the
// mode, and the preview or tests that run only while the tab shows.
class MainSettingPanel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    [[nodiscard]] virtual MainSettingModel *model() const = 0;
    virtual void setModel(MainSettingModel *model) = 0;
    virtual void setInMeeting(bool inMeeting) { (void)inMeeting; }
    virtual void startRunning() {}
    // Another tab was chosen, or the window closes.
    virtual void stopRunning() {}
};
