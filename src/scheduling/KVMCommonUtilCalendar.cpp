#include "scheduling/KVMCommonUtilCalendar.h"

#include "agent/VeskAppAgent.h"
#include "foundation/DateHelpers.h"
#include "foundation/StringHelpers.h"
#include "foundation/UserDefaults.h"
#include "scheduling/RecordTexts.h"
#include "scheduling/SchedulingLog.h"
#include "scheduling/WMEventCalendarTool.h"

namespace KVMCommonUtilCalendar {

QString eventKey(const QString &roomId)
{
    return QStringLiteral("EventIdentifier_") + roomId;
}

void checkCalendarCanUsedCompletion(Completion completion)
{
    WMEventCalendarTool::sharedEventCalendar().checkCalendarCanUsedCompletion(
        [completion](bool granted, const std::optional<CalendarError> &error) {
            if (granted)
                UserDefaults::standardUserDefaults().setBool(true, kHadAllowedKey);
            if (completion)
                completion(granted, error);
        });
}

bool getCalendarIsAuthorized()
{
    return UserDefaults::standardUserDefaults().boolForKey(kHadAllowedKey);
}

void createEventCalendarTitle(const QString &title, const QString &url, const QDateTime &startDate,
                              const QDateTime &endDate, int period, const QString &key, Completion completion)
{
    checkCalendarCanUsedCompletion([=](bool granted, const std::optional<CalendarError> &error) {
        if (!granted) {
            if (completion)
                completion(false, error);
            return;
        }
        WMEventCalendarTool &tool = WMEventCalendarTool::sharedEventCalendar();
        tool.createCalendarIdentifier(
            kCalendarKey, RecordTexts::kCalendarTitle, [=](bool, const std::optional<CalendarError> &calendarError) {
                if (calendarError) {
                    if (completion)
                        completion(false, calendarError);
                    return;
                }
                WMEventCalendarTool::sharedEventCalendar().createEventIdentifier(
                    key, title, RecordTexts::kCalendarTitle, startDate, endDate, false, {QStringLiteral("25")},
                    RecordTexts::kCalendarNotes, url.isEmpty() ? QUrl() : QUrl(url), kCalendarKey, period,
                    [completion](bool, const std::optional<CalendarError> &eventError) {
                        if (completion)
                            completion(!eventError, eventError);
                    });
            });
    });
}

void deteleteEventCalendarTitleStartDate(const QDateTime &, const QDateTime &, const QString &key, int period,
                                         std::function<void(bool ok)> completion)
{
    checkCalendarCanUsedCompletion([=](bool granted, const std::optional<CalendarError> &) {
        bool removed = false;
        if (granted) {
            UserDefaults &defaults = UserDefaults::standardUserDefaults();
            const QString identifier = defaults.objectForKey(key).toString();
            removed = WMEventCalendarTool::sharedEventCalendar().deleteCalendarEventIdentifier(identifier, period);
            defaults.removeObjectForKey(key);
        }
        if (completion)
            completion(removed);
    });
}

int periodOf(const MeetingDataModel &meeting)
{
    if (meeting.onlyUpdateThisMeeting || !meeting.isCycle)
        return 0;
    return meeting.cycleType == 1 || meeting.cycleType == 2 ? meeting.cycleType : 0;
}

QUrl eventUrl(const QString &link, const AgentEnvironment &environment)
{
    const QUrl url(link, QUrl::StrictMode);
    if (link.isEmpty() || !url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty())
        return {};
    if (url.scheme() == QLatin1String("https"))
        return url;
    if (url.scheme() == QLatin1String("http") && environment.environment == AgentEnvironment::Development &&
        url.host() == QUrl(environment.serviceAddress).host())
        return url;
    return {};
}

void syncCalendar(const MeetingDataModel &meeting, bool sync, std::function<void()> noAccess,
                  std::function<void()> done, const QDateTime &editedOccurrence)
{
    if (!sync && !getCalendarIsAuthorized()) {
        if (done)
            done();
        return;
    }
    checkCalendarCanUsedCompletion([=](bool granted, const std::optional<CalendarError> &) {
        if (!granted) {
            if (sync && noAccess)
                noAccess();
            if (done)
                done();
            return;
        }
        const QDateTime begin = Date::correctDate(meeting.beginTime);
        // An edited meeting's end time is the one it had before: the form changes the begin and
        // the length, so the end is the begin plus the length whenever there is one.
        const QDateTime end = meeting.duration > 0 && begin.isValid()
                                  ? begin.addSecs(qint64(meeting.duration) * 60)
                                  : DateFromString::defaultDateWithOutSecondFromString(meeting.endTime);
        const int period = periodOf(meeting);
        const QString key = eventKey(meeting.roomId);
        WMEventCalendarTool &tool = WMEventCalendarTool::sharedEventCalendar();
        const bool oneOccurrence = meeting.isEdit && meeting.isCycle && meeting.onlyUpdateThisMeeting;
        if (oneOccurrence)
            tool.skipOccurrence(key, editedOccurrence.isValid() ? editedOccurrence : begin);
        else if (!tool.deleteEventsOfKey(key))
            qCWarning(lcScheduling) << "calendar events of" << meeting.roomId << "not removed";
        if (!sync) {
            if (done)
                done();
            return;
        }
        const QUrl url = eventUrl(meeting.quickEnterUrl, VeskAppAgent::sharedInstance()->environment());
        createEventCalendarTitle(meeting.roomName, url.toString(QUrl::FullyEncoded), begin, end, period, key,
                                 [=](bool ok, const std::optional<CalendarError> &error) {
                                     if (!ok)
                                         qCInfo(lcScheduling)
                                             << "calendar event not written" << (error ? error->text : QString());
                                     if (done)
                                         done();
                                 });
    });
}

void removeMeeting(const QString &roomId, std::function<void()> done)
{
    MeetingDataModel gone;
    gone.roomId = roomId;
    syncCalendar(gone, false, {}, std::move(done));
}

} // namespace KVMCommonUtilCalendar
