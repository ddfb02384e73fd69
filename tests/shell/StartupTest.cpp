// Start-up order, the single-instance guard, and what the start leaves behind.

#include "ShellTestSupport.h"

#include "agent/engine/MediaBackend.h"
#include "connection/KVImageLoader.h"
#include "devices/audio/PulseAudioClient.h"
#include "scheduling/WMEventCalendarTool.h"
#include "shell/AppDelegateMac.h"
#include "shell/LoginViewController.h"
#include "shell/MainWindowViewController.h"
#include "shell/SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <atomic>
#include <latch>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A socket file as a crashed run leaves it: bound, never listened on, its process gone.
bool leaveStaleSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() >= qsizetype(sizeof(addr.sun_path))) {
        ::close(fd);
        return false;
    }
    std::memcpy(addr.sun_path, bytes.constData(), size_t(bytes.size()));
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) == 0;
    ::close(fd);
    return bound && QFile::exists(path);
}

class StartupTest : public ShellTest {
protected:
    QString socketPath() const { return socketDir.filePath(QStringLiteral("instance")); }
    QTemporaryDir socketDir{QDir::tempPath() + QStringLiteral("/korvi-sock-XXXXXX")};
};

TEST_F(StartupTest, StoredUser_StepsRunInOrderAndTheHomePageOpens)
{
    storeSignedInUser();
    VeskAppAgent::resetSharedInstance(); // a new run reads the stored user
    ASSERT_EQ(VeskAppAgent::sharedInstance()->serverEnvironment(), 1);

    AppDelegateMac delegate(QStringLiteral("dev"), socketPath());
    ASSERT_EQ(delegate.applicationDidFinishLaunching(), AppDelegateMac::Launch::Running);
    EXPECT_EQ(delegate.startupSteps(), (QStringList{"guard", "environment", "meetingManager", "referer", "homePage"}));

    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    EXPECT_EQ(agent->serverEnvironment(), 2);
    EXPECT_EQ(agent->serviceAddress(), service.baseUrl().toString());
    EXPECT_NE(agent->meetingManager(), nullptr);
    EXPECT_EQ(KVPageNavigator::current(), windows());

    // The switch is asynchronous: nothing is shown before the main queue runs.
    EXPECT_EQ(windows()->homeWindow(), nullptr);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    ASSERT_NE(windows()->homeWindow(), nullptr);
    EXPECT_TRUE(windows()->homeWindow()->isVisible());
    EXPECT_EQ(windows()->loginWindow(), nullptr);

    // Image requests name the environment's web host.
    QImage loaded;
    bool done = false;
    KVImageLoader::sharedLoader()->loadImage(windows(), service.baseUrl().toString() + QStringLiteral("/avatar.png"),
                                             [&](const QImage &image) {
                                                 loaded = image;
                                                 done = true;
                                             });
    ASSERT_TRUE(processEventsUntil([&] { return done; }));
    const auto requests = service.requestsFor(QStringLiteral("/avatar.png"));
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].header("referer"), agent->webHost());
}

// Whether this process has mapped a shared library whose file name starts so.
bool mapped(const QByteArray &library)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/" + library);
}

