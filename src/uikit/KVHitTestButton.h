#pragma once

#include <QCheckBox>

// A check box whose whole area, widened by a margin, takes the click.
class KVHitTestButton : public QCheckBox {
    Q_OBJECT
public:
    explicit KVHitTestButton(QWidget *parent = nullptr);
    explicit KVHitTestButton(const QString &title, QWidget *parent = nullptr);

    // 0 off, 1 on.
    [[nodiscard]] qint64 state() const { return isChecked() ? 1 : 0; }
    void setState(qint64 state) { setChecked(state != 0); }
    // Extra points around the box that still hit it.
    void setHitMargin(int margin);
    [[nodiscard]] int hitMargin() const { return m_margin; }

protected:
    [[nodiscard]] bool hitButton(const QPoint &pos) const override;

private:
    int m_margin = 6;
};
