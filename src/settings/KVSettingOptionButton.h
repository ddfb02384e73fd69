#pragma once

#include <QAbstractButton>

// One choice of a settings button group. The group turns the chosen one on and disables it, so
// it cannot be chosen again; it still looks chosen, not dimmed.
class KVSettingOptionButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit KVSettingOptionButton(const QString &title, QWidget *parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    // The group sets the state; a click only reports.
    void nextCheckState() override {}
    void paintEvent(QPaintEvent *event) override;
};
