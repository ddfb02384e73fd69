#include "meeting/common/MeetingLog.h"

Q_LOGGING_CATEGORY(lcMeeting, "korvi.meeting")
