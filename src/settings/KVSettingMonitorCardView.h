#pragma once

#include "agent/MainSettingMonitorModel.h"
#include "settings/KVSettingMonitorTitleBar.h"
#include "uikit/KVFlatView.h"

#include <QColor>
#include <QLabel>
#include <QPointer>

#include <memory>

// One of the user's own streams: its title bar, then loss, delay and bit rate (and for video
// the frame rate and size), or the empty text while the stream is off.
class KVSettingMonitorCardView final : public KVFlatView {
    Q_OBJECT
public:
    explicit KVSettingMonitorCardView(QWidget *parent = nullptr);

    void setModel(std::shared_ptr<MainSettingMonitorModel> model);
    [[nodiscard]] const std::shared_ptr<MainSettingMonitorModel> &model() const { return m_model; }
    // Shows the model; a label is written only when its text changes.
    void updateData();

    QColor normalTitleColor{Qt::white};
    QColor tintTitleColor{0xF2, 0x79, 0x03};

    [[nodiscard]] KVSettingMonitorTitleBar *titleBar() const { return m_titleBar; }
    [[nodiscard]] QWidget *stackView() const { return m_stackView; }
    [[nodiscard]] QLabel *emptyLabel() const { return m_emptyLabel; }
    [[nodiscard]] QLabel *lossRateLabel() const { return m_lossRateLabel; }
    [[nodiscard]] QLabel *delayLabel() const { return m_delayLabel; }
    [[nodiscard]] QLabel *bitrateLabel() const { return m_bitrateLabel; }
    [[nodiscard]] QLabel *fpsLabel() const { return m_fpsLabel; }
    [[nodiscard]] QLabel *resolutionLabel() const { return m_resolutionLabel; }
    [[nodiscard]] QWidget *fpsView() const { return m_fpsView; }
    [[nodiscard]] QWidget *resolutionView() const { return m_resolutionView; }
    // Times a figure label's text was written (labels are written only on change).
    [[nodiscard]] int labelWrites() const { return m_labelWrites; }

private:
    QWidget *figureRow(const QString &caption, QPointer<QLabel> &label);
    // Writes text (and colour) only when the text differs.
    void write(QLabel *label, const QString &text, const QColor *color = nullptr);

    std::shared_ptr<MainSettingMonitorModel> m_model;
    QPointer<KVSettingMonitorTitleBar> m_titleBar;
    QPointer<QWidget> m_stackView;
    QPointer<QLabel> m_emptyLabel;
    QPointer<QWidget> m_lossRateView, m_delayView, m_bitrateView, m_fpsView, m_resolutionView;
    QPointer<QLabel> m_lossRateLabel, m_delayLabel, m_bitrateLabel, m_fpsLabel, m_resolutionLabel;
    int m_labelWrites = 0;
};
