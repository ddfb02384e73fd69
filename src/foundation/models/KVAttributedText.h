#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>

class QTextDocument;

// A small attributed text: plain text, one font over all of it, and colour
// runs over parts of it (text outside every run keeps the view's colour).
struct KVAttributedText final {
    struct Run {
        qsizetype start = 0;
        qsizetype length = 0;
        QColor color;
        friend bool operator==(const Run &, const Run &) = default;
    };

    QString text;
    QFont font;
    QList<Run> runs;

    void appendText(const QString &part, const QColor &color = QColor());

    // The colour at a character position; invalid outside every run.
    [[nodiscard]] QColor colorAt(qsizetype position) const;
    // Rich text for labels and views (white space kept).
    [[nodiscard]] QString toHtml() const;
    // Replaces `document`'s content with this text, its font and colours.
    void fillDocument(QTextDocument &document) const;

    friend bool operator==(const KVAttributedText &, const KVAttributedText &) = default;
};
