#include "agent/models/FileShareModel.h"

#include "foundation/JXExtension.h"
#include "foundation/RXEncrypt.h"

JX_REGISTER_MODEL(FileShareModel)
JX_REGISTER_MODEL(FileShareDatailModel)
JX_REGISTER_MODEL(SupportFileShareTypeModel)

bool FileShareRights::decide(qint32 enableOperationFileStatus, const QVariantList &enableUserList, const Facts &facts)
{
    switch (enableOperationFileStatus) {
    case HostsAndSharer:
        return facts.isHost || facts.isAssistantHost || facts.sharesDocument || facts.sharesAudioVideo;
    case ListedMembers: {
        // The host has no right of his own here: only the list counts.
        bool allowed = false;
        for (const QVariant &entry : enableUserList) {
            const QString id = entry.toMap().value(QStringLiteral("userId")).toString();
            allowed = !facts.myPhoneNumber.isEmpty() && RXEncrypt::aes128ecbDecrypt(id) == facts.myPhoneNumber;
            if (allowed)
                break;
        }
        return allowed;
    }
    default:
        return false;
    }
}

void FileShareModel::setStatus(qint32 status)
{
    m_status = status;
    if (status >= 1 && status <= 4)
        state = status;
}

bool FileShareModel::userCanControl()
{
    if (enableOperationFileStatus == FileShareRights::NotGiven)
        return m_userCanControl;
    m_userCanControl =
        FileShareRights::decide(enableOperationFileStatus, enableUserList, FileShareRights::currentFacts());
    return m_userCanControl;
}

bool FileShareDatailModel::userCanControl()
{
    if (enableOperationFileStatus == FileShareRights::NotGiven)
        return m_userCanControl;
    m_userCanControl =
        FileShareRights::decide(enableOperationFileStatus, enableUserList, FileShareRights::currentFacts());
    return m_userCanControl;
}
