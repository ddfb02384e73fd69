#pragma once

#include <QAbstractButton>
#include <QPointer>

#include "uikit/KVFlatView.h"

#include <QLabel>

// One side-bar row: its title over a selection background. The side bar decides which row is
// selected; a click (or the accessible press) only reports it.
class MainSettingCell final : public QAbstractButton {
    Q_OBJECT
public:
    explicit MainSettingCell(const QString &title, QWidget *parent = nullptr);

    [[nodiscard]] QLabel *titleLabel() const { return m_titleLabel; }
    [[nodiscard]] KVFlatView *selectBgView() const { return m_selectBgView; }

    void setSelected(bool selected);
    [[nodiscard]] bool isSelected() const { return m_selected; }
    // The row's look follows its window's: dark in a meeting, light at home.
    void setDarkAppearance(bool dark);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override {}
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateLook();

    QPointer<QLabel> m_titleLabel;
    QPointer<KVFlatView> m_selectBgView;
    bool m_selected = false;
    bool m_dark = false;
};
