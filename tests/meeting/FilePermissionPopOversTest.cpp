// Who may upload and who may operate a file: the two pop-overs of the share picker, in a
// meeting (dark, the service decides) and in the scheduled meeting's file window (light).

#include "ShareFileTestSupport.h"
#include "ShareTestSupport.h"
#include "TestEvents.h"

#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "meeting/sharing/FileSharePermissionSettingView.h"
#include "meeting/sharing/FileUploadPermissionPanelView.h"
#include "scheduling/KVMeetingMemberCell.h"
#include "scheduling/KVMemberEnterCollectionView.h"
#include "scheduling/KVMemberSelectCollectionItem.h"
#include "scheduling/KVMemberSelectView.h"
#include "uikit/KVTextField.h"
#include "uikit/VeskButton.h"

#include <QLabel>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QVariantMap user(const QString &id, const QString &name)
{
    return {{QStringLiteral("userId"), id}, {QStringLiteral("userName"), name}};
}

QStringList ids(const QList<VeskUserModel> &members)
{
    QStringList out;
    for (const VeskUserModel &m : members)
        out << m.userId + (m.isAssistantHostOrHost ? QStringLiteral("*") : QString());
    return out;
}

class UploadPermissionPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.resize(400, 300);
        panel = new FileUploadPermissionPanelView(&host, fake);
        panel->roomId = QStringLiteral("room-9");
        panel->fileUploadPermissionBlock = [this](const QString &title, int type) { reported << title << type; };
        host.show();
    }
    std::shared_ptr<FakeFileServices> fake = std::make_shared<FakeFileServices>();
    QWidget host;
    FileUploadPermissionPanelView *panel = nullptr;
    QVariantList reported;
};

TEST_F(UploadPermissionPanelTest, RoomOneAndPanelTwoShowsEveryone_TheChoiceAlreadyOnSendsNothing)
{
    panel->setDarkMode(true);
    fake->uploadType = 1;
    panel->uploadPermissionType = 2;
    panel->show();
    EXPECT_EQ(panel->allPermissionButton->state(), 1);
    EXPECT_EQ(panel->hostPermissionButton->state(), 0);
    panel->allPermissionButton->click();
    EXPECT_EQ(fake->count(QStringLiteral("uploadPermission")), 0);
    EXPECT_EQ(panel->allPermissionButton->state(), 1);
}

TEST_F(UploadPermissionPanelTest, SuccessReportsTheBareTitle_MeetingStoresInTheRoom_FailureRevertsSilently)
{
    panel->setDarkMode(true);
    fake->uploadType = 2;
    panel->show();
    panel->hostPermissionButton->click();
    EXPECT_EQ(fake->last(QStringLiteral("uploadPermission")).value(QStringLiteral("type")).toInt(), 1);
    EXPECT_EQ(fake->last(QStringLiteral("uploadPermission")).value(QStringLiteral("roomId")).toString(),
              QStringLiteral("room-9"));
    fake->answer(QStringLiteral("uploadPermission"), FakeFileServices::code(0));
    EXPECT_EQ(reported, QVariantList({QStringLiteral("仅主持人可上传"), 1}));
    EXPECT_EQ(fake->uploadType, 1);
    EXPECT_EQ(panel->uploadPermissionType, 0); // the room's, not the panel's
    EXPECT_EQ(panel->hostPermissionButton->state(), 1);
    EXPECT_EQ(panel->allPermissionButton->state(), 0);

    panel->allPermissionButton->click();
    fake->answer(QStringLiteral("uploadPermission"), FakeFileServices::code(500, {}, QStringLiteral("不行")));
    EXPECT_EQ(panel->allPermissionButton->state(), 0);
    EXPECT_EQ(panel->hostPermissionButton->state(), 1);
    EXPECT_EQ(fake->uploadType, 1);
    EXPECT_EQ(reported.size(), 2);
    EXPECT_TRUE(shareTipText(&host).isEmpty());
}

