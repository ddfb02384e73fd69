// The login and home windows rendered offscreen: a broken layout shows as failed facts (size,
// visible controls with names, controls inside the window and apart), not as pixels. The
// pictures are kept under the temporary folder for a look.

#include "ShellTestSupport.h"

#include "shell/LoginViewController.h"
#include "shell/MainPageViewController.h"
#include "shell/MainWindowViewController.h"
#include "shell/ShellTexts.h"
#include "uikit/KVTextFieldView.h"
#include "uikit/VeskButton.h"

#include <QAbstractButton>
#include <QDate>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>

namespace {

QRect rectInWindow(const QWidget *w)
{
    return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size());
}

// Every control the user can act on is visible inside the window, named, and clear of the others.
void expectControlsSane(QWidget *window)
{
    QList<QWidget *> controls;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisible() || !(qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w)))
            continue;
        controls << w;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->metaObject()->className();
        EXPECT_TRUE(window->rect().contains(rectInWindow(w))) << w->accessibleName().toStdString();
        EXPECT_GE(w->width(), 24) << w->accessibleName().toStdString();
        EXPECT_GE(w->height(), 20) << w->accessibleName().toStdString();
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(rectInWindow(controls[i]).intersects(rectInWindow(controls[j])))
                << controls[i]->accessibleName().toStdString() << " / " << controls[j]->accessibleName().toStdString();
}

// Not one flat colour: something was drawn.
int colourCount(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

QImage grabAndKeep(QWidget *window, const QString &name)
{
    const QPixmap shot = window->grab();
    shot.save(QDir::home().filePath(name), "PNG"); // the test run's own folder
    return shot.toImage();
}

class ScreenshotTest : public ShellTest {};

TEST_F(ScreenshotTest, LoginWindow_LaysOutItsControls)
{
    windows()->showLoginPage();
    ASSERT_TRUE(waitForPage(MacWindowsManager::LoginPage));
    ASSERT_TRUE(settleRequests());
    QWidget *window = windows()->loginWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->size(), QSize(400, 560));
    EXPECT_EQ(window->windowTitle(), ShellTexts::kLoginWindowTitle);
    LoginViewController *login = windows()->loginViewController();
    for (QWidget *w : {static_cast<QWidget *>(login->phoneField()), static_cast<QWidget *>(login->codeField()),
                       static_cast<QWidget *>(login->codeButton()), static_cast<QWidget *>(login->loginButton())})
        EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(login->phoneMessage()->isVisible());
    expectControlsSane(window);
    // The code field and its button share a row; sign-in is below both.
    EXPECT_EQ(rectInWindow(login->codeField()).center().y(), rectInWindow(login->codeButton()).center().y());
    EXPECT_GT(rectInWindow(login->loginButton()).top(), rectInWindow(login->codeField()).bottom());
    const QImage image = grabAndKeep(window, QStringLiteral("korvi-shell-login.png"));
    EXPECT_EQ(image.size(), window->size() * window->devicePixelRatio());
    EXPECT_GT(colourCount(image), 3);

    // A bad number shows its message without pushing anything out of the window.
    login->phoneField()->setStringValue(QStringLiteral("123"));
    login->login();
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(login->phoneMessage()->isVisible());
    expectControlsSane(window);
    grabAndKeep(window, QStringLiteral("korvi-shell-login-invalid.png"));
}

TEST_F(ScreenshotTest, HomeWindow_LaysOutItsControlsAndTodaysMeetings)
{
    storeSignedInUser();
    DevScheduledMeeting meeting;
    meeting.roomId = QStringLiteral("800000001");
    meeting.ownerUserId = kMyPhone;
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    meeting.fields = {{"roomId", meeting.roomId},
                      {"roomName", QStringLiteral("产品周会")},
                      {"beginTime", today + QStringLiteral(" 23:00")},
                      {"endTime", today + QStringLiteral(" 23:45")},
                      {"duration", 45},
                      {"status", 0}};
    service.state().scheduled.insert(meeting.roomId, meeting);

    windows()->showMainPage(false);
    ASSERT_TRUE(waitForPage(MacWindowsManager::HomePage));
    MainPageViewController *page = windows()->mainPageViewController();
    ASSERT_TRUE(processEventsUntil([page] { return page->todayMeetings().size() == 1; }));
    ASSERT_TRUE(settleRequests());
    QWidget *window = windows()->homeWindow();
    EXPECT_EQ(window->size(), QSize(960, 640));
    MainWindowViewController *home = windows()->mainWindowViewController();
    for (QWidget *w :
         std::initializer_list<QWidget *>{page->meetingIdField(), page->joinButton(), page->quickMeetingButton(),
                                          page->scheduleButton(), page->allMeetingsButton(), home->recordsButton(),
                                          home->settingsButton(), home->signOutButton(), home->userNameLabel()})
        EXPECT_TRUE(w->isVisible()) << w->accessibleName().toStdString();
    EXPECT_EQ(home->userNameLabel()->text(), QStringLiteral("张三"));
    expectControlsSane(window);
    const QImage image = grabAndKeep(window, QStringLiteral("korvi-shell-home.png"));
    EXPECT_GT(colourCount(image), 3);
}

} // namespace
