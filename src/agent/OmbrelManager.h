#pragma once

#include <QDateTime>
#include <QString>

// Usage statistics: how long the microphone was open, when sharing started.
// Main thread only.
class OmbrelManager final {
public:
    static OmbrelManager &sharedInstance();

    void setStartMicDate(const QDateTime &date) { m_startMicDate = date; }
    void setEndMicDate(const QDateTime &date) { m_endMicDate = date; }
    void setStartShareDate(const QDateTime &date) { m_startShareDate = date; }
    [[nodiscard]] QDateTime startMicDate() const { return m_startMicDate; }
    [[nodiscard]] QDateTime endMicDate() const { return m_endMicDate; }
    [[nodiscard]] QDateTime startShareDate() const { return m_startShareDate; }

    // Sends the seconds between the two microphone dates for the joined room through the agent
    // (POST "/qf/statistics/micOpenTime"), then forgets both dates. Nothing is sent without
    // both dates, when the end is before the start, or outside a room.
    void uploadOmbrelMicOpenTime();

private:
    QDateTime m_startMicDate;
    QDateTime m_endMicDate;
    QDateTime m_startShareDate;
};