TEST_F(UploadPermissionPanelTest, FormModeStoresItsOwnValue_HiddenPanelIgnoresRoomChangesUntilShown)
{
    panel->uploadPermissionType = 1;
    panel->show();
    panel->allPermissionButton->click();
    fake->answer(QStringLiteral("uploadPermission"), FakeFileServices::code(0));
    EXPECT_EQ(panel->uploadPermissionType, 2);
    EXPECT_EQ(fake->uploadType, 0);
    EXPECT_EQ(reported.value(0).toString(), QStringLiteral("全体参会成员可上传"));

    panel->setDarkMode(true);
    panel->uploadPermissionType = 0;
    panel->close();
    fake->uploadType = 1;
    NotificationCenter::defaultCenter().post(QStringLiteral("RoomUploadPermissionTypeChange"));
    EXPECT_EQ(panel->allPermissionButton->state(), 1);
    panel->show();
    EXPECT_EQ(panel->hostPermissionButton->state(), 1);
    EXPECT_EQ(panel->allPermissionButton->state(), 0);
    fake->uploadType = 2;
    NotificationCenter::defaultCenter().post(QStringLiteral("RoomUploadPermissionTypeChange"));
    EXPECT_EQ(panel->allPermissionButton->state(), 1);
}

class FileRightsPopOverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.resize(600, 400);
        view = new FileSharePermissionSettingView(&host, fake);
        view->updateSelectMembersBlock = [this](const FileShareModel &m, int status, const QList<VeskUserModel> &l) {
            confirmed.append({m.fileId, status, QVariant(ids(l))});
        };
        file.fileId = QStringLiteral("f1");
        file.roomId = QStringLiteral("room-1");
        file.userId = uploader;
        file.userName = QStringLiteral("上传者");
        file.fileType = QStringLiteral("1");
        host.show();
    }
    void openInMeeting(const QVariantList &rights)
    {
        view->setDarkMode(true);
        view->setModel(file);
        view->show();
        fake->answer(QStringLiteral("rights"), FakeFileServices::code(0, rights));
    }
    std::shared_ptr<FakeFileServices> fake = std::make_shared<FakeFileServices>();
    QWidget host;
    FileSharePermissionSettingView *view = nullptr;
    FileShareModel file;
    const QString uploader = RXEncrypt::aes128ecbEncrypt(QStringLiteral("13800000001"));
    QVariantList confirmed;
};

TEST_F(FileRightsPopOverTest, MeetingMode_NoEntryOpensFirst_ListedEntryAddsHostsAndUploaderOnce)
{
    openInMeeting({QVariantMap{{QStringLiteral("fileId"), QStringLiteral("other")},
                               {QStringLiteral("enableOperationFileStatus"), 2}}});
    EXPECT_TRUE(view->permissionBtn1->isChecked());
    EXPECT_EQ(fake->count(QStringLiteral("hosts")), 0);

    const QString hostId = RXEncrypt::aes128ecbEncrypt(QStringLiteral("13800000009"));
    const QString b = RXEncrypt::aes128ecbEncrypt(QStringLiteral("13800000002"));
    openInMeeting({QVariantMap{
        {QStringLiteral("fileId"), QStringLiteral("f1")},
        {QStringLiteral("enableOperationFileStatus"), 2},
        {QStringLiteral("enableUserList"),
         QVariantList{user(b, QStringLiteral("乙")), user(QString(), QStringLiteral("无名")), user(hostId, "主")}}}});
    EXPECT_TRUE(view->permissionBtn2->isChecked());
    ASSERT_EQ(fake->last(QStringLiteral("hosts")).value(QStringLiteral("isAssistant")).toInt(), 1);
    // The service lists plain ids; the list holds them encrypted, flagged, never twice.
    fake->answer(QStringLiteral("hosts"),
                 FakeFileServices::code(0, QVariantList{user("13800000009", "主"), user("13800000003", "助")}));
    const QString assistant = RXEncrypt::aes128ecbEncrypt(QStringLiteral("13800000003"));
    EXPECT_EQ(ids(view->allowMembers()), QStringList({uploader, assistant + "*", b, hostId + "*"}));
}

