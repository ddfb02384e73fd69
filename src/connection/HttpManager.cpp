#include "connection/HttpManager.h"

#include "connection/ConnectionLog.h"
#include "connection/KVFileUploadManager.h"
#include "connection/KVTls.h"
#include "connection/WireProtocol.h"
#include "foundation/AppLifetime.h"
#include "foundation/AppPaths.h"
#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QUrlQuery>

namespace {
// A reply that is not a success. The service's own "no" is logged with its code and reason (an
// expected answer, such as "not registered yet" at a first sign-in, is no failure); only a reply
// that never made an envelope (a local code) is a failed request.
void logRefusal(const QString &path, const KVMResponse &response)
{
    if (response.code < 0) {
        qCInfo(korviNet).noquote() << "request failed:" << path << response.code << response.error;
        return;
    }
    qCInfo(korviNet).noquote() << path << "answered" << response.code
                               << (response.message.isEmpty() ? QStringLiteral("(no reason given)") : response.message);
}

QByteArray headerValue(const QVariant &value)
{
    return value.toString().toUtf8();
}

// The file name a reply suggests: Content-Disposition filename* (RFC 5987) or filename, else the
// URL's last path segment. Percent escapes are removed.
QString suggestedFileName(QNetworkReply *reply)
{
    const QString disposition = QString::fromUtf8(reply->rawHeader("Content-Disposition"));
    static const QRegularExpression extended(QStringLiteral(R"re(filename\*\s*=\s*([^;]*))re"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression plain(QStringLiteral(R"re(filename\s*=\s*("([^"]*)"|[^;]*))re"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString name;
    if (const auto m = extended.match(disposition); m.hasMatch()) {
        QString value = m.captured(1).trimmed();
        const int quote = value.indexOf(QLatin1String("''"));
        if (quote >= 0)
            value = value.mid(quote + 2);
        name = QUrl::fromPercentEncoding(value.toUtf8());
    } else if (const auto p = plain.match(disposition); p.hasMatch()) {
        // filename="" is an empty name, not the two quotes.
        name = p.hasCaptured(2) ? p.captured(2) : p.captured(1).trimmed();
        name = QUrl::fromPercentEncoding(name.toUtf8());
    } else {
        name = QUrl::fromPercentEncoding(reply->url().path(QUrl::FullyEncoded).section(QLatin1Char('/'), -1).toUtf8());
    }
    return name;
}

// A JSON call is given up after four times its timeout, and not before this, however its reply
// trickles in: each piece re-arms the timeout.
constexpr qint64 kMinReplyDeadlineMs = 60000;

// The file a download is written to, and what bounds it: the announced length, else the
// limit, and the disk's free space, checked before and every so often while writing.
struct DownloadSink {
    using Error = HttpManager::DownloadError;

    DownloadSink(HttpManager::DownloadLimits l, const QString &folder)
        : limits(std::move(l)), folder(folder), file(folder + QStringLiteral("/.korvi-download-XXXXXX"))
    {
    }

    // Free bytes above what the disk keeps (0 when none), or -1 when the disk does not say.
    qint64 roomLeft() const
    {
        qint64 free = -1;
        if (limits.freeBytes) {
            free = limits.freeBytes(folder);
        } else {
            const QStorageInfo storage(folder);
            free = storage.isValid() ? storage.bytesAvailable() : -1;
        }
        return free < 0 ? -1 : std::max<qint64>(0, free - limits.keepFreeBytes);
    }

    void stop(QNetworkReply *reply, Error::Kind why, int status = 0, const QString &detail = {})
    {
        if (!stopped.failed())
            stopped = {why, status, detail};
        reply->abort();
    }

    // An error status ends it before its body is written; so does a length that cannot fit.
    void checkHeaders(QNetworkReply *reply)
    {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status >= 400) {
            stop(reply, Error::HttpStatus, status);
            return;
        }
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (!length.isValid())
            return;
        const qint64 announced = length.toLongLong();
        if (announced > limits.maxBytes) {
            stop(reply, Error::TooLarge, 0, QStringLiteral("announced %1").arg(announced));
            return;
        }
        const qint64 room = roomLeft();
        if (room >= 0 && announced > room)
            stop(reply, Error::NoSpace, 0, QStringLiteral("announced %1").arg(announced));
    }

    // Writes what has arrived (at most the read buffer).
    void take(QNetworkReply *reply)
    {
        if (stopped.failed() || !reply->isOpen())
            return;
        const QByteArray chunk = reply->readAll();
        if (chunk.isEmpty())
            return;
        written += chunk.size();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        const qint64 limit = length.isValid() ? std::min(length.toLongLong(), limits.maxBytes) : limits.maxBytes;
        if (written > limit) {
            stop(reply, Error::TooLarge, 0, QStringLiteral("more than %1").arg(limit));
            return;
        }
        if (written >= nextSpaceCheck) {
            nextSpaceCheck = written + limits.freeSpaceCheckBytes;
            const qint64 room = roomLeft();
            if (room >= 0 && chunk.size() > room) {
                stop(reply, Error::NoSpace);
                return;
            }
        }
        if (file.write(chunk) != chunk.size())
            stop(reply, Error::CannotWrite, 0, file.errorString());
    }

    const HttpManager::DownloadLimits limits;
    const QString folder;
    QTemporaryFile file;
    qint64 written = 0;
    qint64 nextSpaceCheck = 0;
    Error stopped;
};

} // namespace

HttpManager *HttpManager::sharedManager()
{
    static QPointer<HttpManager> shared;
    if (!shared) {
        shared = new HttpManager;
        AppLifetime::deleteWithApplication(shared);
    }
    return shared;
}

HttpManager::HttpManager(QObject *parent) : QObject(parent), m_nam(std::make_unique<QNetworkAccessManager>())
{
    m_nam->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    m_defaultHeaders.insert(QStringLiteral("clientVersion"), WireProtocol::clientVersion());
    m_defaultHeaders.insert(QStringLiteral("isEncry"), QString::fromLatin1(WireProtocol::IsEncryValue));
}

HttpManager::~HttpManager()
{
    // Replies still running belong to the access manager; destroying it aborts them without
    // calling any completion (their owners may be gone already).
    const auto replies = m_nam->findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : replies) {
        reply->disconnect(this);
        reply->abort();
    }
}

void HttpManager::setBaseUrl(const QUrl &url)
{
    m_baseUrl = url;
}

void HttpManager::setDefaultHeader(const QString &name, const QString &value)
{
    if (value.isEmpty())
        m_defaultHeaders.remove(name);
    else
        m_defaultHeaders.insert(name, value);
}

bool HttpManager::setExtraTrustedCaFile(const QString &pemPath)
{
    if (!KVTls::setExtraTrustedCaFile(pemPath))
        return false;
    // Pooled connections keep the TLS settings they were made with.
    m_nam->clearConnectionCache();
    return true;
}

QString HttpManager::extraTrustedCaFile() const
{
    return KVTls::extraTrustedCaFile();
}

int HttpManager::pendingRequestCount() const
{
    return m_pending;
}

QUrl HttpManager::resolveUrl(const QString &pathOrUrl, const QVariantMap &query) const
{
    QUrl url(pathOrUrl);
    if (url.isRelative() || url.scheme().isEmpty()) {
        QUrl base = m_baseUrl;
        QString basePath = base.path();
        if (basePath.endsWith(QLatin1Char('/')))
            basePath.chop(1);
        const QUrl relative(pathOrUrl);
        QString path = relative.path();
        if (!path.startsWith(QLatin1Char('/')))
            path.prepend(QLatin1Char('/'));
        base.setPath(basePath + path);
        base.setQuery(relative.query());
        url = base;
    }
    if (!query.isEmpty()) {
        // Every key and value fully percent-encoded: QUrlQuery would leave "+" (read as a space)
        // and decode a valid "%XX" of the value.
        QByteArray encoded = url.query(QUrl::FullyEncoded).toLatin1();
        for (auto it = query.cbegin(); it != query.cend(); ++it) {
            if (!encoded.isEmpty())
                encoded += '&';
            encoded += QUrl::toPercentEncoding(it.key()) + '=' + QUrl::toPercentEncoding(it.value().toString());
        }
        url.setQuery(QString::fromLatin1(encoded), QUrl::StrictMode);
    }
    return url;
}

QNetworkRequest HttpManager::makeRequest(const QUrl &url, const QVariantMap &headers, Headers which) const
{
    QNetworkRequest request(url);
    if (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("wss"))
        request.setSslConfiguration(KVTls::configuration());
    QVariantMap merged = which == Headers::WithDefaults ? m_defaultHeaders : QVariantMap();
    for (auto it = headers.cbegin(); it != headers.cend(); ++it)
        merged.insert(it.key(), it.value());
    for (auto it = merged.cbegin(); it != merged.cend(); ++it)
        request.setRawHeader(it.key().toUtf8(), headerValue(it.value()));
    // Every redirect is checked in track(); the access manager would keep the headers on any.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    return request;
}

bool HttpManager::mayFollowRedirect(const QUrl &from, const QUrl &to, bool carriesToken)
{
    const QString scheme = to.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return false;
    if (from.scheme().toLower() == QLatin1String("https") && scheme != QLatin1String("https"))
        return false;
    if (!carriesToken)
        return true;
    const auto port = [](const QUrl &u) { return u.port(u.scheme().toLower() == QLatin1String("https") ? 443 : 80); };
    return from.scheme().toLower() == scheme && from.host().toLower() == to.host().toLower() && port(from) == port(to);
}

void HttpManager::track(QObject *owner, QNetworkReply *reply, int timeoutMs,
                        std::function<void(QNetworkReply *reply, bool timedOut)> onDone, qint64 deadlineMs)
{
    struct State {
        bool done = false;
        bool timedOut = false;
        bool ownerGone = false;
    };
    auto state = std::make_shared<State>();
    QObject *context = owner ? owner : this;
    QPointer<QObject> guard(context);
    ++m_pending;

    connect(context, &QObject::destroyed, reply, [reply, state] {
        state->ownerGone = true;
        reply->abort();
    });
    QPointer<KVTimer> timer;
    if (timeoutMs > 0) {
        timer = KVTimer::singleShot(reply, std::chrono::milliseconds(timeoutMs), [reply, state] {
            state->timedOut = true;
            reply->abort();
        });
        // An idle timeout for transfers: any progress re-arms it.
        const auto rearm = [timer](qint64, qint64) {
            if (timer && timer->isValid())
                timer->start();
        };
        connect(reply, &QNetworkReply::downloadProgress, reply, rearm);
        connect(reply, &QNetworkReply::uploadProgress, reply, rearm);
    }
    // A host that keeps sending a trickle re-arms the idle timeout for ever; the deadline holds.
    QPointer<KVTimer> deadline;
    if (deadlineMs > 0) {
        deadline = KVTimer::singleShot(reply, std::chrono::milliseconds(deadlineMs), [reply, state] {
            state->timedOut = true;
            reply->abort();
        });
    }
    // The reply's url() already names the target when it asks; the hop starts at the last address.
    auto lastAddress = std::make_shared<QUrl>(reply->url());
    connect(reply, &QNetworkReply::redirected, reply, [reply, lastAddress](const QUrl &target) {
        const bool carriesToken = !reply->request().rawHeader("Authorization").isEmpty();
        if (mayFollowRedirect(*lastAddress, target, carriesToken)) {
            *lastAddress = target;
            Q_EMIT reply->redirectAllowed();
            return;
        }
        qCWarning(korviNet) << "redirect refused" << lastAddress->host() << "->" << target.host();
        reply->abort();
    });
    connect(reply, &QNetworkReply::sslErrors, reply, [reply](const QList<QSslError> &errors) {
        for (const QSslError &e : errors)
            qCWarning(korviNet) << "TLS error" << reply->url().host() << e.errorString();
    });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, state, guard, timer, deadline, onDone = std::move(onDone)] {
                if (state->done)
                    return;
                state->done = true;
                --m_pending;
                if (timer)
                    timer->invalidate();
                if (deadline)
                    deadline->invalidate();
                reply->deleteLater();
                if (!guard || state->ownerGone)
                    return;
                onDone(reply, state->timedOut);
            });
}

