#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

class QLabel;
class QNetworkAccessManager;
class QNetworkDiskCache;

// Loads images by address through a disk cache under the caches folder ("images"). Main thread.
//
// Only web addresses the client may use are asked (KVTls::isAllowedWebAddress). An image's body is
// bounded: one announced larger than the limit, or growing past it, ends the load with no image,
// as does silence for the idle time or a load not done within the deadline.
class KVImageLoader final : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const QImage &image)>;

    // No real page of a shared document nor avatar comes near them; tests lower them.
    struct Limits {
        qint64 maxBytes = 16 * 1024 * 1024;
        std::chrono::milliseconds idle{15000};
        std::chrono::milliseconds overall{60000};
    };

    static KVImageLoader *sharedLoader();

    explicit KVImageLoader(QObject *parent = nullptr);
    ~KVImageLoader() override;

    // Sent as "Referer" with every request from now on.
    void setRefererHeader(const QString &referer);

    // The cached image of an address, or a null image (no network).
    [[nodiscard]] QImage cachedImage(const QString &url) const;
    // Loads an address, from the cache when it holds it, else from the network; done runs once on
    // the main thread while owner lives, with a null image when loading failed.
    void loadImage(QObject *owner, const QString &url, Done done);
    // Shows the cached image of the address at once (placeholder), then the loaded one.
    void setImageWithURL(QLabel *label, const QString &url, const QImage &placeholder = {});
    // Fetches the addresses into the cache.
    void prefetchURLs(const QStringList &urls);
    [[nodiscard]] qint64 diskCacheSize() const;
    void clearDiskCache(std::function<void()> done);

    [[nodiscard]] QString cacheDirectory() const;

    void setLimits(const Limits &limits) { m_limits = limits; }
    [[nodiscard]] const Limits &limits() const { return m_limits; }

private:
    std::unique_ptr<QNetworkAccessManager> m_nam;
    QNetworkDiskCache *m_cache = nullptr; // owned by m_nam
    QByteArray m_referer;
    Limits m_limits;
};