TEST_F(FileRightsPopOverTest, MeetingMode_FailedHostQueryStillAddsTheUploader_CreatorAndAssistantsStay)
{
    fake->creatorId = RXEncrypt::aes128ecbEncrypt(QStringLiteral("13800000009"));
    fake->assistants = {QStringLiteral("13800000003")};
    openInMeeting({});
    view->permissionBtn2->click();
    fake->answer(QStringLiteral("hosts"), FakeFileServices::code(500));
    EXPECT_EQ(ids(view->allowMembers()), QStringList{uploader});

    VeskUserModel creator, helper;
    creator.userId = fake->creatorId;
    helper.userId = RXEncrypt::aes128ecbEncrypt(QStringLiteral("13800000003"));
    EXPECT_FALSE(view->canRemove(creator));
    EXPECT_FALSE(view->canRemove(helper));
    EXPECT_FALSE(view->collectionView->chips().isEmpty());
    view->removeMember(0); // the uploader may go
    EXPECT_TRUE(view->allowMembers().isEmpty());
}

TEST_F(FileRightsPopOverTest, Confirm_EmptyListWarns_FirstChoiceSendsNoList_FailureKeepsItOpen)
{
    openInMeeting({});
    view->permissionBtn2->click();
    view->removeMember(0);
    fake->answer(QStringLiteral("hosts"), FakeFileServices::code(0, QVariantList{}));
    view->removeMember(0);
    ASSERT_TRUE(view->allowMembers().isEmpty());
    view->confirmBtn->click();
    EXPECT_EQ(shareTipText(&host), QStringLiteral("授权成员不能为空"));
    EXPECT_EQ(fake->count(QStringLiteral("setRights")), 0);

    view->permissionBtn1->click();
    view->confirmBtn->click();
    const QVariantMap sent = fake->last(QStringLiteral("setRights"));
    EXPECT_EQ(sent.value(QStringLiteral("status")).toInt(), 1);
    EXPECT_TRUE(sent.value(QStringLiteral("users")).toList().isEmpty());
    fake->answer(QStringLiteral("setRights"), FakeFileServices::code(500));
    EXPECT_EQ(shareTipText(&host), QStringLiteral("授权失败"));
    EXPECT_TRUE(view->isVisible());
    EXPECT_TRUE(confirmed.isEmpty());

    view->confirmBtn->click();
    fake->answer(QStringLiteral("setRights"), FakeFileServices::code(0));
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(view->model().enableOperationFileStatus, 1);
    EXPECT_EQ(confirmed.value(1).toInt(), 1);
}

TEST_F(FileRightsPopOverTest, FormMode_ReopeningShowsTheSavedChoiceWithTheUploaderFlaggedFirst)
{
    MeetingFileAllowOpUserList saved;
    saved.fileId = QStringLiteral("f1");
    saved.enableOperationFileStatus = 2;
    VeskUserModel b;
    b.userId = QStringLiteral("enc-b");
    b.userName = QStringLiteral("乙");
    saved.enableUserList = {b};
    view->uploadFileAllowOpUserList.insert(saved.fileId, saved);
    view->setModel(file);
    EXPECT_TRUE(view->permissionBtn2->isChecked());
    EXPECT_EQ(ids(view->allowMembers()), QStringList({uploader + "*", QStringLiteral("enc-b")}));
    EXPECT_EQ(fake->count(QStringLiteral("rights")) + fake->count(QStringLiteral("hosts")), 0);
    view->show();
    processEventsFor(3);
    ASSERT_EQ(view->collectionView->chips().size(), 2);
    KVMeetingMemberCell *first = view->collectionView->chips().first();
    EXPECT_TRUE(first->isVisible());
    EXPECT_LT(first->geometry().right(), view->collectionView->createCell()->geometry().left());
    view->confirmBtn->click();
    EXPECT_EQ(confirmed, QVariantList({QStringLiteral("f1"), 2, QStringList({uploader + "*", "enc-b"})}));
    EXPECT_EQ(fake->count(QStringLiteral("setRights")), 0);

    saved.enableOperationFileStatus = 1;
    view->uploadFileAllowOpUserList.insert(saved.fileId, saved);
    view->setModel(file);
    EXPECT_TRUE(view->permissionBtn1->isChecked());
    EXPECT_TRUE(view->allowMembers().isEmpty());
    // Chosen while shown: the uploader's chip comes before the entry.
    view->show();
    view->permissionBtn2->click();
    processEventsFor(3);
    ASSERT_EQ(view->collectionView->chips().size(), 1);
    EXPECT_LT(view->collectionView->chips().first()->geometry().right(),
              view->collectionView->createCell()->geometry().left());
}

