#include "connection/KVImageLoader.h"

#include "connection/ConnectionLog.h"
#include "connection/HttpManager.h"
#include "connection/KVTls.h"
#include "foundation/AppLifetime.h"
#include "foundation/AppPaths.h"
#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"
#include "foundation/OperationQueue.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QPixmap>
#include <QScreen>

#include <algorithm>

namespace {
constexpr qint64 MaxCacheBytes = 200LL * 1024 * 1024;

// One thread: a decode may briefly hold a large page at full size before it is scaled.
OperationQueue &decodeQueue()
{
    static OperationQueue queue(QStringLiteral("korvi-image-decode"), 1);
    return queue;
}

// No image is shown larger than the largest screen, so none is decoded larger.
QSize largestScreen()
{
    QSize largest;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return largest;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QSize pixels = screen->size() * screen->devicePixelRatio();
        largest = largest.expandedTo(pixels);
    }
    return largest;
}

QImage decode(const QByteArray &data, QSize bound)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (bound.isValid() && size.isValid() && (size.width() > bound.width() || size.height() > bound.height()))
        reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return reader.read();
}

} // namespace

struct KVImageLoader::Load {
    QPointer<QObject> guard; // the owner, or the loader
    QUrl url;
    Done done;
    bool prefetch = false;
    QSize bound;
};

KVImageLoader *KVImageLoader::sharedLoader()
{
    static QPointer<KVImageLoader> shared;
    if (!shared) {
        shared = new KVImageLoader;
        AppLifetime::deleteWithApplication(shared);
    }
    return shared;
}

KVImageLoader::KVImageLoader(QObject *parent) : QObject(parent), m_nam(std::make_unique<QNetworkAccessManager>())
{
    m_cache = new QNetworkDiskCache(m_nam.get());
    const QString folder = AppPaths::cacheDir() + QStringLiteral("/images");
    AppPaths::ensureOwnFolder(folder);
    m_cache->setCacheDirectory(folder);
    m_cache->setMaximumCacheSize(MaxCacheBytes);
    m_nam->setCache(m_cache);
}

KVImageLoader::~KVImageLoader() = default;

void KVImageLoader::setRefererHeader(const QString &referer)
{
    m_referer = referer.toUtf8();
}

QString KVImageLoader::cacheDirectory() const
{
    return m_cache->cacheDirectory();
}

bool KVImageLoader::isCached(const QString &url) const
{
    return m_cache->metaData(QUrl(url)).isValid();
}

void KVImageLoader::loadImage(QObject *owner, const QString &url, Done done)
{
    const QUrl address(url);
    // Images come from the web only: a "file:" or "data:" address from the service must not read
    // the user's files or feed the decoder from the address itself.
    if (!KVTls::isAllowedWebAddress(address)) {
        MainQueue::async(owner ? owner : this, [done] {
            if (done)
                done(QImage());
        });
        return;
    }
    auto load = std::make_shared<Load>();
    load->guard = owner ? owner : this;
    load->url = address;
    load->done = std::move(done);
    load->bound = largestScreen();
    // A shown image goes before every prefetch still waiting.
    const auto firstPrefetch =
        std::find_if(m_waiting.begin(), m_waiting.end(), [](const auto &waiting) { return waiting->prefetch; });
    m_waiting.insert(firstPrefetch, std::move(load));
    startWaiting();
}

void KVImageLoader::startWaiting()
{
    while (m_running < std::max(1, m_limits.maxLoads) && !m_waiting.empty()) {
        std::shared_ptr<Load> load = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (load->guard)
            start(load);
    }
}

void KVImageLoader::start(const std::shared_ptr<Load> &load)
{
    ++m_running;
    ++m_runningUrls[load->url];
    // The cache is read, and what it holds decoded, off the main thread.
    QPointer<KVImageLoader> self(this);
    decodeQueue().addOperation([self, load, folder = m_cache->cacheDirectory(), maxBytes = m_limits.maxBytes] {
        QNetworkDiskCache cache;
        cache.setCacheDirectory(folder);
        std::unique_ptr<QIODevice> data(cache.data(load->url));
        if (!data) {
            MainQueue::async([self, load] {
                if (self)
                    self->fetch(load);
            });
            return;
        }
        QImage image;
        // An entry larger than the limit (cached under a higher one) gives no image.
        if (!load->prefetch && data->size() <= maxBytes)
            image = decode(data->readAll(), load->bound);
        MainQueue::async([self, load, image] {
            if (self)
                self->finish(load, image);
        });
    });
}

