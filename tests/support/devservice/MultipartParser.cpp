#include "MultipartParser.h"

#include <QRegularExpression>

namespace {
QString dispositionParam(const QByteArray &disposition, const char *name)
{
    const QRegularExpression re(QStringLiteral(R"re((?:^|;)\s*%1="((?:[^"\\]|\\.)*)")re").arg(QLatin1String(name)));
    const auto m = re.match(QString::fromUtf8(disposition));
    if (!m.hasMatch())
        return {};
    QString value = m.captured(1);
    value.replace(QLatin1String("\\\""), QLatin1String("\""));
    value.replace(QLatin1String("\\\\"), QLatin1String("\\"));
    return value;
}
} // namespace

void parseMultipart(const QByteArray &contentType, const QByteArray &body, QVariantMap &fields,
                    QList<DevUploadedFile> &files)
{
    const qsizetype at = contentType.indexOf("boundary=");
    if (at < 0)
        return;
    QByteArray boundary = contentType.mid(at + 9);
    if (const qsizetype semi = boundary.indexOf(';'); semi >= 0)
        boundary.truncate(semi);
    boundary = boundary.trimmed();
    if (boundary.startsWith('"') && boundary.endsWith('"') && boundary.size() >= 2)
        boundary = boundary.mid(1, boundary.size() - 2);
    const QByteArray delimiter = "--" + boundary;

    qsizetype pos = body.indexOf(delimiter);
    while (pos >= 0) {
        pos += delimiter.size();
        if (body.mid(pos, 2) == "--")
            break;
        if (body.mid(pos, 2) == "\r\n")
            pos += 2;
        const qsizetype headerEnd = body.indexOf("\r\n\r\n", pos);
        if (headerEnd < 0)
            break;
        const qsizetype next = body.indexOf("\r\n" + delimiter, headerEnd + 4);
        if (next < 0)
            break;
        QByteArray disposition;
        QByteArray partType;
        for (const QByteArray &line : body.mid(pos, headerEnd - pos).split('\n')) {
            const QByteArray trimmed = line.trimmed();
            const qsizetype colon = trimmed.indexOf(':');
            if (colon < 0)
                continue;
            const QByteArray name = trimmed.left(colon).trimmed().toLower();
            if (name == "content-disposition")
                disposition = trimmed.mid(colon + 1).trimmed();
            else if (name == "content-type")
                partType = trimmed.mid(colon + 1).trimmed();
        }
        const QByteArray content = body.mid(headerEnd + 4, next - (headerEnd + 4));
        const QString fieldName = dispositionParam(disposition, "name");
        if (disposition.contains("filename=")) {
            files.append({fieldName, dispositionParam(disposition, "filename"), QString::fromUtf8(partType), content});
        } else {
            fields.insert(fieldName, QString::fromUtf8(content));
        }
        pos = next + 2;
    }
}
