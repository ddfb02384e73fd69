// One meeting client in a process of its own, for the tests that put two clients in one room:
// signed in as the user its arguments name, it joins the room of the stand-in at KORVI_DEV_PORT
// with the local engine, opens the meeting window and then obeys one command per line on its
// standard input, answering each with one JSON line on its standard output.
//
//   args: <phone> <name> <token> <roomId>
//   out:  {"ready": true} once in the room with its message channel open
//   in:   shareFile <fileId> <fileName> <fileType> <duration>   -> {"ok": bool}
//         click                                                  -> {"ok": true} (the play button)
//         seek <0..1>                                            -> {"ok": true} (dragged there)
//         shareScreen   -> {"ok": bool, "toast"} (share pressed; once the picker is up, the first
//                          screen chosen and started; without a picker: the toast it left)
//         shareWindow   -> as shareScreen, with the desktop's one window ("时钟") chosen
//         closeWindow   -> {"ok": true} (that window's owner closes it)
//         state   -> {"mode", "button", "position", "playing", "controls", "processStarted",
//                     "ownShare", "ring", "bar", "meetingWindow", "shareBtn", "alert",
//                     "screenTile": the name of the member whose screen is on show, "picker",
//                     "files": [{"fileId", "name", "state"}], "uploadButton", "allowUpload", "pages", "page",
//                     "flips"}
//         shot <path>                                            -> {"ok": bool} (the window as a PNG)
//         picker                         -> {"ok": true} (the share button; the picker opens on its file tab)
//         closePicker                                            -> {"ok": bool} (its close button)
//         upload <path>                  -> {"ok": bool} (the upload button, the chooser giving path)
//         rights <fileId> <name>         -> {"ok": bool} (the file's rights: the members named name)
//         uploadPermission <1|2>         -> {"ok": bool} (the upload-permission pop-over's choice)
//         share <fileId>                                         -> {"ok": bool} (a click on its row)
//         flip                                                   -> {"ok": true} (the next page)
//         quit

#include "TestEnvironment.h"

#include "agent/AgentEnvironment.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "agent/engine/FakeDesktopCapture.h"
#include "connection/HttpManager.h"
#include "connection/IMEngine.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/sharing/AvFileShare.h"
#include "meeting/sharing/FileShareDocument.h"
#include "meeting/sharing/FileSharePageView.h"
#include "meeting/sharing/FileSharePermissionSettingView.h"
#include "meeting/sharing/FileUploadPermissionPanelView.h"
#include "meeting/sharing/MeetingSharing.h"
#include "meeting/sharing/ScreenShareControl.h"
#include "meeting/sharing/ShareSelectCells.h"
#include "meeting/sharing/ShareSelectPanel.h"
#include "meeting/sharing/ShareTrack.h"
#include "meeting/window/MeetingViewController.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "scheduling/KVMemberSelectView.h"
#include "uikit/KVAlert.h"
#include "uikit/KVPageNavigator.h"
#include "uikit/MacBaseWindowController.h"
#include "uikit/MacSliderCell.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

