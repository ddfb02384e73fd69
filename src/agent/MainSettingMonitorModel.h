#pragma once

#include <QString>

#include <functional>
#include <memory>

// Live network figures of one stream for the system monitor tab; never persisted.
class MainSettingMonitorModel final {
public:
    // 0 microphone, 1 camera, 2 screen or window share; figures 0, open NO.
    [[nodiscard]] static std::shared_ptr<MainSettingMonitorModel> modelWithType(qint64 type);

    void updateName(const QString &name, const QString &userId);
    void updateVideoWithLossRate(float lossRate, qint64 delay, float bitRate, float fps, qint64 videoHeight,
                                 qint64 videoWidth);
    // Audio: fps, height and width go back to 0.
    void updateAudioWithLossRate(float lossRate, qint64 delay, float bitRate);
    // The float figures are truncated toward zero.
    void updateWithName(const QString &name, const QString &userId, float lossRate, qint64 delay, float bitRate,
                        float fps, qint64 videoHeight, qint64 videoWidth);
    // Calls didUpdate when set; nothing else.
    void setNeedUpdate();

    bool open = false;
    QString name;
    QString userId;
    qint64 lossRate = 0;
    qint64 delay = 0;
    qint64 bitRate = 0;
    qint64 fps = 0;
    qint64 videoHeight = 0;
    qint64 videoWidth = 0;
    qint64 type = 0;
    std::function<void()> didUpdate;
};
