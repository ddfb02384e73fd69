#pragma once

#include "foundation/models/MeetingDataModel.h"
#include "foundation/models/VeskModel.h"

#include <QList>

// One page of the meeting history.
struct MeetingListDataModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(int total MEMBER total)
    Q_PROPERTY(int pages MEMBER pages)
    Q_PROPERTY(int pageNum MEMBER pageNum)
    Q_PROPERTY(int pageSize MEMBER pageSize)
    Q_PROPERTY(QList<MeetingDataModel> list MEMBER list)

public:
    int total = 0;
    int pages = 0;
    int pageNum = 0;
    int pageSize = 0;
    QList<MeetingDataModel> list;

    friend bool operator==(const MeetingListDataModel &, const MeetingListDataModel &) = default;
};
