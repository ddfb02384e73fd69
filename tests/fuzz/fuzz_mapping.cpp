// The JSON mapping of the service's replies into the models, and the values the views derive
// from them (times, durations, names): any reply maps without undefined behaviour.
#include "FuzzSupport.h"

#include "agent/models/FileShareModel.h"
#include "agent/models/RecordVideoModel.h"
#include "foundation/JXExtension.h"
#include "foundation/models/KVSubTitleListModel.h"
#include "foundation/models/KVSubTitleRecord.h"
#include "foundation/models/MeetingControlData.h"
#include "foundation/models/MeetingDataModel.h"
#include "foundation/models/MeetingInfoModel.h"
#include "foundation/models/MeetingListDataModel.h"
#include "foundation/models/VeskUserModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QVariant json = jx_JSONObject(FuzzInput::bytes(data, size));
    const QVariant element = json.typeId() == QMetaType::QVariantList ? json.toList().value(0) : json;

    const auto meeting = jx_objectWithKeyValues<MeetingDataModel>(element);
    (void)meeting.statusString();
    (void)meeting.durationCN();
    (void)meeting.beginTimeDateCN();
    (void)meeting.endTimeHourMinute();
    (void)meeting.invitedMeetingContent();
    (void)jx_JSONString(meeting);
    (void)jx_objectWithKeyValues<MeetingListDataModel>(element);
    (void)jx_keyValues(jx_objectWithKeyValues<MeetingInfoModel>(element));
    (void)jx_objectWithKeyValues<VeskUserModel>(element);
    (void)jx_objectWithKeyValues<MeetingControlData>(element);
    (void)jx_objectWithKeyValues<FileShareModel>(element);
    (void)jx_objectWithKeyValues<KVSubTitleListModel>(element);
    (void)jx_objectWithKeyValues<KVSubTitleRecord>(element).timeString();
    for (const auto &record : jx_objectArrayWithKeyValuesArray<KVSubTitleRecord>(json))
        (void)record.timeString();
    for (const auto &recording : jx_objectArrayWithKeyValuesArray<RecordVideoModel>(json)) {
        for (const RecordVideoInfo &info : recording.dvrList)
            (void)info.durationDisplay();
    }
    (void)jx_objectWithKeyValues<RecordVideoInfo>(element).durationDisplay();
    return 0;
}