TEST_F(StartupTest, TheHomeWindowNeedsNeitherTheCalendarsNorTheMediaPipelinesLibraries_TheyComeWhenUsed)
{
    if (::testing::UnitTest::GetInstance()->test_to_run_count() > 1)
        GTEST_SKIP() << "what a start maps is seen only in a process of its own";
    storeSignedInUser();
    VeskAppAgent::resetSharedInstance();
    AppDelegateMac delegate(QStringLiteral("dev"), socketPath());
    ASSERT_EQ(delegate.applicationDidFinishLaunching(), AppDelegateMac::Launch::Running);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    ASSERT_TRUE(processEventsUntil([&] { return windows()->homeWindow() && windows()->homeWindow()->isVisible(); }));
    processEventsFor(200);
    EXPECT_FALSE(mapped("libical.so")) << "the calendar";
    EXPECT_FALSE(mapped("libgstreamer-1.0.so")) << "the share's and the recorder's media pipeline";
    EXPECT_FALSE(mapped("libgobject-2.0.so"));
    EXPECT_FALSE(mapped("libQt6Multimedia.so")) << "the devices' media library";
    EXPECT_FALSE(mapped("libpulse.so")) << "the sound server's client";
    EXPECT_FALSE(mapped("libxcb-composite.so")) << "the X11 capture's extensions";
    EXPECT_FALSE(mapped("libxcb-res.so"));

    // A device's first use loads them, and they work as if linked.
    (void)PulseAudioClient::serverReachable();
    EXPECT_TRUE(mapped("libpulse.so"));
    MediaBackend::waitUntilReady();
    EXPECT_TRUE(mapped("libQt6Multimedia.so"));

    // The calendar's first use loads its library, and it works as if linked.
    std::optional<bool> granted;
    WMEventCalendarTool::sharedEventCalendar().checkCalendarCanUsedCompletion(
        [&](bool ok, const std::optional<CalendarError> &) { granted = ok; });
    ASSERT_TRUE(processEventsUntil([&] { return granted.has_value(); }));
    ASSERT_TRUE(*granted);
    std::optional<bool> created;
    WMEventCalendarTool::sharedEventCalendar().createCalendarIdentifier(
        QStringLiteral("startup.calendar"), QStringLiteral("Korvi"),
        [&](bool ok, const std::optional<CalendarError> &) { created = ok; });
    ASSERT_TRUE(processEventsUntil([&] { return created.has_value(); }));
    EXPECT_TRUE(*created);
    std::optional<bool> written;
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(1);
    WMEventCalendarTool::sharedEventCalendar().createEventIdentifier(
        QStringLiteral("startup.event"), QStringLiteral("周会"), QString(), start, start.addSecs(3600), false, {},
        QString(), QUrl(), QStringLiteral("startup.calendar"), 2,
        [&](bool ok, const std::optional<CalendarError> &) { written = ok; });
    ASSERT_TRUE(processEventsUntil([&] { return written.has_value(); }));
    EXPECT_TRUE(*written);
    EXPECT_TRUE(mapped("libical.so"));
    const auto event =
        WMEventCalendarTool::sharedEventCalendar().checkToEventIdentifier(QStringLiteral("startup.event"));
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(event->title, QStringLiteral("周会"));
}

TEST_F(StartupTest, NoStoredUser_OpensTheLoginPage)
{
    AppDelegateMac delegate(QStringLiteral("dev"), socketPath());
    ASSERT_EQ(delegate.applicationDidFinishLaunching(), AppDelegateMac::Launch::Running);
    EXPECT_EQ(delegate.startupSteps(), (QStringList{"guard", "environment", "meetingManager", "referer", "loginPage"}));
    ASSERT_TRUE(processEventsUntil([] { return MacWindowsManager::sharedManager()->loginWindow() != nullptr; }));
    EXPECT_EQ(windows()->currentPageType(), MacWindowsManager::LoginPage);
    EXPECT_TRUE(windows()->loginWindow()->isVisible());
    EXPECT_EQ(windows()->homeWindow(), nullptr);
}

TEST_F(StartupTest, UnknownKVEnv_KeepsTheTestEnvironment)
{
    AppDelegateMac delegate(QStringLiteral("staging"), socketPath());
    ASSERT_EQ(delegate.applicationDidFinishLaunching(), AppDelegateMac::Launch::Running);
    EXPECT_EQ(VeskAppAgent::sharedInstance()->serverEnvironment(), 1);
}

TEST_F(StartupTest, SecondStart_HandsOverAndStopsBeforeAnyOtherStep)
{
    storeSignedInUser();
    AppDelegateMac first(QStringLiteral("dev"), socketPath());
    ASSERT_EQ(first.applicationDidFinishLaunching(), AppDelegateMac::Launch::Running);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    QWidget *home = windows()->homeWindow();
    home->hide(); // the user closed the home window; the client still runs

    AppDelegateMac second(QStringLiteral("dev"), socketPath());
    EXPECT_EQ(second.applicationDidFinishLaunching(), AppDelegateMac::Launch::HandedOver);
    EXPECT_EQ(second.startupSteps(), QStringList{"guard"});
    // The running client comes to the front with its current page.
    EXPECT_TRUE(processEventsUntil([home] { return home->isVisible(); }));
}

