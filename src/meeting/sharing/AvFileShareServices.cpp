#include "meeting/sharing/AvFileShareServices.h"

#include "agent/VeskAppAgent.h"
#include "foundation/RXEncrypt.h"

namespace {

class AgentAvFileShareServices final : public AvFileShareServices {
public:
    void play(QObject *owner, qint64 type, const QString &fileId, qint64 fileType, qint64 seekPosition,
              Completion completion) override
    {
        VeskAppAgent::sharedInstance()->playAVFileShare(owner, type, fileId, fileType, seekPosition,
                                                        std::move(completion));
    }
    void processStart(QObject *owner, const QString &fileId, Completion completion) override
    {
        VeskAppAgent::sharedInstance()->avFileShareProcessStart(owner, fileId, std::move(completion));
    }
    [[nodiscard]] QString myPeerId() const override
    {
        return RXEncrypt::aes128ecbEncrypt(VeskAppAgent::sharedInstance()->myInfo().phoneNumber);
    }
};

} // namespace

std::shared_ptr<AvFileShareServices> AvFileShareServices::agent()
{
    return std::make_shared<AgentAvFileShareServices>();
}
