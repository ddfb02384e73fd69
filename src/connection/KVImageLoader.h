#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>

class QLabel;
class QNetworkAccessManager;
class QNetworkDiskCache;

// Loads images by address through a disk cache under the caches folder ("images"). Main thread.
//
// Only web addresses the client may use are asked (KVTls::isAllowedWebAddress). An image's body is
// bounded: one announced larger than the limit, or growing past it, ends the load with no image,
// as does silence for the idle time or a load not done within the deadline. At most maxLoads loads
// run at once, so all of them together hold at most maxLoads x maxBytes; the others wait, shown
// images before prefetches. The cache is read and images decoded on a worker thread, no larger
// than the largest screen.
class KVImageLoader final : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const QImage &image)>;

    // No real page of a shared document nor avatar comes near them; tests lower them.
    struct Limits {
        qint64 maxBytes = 16 * 1024 * 1024;
        std::chrono::milliseconds idle{15000};
        std::chrono::milliseconds overall{60000};
        int maxLoads = 4;
    };

    static KVImageLoader *sharedLoader();

    explicit KVImageLoader(QObject *parent = nullptr);
    ~KVImageLoader() override;

    // Sent as "Referer" with every request from now on.
    void setRefererHeader(const QString &referer);

    // Whether the disk cache holds the address (its entry's head only, nothing decoded).
    [[nodiscard]] bool isCached(const QString &url) const;
    // Loads an address, from the cache when it holds it, else from the network; done runs once on
    // the main thread while owner lives, with a null image when loading failed.
    void loadImage(QObject *owner, const QString &url, Done done);
    // Shows the placeholder at once, then the loaded image.
    void setImageWithURL(QLabel *label, const QString &url, const QImage &placeholder = {});
    // Fetches the addresses the cache lacks into it, decoding nothing; replaces the prefetches that
    // have not started yet (a document's pages near the shown one).
    void prefetchURLs(const QStringList &urls);
    // Loads started and not finished (tests, benchmarks).
    [[nodiscard]] int runningLoads() const { return m_running; }
    [[nodiscard]] qint64 diskCacheSize() const;
    void clearDiskCache(std::function<void()> done);

    [[nodiscard]] QString cacheDirectory() const;

    void setLimits(const Limits &limits) { m_limits = limits; }
    [[nodiscard]] const Limits &limits() const { return m_limits; }

private:
    struct Load;
    void startWaiting();
    void start(const std::shared_ptr<Load> &load);
    void fetch(const std::shared_ptr<Load> &load);
    void decodeThenFinish(const std::shared_ptr<Load> &load, QByteArray data);
    void finish(const std::shared_ptr<Load> &load, const QImage &image);

    std::unique_ptr<QNetworkAccessManager> m_nam;
    QNetworkDiskCache *m_cache = nullptr; // owned by m_nam
    QByteArray m_referer;
    Limits m_limits;
    std::deque<std::shared_ptr<Load>> m_waiting;
    int m_running = 0;
    QHash<QUrl, int> m_runningUrls;
};
