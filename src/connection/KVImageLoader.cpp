#include "connection/KVImageLoader.h"

#include "connection/ConnectionLog.h"
#include "connection/HttpManager.h"
#include "connection/KVTls.h"
#include "foundation/AppLifetime.h"
#include "foundation/AppPaths.h"
#include "foundation/KVClock.h"
#include "foundation/MainQueue.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QPixmap>

namespace {
constexpr qint64 MaxCacheBytes = 200LL * 1024 * 1024;

} // namespace

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

QImage KVImageLoader::cachedImage(const QString &url) const
{
    std::unique_ptr<QIODevice> data(m_cache->data(QUrl(url)));
    if (!data || data->size() > m_limits.maxBytes)
        return {};
    return QImage::fromData(data->readAll());
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
    QPointer<QObject> guard(owner ? owner : this);
    if (owner)
        connect(owner, &QObject::destroyed, reply, &QNetworkReply::abort);

    // A server that stops answering ends the load with a null image; one that keeps sending a
    // trickle re-arms that wait, but not the deadline.
    QPointer<KVTimer> idle = KVTimer::singleShot(reply, m_limits.idle, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::downloadProgress, reply, [idle](qint64, qint64) {
        if (idle && idle->isValid())
            idle->start();
    });
    KVTimer::singleShot(reply, m_limits.overall, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::finished, this, [reply, guard, done, body] {
        reply->deleteLater();
        if (!guard)
            return;
        QImage image;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QByteArray data = body->take(reply);
        if (!body->tooLarge && reply->error() == QNetworkReply::NoError &&
            (status == 0 || (status >= 200 && status < 300))) {
            image = QImage::fromData(data);
        } else {
            qCInfo(korviNet) << "image load failed" << reply->url().toString(QUrl::RemoveQuery)
                             << (body->tooLarge ? QStringLiteral("too large") : reply->errorString());
        }
        if (done)
            done(image);
    });
}

void KVImageLoader::setImageWithURL(QLabel *label, const QString &url, const QImage &placeholder)
{
    if (!label)
        return;
    const QImage cached = cachedImage(url);
    const QImage &first = cached.isNull() ? placeholder : cached;
    if (!first.isNull())
        label->setPixmap(QPixmap::fromImage(first));
    QPointer<QLabel> target(label);
    loadImage(label, url, [target](const QImage &image) {
        if (target && !image.isNull())
            target->setPixmap(QPixmap::fromImage(image));
    });
}

void KVImageLoader::prefetchURLs(const QStringList &urls)
{
    for (const QString &url : urls) {
        if (cachedImage(url).isNull())
            loadImage(this, url, {});
    }
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
