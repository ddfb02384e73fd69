#include "foundation/models/MeetingMessageModel.h"

#include "foundation/JXExtension.h"
#include "foundation/ModelContext.h"

#include <QTextDocument>
#include <QTextOption>

#include <cmath>

JX_REGISTER_MODEL(MeetingMessageModel)

namespace {
const QColor kNameColor(10, 138, 249);
const QColor kChatColor(242, 242, 247);
const QColor kNoticeColor(246, 207, 77);
} // namespace

MeetingMessageModel::MeetingMessageModel(const MeetingMessageModel &other)
    : VeskModel(other), msgId(other.msgId), type(other.type), phoneNumber(other.phoneNumber), userName(other.userName),
      messageString(other.messageString), messageTime(other.messageTime), messageType(other.messageType),
      sid(other.sid), occTime(other.occTime)
{
}

MeetingMessageModel &MeetingMessageModel::operator=(const MeetingMessageModel &other)
{
    if (this == &other)
        return *this;
    msgId = other.msgId;
    type = other.type;
    phoneNumber = other.phoneNumber;
    userName = other.userName;
    messageString = other.messageString;
    messageTime = other.messageTime;
    messageType = other.messageType;
    sid = other.sid;
    occTime = other.occTime;
    displayMessage.reset();
    displaySize = QSizeF(0, 0);
    return *this;
}

const KVAttributedText &MeetingMessageModel::getDisplayMessage(const QFont &font) const
{
    if (displayMessage)
        return *displayMessage;
    KVAttributedText text;
    text.font = font;
    if (messageType == Chat) {
        text.appendText(QStringLiteral("%1：").arg(userName), kNameColor);
        text.appendText(messageString, kChatColor);
        text.appendText(QStringLiteral("  "));
    } else if (messageType == Notice) {
        text.appendText(messageString, kNoticeColor);
    } else {
        const QString me = ModelContext::current().myPhoneNumber();
        const QString who = !me.isEmpty() && phoneNumber == me ? QStringLiteral("您") : userName;
        const QString what = messageType == Joined ? QStringLiteral("加入会议") : QStringLiteral("离开会议");
        text.appendText(who + QLatin1Char(' ') + what, kNoticeColor);
    }
    displayMessage = std::make_shared<const KVAttributedText>(std::move(text));
    return *displayMessage;
}

QSizeF MeetingMessageModel::getMessageSizeWithMaxWidth(double width, const QFont &font) const
{
    if (displaySize.width() != 0)
        return displaySize;
    QTextDocument document;
    document.setDocumentMargin(0);
    getDisplayMessage(font).fillDocument(document);
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    if (width > 0)
        document.setTextWidth(width);
    const double fitWidth = std::ceil(width > 0 ? std::min(document.idealWidth(), width) : document.idealWidth());
    displaySize = QSizeF(fitWidth, std::ceil(document.size().height()));
    return displaySize;
}

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_MeetingMessageModel.cpp"
