#pragma once

#include <QAbstractButton>

// One choice of a settings button group. The group marks the chosen one and disables it, so it
// cannot be chosen again; it still looks chosen, not dimmed. A click (or the accessible press)
// only reports: the group decides what is chosen.
class KVSettingOptionButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit KVSettingOptionButton(const QString &title, QWidget *parent = nullptr);

    void setChosen(bool chosen);
    [[nodiscard]] bool isChosen() const { return m_chosen; }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_chosen = false;
};