void answer(const QJsonObject &line)
{
    std::fputs(QJsonDocument(line).toJson(QJsonDocument::Compact).constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

class Navigator final : public KVPageNavigator {
public:
    [[nodiscard]] qint64 currentPageType() const override { return 2; }
    void showLoginPage() override { QApplication::quit(); }
    void showMainPage(bool) override { QApplication::quit(); }
    void showMeetingPage(bool) override {}
    void enterMeetingRoomFromWaitingRoom() override {}
};

class Client final : public QObject {
public:
    static constexpr qint64 kWindowId = 4242;

    // The desktop: the screen and one window of another program, which its owner may close.
    Client(const QString &roomId) : m_roomId(roomId)
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        m_desktop->setScreens({{0, KRTCScreenOption::TypeScreen, QStringLiteral("桌面 1"), 0, {}, {}}});
        m_desktop->setScreenBounds(0, screen);
        m_desktop->setWindows({{kWindowId, KRTCScreenOption::TypeWindow, QStringLiteral("时钟"), 4343, {}, {}}});
        m_desktop->setWindowBounds(kWindowId, QRect(screen.topLeft() + QPoint(100, 100), QSize(200, 200)));
        DesktopCaptureSource::setCurrent(m_desktop);
    }
    ~Client() override { DesktopCaptureSource::setCurrent(nullptr); }

    void start()
    {
        VeskAppAgent::sharedInstance()->joinMeetingRoomWithRoomId(this, m_roomId, QString(), 1,
                                                                  [this](const KVMResponse &r) {
                                                                      if (!r.successed) {
                                                                          answer({{"ready", false}});
                                                                          QApplication::exit(3);
                                                                          return;
                                                                      }
                                                                      joined(r);
                                                                  });
    }

    void command(const QString &line)
    {
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString verb = words.value(0);
        if (verb == QLatin1String("quit")) {
            // Not quit(): that asks the windows first, and the meeting window does not close unasked.
            QApplication::exit(0);
        } else if (verb == QLatin1String("state")) {
            answer(state());
        } else if (verb == QLatin1String("click") && m_page) {
            m_page->ui->avFileSharePlayButton->click();
            answer({{"ok", true}});
        } else if (verb == QLatin1String("seek") && m_page) {
            MacSliderCell *slider = m_page->ui->avFileShareSlider;
            slider->setSliderDown(true);
            slider->setSliderPosition(int(words.value(1).toDouble() * slider->maximum()));
            slider->setSliderDown(false);
            answer({{"ok", true}});
        } else if (verb == QLatin1String("shot") && m_page && words.size() == 2) {
            answer({{"ok", m_page->view()->window()->grab().save(words[1])}});
        } else if (verb == QLatin1String("shareScreen") && m_page) {
            shareScreen(false);
        } else if (verb == QLatin1String("shareWindow") && m_page) {
            shareScreen(true);
        } else if (verb == QLatin1String("closeWindow")) {
            m_desktop->closeWindow(kWindowId);
            answer({{"ok", true}});
        } else if (verb == QLatin1String("shareFile") && m_page && words.size() == 5) {
            shareFile(words[1], words[2], words[3], words[4].toLongLong());
        } else if (verb == QLatin1String("picker") && m_page) {
            m_page->ui->shareBtn->click();
            answer({{"ok", true}});
        } else if (verb == QLatin1String("flip") && m_page) {
            m_page->ui->rightFlipOverButton->click();
            answer({{"ok", true}});
        } else if (ShareSelectPanel *panel = picker(); panel && command(panel, words)) {
            // answered by the picker's command
        } else {
            answer({{"ok", false}});
        }
    }

private:
    [[nodiscard]] ShareSelectPanel *picker() const
    {
        ScreenShareControl *control = m_page ? m_page->sharing().shareControl() : nullptr;
        ShareSelectPanel *panel = control ? control->currentShareSelectPanel() : nullptr;
        return panel && !panel->isHidden() ? panel : nullptr;
    }
    [[nodiscard]] static std::optional<ShareFileList::RowKey> rowOf(ShareSelectPanel *panel, const QString &fileId)
    {
        for (const FileShareModel &row : panel->showArray())
            if (row.fileId == fileId)
                return ShareFileList::keyOf(row);
        return std::nullopt;
    }

    // The picker's commands, as a user does them; false when the verb is not one of them.
    bool command(ShareSelectPanel *panel, const QStringList &words)
    {
        const QString verb = words.value(0);
        if (verb == QLatin1String("closePicker")) {
            panel->closeButton->click();
        } else if (verb == QLatin1String("upload") && words.size() == 2) {
            const QUrl url = QUrl::fromLocalFile(words[1]);
            panel->fileChooser = [url](QWidget *, const QStringList &, std::function<void(const QList<QUrl> &)> done) {
                done({url});
            };
            panel->fileUploadButton->click();
        } else if (verb == QLatin1String("share") && words.size() == 2) {
            const auto row = rowOf(panel, words[1]);
            if (!row)
                return false;
            panel->selectFile(*row);
        } else if (verb == QLatin1String("uploadPermission") && words.size() == 2) {
            panel->allowUploadFilePermissionBtn->click();
            FileUploadPermissionPanelView *choice = panel->fileUploadPermissionPanelView();
            (words[1] == QLatin1String("1") ? choice->hostPermissionButton : choice->allPermissionButton)->click();
        } else if (verb == QLatin1String("rights") && words.size() == 3) {
            const auto row = rowOf(panel, words[1]);
            if (!row)
                return false;
            panel->fileSharePermission(*row);
            setRights(panel->fileSharePermissionSettingView(), words[2]);
            return true; // answered when the pop-over closes
        } else {
            return false;
        }
        answer({{"ok", true}});
        return true;
    }

    // Once the pop-over has loaded the file's rights: the second choice (the hosts come in), the
    // member searched by name and ticked in the drop-down, then confirm; answered when it closes.
    // Nothing else asks the service meanwhile: no file is converting.
    void setRights(FileSharePermissionSettingView *view, const QString &name)
    {
        auto *step = new QTimer(this);
        auto stage = std::make_shared<int>(0);
        auto ticks = std::make_shared<int>(0);
        QPointer<FileSharePermissionSettingView> weak(view);
        connect(step, &QTimer::timeout, this, [=] {
            const auto finish = [&](bool ok) {
                step->stop();
                step->deleteLater();
                answer({{"ok", ok}, {"stage", *stage}});
            };
            if (!weak || ++*ticks > 400)
                return finish(false);
            // The file's rights have come in once no request is under way.
            if (*stage == 0 && VeskAppAgent::sharedInstance()->http()->pendingRequestCount() == 0) {
                weak->permissionBtn2->click();
                *stage = 1;
            } else if (*stage == 1 && !weak->allowMembers().isEmpty()) {
                weak->searchMember(name);
                *stage = 2;
            } else if (*stage == 2 && weak->memberSelectView && !weak->memberSelectView->members().isEmpty()) {
                weak->memberSelectView->toggleRow(0);
                weak->confirmBtn->click();
                *stage = 3;
            } else if (*stage == 3 && weak->isHidden()) {
                finish(true);
            }
        });
        step->start(50);
    }

    void joined(const KVMResponse &reply)
    {
        VeskAppAgent::sharedInstance()->meetingManager()->joinRoomWith(
            reply.data.value<std::shared_ptr<MeetingInfoModel>>());
        m_window = std::make_unique<MacBaseWindowController>(new QWidget());
        m_page = new MeetingViewController(false);
        m_window->setWindowContentViewController(m_page, QRect(0, 0, 1280, 800));
        m_page->resetWindowDelegate();
        m_window->showWindow();
        auto *wait = new QTimer(this);
        connect(wait, &QTimer::timeout, this, [this, wait] {
            // The stand-in tells only open channels: a share started before ours opened never reaches us.
            const IMEngine *channel = VeskAppAgent::sharedInstance()->meetingManager()->imEngine();
            if (m_page && m_page->stateMeeting() == 2 && channel && channel->isConnected()) {
                wait->deleteLater();
                answer({{"ready", true}});
            }
        });
        wait->start(50);
    }

    // What the share picker does once the user chose a file: the service first, then the window.
    void shareFile(const QString &fileId, const QString &fileName, const QString &fileType, qint64 duration)
    {
        FileShareModel file;
        file.fileId = fileId;
        file.fileName = fileName;
        file.fileType = fileType;
        file.duration = duration;
        file.userId = VeskAppAgent::sharedInstance()->myInfo().phoneNumber;
        file.enableOperationFileStatus = 1;
        // As from the share button: the lock first, then the share at the service, then the window.
        VeskAppAgent *agent = VeskAppAgent::sharedInstance();
        const VeskUserModel me = agent->myInfo();
        const QString roomId = agent->currentRoomInfo() ? agent->currentRoomInfo()->roomId : QString();
        agent->getShareTokenWithRoomId(
            this, roomId, me.phoneNumber, me.userName, [this, file](const KVMResponse &lock) {
                if (!lock.successed) {
                    answer({{"ok", false}});
                    return;
                }
                VeskAppAgent::sharedInstance()->startOrStopAVFileShare(
                    this, 1, file.userId, file.fileId, file.fileType.toLongLong(), file.fileName, file.duration,
                    QStringLiteral("1"), {}, [this, file](const KVMResponse &r) {
                        if (r.successed && m_page)
                            m_page->sharing().avFileShare().startOwn(file);
                        answer({{"ok", r.successed}});
                    });
            });
    }

    // The share button as the user presses it; once the lock is answered, the picker's first
    // screen (or window) is chosen and started (the count-down runs on), or the toast of the refusal told.
    void shareScreen(bool window)
    {
        m_page->ui->shareBtn->click();
        QPointer<MeetingViewController> page(m_page);
        auto *wait = new QTimer(this);
        connect(wait, &QTimer::timeout, this, [page, wait, window] {
            ScreenShareControl *control = page ? page->sharing().shareControl() : nullptr;
            if (!control) {
                wait->deleteLater();
                answer({{"ok", false}});
                return;
            }
            if (ShareSelectPanel *picker = control->currentShareSelectPanel()) {
                wait->deleteLater();
                const auto items = window ? picker->windowItems() : picker->screenItems();
                const bool any = !items.isEmpty();
                if (any) {
                    items.constFirst()->click();
                    picker->startShareButton->click();
                }
                answer({{"ok", any}});
                return;
            }
            if (control->isPrepareScreenShare())
                return;
            wait->deleteLater();
            QWidget *toast = VeskToast::currentToast();
            answer({{"ok", false}, {"toast", toast ? VeskToast::textOf(toast) : QString()}});
        });
        wait->start(20);
    }

    [[nodiscard]] static QString alertText()
    {
        QStringList texts;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *alert = qobject_cast<KVAlert *>(w); alert && alert->isVisible()) {
                for (QLabel *label : alert->findChildren<QLabel *>())
                    texts << label->text();
            }
        }
        return texts.join(QLatin1Char('|'));
    }

    [[nodiscard]] QJsonObject state() const
    {
        if (!m_page)
            return {{"mode", -1}};
        const MeetingSharing &sharing = m_page->sharing();
        ShareSelectPanel *panel = picker();
        QJsonArray files;
        for (const FileShareModel &row : panel ? panel->showArray() : QList<FileShareModel>())
            files.append(QJsonObject{{"fileId", row.fileId}, {"name", row.fileName}, {"state", int(row.state)}});
        const FileSharePageView *pages = sharing.document().pageView();
        const auto room = VeskAppAgent::sharedInstance()->meetingManager()->roomInfo();
        const auto screenTile = m_page->screenShareSourceModel();
        return {{"ownShare", VeskAppAgent::sharedInstance()->meetingManager()->selfScreenOrWindowSharing()},
                {"ring", ShareTrack::current() != nullptr},
                {"bar", sharing.state().screenShareTopWindowController != nullptr},
                {"meetingWindow", m_page->view()->window()->isVisible()},
                {"shareBtn", int(m_page->ui->shareBtn->state())},
                {"screenTile", screenTile ? screenTile->userName() : QString()},
                {"alert", alertText()},
                {"mode", sharing.state().fileShareMode},
                {"button", int(m_page->ui->avFileSharePlayButton->state())},
                {"position", sharing.avFileSharePlayTimerCount()},
                {"playing", sharing.state().avFileSharePlaying},
                {"controls", !m_page->ui->avFileShareSliderBKView->isHidden()},
                {"processStarted",
                 sharing.state().avFileShareModel && sharing.state().avFileShareModel->processStartEnable},
                {"picker", panel != nullptr},
                {"files", files},
                {"uploadButton", panel && !panel->fileUploadButton->isHidden()},
                {"allowUpload", room ? room->allowFileUpload : -1},
                {"pages", pages ? pages->pageCount() : 0},
                {"page", m_page->ui->currentPage->text()},
                {"flips", !m_page->ui->leftFlipOverButton->isHidden() || !m_page->ui->rightFlipOverButton->isHidden()}};
    }

    QString m_roomId;
    std::shared_ptr<FakeDesktopCapture> m_desktop = std::make_shared<FakeDesktopCapture>();
    std::unique_ptr<MacBaseWindowController> m_window;
    QPointer<MeetingViewController> m_page;
};

} // namespace

int main(int argc, char **argv)
{
    const auto home = prepareTestProcess("offscreen");
    if (!home || argc != 5)
        return 2;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvi"));
    Navigator navigator;
    KVPageNavigator::install(&navigator);

    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    agent->setServerEnvironment(AgentEnvironment::Development);
    agent->setMeetingManager(VeskMeetingManager::initManagerAndSdk());
    VeskUserModel me;
    me.userId = QString::fromLocal8Bit(argv[1]);
    me.phoneNumber = QString::fromLocal8Bit(argv[1]);
    me.userName = QString::fromLocal8Bit(argv[2]);
    me.authorization = QString::fromLocal8Bit(argv[3]);
    agent->setMyInfo(me);

    Client client(QString::fromLocal8Bit(argv[4]));
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &client, [&] {
        char buffer[512];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            QApplication::exit(0); // the test went away
            return;
        }
        pending.append(buffer, n);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QString line = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            client.command(line);
        }
    });
    client.start();
    const int code = QApplication::exec();
    KVPageNavigator::install(nullptr);
    VeskAppAgent::resetSharedInstance();
    return code;
}