TEST_F(StartupTest, SecondStart_BringsBackAMinimisedWindowAsItWas)
{
    storeSignedInUser();
    AppDelegateMac first(QStringLiteral("dev"), socketPath());
    ASSERT_EQ(first.applicationDidFinishLaunching(), AppDelegateMac::Launch::Running);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    QWidget *home = windows()->homeWindow();
    ASSERT_TRUE(processEventsUntil([home] { return home->isVisible(); }));
    home->showMaximized();
    ASSERT_TRUE(processEventsUntil([home] { return home->isMaximized(); }));
    home->showMinimized();
    ASSERT_TRUE(processEventsUntil([home] { return home->isMinimized(); }));

    AppDelegateMac second(QStringLiteral("dev"), socketPath());
    EXPECT_EQ(second.applicationDidFinishLaunching(), AppDelegateMac::Launch::HandedOver);
    ASSERT_TRUE(processEventsUntil([home] { return !home->isMinimized(); }));
    EXPECT_TRUE(home->isMaximized()) << "only the minimised state goes";
    EXPECT_TRUE(home->isVisible());
}

TEST(SingleInstanceGuardTest, SecondGuard_HandsOverAndTheFirstHearsIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("instance"));
    SingleInstanceGuard first(path);
    ASSERT_EQ(first.acquire(), SingleInstanceGuard::Result::Primary);
    int activated = 0;
    QObject::connect(&first, &SingleInstanceGuard::activationRequested, [&] { ++activated; });

    SingleInstanceGuard second(path);
    EXPECT_EQ(second.acquire(), SingleInstanceGuard::Result::HandedOver);
    EXPECT_FALSE(second.isPrimary());
    EXPECT_TRUE(processEventsUntil([&] { return activated == 1; }));

    // A stray client that sends something else does not bring anything to the front.
    QLocalSocket stray;
    stray.connectToServer(path);
    ASSERT_TRUE(stray.waitForConnected(1000));
    stray.write("hello\n");
    stray.flush();
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(activated, 1);
}

TEST(SingleInstanceGuardTest, StaleSocketOfACrashedRun_IsReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("instance"));
    ASSERT_TRUE(leaveStaleSocket(path));

    SingleInstanceGuard guard(path);
    EXPECT_EQ(guard.acquire(), SingleInstanceGuard::Result::Primary);
    // And it works as a guard: the next start hands over to it.
    SingleInstanceGuard next(path);
    EXPECT_EQ(next.acquire(), SingleInstanceGuard::Result::HandedOver);
}

TEST(SingleInstanceGuardTest, LeftoverPlainFile_IsReplacedAndTheSocketGoesWithTheGuard)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("instance"));
    {
        QFile junk(path);
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("junk");
    }
    {
        SingleInstanceGuard guard(path);
        ASSERT_EQ(guard.acquire(), SingleInstanceGuard::Result::Primary);
        EXPECT_TRUE(QFile::exists(path));
    }
    EXPECT_FALSE(QFile::exists(path)); // a clean exit leaves nothing behind
    SingleInstanceGuard again(path);
    EXPECT_EQ(again.acquire(), SingleInstanceGuard::Result::Primary);
}

TEST(SingleInstanceGuardTest, StartsAtTheSameMoment_LeaveExactlyOnePrimary)
{
    constexpr int kStarts = 4;
    for (int round = 0; round < 20; ++round) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("instance"));
        std::latch ready(kStarts);
        std::latch done(kStarts);
        std::atomic<int> primaries{0};
        std::vector<std::thread> starts;
        for (int i = 0; i < kStarts; ++i) {
            starts.emplace_back([&] {
                SingleInstanceGuard guard(path);
                ready.arrive_and_wait();
                if (guard.acquire() == SingleInstanceGuard::Result::Primary)
                    ++primaries;
                // Every guard stays up until all have decided, as running clients would.
                done.arrive_and_wait();
            });
        }
        for (std::thread &t : starts)
            t.join();
        ASSERT_EQ(primaries.load(), 1) << "round " << round;
    }
}

