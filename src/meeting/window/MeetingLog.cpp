#include "meeting/window/MeetingLog.h"

Q_LOGGING_CATEGORY(lcMeeting, "korvi.meeting")
