#pragma once

// Told after every change of the waiting list. Methods are optional; calls arrive on the main
// thread, in the order the changes were made.
class VeskMemberWaitRoomDelegate {
public:
    virtual ~VeskMemberWaitRoomDelegate() = default;

    // The list is not empty.
    virtual void needUpdateUIFitMember() {}
    // The list is empty.
    virtual void needUpdateUIFitNoBoay() {}
};
