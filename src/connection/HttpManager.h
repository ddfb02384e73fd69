#pragma once

#include "connection/KVMResponse.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QHttpMultiPart;

// The REST client of the meeting service (main thread only).
//
// Every request belongs to an owner object: when the owner is destroyed the request is aborted
// and its completion never runs. Completions run once, on the main thread. Paths are taken
// relative to baseUrl() unless they are absolute URLs. Headers are a name -> value map; values
// are sent as strings. The default headers ("Authorization", "clientVersion", "isEncry") go with
// every request; a per-call header of the same name wins.
//
// TLS verification is always on, against the system's CA store plus, optionally, one extra
// trusted CA file (a development service's). Errors are never ignored.
//
// Redirects are followed only when they are not less safe (never https to http). A request that
// carries "Authorization" follows a redirect only within its own origin (scheme, host and port):
// the token never reaches another host; such a redirect fails the request.
class HttpManager final : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(const KVMResponse &response)>;
    // File path of the finished download (empty on failure) and an error text (empty on success).
    using DownloadFinish = std::function<void(const QString &filePath, const QString &error)>;
    using Progress = std::function<void(double fractionCompleted)>;
    // ok, the reply's envelope as a map (when there was one), an error text (empty when ok).
    using UploadFinish = std::function<void(bool ok, const QVariantMap &reply, const QString &error)>;

    static constexpr int DefaultTimeoutMs = 15000;

    // Whether a request carries the default headers besides its own.
    enum class Headers { WithDefaults, OnlyGiven };

    static HttpManager *sharedManager();

    explicit HttpManager(QObject *parent = nullptr);
    ~HttpManager() override;

    void setBaseUrl(const QUrl &url);
    [[nodiscard]] QUrl baseUrl() const { return m_baseUrl; }

    // An empty value removes the header.
    void setDefaultHeader(const QString &name, const QString &value);
    [[nodiscard]] QVariantMap defaultHeaders() const { return m_defaultHeaders; }

    // Adds one extra trusted CA (PEM) for this process, on top of the system store; an empty path
    // removes it. Returns false (and changes nothing) when the file holds no certificate.
    bool setExtraTrustedCaFile(const QString &pemPath);
    [[nodiscard]] QString extraTrustedCaFile() const;

    // GET with query parameters.
    void GET(QObject *owner, const QString &path, const QVariantMap &query, const QVariantMap &headers,
             Completion completion, int timeoutMs = DefaultTimeoutMs);
    // POST with a JSON body.
    void POST(QObject *owner, const QString &path, const QJsonObject &body, const QVariantMap &headers,
              Completion completion, int timeoutMs = DefaultTimeoutMs);
    void POST(QObject *owner, const QString &path, const QVariantMap &body, const QVariantMap &headers,
              Completion completion, int timeoutMs = DefaultTimeoutMs);
    // POST with an application/x-www-form-urlencoded body.
    void POSTForm(QObject *owner, const QString &path, const QVariantMap &fields, const QVariantMap &headers,
                  Completion completion, int timeoutMs = DefaultTimeoutMs);

    // GET streamed into the caches folder under the reply's suggested file name, reduced to a
    // plain file name. The data goes to a temporary file first and is renamed on success, so a
    // failed download never leaves a partial file under the final name. No progress.
    // Headers::OnlyGiven sends an absolute address as given, with only the given headers (a
    // storage host that is not the service).
    void downloadFileWithUrl(QObject *owner, const QString &url, const QVariantMap &headers, DownloadFinish finish,
                             Headers which = Headers::WithDefaults);

    // Multipart POST: parameters as form fields, the file as the part "files", streamed from
    // disk. progress gets the fraction of the body sent; finish runs once.
    void uploadFileWithUrl(QObject *owner, const QString &url, const QString &filePath, const QVariantMap &headers,
                           const QVariantMap &parameters, Progress progress, UploadFinish finish);

    // Number of requests in flight (tests).
    [[nodiscard]] int pendingRequestCount() const;

    // The access manager shared by the client's requests (the upload manager uses it too).
    [[nodiscard]] QNetworkAccessManager *networkAccessManager() const { return m_nam.get(); }
    // The absolute URL for a path or URL string, with query items added.
    [[nodiscard]] QUrl resolveUrl(const QString &pathOrUrl, const QVariantMap &query = {}) const;
    // A request with the TLS settings, the redirect rule and the default headers merged with headers.
    [[nodiscard]] QNetworkRequest makeRequest(const QUrl &url, const QVariantMap &headers,
                                              Headers which = Headers::WithDefaults) const;
    // Ties reply to owner (abort on owner death) and to a timeout; onDone runs once on the main
    // thread, only while owner lives; timedOut tells whether the timeout ended it.
    void track(QObject *owner, QNetworkReply *reply, int timeoutMs,
               std::function<void(QNetworkReply *reply, bool timedOut)> onDone);

    // Reduces a server-suggested file name to one safe path component of the caches folder
    // ("download" when nothing is left).
    [[nodiscard]] static QString sanitizedFileName(const QString &suggested);
    // Whether a redirect from one address to another may be followed by a request that carries
    // (or not) a token: never to another scheme than http/https, never https to http, and with a
    // token only within the same origin.
    [[nodiscard]] static bool mayFollowRedirect(const QUrl &from, const QUrl &to, bool carriesToken);

private:
    void sendJson(QObject *owner, const QByteArray &verb, const QString &path, const QByteArray &body,
                  const QByteArray &contentType, const QVariantMap &query, const QVariantMap &headers,
                  Completion completion, int timeoutMs);

    std::unique_ptr<QNetworkAccessManager> m_nam;
    QUrl m_baseUrl;
    QVariantMap m_defaultHeaders;
    int m_pending = 0;
};
