#include "foundation/models/MeetingMessageModel.h"

#include "foundation/JXExtension.h"
#include "foundation/ModelContext.h"
#include "foundation/StringHelpers.h"

#include <QTextDocument>
#include <QTextOption>

#include <cmath>

JX_REGISTER_MODEL(MeetingMessageModel)

namespace {
const QColor kNameColor(10, 138, 249);
const QColor kChatColor(242, 242, 247);
const QColor kNoticeColor(246, 207, 77);
constexpr qsizetype kSizeCacheEntries = 4;
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
    displayMessage.clear();
    displaySize.clear();
    return *this;
}

const KVAttributedText &MeetingMessageModel::getDisplayMessage(const QFont &font) const
{
    for (const DisplayCache &cached : std::as_const(displayMessage)) {
        if (cached.font == font)
            return *cached.text;
    }
    KVAttributedText text;
    text.font = font;
    const auto name = [this] { return DataText::isolated(DataText::bounded(userName, DataText::kNameLength)); };
    const auto line = [this] { return DataText::isolated(DataText::bounded(messageString, DataText::kChatLength)); };
    if (messageType == Chat) {
        text.appendText(QStringLiteral("%1：").arg(name()), kNameColor);
        text.appendText(line(), kChatColor);
        text.appendText(QStringLiteral("  "));
    } else if (messageType == Notice) {
        text.appendText(DataText::bounded(messageString, DataText::kChatLength), kNoticeColor);
    } else {
        const QString me = ModelContext::current().myPhoneNumber();
        const QString who = !me.isEmpty() && phoneNumber == me ? QStringLiteral("您") : name();
        const QString what = messageType == Joined ? QStringLiteral("加入会议") : QStringLiteral("离开会议");
        text.appendText(who + QLatin1Char(' ') + what, kNoticeColor);
    }
    displayMessage.append({font, std::make_shared<const KVAttributedText>(std::move(text))});
    return *displayMessage.last().text;
}

void MeetingMessageModel::prepareDocument(QTextDocument &document, const KVAttributedText &text, double width)
{
    document.setDocumentMargin(0);
    text.fillDocument(document);
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setTextWidth(width > 0 ? width : -1);
}

QSizeF MeetingMessageModel::getMessageSizeWithMaxWidth(double width, const QFont &font) const
{
    for (const SizeCache &cached : std::as_const(displaySize)) {
        if (cached.width == width && cached.font == font)
            return cached.size;
    }
    auto document = std::make_shared<QTextDocument>();
    prepareDocument(*document, getDisplayMessage(font), width);
    // Measuring lays the document out; painting then only draws it.
    const double fitWidth = std::ceil(width > 0 ? std::min(document->idealWidth(), width) : document->idealWidth());
    const QSizeF size(fitWidth, std::ceil(document->size().height()));
    // A list that is resized measures at many widths; only the recent ones are worth keeping.
    if (displaySize.size() >= kSizeCacheEntries)
        displaySize.removeFirst();
    displaySize.append({font, width, size, std::move(document)});
    return size;
}

const QTextDocument &MeetingMessageModel::laidOutDocument(double width, const QFont &font) const
{
    (void)getMessageSizeWithMaxWidth(width, font);
    for (const SizeCache &cached : std::as_const(displaySize)) {
        if (cached.width == width && cached.font == font)
            return *cached.document;
    }
    return *displaySize.last().document; // not reached: the measurement just kept it
}

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_MeetingMessageModel.cpp"
