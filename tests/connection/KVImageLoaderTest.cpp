// The image loader and its disk cache against the stand-in service.
#include "connection/KVImageLoader.h"
#include "connection/KVTls.h"
#include "devservice/DevService.h"
#include "devservice/DevServiceTestUtil.h"
#include "devservice/DevTlsCertificate.h"
#include "devservice/EndlessHost.h"
#include "foundation/AppPaths.h"
#include "foundation/KVClock.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

QByteArray png(QColor color)
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class KVImageLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KVTls::setPlainHttpAllowed(true); // the stand-in speaks plain http, as in development
        ASSERT_TRUE(service.start());
        service.route("GET", "/img/<name>", [](const DevRequest &req) {
            if (req.arg("name") == "broken.png")
                return DevReply::raw("not an image", "image/png");
            DevReply r = DevReply::raw(png(req.arg("name") == "red.png" ? Qt::red : Qt::blue), "image/png");
            r.headers.append({QByteArray("Cache-Control"), QByteArray("max-age=3600")});
            return r;
        });
    }

    void TearDown() override { KVTls::setPlainHttpAllowed(false); }

    QString url(const QString &name) const { return service.baseUrl().toString() + "/img/" + name; }

    QImage load(const QString &name) { return loadAddress(url(name)); }
    QImage loadAddress(const QString &address)
    {
        std::optional<QImage> result;
        loader.loadImage(&owner, address, [&](const QImage &image) { result = image; });
        EXPECT_TRUE(processEventsUntil([&] { return result.has_value(); }));
        return result.value_or(QImage());
    }

    DevService service;
    KVImageLoader loader;
    QObject owner;
};

TEST_F(KVImageLoaderTest, LoadsOnce_ThenServesFromTheDiskCacheUnderTheCachesFolder)
{
    loader.setRefererHeader("https://meeting.example/");
    const QImage first = load("red.png");
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(service.requestsFor("/img/red.png").size(), 1);
    EXPECT_EQ(service.requestsFor("/img/red.png")[0].header("Referer"), "https://meeting.example/");
    EXPECT_TRUE(loader.cacheDirectory().startsWith(AppPaths::cacheDir()));

    EXPECT_FALSE(load("red.png").isNull());
    EXPECT_EQ(service.requestsFor("/img/red.png").size(), 1);
    EXPECT_TRUE(loader.isCached(url("red.png")));
    EXPECT_GT(loader.diskCacheSize(), 0);

    bool cleared = false;
    loader.clearDiskCache([&] { cleared = true; });
    ASSERT_TRUE(processEventsUntil([&] { return cleared; }));
    EXPECT_EQ(loader.diskCacheSize(), 0);
    EXPECT_FALSE(loader.isCached(url("red.png")));
}

TEST_F(KVImageLoaderTest, Clearing_RemovesOnlyFilesOfTheRealCacheFolder_NeverFollowsALinkInItsPlace)
{
    ASSERT_FALSE(load("red.png").isNull());
    QTemporaryDir outside;
    ASSERT_TRUE(QDir(outside.path()).mkpath("sub"));
    for (const QString &name : {QString("keep.txt"), QString("sub/keep.txt")}) {
        QFile f(outside.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("mine");
    }
    const QString images = AppPaths::cacheDir() + "/images";
    ASSERT_TRUE(QDir(images).removeRecursively());
    ASSERT_TRUE(QFile::link(outside.path(), images));
    const QString root = AppPaths::cacheDir();
    QFile(root + "/transcript.pdf").open(QIODevice::WriteOnly);
    QFile(root + "/.korvi-download-abc").open(QIODevice::WriteOnly); // a download being written
    ASSERT_TRUE(QFile::link(outside.filePath("keep.txt"), root + "/linked.txt"));

    bool cleared = false;
    loader.clearDiskCache([&] { cleared = true; });
    ASSERT_TRUE(processEventsUntil([&] { return cleared; }));
    EXPECT_TRUE(QFile::exists(outside.filePath("keep.txt")));
    EXPECT_TRUE(QFile::exists(outside.filePath("sub/keep.txt")));
    EXPECT_FALSE(QFileInfo(images).isSymLink());
    EXPECT_TRUE(QFileInfo(images).isDir());
    EXPECT_FALSE(QFile::exists(root + "/transcript.pdf"));
    EXPECT_TRUE(QFile::exists(root + "/.korvi-download-abc"));
    QFile::remove(root + "/.korvi-download-abc");
    QFile::remove(root + "/linked.txt");

    // The cache works on in its real folder.
    EXPECT_FALSE(load("blue.png").isNull());
    EXPECT_TRUE(QDir(images).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).size() > 0);
}

