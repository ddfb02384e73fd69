#pragma once

#include "foundation/models/KVAttributedText.h"
#include "foundation/models/VeskModel.h"

#include <QFont>
#include <QList>
#include <QSizeF>
#include <QString>

#include <memory>

class QTextDocument;

// One line of the chat panel. Touched on the main thread only (its caches lay
// out text).
struct MeetingMessageModel : VeskModel {
    Q_GADGET
    Q_PROPERTY(int msgId MEMBER msgId)
    Q_PROPERTY(int type MEMBER type)
    Q_PROPERTY(QString phoneNumber MEMBER phoneNumber)
    Q_PROPERTY(QString userName MEMBER userName)
    Q_PROPERTY(QString messageString MEMBER messageString)
    Q_PROPERTY(QString messageTime MEMBER messageTime)
    Q_PROPERTY(qint64 messageType MEMBER messageType)
    Q_PROPERTY(QString sid MEMBER sid)
    Q_PROPERTY(double occTime MEMBER occTime)

public:
    enum MessageType { Joined = 1, Left = 2, Chat = 3, Notice = 4 };

    int msgId = 0;
    int type = 0;
    QString phoneNumber;
    QString userName;
    QString messageString;
    QString messageTime;
    qint64 messageType = 0; // MessageType
    QString sid;
    double occTime = 0;

    // Caches of getDisplayMessage / getMessageSizeWithMaxWidth, one entry per font (and width), so
    // a line is laid out once per width and font and never in a paint:
    // the overlay draws with one font and the floating list with another. A copy starts without them.
    struct DisplayCache {
        QFont font;
        std::shared_ptr<const KVAttributedText> text;
    };
    struct SizeCache {
        QFont font;
        double width = 0;
        QSizeF size;
        // Laid out at width, drawn as it is. Only the documents of the lines measured or drawn
        // lately are kept (kKeptDocuments of them, over all lines): a long meeting's chat keeps
        // every line's size, and lays out again a line that comes back into view.
        std::weak_ptr<QTextDocument> document;
    };
    static constexpr qsizetype kKeptDocuments = 64;
    // How many laid-out documents are kept now, over all lines.
    [[nodiscard]] static qsizetype keptDocumentCount();
    mutable QList<DisplayCache> displayMessage;
    mutable QList<SizeCache> displaySize;

    MeetingMessageModel() = default;
    MeetingMessageModel(const MeetingMessageModel &other);
    MeetingMessageModel &operator=(const MeetingMessageModel &other);
    MeetingMessageModel(MeetingMessageModel &&) = default;
    MeetingMessageModel &operator=(MeetingMessageModel &&) = default;
    ~MeetingMessageModel() = default;

    // The coloured line in that font, built once per font and kept in displayMessage. Names and
    // text from others are cut to DataText's lengths and isolated in their direction.
    const KVAttributedText &getDisplayMessage(const QFont &font) const;
    // The line's size in that font wrapped at `width` (unbounded when width <= 0), measured once
    // per font and width and kept in displaySize.
    QSizeF getMessageSizeWithMaxWidth(double width, const QFont &font) const;
    // The line laid out at that width and font, as measured; valid until the next measurement
    // or layout of any line.
    const QTextDocument &laidOutDocument(double width, const QFont &font) const;
    // Lays out a display text as the measurement does, for drawing it at `width`.
    static void prepareDocument(QTextDocument &document, const KVAttributedText &text, double width);

    // Equal fields; the caches don't count.
    friend bool operator==(const MeetingMessageModel &a, const MeetingMessageModel &b)
    {
        return a.msgId == b.msgId && a.type == b.type && a.phoneNumber == b.phoneNumber && a.userName == b.userName &&
               a.messageString == b.messageString && a.messageTime == b.messageTime && a.messageType == b.messageType &&
               a.sid == b.sid && a.occTime == b.occTime;
    }
};