void KVImageLoader::fetch(const std::shared_ptr<Load> &load)
{
    if (!load->guard) {
        finish(load, {});
        return;
    }
    const QUrl &address = load->url;
    QNetworkRequest request(address);
    if (address.scheme() == QLatin1String("https"))
        request.setSslConfiguration(KVTls::configuration());
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    if (!m_referer.isEmpty())
        request.setRawHeader("Referer", m_referer);
    QNetworkReply *reply = m_nam->get(request);
    const auto body = HttpManager::ReplyBody::attach(reply, m_limits.maxBytes);
    auto lastAddress = std::make_shared<QUrl>(address);
    connect(reply, &QNetworkReply::redirected, reply, [reply, lastAddress](const QUrl &target) {
        if (HttpManager::mayFollowRedirect(*lastAddress, target, false)) {
            *lastAddress = target;
            Q_EMIT reply->redirectAllowed();
        } else {
            reply->abort();
        }
    });
    if (load->guard != this)
        connect(load->guard, &QObject::destroyed, reply, &QNetworkReply::abort);

    // A server that stops answering ends the load with a null image; one that keeps sending a
    // trickle re-arms that wait, but not the deadline.
    QPointer<KVTimer> idle = KVTimer::singleShot(reply, m_limits.idle, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::downloadProgress, reply, [idle](qint64, qint64) {
        if (idle && idle->isValid())
            idle->start();
    });
    KVTimer::singleShot(reply, m_limits.overall, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::finished, this, [this, reply, load, body] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        QByteArray data = body->take(reply);
        if (!body->tooLarge && reply->error() == QNetworkReply::NoError &&
            (status == 0 || (status >= 200 && status < 300))) {
            if (load->guard && !load->prefetch) {
                decodeThenFinish(load, std::move(data));
                return;
            }
        } else {
            qCInfo(korviNet) << "image load failed" << reply->url().toString(QUrl::RemoveQuery)
                             << (body->tooLarge ? QStringLiteral("too large") : reply->errorString());
        }
        finish(load, {});
    });
}

void KVImageLoader::decodeThenFinish(const std::shared_ptr<Load> &load, QByteArray data)
{
    QPointer<KVImageLoader> self(this);
    decodeQueue().addOperation([self, load, data = std::move(data)] {
        const QImage image = decode(data, load->bound);
        MainQueue::async([self, load, image] {
            if (self)
                self->finish(load, image);
        });
    });
}

void KVImageLoader::finish(const std::shared_ptr<Load> &load, const QImage &image)
{
    --m_running;
    if (--m_runningUrls[load->url] <= 0)
        m_runningUrls.remove(load->url);
    if (load->guard && load->done)
        load->done(image);
    startWaiting();
}

void KVImageLoader::setImageWithURL(QLabel *label, const QString &url, const QImage &placeholder)
{
    if (!label)
        return;
    if (!placeholder.isNull())
        label->setPixmap(QPixmap::fromImage(placeholder));
    QPointer<QLabel> target(label);
    loadImage(label, url, [target](const QImage &image) {
        if (target && !image.isNull())
            target->setPixmap(QPixmap::fromImage(image));
    });
}

void KVImageLoader::prefetchURLs(const QStringList &urls)
{
    m_waiting.erase(std::remove_if(m_waiting.begin(), m_waiting.end(), [](const auto &load) { return load->prefetch; }),
                    m_waiting.end());
    for (const QString &url : urls) {
        const QUrl address(url);
        const bool asked = m_runningUrls.contains(address) ||
                           std::any_of(m_waiting.begin(), m_waiting.end(),
                                       [&address](const auto &load) { return load->url == address; });
        if (asked || !KVTls::isAllowedWebAddress(address))
            continue;
        auto load = std::make_shared<Load>();
        load->guard = this;
        load->url = address;
        load->prefetch = true;
        m_waiting.push_back(std::move(load));
    }
    startWaiting();
}

qint64 KVImageLoader::diskCacheSize() const
{
    return m_cache->cacheSize();
}

void KVImageLoader::clearDiskCache(std::function<void()> done)
{
    // Not QNetworkDiskCache::clear: it follows a link put in the folder's place and empties
    // whatever folder it points to. Downloads left in the caches folder go too.
    const QString folder = QDir::cleanPath(m_cache->cacheDirectory());
    AppPaths::ensureOwnFolder(folder);
    AppPaths::removeFilesIn(folder);
    // Finished downloads only: the hidden files are uploads and downloads still being written.
    QDir root(AppPaths::cacheDir());
    for (const QString &name : root.entryList(QDir::Files | QDir::NoSymLinks))
        root.remove(name);
    // The folder is real and empty now: setting it again lays out the cache's subfolders in a
    // folder made in a link's place, and its own clear only counts its size anew.
    m_cache->setCacheDirectory(folder);
    m_cache->clear();
    MainQueue::async(this, [done = std::move(done)] {
        if (done)
            done();
    });
}
