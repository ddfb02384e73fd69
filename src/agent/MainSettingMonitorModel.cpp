#include "agent/MainSettingMonitorModel.h"

std::shared_ptr<MainSettingMonitorModel> MainSettingMonitorModel::modelWithType(qint64 type)
{
    auto model = std::make_shared<MainSettingMonitorModel>();
    model->type = type;
    return model;
}

void MainSettingMonitorModel::updateName(const QString &newName, const QString &newUserId)
{
    name = newName;
    userId = newUserId;
}

void MainSettingMonitorModel::updateVideoWithLossRate(float newLossRate, qint64 newDelay, float newBitRate,
                                                      float newFps, qint64 newVideoHeight, qint64 newVideoWidth)
{
    updateWithName(name, userId, newLossRate, newDelay, newBitRate, newFps, newVideoHeight, newVideoWidth);
}

void MainSettingMonitorModel::updateAudioWithLossRate(float newLossRate, qint64 newDelay, float newBitRate)
{
    updateWithName(name, userId, newLossRate, newDelay, newBitRate, 0, 0, 0);
}

void MainSettingMonitorModel::updateWithName(const QString &newName, const QString &newUserId, float newLossRate,
                                             qint64 newDelay, float newBitRate, float newFps, qint64 newVideoHeight,
                                             qint64 newVideoWidth)
{
    name = newName;
    userId = newUserId;
    lossRate = static_cast<qint64>(newLossRate);
    delay = newDelay;
    bitRate = static_cast<qint64>(newBitRate);
    videoHeight = newVideoHeight;
    videoWidth = newVideoWidth;
    fps = static_cast<qint64>(newFps);
}

void MainSettingMonitorModel::setNeedUpdate()
{
    if (didUpdate)
        didUpdate();
}
