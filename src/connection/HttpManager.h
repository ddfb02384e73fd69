#pragma once

#include "connection/KVMResponse.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <chrono>
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

    // Why a download gave no file.
    struct DownloadError {
        enum Kind {
            None,
            Refused,     // not an address the client downloads from (a scheme of its own, plain http)
            Network,     // no connection, or it broke
            TimedOut,    // silent too long, or not done within the deadline
            HttpStatus,  // a reply outside 2xx: status
            TooLarge,    // more than announced, or than any real file
            NoSpace,     // the caches folder's disk would fill
            CannotWrite, // the caches folder refused the file
        };
        Kind kind = None;
        int status = 0;
        QString detail{}; // for the log: what the network layer said

        [[nodiscard]] bool failed() const { return kind != None; }
    };
    // File path of the finished download (empty on failure) and why it failed.
    using DownloadFinish = std::function<void(const QString &filePath, const DownloadError &error)>;

    // What a download may take. Production never comes near them; tests lower them.
    struct DownloadLimits {
        // A body without a length stops here; one announced larger is refused.
        qint64 maxBytes = 16LL * 1024 * 1024 * 1024;
        // The caches folder's disk keeps at least this much free, before and while writing.
        qint64 keepFreeBytes = 256LL * 1024 * 1024;
        // Checked again after this much is written.
        qint64 freeSpaceCheckBytes = 16LL * 1024 * 1024;
        // What the network thread may read ahead of the file.
        qint64 readBufferBytes = 1024 * 1024;
        // Silence that ends it (any progress re-arms it), and the deadline of the whole download.
        std::chrono::milliseconds idle{DefaultTimeoutMs};
        std::chrono::milliseconds overall{std::chrono::hours(2)};
        // Free bytes of the folder's disk; empty asks the file system.
        std::function<qint64(const QString &folder)> freeBytes{};
    };
    using Progress = std::function<void(double fractionCompleted)>;
    // ok, the reply's envelope as a map (when there was one), an error text (empty when ok).
    using UploadFinish = std::function<void(bool ok, const QVariantMap &reply, const QString &error)>;

    static constexpr int DefaultTimeoutMs = 15000;
    // The name of a finished download's own folder in the caches folder starts so.
    static constexpr const char *kFinishedFolderPrefix = ".korvi-finished-";
    // The largest body a JSON call's or an upload's reply may have; no reply of the service's
    // comes near it.
    static constexpr qint64 MaxReplyBytes = 32LL * 1024 * 1024;

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
    // plain file name, in a folder of its own (two downloads of one name keep their own files).
    // The data goes to a temporary file first and is renamed on success; a failed or cancelled
    // download (the owner destroyed) leaves no file behind. The finished file is its receiver's:
    // removeDownload() drops it with its folder. Only web
    // addresses the client may use (KVTls::isAllowedWebAddress) are asked. The body is bounded
    // by its announced length, else by the limits, and by the disk's free space; the download
    // ends after the limits' idle time or deadline. No progress.
    // Headers::OnlyGiven sends an absolute address as given, with only the given headers (a
    // storage host that is not the service).
    void downloadFileWithUrl(QObject *owner, const QString &url, const QVariantMap &headers, DownloadFinish finish,
                             Headers which = Headers::WithDefaults);
    // Removes a finished download and its own folder (any thread).
    static void removeDownload(const QString &filePath);
    void setDownloadLimits(DownloadLimits limits) { m_downloadLimits = std::move(limits); }
    [[nodiscard]] const DownloadLimits &downloadLimits() const { return m_downloadLimits; }

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
    // Ties reply to owner (abort on owner death), to an idle timeout (re-armed by any progress)
    // and, when deadlineMs > 0, to a deadline that nothing re-arms; onDone runs once on the main
    // thread, only while owner lives; timedOut tells whether either ended it.
    void track(QObject *owner, QNetworkReply *reply, int timeoutMs,
               std::function<void(QNetworkReply *reply, bool timedOut)> onDone, qint64 deadlineMs = 0);

    // A reply's body kept as it arrives, bounded: attach() before the reply runs; one announced
    // larger than maxBytes, or growing past it, is aborted and marked tooLarge, and what it sent
    // is dropped. The network thread reads no further ahead than a read buffer.
    struct ReplyBody {
        QByteArrayList pieces;
        qint64 size = 0;
        bool tooLarge = false;

        static std::shared_ptr<ReplyBody> attach(QNetworkReply *reply, qint64 maxBytes);
        // Everything, with what the reply still holds (finished handler); empty when too large.
        [[nodiscard]] QByteArray take(QNetworkReply *reply);

    private:
        void append(QNetworkReply *reply, QByteArray piece);
        void refuse(QNetworkReply *reply);
        qint64 maxBytes = 0;
    };

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
    DownloadLimits m_downloadLimits;
    int m_pending = 0;
};
