#pragma once

#include "uikit/VeskButton.h"

class KVFlatView;

// The device field of the audio and video tabs: the chosen device's name at the left, cut to the
// field, with the drop-down's arrow at the right, in the tab's text colour (light at home, dark in a
// meeting). The name is the system's text: it is isolated, so its direction cannot turn ours.
class KVDeviceFieldButton final : public VeskButton {
    Q_OBJECT
public:
    // Makes the field's frame in host and the button filling it; label names the field for screen
    // readers ("麦克风").
    static KVDeviceFieldButton *makeField(QWidget *host, const QString &label, KVFlatView **frame);

    explicit KVDeviceFieldButton(const QString &label, QWidget *parent = nullptr);

    // The device's name (empty: none chosen).
    void setDeviceName(const QString &name);
    [[nodiscard]] QString deviceName() const { return m_deviceName; }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QString m_label;
    QString m_deviceName;
};
