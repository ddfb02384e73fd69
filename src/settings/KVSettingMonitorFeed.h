#pragma once

#include "agent/MainSettingMonitorModel.h"
#include "agent/MeetingActiveModel.h"
#include "agent/engine/KRTCTypes.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class KVSettingMonitorPanel;

// The settings window's feed of the monitor tab in a meeting: the meeting's tiles become the
// card lists, and the meeting manager's statistics reports become the figures of the records.
// Records of other members are found through an index by member id. Main thread only; the
// statistics observers hop to it.
class KVSettingMonitorFeed final {
public:
    using Tile = std::shared_ptr<MeetingActiveModel>;
    using Record = std::shared_ptr<MainSettingMonitorModel>;
    using PanelProvider = std::function<KVSettingMonitorPanel *()>;

    static inline const QString kRemoteVideo = QStringLiteral("NETWORKMONITORNOTIVIDEO");
    static inline const QString kRemoteAudio = QStringLiteral("NETWORKMONITORNOTIAUDIO");
    static inline const QString kLocalAudio = QStringLiteral("NETWORKMONITORNOTILOCALAUDIO");
    static inline const QString kLocalVideo = QStringLiteral("NETWORKMONITORNOTILOCALVIDEO");

    // panel makes the monitor panel on first use.
    explicit KVSettingMonitorFeed(PanelProvider panel);

    // Observes the four statistics notifications for owner's life; each report is copied and
    // handled on the main thread while owner lives.
    void observe(QObject *owner);

    void onMemberChange(const QList<Tile> &members, const Tile &avFileShare, const Tile &screenShare);
    void remoteVideoChange(const KRTCStatistics &stats);
    void remoteAudioChange(const KRTCStatistics &stats);
    void localAudioChange(const KRTCStatistics &stats);
    void localVideoChange(const KRTCStatistics &stats);

    void updateMyMonitors(const Record &record, bool open);
    void updateMyMonitors(const Record &record, qint64 lossRate, qint64 bitrate, qint64 delay, qint64 videoWidth,
                          qint64 videoHeight, qint64 fps);
    Record updateOtherMonitorNameWithType(qint64 type, const QString &userId, const QString &userName);
    void updateOtherMonitorWithType(qint64 type, const QString &userId, const QString &userName, qint64 lossRate,
                                    qint64 delay, qint64 bitRate, qint64 frameWidth, qint64 frameHeight, qint64 fps);

private:
    // The first record of the kind with that id, through the index.
    [[nodiscard]] Record find(qint64 type, const QString &userId) const;
    void append(qint64 type, const Record &record);
    void reindex(qint64 type);

    PanelProvider m_panel;
    QHash<QString, Record> m_index[3];
};
