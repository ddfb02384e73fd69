#include "foundation/models/MeetingMessageModel.h"

#include "foundation/JXExtension.h"
#include "foundation/ModelContext.h"
#include "foundation/StringHelpers.h"

#include <QCoreApplication>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <deque>

JX_REGISTER_MODEL(MeetingMessageModel)

namespace {
const QColor kNameColor(10, 138, 249);
const QColor kChatColor(242, 242, 247);
const QColor kNoticeColor(246, 207, 77);
constexpr qsizetype kSizeCacheEntries = 4;

// The documents of the lines used last, most recent first. Main thread only, as the models are;
// emptied with the application, while fonts can still be let go.
std::deque<std::shared_ptr<QTextDocument>> &keptDocuments()
{
    static std::deque<std::shared_ptr<QTextDocument>> kept;
    static const bool cleared = [] {
        qAddPostRoutine([] { keptDocuments().clear(); });
        return true;
    }();
    Q_UNUSED(cleared);
    return kept;
}

void keep(const std::shared_ptr<QTextDocument> &document)
{
    auto &kept = keptDocuments();
    const auto it = std::find(kept.begin(), kept.end(), document);
    if (it == kept.begin() && it != kept.end())
        return;
    if (it != kept.end())
        kept.erase(it);
    kept.push_front(document);
    while (qsizetype(kept.size()) > MeetingMessageModel::kKeptDocuments)
        kept.pop_back();
}

// A document of text laid out at width, as measured and drawn.
std::shared_ptr<QTextDocument> laidOut(const KVAttributedText &text, double width)
{
    auto document = std::make_shared<QTextDocument>();
    MeetingMessageModel::prepareDocument(*document, text, width);
    (void)document->size(); // lays it out
    keep(document);
    return document;
}
} // namespace

qsizetype MeetingMessageModel::keptDocumentCount()
{
    return qsizetype(keptDocuments().size());
}

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
    const auto name = [this] { return DataText::isolatedName(userName); };
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
    const std::shared_ptr<QTextDocument> document = laidOut(getDisplayMessage(font), width);
    // Measuring lays the document out; painting then only draws it.
    const double fitWidth = std::ceil(width > 0 ? std::min(document->idealWidth(), width) : document->idealWidth());
    const QSizeF size(fitWidth, std::ceil(document->size().height()));
    // A list that is resized measures at many widths; only the recent ones are worth keeping.
    if (displaySize.size() >= kSizeCacheEntries)
        displaySize.removeFirst();
    displaySize.append({font, width, size, document});
    return size;
}

const QTextDocument &MeetingMessageModel::laidOutDocument(double width, const QFont &font) const
{
    (void)getMessageSizeWithMaxWidth(width, font);
    // The measurement just kept its entry, the last one if no width equals (NaN).
    SizeCache *entry = &displaySize.last();
    for (SizeCache &cached : displaySize) {
        if (cached.width == width && cached.font == font)
            entry = &cached;
    }
    std::shared_ptr<QTextDocument> document = entry->document.lock();
    if (document) {
        keep(document);
    } else {
        document = laidOut(getDisplayMessage(font), width);
        entry->document = document;
    }
    return *document; // kept until at least the next line's layout
}

// Keeps the meta-object in this file, so whatever maps the model links it.
#include "moc_MeetingMessageModel.cpp"