TEST_F(KVImageLoaderTest, PrefetchFillsTheCache_AndLabelsShowTheCachedImage)
{
    loader.prefetchURLs({url("blue.png")});
    ASSERT_TRUE(processEventsUntil([&] { return loader.isCached(url("blue.png")); }));
    ASSERT_TRUE(processEventsUntil([&] { return loader.runningLoads() == 0; }));
    QLabel label;
    loader.setImageWithURL(&label, url("blue.png"));
    ASSERT_TRUE(processEventsUntil([&] { return !label.pixmap().isNull(); }));
    EXPECT_EQ(label.pixmap().toImage().pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(service.requestsFor("/img/blue.png").size(), 1);
}

// An image cached under a higher limit is bound by today's limit too.
TEST_F(KVImageLoaderTest, ACachedImageLargerThanTheLimit_GivesNoImage)
{
    service.route("GET", "/big/padded.png", [](const DevRequest &) {
        DevReply r = DevReply::raw(png(Qt::red) + QByteArray(64 * 1024, '\0'), "image/png");
        r.headers.append({QByteArray("Cache-Control"), QByteArray("max-age=3600")});
        return r;
    });
    ASSERT_FALSE(loadAddress(service.baseUrl().toString() + "/big/padded.png").isNull());
    ASSERT_TRUE(loader.isCached(service.baseUrl().toString() + "/big/padded.png"));
    KVImageLoader::Limits limits;
    limits.maxBytes = 32 * 1024;
    loader.setLimits(limits);
    EXPECT_TRUE(loadAddress(service.baseUrl().toString() + "/big/padded.png").isNull());
    EXPECT_FALSE(load("red.png").isNull());
}

TEST_F(KVImageLoaderTest, Failures_GiveANullImage_AndADeadOwnerGetsNothing)
{
    EXPECT_TRUE(load("broken.png").isNull());
    std::optional<QImage> result;
    loader.loadImage(&owner, "not a url", [&](const QImage &image) { result = image; });
    ASSERT_TRUE(processEventsUntil([&] { return result.has_value(); }));
    EXPECT_TRUE(result->isNull());

    int calls = 0;
    {
        QObject doomed;
        loader.loadImage(&doomed, url("red.png"), [&](const QImage &) { ++calls; });
    }
    EXPECT_FALSE(load("red.png").isNull()); // a later load of the same image has come back
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(calls, 0);
}

// Addresses come from the service: only the web is asked, never a local file or the address itself.
TEST_F(KVImageLoaderTest, OnlyHttpAndHttpsAddressesAreLoaded)
{
    QTemporaryDir dir;
    const QString local = dir.filePath("secret.png");
    {
        QFile f(local);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(png(Qt::green));
    }
    const QByteArray inline64 = "data:image/png;base64," + png(Qt::green).toBase64();
    for (const QString &address :
         {QUrl::fromLocalFile(local).toString(), QString::fromLatin1(inline64),
          QStringLiteral("qrc:/korvi/icons/logo.png"), QStringLiteral("ftp://127.0.0.1/x.png")}) {
        std::optional<QImage> result;
        loader.loadImage(&owner, address, [&](const QImage &image) { result = image; });
        ASSERT_TRUE(processEventsUntil([&] { return result.has_value(); })) << address.left(40).toStdString();
        EXPECT_TRUE(result->isNull()) << address.left(40).toStdString();
    }
    // A web address that redirects to a local file gets nothing either.
    service.route("GET", "/moved.png", [local](const DevRequest &) {
        DevReply r = DevReply::raw({}, "text/plain", 302);
        r.headers.append({QByteArray("Location"), QUrl::fromLocalFile(local).toEncoded()});
        return r;
    });
    std::optional<QImage> moved;
    loader.loadImage(&owner, service.baseUrl().toString() + "/moved.png", [&](const QImage &image) { moved = image; });
    ASSERT_TRUE(processEventsUntil([&] { return moved.has_value(); }));
    EXPECT_TRUE(moved->isNull());
    EXPECT_FALSE(load("red.png").isNull());
}

// A page image or avatar whose host streams without end, or announces more than any real image,
// gives no image: the load stops at the limit, or at the announced length, before reading it.
TEST_F(KVImageLoaderTest, BodiesAreBounded_AnEndlessOrAnAnnouncedTooLargeBodyGivesNoImage)
{
    VirtualClockScope time; // no timer ends anything here
    KVImageLoader::Limits limits;
    limits.maxBytes = 1024 * 1024;
    loader.setLimits(limits);
    service.route("GET", "/hostile/endless.png",
                  [](const DevRequest &) { return DevReply::streamed("image/png", {}); });
    // A first piece, then nothing: only its length can end it.
    service.route("GET", "/hostile/huge.png", [](const DevRequest &) {
        return DevReply::streamed("image/png", {QByteArray(1024, 'h'), 0, 1024, 64LL * 1024 * 1024});
    });
    const QString endless = service.baseUrl().toString() + "/hostile/endless.png";
    EXPECT_TRUE(loadAddress(endless).isNull());
    EXPECT_TRUE(loadAddress(service.baseUrl().toString() + "/hostile/huge.png").isNull());
    EXPECT_FALSE(loader.isCached(endless));
    // A page within the limit still loads.
    EXPECT_FALSE(load("red.png").isNull());
}

// What counts the body only counts what the network thread hands over: that thread must not read
// on into memory meanwhile. With the limit out of the way, a busy main thread lets an endless
// host get no further than the loopback's buffers (32 MiB at most here).
TEST_F(KVImageLoaderTest, AnEndlessBody_IsNotReadAheadIntoMemoryWhileTheMainThreadIsBusy)
{
    KVImageLoader::Limits limits;
    limits.maxBytes = 16LL * 1024 * 1024 * 1024;
    loader.setLimits(limits);
    EndlessHost host("image/png");
    ASSERT_TRUE(host.start());
    std::optional<QImage> result;
    loader.loadImage(&owner, host.url("/endless.png"), [&](const QImage &image) { result = image; });
    ASSERT_TRUE(processEventsUntil([&] { return host.sent() > 4 * 1024 * 1024; }));
    constexpr qint64 farAhead = 128LL * 1024 * 1024;
    for (int busy = 0; busy < 3; ++busy) {
        EXPECT_LE(host.sentWhileBlocking(farAhead, 1000), farAhead);
        processEventsFor(5);
    }
    EXPECT_FALSE(result.has_value());
}

TEST_F(KVImageLoaderTest, ATrickleEndsAtTheDeadline)
{
    VirtualClockScope time;
    KVImageLoader::Limits limits;
    limits.idle = std::chrono::hours(1); // only the deadline can end the trickle
    loader.setLimits(limits);
    service.route("GET", "/hostile/trickle.png", [](const DevRequest &) {
        return DevReply::streamed("image/png", {"x", 5000, -1, -1});
    });
    std::optional<QImage> result;
    loader.loadImage(&owner, service.baseUrl().toString() + "/hostile/trickle.png",
                     [&](const QImage &image) { result = image; });
    ASSERT_TRUE(processEventsUntil([&] { return service.requestsFor("/hostile/trickle.png").size() == 1; }));
    for (int second = 5; second < 60; second += 5) {
        time.clock.advance(std::chrono::seconds(5));
        processEventsFor(5);
    }
    ASSERT_TRUE(drainMainQueue());
    EXPECT_FALSE(result.has_value());
    time.clock.advance(std::chrono::seconds(5));
    ASSERT_TRUE(processEventsUntil([&] { return result.has_value(); }));
    EXPECT_TRUE(result->isNull());
}

// A document's pages may come from many hosts that never end: only a few loads run at once, so
// together they hold a few bodies, and a shown image goes before the prefetches still waiting.
TEST_F(KVImageLoaderTest, OnlyAFewLoadsRunAtOnce_AShownImageBeforeWaitingPrefetches)
{
    VirtualClockScope time;
    KVImageLoader::Limits limits;
    limits.maxLoads = 2;
    loader.setLimits(limits);
    service.delayNextReply("/img/a.png", 100);
    for (const char *name : {"/img/b.png", "/img/c.png", "/img/d.png"})
        service.delayNextReply(name, -1);
    loader.prefetchURLs({url("a.png"), url("b.png"), url("c.png")});
    std::optional<QImage> shown;
    loader.loadImage(&owner, url("d.png"), [&](const QImage &image) { shown = image; });
    ASSERT_TRUE(processEventsUntil([&] { return service.requestsFor("/img/b.png").size() == 1; }));
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(service.requestsFor("/img/a.png").size(), 1);
    EXPECT_TRUE(service.requestsFor("/img/c.png").isEmpty());
    EXPECT_TRUE(service.requestsFor("/img/d.png").isEmpty());

    time.clock.advance(std::chrono::milliseconds(100));
    ASSERT_TRUE(processEventsUntil([&] { return service.requestsFor("/img/d.png").size() == 1; }));
    ASSERT_TRUE(drainMainQueue());
    EXPECT_TRUE(service.requestsFor("/img/c.png").isEmpty());
    EXPECT_EQ(loader.runningLoads(), 2);
}

// A page far larger than any screen is decoded no larger than the largest one.
TEST_F(KVImageLoaderTest, AnImageIsDecodedNoLargerThanTheLargestScreen)
{
    QSize screen;
    for (const QScreen *s : QGuiApplication::screens())
        screen = screen.expandedTo(s->size() * s->devicePixelRatio());
    ASSERT_TRUE(screen.isValid());
    const QSize large = screen * 3;
    service.route("GET", "/big/large.png", [large](const DevRequest &) {
        QImage image(large, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return DevReply::raw(bytes, "image/png");
    });
    const QImage image = loadAddress(service.baseUrl().toString() + "/big/large.png");
    ASSERT_FALSE(image.isNull());
    EXPECT_LE(image.width(), screen.width());
    EXPECT_LE(image.height(), screen.height());
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::red));
}

