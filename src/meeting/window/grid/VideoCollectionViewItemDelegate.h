#pragma once

#include "agent/MeetingActiveModel.h"

#include <memory>

// What a grid tile tells its owner.
class VideoCollectionViewItemDelegate {
public:
    virtual ~VideoCollectionViewItemDelegate() = default;
    virtual void fullScreenWithModel(const std::shared_ptr<MeetingActiveModel> &) {}
};
