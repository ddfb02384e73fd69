#pragma once

#include "agent/MainSettingMonitorModel.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <memory>

// One other member's stream in the monitor list: the name, loss, delay and bit rate, and for
// video the frame rate and size on a second line.
class KVSettingMonitorCell final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kAudioHeight = 28;
    static constexpr int kVideoHeight = 56;
    // Names longer than this are cut where they enter the row.
    static constexpr int kMaxNameLength = 64;

    explicit KVSettingMonitorCell(QWidget *parent = nullptr);

    // Shows the model at once and redraws whenever the model says it changed.
    void setModel(const std::shared_ptr<MainSettingMonitorModel> &model);
    [[nodiscard]] const std::shared_ptr<MainSettingMonitorModel> &model() const { return m_model; }
    void updateData();
    // Shows a change at once when the row can be seen, else when it comes into view.
    void modelDidUpdate();
    [[nodiscard]] bool isStale() const { return m_stale; }
    // On screen now, inside the list's visible part.
    [[nodiscard]] bool isInView() const;

    [[nodiscard]] static int heightFor(qint64 type) { return type == 0 ? kAudioHeight : kVideoHeight; }

    [[nodiscard]] QLabel *nameLabel() const { return m_nameLabel; }
    [[nodiscard]] QWidget *expandContainer() const { return m_expandContainer; }
    [[nodiscard]] QLabel *lossRateLabel() const { return m_lossRateLabel; }
    [[nodiscard]] QLabel *delayLabel() const { return m_delayLabel; }
    [[nodiscard]] QLabel *bitrateLabel() const { return m_bitrateLabel; }
    [[nodiscard]] QLabel *fpsLabel() const { return m_fpsLabel; }
    [[nodiscard]] QLabel *resolutionLabel() const { return m_resolutionLabel; }

private:
    std::shared_ptr<MainSettingMonitorModel> m_model;
    bool m_stale = false;
    QPointer<QLabel> m_nameLabel;
    QPointer<QWidget> m_audioContainer;
    QPointer<QWidget> m_expandContainer;
    QPointer<QLabel> m_lossRateLabel, m_delayLabel, m_bitrateLabel, m_fpsLabel, m_resolutionLabel;
};
