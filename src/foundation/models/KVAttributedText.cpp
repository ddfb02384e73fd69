#include "foundation/models/KVAttributedText.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

void KVAttributedText::appendText(const QString &part, const QColor &color)
{
    if (part.isEmpty())
        return;
    if (color.isValid())
        runs.append(Run{text.size(), part.size(), color});
    text += part;
}

QColor KVAttributedText::colorAt(qsizetype position) const
{
    for (const Run &run : runs) {
        if (position >= run.start && position < run.start + run.length)
            return run.color;
    }
    return {};
}

QString KVAttributedText::toHtml() const
{
    QString html = QStringLiteral("<span style=\"white-space:pre-wrap\">");
    qsizetype at = 0;
    auto plain = [&](qsizetype end) {
        if (end > at)
            html += text.mid(at, end - at).toHtmlEscaped();
        at = end;
    };
    for (const Run &run : runs) {
        if (run.start < at || run.start + run.length > text.size())
            continue;
        plain(run.start);
        html += QStringLiteral("<span style=\"color:%1\">").arg(run.color.name());
        html += text.mid(run.start, run.length).toHtmlEscaped();
        html += QStringLiteral("</span>");
        at = run.start + run.length;
    }
    plain(text.size());
    html += QStringLiteral("</span>");
    return html;
}

void KVAttributedText::fillDocument(QTextDocument &document) const
{
    document.clear();
    document.setDefaultFont(font);
    QTextCursor cursor(&document);
    QTextCharFormat base;
    base.setFont(font);
    qsizetype at = 0;
    for (const Run &run : runs) {
        if (run.start < at || run.start + run.length > text.size())
            continue;
        if (run.start > at)
            cursor.insertText(text.mid(at, run.start - at), base);
        QTextCharFormat coloured = base;
        coloured.setForeground(run.color);
        cursor.insertText(text.mid(run.start, run.length), coloured);
        at = run.start + run.length;
    }
    if (at < text.size())
        cursor.insertText(text.mid(at), base);
}