TEST_F(FileRightsPopOverTest, Search_SameTextOnce_EmptyHidesWithoutRequest_AnOlderAnswerIsDropped)
{
    openInMeeting({});
    KVTextField *entry = view->collectionView->inputTextField();
    entry->ensurePolished();
    EXPECT_EQ(entry->palette().color(QPalette::Text), QColor(Qt::white)); // on the dark pop-over
    entry->setText(QStringLiteral("张"));
    view->searchMember(QStringLiteral("张"));
    EXPECT_EQ(fake->count(QStringLiteral("search")), 1);
    entry->setText(QStringLiteral("张三"));
    // The answer to "张" arrives after "张三" was typed: it must not show.
    fake->answer(QStringLiteral("search"), FakeFileServices::code(0, QVariantList{user("enc-z", "张四")}));
    EXPECT_FALSE(view->memberSelectView);
    fake->answer(QStringLiteral("search"), FakeFileServices::code(0, QVariantList{user("enc-s", "<b>张三</b>")}));
    ASSERT_TRUE(view->memberSelectView);
    EXPECT_TRUE(view->memberSelectView->isVisible());
    EXPECT_EQ(view->memberSelectView->members().value(0).userName, QStringLiteral("<b>张三</b>"));
    // A name is drawn in its row's colour, not in the text colour of the window it opens in.
    const QLabel *name = view->memberSelectView->rows().value(0)->findChild<QLabel *>();
    EXPECT_EQ(name->palette().color(name->foregroundRole()), QColor(0x66, 0x66, 0x66));
    view->memberSelectView->toggleRow(0); // picking a result puts it on the list
    EXPECT_EQ(ids(view->allowMembers()), QStringList{"enc-s"});
    // Tab meets its chip's remove button, then the search field.
    ASSERT_FALSE(view->collectionView->chips().isEmpty());
    QWidget *next = view->collectionView->chips().last()->deleteButton()->nextInFocusChain();
    while (next->focusPolicy() == Qt::NoFocus)
        next = next->nextInFocusChain();
    EXPECT_EQ(next, entry);

    entry->clear();
    EXPECT_EQ(fake->count(QStringLiteral("search")), 2);
    EXPECT_FALSE(view->memberSelectView->isVisible());
    entry->setText(QStringLiteral("李"));
    fake->answer(QStringLiteral("search"), FakeFileServices::code(0, QVariantList{user("enc-l", "李")}));
    view->boundsDidChangeNotification(); // scrolling the chips closes the drop-down
    EXPECT_FALSE(view->memberSelectView);

    // By keyboard: Down goes to the name found; Escape closes the list and comes back.
    entry->setText(QStringLiteral("王"));
    fake->answer(
        QStringLiteral("search"),
        FakeFileServices::code(0, QVariantList{user("enc-w", "王"), user("enc-w2", "王二"), user("enc-w3", "王三")}));
    ASSERT_TRUE(view->memberSelectView);
    // Three rows, past the pop-over's bottom edge and not cut by it.
    EXPECT_GT(view->memberSelectView->geometry().bottom(), view->geometry().bottom());
    EXPECT_EQ(view->memberSelectView->visibleRegion().boundingRect().size(), view->memberSelectView->size());
    QTest::keyClick(entry, Qt::Key_Down);
    ASSERT_EQ(host.focusWidget(), view->memberSelectView->rows().value(0));
    QTest::keyClick(host.focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(view->memberSelectView);
    EXPECT_EQ(host.focusWidget(), entry);
}

} // namespace
