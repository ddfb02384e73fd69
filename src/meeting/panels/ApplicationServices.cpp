#include "meeting/panels/ApplicationServices.h"

#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "connection/KVMResponse.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingCurrent.h"

namespace {

class MeetingServices final : public ApplicationServices {
public:
    [[nodiscard]] bool isPrivileged() const override
    {
        VeskAppAgent *agent = VeskAppAgent::existingInstance();
        VeskMeetingManager *manager = MeetingCurrent::manager();
        return (agent && agent->myInfo().isHost()) || (manager && manager->asssitantHost());
    }
    [[nodiscard]] int openTranslateText() const override
    {
        const auto room = MeetingCurrent::room();
        return room ? room->openTranslateText : 0;
    }
    [[nodiscard]] int roomTranscribeStatus() const override
    {
        const auto room = MeetingCurrent::room();
        return room ? room->roomTranscribeStatus : 0;
    }
    void setOpenTranslateText(int value) override
    {
        if (const auto room = MeetingCurrent::room())
            room->openTranslateText = value;
    }
    void setRoomTranscribeStatus(int value) override
    {
        if (const auto room = MeetingCurrent::room())
            room->roomTranscribeStatus = value;
    }
    void useOnlyAudioMode(bool on) override
    {
        if (VeskMeetingManager *manager = MeetingCurrent::manager())
            manager->useOnlyAudioMode(on);
    }
    [[nodiscard]] bool isOnlyAudioAllowScreenShare() const override
    {
        VeskMeetingManager *manager = MeetingCurrent::manager();
        return manager && manager->isOnlyAudioAllowScreenShare();
    }
    void setIsOnlyAudioAllowScreenShare(bool on) override
    {
        if (VeskMeetingManager *manager = MeetingCurrent::manager())
            manager->setIsOnlyAudioAllowScreenShare(on);
    }
    void hostHandleOpenTranscribe(QObject *owner, bool openTranslateText, bool allowMemberViewRecord,
                                  std::function<void(bool)> done) override
    {
        VeskAppAgent *agent = VeskAppAgent::existingInstance();
        if (!agent) {
            if (done)
                done(false);
            return;
        }
        agent->hostHandleOpenTranscribe(owner, openTranslateText, allowMemberViewRecord,
                                        [done = std::move(done)](const KVMResponse &reply) {
                                            if (done)
                                                done(reply.successed);
                                        });
    }
};

} // namespace

std::shared_ptr<ApplicationServices> ApplicationServices::meeting()
{
    return std::make_shared<MeetingServices>();
}
