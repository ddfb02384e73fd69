// The scheduling form's replies and the numbers the service sends: a meeting as JSON to the form's
// controls and back, the invitee count moved by ticks, the count-down's time left, and the tips
// a meeting's reports ask for.
#include "FuzzSupport.h"

#include "foundation/JXExtension.h"
#include "foundation/models/MeetingDataModel.h"
#include "meeting/panels/CountDownRules.h"
#include "meeting/window/KVSystemTipModel.h"
#include "scheduling/CreateMeetingRules.h"

#include <limits>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QVariant object = jx_JSONObject(FuzzInput::text(data, size));
    if (object.typeId() != QMetaType::QVariantMap)
        return 0;
    const QVariantMap map = object.toMap();
    const auto meeting = jx_objectWithKeyValues<MeetingDataModel>(object);
    const MeetingFormControls controls =
        CreateMeetingRules::controlsFromModel(meeting, QStringLiteral("2030-01-01 10:00"), 30);
    (void)CreateMeetingRules::validate(controls);

    // Ticks and unticks move the count by the difference, never past either end.
    const quint64 count = meeting.totalMemberCount;
    for (const qsizetype delta : {qsizetype(1), qsizetype(-1), qsizetype(1000), qsizetype(-1000)}) {
        const quint64 moved = CreateMeetingRules::adjustedMemberCount(count, 1000, 1000 + delta);
        if (delta > 0)
            FUZZ_CHECK(moved >= count);
        else
            FUZZ_CHECK(moved <= count);
    }

    if (const auto left = CountDownRules::remainingMs(map.value(QStringLiteral("countdown")))) {
        FUZZ_CHECK(*left >= 0 && *left <= CountDownRules::kLongestMs);
        const auto time = CountDownRules::split(*left / 1000);
        FUZZ_CHECK(time.minutes <= 99 && time.seconds < 60);
        (void)CountDownRules::tick(time);
    }

    // "tips": [[style, project seconds, a tip on screen], ...]. The CPU and battery tips show once
    // a meeting, the network and audio-only tips once in their interval, other styles never.
    namespace T = SystemTipRules;
    KVSystemTipModel tips;
    int cpu = 0;
    int battery = 0;
    std::optional<double> lastNetwork;
    for (const QVariant &entry : map.value(QStringLiteral("tips")).toList()) {
        const QVariantList tip = entry.toList();
        const int style = tip.value(0).toInt();
        T::Context context;
        context.now = tip.value(1).toDouble();
        context.tipShown = tip.value(2).toBool();
        if (!T::admit(style, tips, context))
            continue;
        FUZZ_CHECK(style >= T::HighCpu && style <= T::LowBattery);
        FUZZ_CHECK(!context.tipShown || style == T::OnlyAudio);
        if (style == T::HighCpu)
            FUZZ_CHECK(++cpu == 1);
        if (style == T::LowBattery)
            FUZZ_CHECK(++battery == 1);
        if (style == T::PoorNetwork || style == T::OnlyAudio) {
            FUZZ_CHECK(!lastNetwork || !(context.now - *lastNetwork < T::kBadNetworkInterval));
            lastNetwork = context.now;
        }
    }
    return 0;
}