std::shared_ptr<HttpManager::ReplyBody> HttpManager::ReplyBody::attach(QNetworkReply *reply, qint64 maxBytes)
{
    auto body = std::make_shared<ReplyBody>();
    body->maxBytes = maxBytes;
    // Without a bound the network thread reads on as fast as the host sends, into memory.
    reply->setReadBufferSize(std::min<qint64>(maxBytes, 256 * 1024));
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, body] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > body->maxBytes)
            body->refuse(reply);
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, body] { body->append(reply, reply->readAll()); });
    return body;
}

void HttpManager::ReplyBody::append(QNetworkReply *reply, QByteArray piece)
{
    if (tooLarge || piece.isEmpty())
        return;
    size += piece.size();
    if (size <= maxBytes)
        pieces.append(std::move(piece));
    else
        refuse(reply);
}

void HttpManager::ReplyBody::refuse(QNetworkReply *reply)
{
    tooLarge = true;
    pieces.clear();
    reply->abort();
}

QByteArray HttpManager::ReplyBody::take(QNetworkReply *reply)
{
    if (reply->isOpen())
        append(reply, reply->readAll());
    QByteArray all = tooLarge ? QByteArray() : pieces.join();
    pieces.clear();
    return all;
}

void HttpManager::sendJson(QObject *owner, const QByteArray &verb, const QString &path, const QByteArray &body,
                           const QByteArray &contentType, const QVariantMap &query, const QVariantMap &headers,
                           Completion completion, int timeoutMs)
{
    QNetworkRequest request = makeRequest(resolveUrl(path, query), headers);
    if (!contentType.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    QNetworkReply *reply = verb == "GET" ? m_nam->get(request) : m_nam->sendCustomRequest(request, verb, body);
    const auto replyBody = ReplyBody::attach(reply, MaxReplyBytes);
    track(
        owner, reply, timeoutMs,
        [replyBody, completion = std::move(completion)](QNetworkReply *r, bool timedOut) {
            const int status = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            const QByteArray data = replyBody->take(r);
            KVMResponse response;
            if (timedOut) {
                response = KVMResponse::failure(KVMResponse::TimeoutCode, QStringLiteral("timed out"));
            } else if (replyBody->tooLarge) {
                response = KVMResponse::failure(KVMResponse::BadReplyCode, QStringLiteral("reply too large"), status);
            } else if (r->error() != QNetworkReply::NoError && status == 0) {
                response = KVMResponse::failure(KVMResponse::NetworkErrorCode, r->errorString());
            } else {
                response = KVMResponse::fromReply(status, data);
            }
            if (!response.successed)
                logRefusal(r->url().path(), response);
            if (completion)
                completion(response);
        },
        std::max<qint64>(kMinReplyDeadlineMs, 4LL * timeoutMs));
}

void HttpManager::GET(QObject *owner, const QString &path, const QVariantMap &query, const QVariantMap &headers,
                      Completion completion, int timeoutMs)
{
    sendJson(owner, "GET", path, {}, {}, query, headers, std::move(completion), timeoutMs);
}

void HttpManager::POST(QObject *owner, const QString &path, const QJsonObject &body, const QVariantMap &headers,
                       Completion completion, int timeoutMs)
{
    sendJson(owner, "POST", path, QJsonDocument(body).toJson(QJsonDocument::Compact), "application/json", {}, headers,
             std::move(completion), timeoutMs);
}

void HttpManager::POST(QObject *owner, const QString &path, const QVariantMap &body, const QVariantMap &headers,
                       Completion completion, int timeoutMs)
{
    POST(owner, path, QJsonObject::fromVariantMap(body), headers, std::move(completion), timeoutMs);
}

void HttpManager::POSTForm(QObject *owner, const QString &path, const QVariantMap &fields, const QVariantMap &headers,
                           Completion completion, int timeoutMs)
{
    QUrlQuery form;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        form.addQueryItem(QString::fromUtf8(QUrl::toPercentEncoding(it.key())),
                          QString::fromUtf8(QUrl::toPercentEncoding(it.value().toString())));
    sendJson(owner, "POST", path, form.query(QUrl::FullyEncoded).toUtf8(), "application/x-www-form-urlencoded", {},
             headers, std::move(completion), timeoutMs);
}

QString HttpManager::sanitizedFileName(const QString &suggested)
{
    // Only the last component of either separator counts; the rest could climb out of the folder.
    QString name = suggested;
    const qsizetype cut = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    if (cut >= 0)
        name = name.mid(cut + 1);
    QString clean;
    clean.reserve(name.size());
    for (const QChar c : std::as_const(name)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control ||
            c.category() == QChar::Other_Format)
            continue;
        clean.append(c);
    }
    clean = clean.trimmed();
    // No hidden names, no "." or "..".
    while (clean.startsWith(QLatin1Char('.')))
        clean.remove(0, 1);
    clean = clean.trimmed();
    while (clean.toUtf8().size() > 200)
        clean.chop(1);
    if (clean.isEmpty())
        clean = QStringLiteral("download");
    return clean;
}