TEST(SingleInstanceGuardTest, DefaultSocket_LivesInTheUsersRuntimeFolder)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    ASSERT_FALSE(runtime.isEmpty());
    EXPECT_TRUE(SingleInstanceGuard::defaultSocketPath().startsWith(runtime));
}

// Without a runtime folder the socket goes into a private folder of the user's own inside the
// temporary folder, never into the shared folder itself.
class GuardWithoutRuntimeFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        savedTmp = qgetenv("TMPDIR");
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
        own = tmp.filePath(QStringLiteral("korvi-%1").arg(::geteuid()));
    }
    void TearDown() override
    {
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
        if (savedTmp.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTmp);
    }
    static int mode(const QString &path)
    {
        struct stat st {};
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    }

    QTemporaryDir tmp;
    QByteArray savedRuntime;
    QByteArray savedTmp;
    QString own;
};

TEST_F(GuardWithoutRuntimeFolderTest, SocketGoesIntoAPrivateFolderOfTheUser)
{
    const QString path = SingleInstanceGuard::defaultSocketPath();
    EXPECT_EQ(path, own + QStringLiteral("/instance"));
    EXPECT_EQ(mode(own), 0700);
    SingleInstanceGuard first;
    ASSERT_EQ(first.acquire(), SingleInstanceGuard::Result::Primary);
    EXPECT_EQ(first.socketPath(), path);
    SingleInstanceGuard second;
    EXPECT_EQ(second.acquire(), SingleInstanceGuard::Result::HandedOver);

    // A folder of ours left open by something else is closed again.
    ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0755), 0);
    EXPECT_EQ(SingleInstanceGuard::defaultSocketPath(), path);
    EXPECT_EQ(mode(own), 0700);
}

TEST_F(GuardWithoutRuntimeFolderTest, AFolderThatIsNotTheUsersOwnIsRefused)
{
    // A link planted in its place, to a folder someone else controls.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), own));
    EXPECT_TRUE(SingleInstanceGuard::defaultSocketPath().isEmpty());
    SingleInstanceGuard guard;
    EXPECT_EQ(guard.acquire(), SingleInstanceGuard::Result::Failed);
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    ASSERT_TRUE(QFile::remove(own));

    if (::geteuid() != 0)
        GTEST_SKIP() << "a folder of another user needs root to make";
    ASSERT_EQ(::mkdir(QFile::encodeName(own).constData(), 0777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0777), 0);
    ASSERT_EQ(::chown(QFile::encodeName(own).constData(), 65534, 65534), 0);
    EXPECT_TRUE(SingleInstanceGuard::defaultSocketPath().isEmpty());
    EXPECT_EQ(mode(own), 0777); // not ours to change
}

// Another user's listener on the path is neither handed over to nor removed: SO_PEERCRED tells
// whose it is. (Making a listener of another user needs root.)
TEST(SingleInstanceGuardTest, ListenerOfAnotherUser_IsNotHandedOver)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a listener of another user needs root to make";
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const QString path = dir.filePath(QStringLiteral("instance"));
    int ready[2];
    int heard[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(heard), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Another user listens on the path and reports how many bytes reached it.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const QByteArray bytes = QFile::encodeName(path);
        std::memcpy(addr.sun_path, bytes.constData(), size_t(bytes.size()));
        if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) != 0 || ::listen(fd, 4) != 0)
            ::_exit(2);
        ::chmod(bytes.constData(), 0777);
        char one = 1;
        (void)!::write(ready[1], &one, 1);
        const int peer = ::accept(fd, nullptr, nullptr);
        char buffer[64];
        ssize_t got = 0;
        pollfd wait{peer, POLLIN, 0};
        if (peer >= 0 && ::poll(&wait, 1, 2000) > 0)
            got = ::read(peer, buffer, sizeof buffer);
        const char count = char(got > 0 ? got : 0);
        (void)!::write(heard[1], &count, 1);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    SingleInstanceGuard guard(path);
    EXPECT_EQ(guard.acquire(), SingleInstanceGuard::Result::Failed);
    EXPECT_FALSE(guard.isPrimary());
    EXPECT_TRUE(QFile::exists(path)); // its socket stays
    ASSERT_EQ(::read(heard[0], &byte, 1), 1);
    EXPECT_EQ(byte, 0) << "the activation message reached another user's listener";
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace
