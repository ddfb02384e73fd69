#include "agent/MeetingActiveModel.h"

MeetingActiveModel::MeetingActiveModel(qint64 activeVideoSourceType, QString phoneNumber, QString userId,
                                       QString userName, bool isSelf, KRTCVideoView *view, qint64 channelIndex)
    : m_activeVideoSourceType(activeVideoSourceType), m_phoneNumber(std::move(phoneNumber)),
      m_userId(std::move(userId)), m_userName(std::move(userName)), m_isSelf(isSelf), m_channelIndex(channelIndex),
      m_videoView(view)
{
}

KRTCVideoView *MeetingActiveModel::shareView() const
{
    return m_activeVideoSourceType == KRTCSourceType::Share ? m_videoView.data() : nullptr;
}