// Outside development the images come over TLS only, as every other call: plain http is not asked.
TEST_F(KVImageLoaderTest, OutsideDevelopment_OnlyHttpsIsLoaded)
{
    KVTls::setPlainHttpAllowed(false);
    EXPECT_TRUE(load("red.png").isNull());
    ASSERT_TRUE(drainMainQueue());
    EXPECT_TRUE(service.requestsFor("/img/red.png").isEmpty());

    if (!QSslSocket::supportsSsl())
        GTEST_SKIP() << "no TLS backend";
    const DevTlsCertificate cert = DevTlsCertificate::generate();
    DevService tls;
    ASSERT_TRUE(tls.useTls(cert.certificatePem, cert.privateKeyPem));
    ASSERT_TRUE(tls.start());
    tls.route("GET", "/avatar.png", [](const DevRequest &) { return DevReply::raw(png(Qt::green), "image/png"); });
    QTemporaryDir dir;
    ASSERT_TRUE(cert.writeCertificate(dir.path() + "/ca.pem"));
    ASSERT_TRUE(KVTls::setExtraTrustedCaFile(dir.path() + "/ca.pem"));
    const QImage avatar = loadAddress(tls.baseUrl().toString() + "/avatar.png");
    KVTls::setExtraTrustedCaFile(QString());
    ASSERT_FALSE(avatar.isNull());
    EXPECT_EQ(avatar.pixelColor(0, 0), QColor(Qt::green));
}

TEST_F(KVImageLoaderTest, AServerThatNeverAnswersGivesANullImageAfterFifteenSeconds)
{
    VirtualClockScope time;
    service.delayNextReply("/img/slow.png", -1); // never answers
    std::optional<QImage> result;
    loader.loadImage(&owner, url("slow.png"), [&](const QImage &image) { result = image; });
    ASSERT_TRUE(processEventsUntil([&] { return service.requestsFor("/img/slow.png").size() == 1; }));
    time.clock.advance(std::chrono::milliseconds(14900));
    ASSERT_TRUE(drainMainQueue());
    EXPECT_FALSE(result.has_value());
    time.clock.advance(std::chrono::milliseconds(200));
    ASSERT_TRUE(processEventsUntil([&] { return result.has_value(); }));
    EXPECT_TRUE(result->isNull());
}

} // namespace
