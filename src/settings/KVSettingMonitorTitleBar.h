#pragma once

#include "uikit/VeskButton.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <functional>

// The icon and title of one stream kind (0 microphone, 1 camera, 2 share): the header of a
// card, and one of the three tabs above the other members' list.
class KVSettingMonitorTitleBar final : public QWidget {
    Q_OBJECT
public:
    explicit KVSettingMonitorTitleBar(QWidget *parent = nullptr);

    // 0, 1 or 2: its title and icon pair; any other type changes nothing.
    void setType(qint64 type);
    [[nodiscard]] qint64 type() const { return m_type; }
    // The icon's on state.
    void setIsOn(bool isOn);
    [[nodiscard]] bool isOn() const { return m_isOn; }
    // The selection line shows, and the bar takes no click while selected.
    void setSelected(bool selected);
    [[nodiscard]] bool selected() const { return m_selected; }
    void setEnableClick(bool enable);
    [[nodiscard]] bool enableClick() const { return m_enableClick; }
    void onTitleButtonClick();

    std::function<void(QAbstractButton *button, KVSettingMonitorTitleBar *bar)> onTitleBtnClick;

    [[nodiscard]] VeskButton *iconBtn() const { return m_iconBtn; }
    [[nodiscard]] QLabel *titleLabel() const { return m_titleLabel; }
    [[nodiscard]] QWidget *selectLine() const { return m_selectLine; }
    [[nodiscard]] QAbstractButton *titleButton() const { return m_titleButton; }

    // The icon of a kind, off (grey) or on.
    [[nodiscard]] static QPixmap icon(qint64 type, bool on);

    // The icon and the title side by side: a layout that gives a bar its hint shows it whole.
    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateButtonState();

    qint64 m_type = -1;
    bool m_isOn = false;
    bool m_selected = false;
    bool m_enableClick = false;
    QPointer<VeskButton> m_iconBtn;
    QPointer<QLabel> m_titleLabel;
    QPointer<QWidget> m_selectLine;
    QPointer<VeskButton> m_titleButton;
};