void HttpManager::downloadFileWithUrl(QObject *owner, const QString &url, const QVariantMap &headers,
                                      DownloadFinish finish, Headers which)
{
    const auto failLater = [this, owner, &finish](DownloadError error) {
        qCInfo(korviNet) << "download not started:" << error.kind << error.detail;
        MainQueue::async(owner ? owner : this, [finish, error] {
            if (finish)
                finish(QString(), error);
        });
    };
    // An absolute address from the service goes out as written (a signed storage address breaks
    // when it is re-encoded).
    QUrl address = which == Headers::OnlyGiven && !QUrl(url).isRelative()
                       ? QUrl::fromEncoded(url.toUtf8(), QUrl::StrictMode)
                       : resolveUrl(url);
    if (!address.isValid())
        address = resolveUrl(url);
    // A "file:" address would copy a local file into the caches folder and offer it for saving.
    if (!KVTls::isAllowedWebAddress(address)) {
        failLater({DownloadError::Refused, 0, address.scheme()});
        return;
    }
    const QString folder = AppPaths::cacheDir();
    auto sink = std::make_shared<DownloadSink>(m_downloadLimits, folder);
    if (sink->roomLeft() == 0) {
        failLater({DownloadError::NoSpace, 0, {}});
        return;
    }
    if (!sink->file.open()) {
        failLater({DownloadError::CannotWrite, 0, sink->file.errorString()});
        return;
    }
    QNetworkReply *reply = m_nam->get(makeRequest(address, headers, which));
    // Without a bound the network thread reads on as fast as the host sends, into memory.
    reply->setReadBufferSize(m_downloadLimits.readBufferBytes);
    connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, sink] { sink->checkHeaders(reply); });
    connect(reply, &QNetworkReply::readyRead, reply, [reply, sink] { sink->take(reply); });
    track(
        owner, reply, int(m_downloadLimits.idle.count()),
        [sink, folder, finish = std::move(finish)](QNetworkReply *r, bool timedOut) {
            sink->take(r);
            const int status = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            DownloadError error;
            if (sink->stopped.failed())
                error = sink->stopped;
            else if (timedOut)
                error = {DownloadError::TimedOut, 0, {}};
            // A reply outside 2xx fails with its status; the user is shown it.
            else if (status != 0 && (status < 200 || status > 299))
                error = {DownloadError::HttpStatus, status, {}};
            else if (r->error() != QNetworkReply::NoError)
                error = {DownloadError::Network, 0, r->errorString()};
            else if (status < 200 || status > 299)
                error = {DownloadError::HttpStatus, status, {}};
            QString finalPath;
            if (!error.failed()) {
                sink->file.close();
                // A folder of its own: another download of the same name, finished and still
                // waiting to be saved, keeps its file.
                QTemporaryDir own(folder + QLatin1Char('/') + QLatin1String(kFinishedFolderPrefix) +
                                  QStringLiteral("XXXXXX"));
                if (!own.isValid()) {
                    error = {DownloadError::CannotWrite, 0, own.errorString()};
                } else {
                    finalPath = own.filePath(sanitizedFileName(suggestedFileName(r)));
                    if (!sink->file.rename(finalPath)) {
                        error = {DownloadError::CannotWrite, 0, sink->file.errorString()};
                    } else {
                        own.setAutoRemove(false);
                        sink->file.setAutoRemove(false);
                    }
                }
            }
            if (error.failed()) {
                qCInfo(korviNet) << "download failed" << r->url().path() << error.kind << error.status << error.detail;
                finalPath.clear();
                sink->file.remove();
            }
            if (finish)
                finish(finalPath, error);
        },
        m_downloadLimits.overall.count());
}

void HttpManager::removeDownload(const QString &filePath)
{
    if (filePath.isEmpty())
        return;
    QFile::remove(filePath);
    const QFileInfo folder(QFileInfo(filePath).absolutePath());
    if (folder.fileName().startsWith(QLatin1String(kFinishedFolderPrefix)))
        QDir().rmdir(folder.absoluteFilePath());
}

void HttpManager::uploadFileWithUrl(QObject *owner, const QString &url, const QString &filePath,
                                    const QVariantMap &headers, const QVariantMap &parameters, Progress progress,
                                    UploadFinish finish)
{
    KVFileUploadManager::uploadFilesWithURL(*this, owner, url, QStringList{filePath}, headers, parameters,
                                            std::move(progress), std::move(finish));
}
