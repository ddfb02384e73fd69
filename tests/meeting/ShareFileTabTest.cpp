// The share picker's file tab and uploads against a file service that answers when told: the
// list and its poll, the start and switch chains, the row actions and the upload road.

#include "ShareFileTestSupport.h"
#include "ShareTestSupport.h"
#include "TestEvents.h"

#include "connection/KVFileSnapshot.h"
#include "foundation/AppPaths.h"
#include "foundation/JXExtension.h"
#include "foundation/KVClock.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "foundation/models/MeetingDataModel.h"
#include "meeting/panels/MemberListIcons.h"
#include "meeting/sharing/FileShareCollectionViewItem.h"
#include "meeting/sharing/FileSharePermissionSettingView.h"
#include "meeting/sharing/FileUploadPermissionPanelView.h"
#include "meeting/sharing/ShareFileList.h"
#include "meeting/sharing/ShareSelectPanel.h"
#include "meeting/sharing/ShareSelectView.h"
#include "uikit/KVDataText.h"
#include "uikit/KVRowListView.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskLayer.h"

#include <QAccessible>
#include <QCryptographicHash>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <thread>

#include <sys/stat.h>

namespace {

QVariantMap row(const QString &id, int status, const QString &name = {}, const QString &type = QStringLiteral("1"))
{
    return {{QStringLiteral("fileId"), id},
            {QStringLiteral("fileName"), name.isEmpty() ? id + QStringLiteral(".pdf") : name},
            {QStringLiteral("fileType"), type},
            {QStringLiteral("userId"), QStringLiteral("u-enc")},
            {QStringLiteral("duration"), 30},
            {QStringLiteral("status"), status}};
}

QVariantMap listData(const QVariantList &files, bool withTypes = true)
{
    QVariantMap data{{QStringLiteral("files"), files}};
    if (withTypes)
        data.insert(QStringLiteral("fileTypes"),
                    QVariantList{QVariantMap{{"classify", "document"}, {"type", "PDF,docx"}},
                                 QVariantMap{{"classify", "video"}, {"type", "mp4"}},
                                 QVariantMap{{"classify", "audio"}, {"type", "mp3,wav"}}});
    return data;
}

// The rows the list has widgets for now: those in view, top first.
QList<FileShareCollectionViewItem *> gridRows(const ShareSelectPanel &panel)
{
    QList<FileShareCollectionViewItem *> rows;
    for (auto *item : panel.fileRowsView()->findChildren<FileShareCollectionViewItem *>(Qt::FindDirectChildrenOnly))
        if (!item->isHidden())
            rows << item;
    std::sort(rows.begin(), rows.end(), [](const QWidget *a, const QWidget *b) { return a->y() < b->y(); });
    return rows;
}

// The widget of row i of the list, scrolled into view as a user would.
FileShareCollectionViewItem *gridRowAt(const ShareSelectPanel &panel, int i)
{
    panel.fileList()->scrollToRow(i);
    return static_cast<FileShareCollectionViewItem *>(panel.fileList()->rowWidget(i));
}

int gridRowCount(const ShareSelectPanel &panel)
{
    return panel.fileList()->model()->rowCount();
}

// The row that shows a file (its id, or a pending row's name).
ShareFileList::RowKey rowOf(const ShareSelectPanel &panel, const QString &file)
{
    for (const FileShareModel &m : panel.showArray())
        if (m.fileId == file || (m.fileId.isEmpty() && m.fileName == file))
            return ShareFileList::keyOf(m);
    return {false, 0, QStringLiteral("no such row")};
}

QStringList shown(const ShareSelectPanel &panel)
{
    QStringList out;
    for (const FileShareModel &m : panel.showArray())
        out << (m.fileId.isEmpty() ? m.fileName : m.fileId) + QStringLiteral(":%1").arg(m.state);
    return out;
}

TEST(ShareFileListTest, TypesMatchByPartOfTheListNeverByAnEmptyPart_ChooserFallsBackToPdf)
{
    ShareFileList::State s;
    ShareFileList::apply(s, listData({}));
    EXPECT_EQ(s.allowFileType, QStringLiteral("pdf,docx"));
    using K = ShareFileList::Kind;
    EXPECT_EQ(ShareFileList::kindOf(QString(), QStringLiteral("a.doc"), s), K::Document); // part of "docx"
    EXPECT_EQ(ShareFileList::kindOf(QStringLiteral("MP4"), QStringLiteral("x"), s), K::Video);
    EXPECT_EQ(ShareFileList::kindOf(QString(), QStringLiteral("a.wa"), s), K::Audio);
    EXPECT_EQ(ShareFileList::kindOf(QString(), QStringLiteral("README"), s), K::None);
    EXPECT_EQ(ShareFileList::kindOf(QString(), QStringLiteral("trailing."), s), K::None);
    EXPECT_EQ(ShareFileList::kindOf(QStringLiteral("3"), QStringLiteral("a.pdf"), s), K::Document);
    EXPECT_EQ(ShareFileList::rightsTypeOf(QStringLiteral("1"), QStringLiteral("a.mp4"), s), QStringLiteral("2"));
    EXPECT_EQ(ShareFileList::chooserTypes({}), QStringList{QStringLiteral("pdf")});
    EXPECT_EQ(ShareFileList::chooserTypes(s.supportFileTypeArray),
              QStringList({QStringLiteral("PDF"), QStringLiteral("docx"), QStringLiteral("mp4"), QStringLiteral("mp3"),
                           QStringLiteral("wav")}));
    // A reply without "fileTypes" keeps the lists.
    ShareFileList::apply(s, QVariantMap{{QStringLiteral("files"), QVariantList{}}});
    EXPECT_EQ(s.allowVideoType, QStringLiteral("mp4"));
}

TEST(ShareFileListTest, AChangeOfAnyFieldTheServiceSendsRedraws_TheSameListDoesNot)
{
    const QVariantMap base{{QStringLiteral("fileId"), QStringLiteral("a")}, {QStringLiteral("status"), 1}};
    const QMetaObject &meta = FileShareModel::staticMetaObject;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
        const QString key = QString::fromLatin1(meta.property(i).name());
        SCOPED_TRACE(key.toStdString());
        QVariantMap changed = base;
        const int type = meta.property(i).metaType().id();
        if (type == QMetaType::QString)
            changed.insert(key, QStringLiteral("other"));
        else if (type == QMetaType::QVariantList)
            changed.insert(key, QVariantList{QVariantMap{{QStringLiteral("userId"), QStringLiteral("u")}}});
        else
            changed.insert(key, 3);
        ShareFileList::State s;
        EXPECT_TRUE(ShareFileList::apply(s, listData({row("z", 1), base})));
        EXPECT_FALSE(ShareFileList::apply(s, listData({row("z", 1), base})));
        EXPECT_TRUE(ShareFileList::apply(s, listData({row("z", 1), changed})));
        EXPECT_FALSE(ShareFileList::apply(s, listData({row("z", 1), changed})));
        // One row more or less is a change too.
        EXPECT_TRUE(ShareFileList::apply(s, listData({changed})));
    }
}

// A poll keeps the rows at both ends that were sent as before and maps only the rest: whatever
// came, went, moved or changed, the list is the one a picker opened on that reply would hold, and
// the kept ends are rows that stood there before.
TEST(ShareFileListTest, APollKeepsTheRowsSentAsBefore_TheListIsTheReplysWhateverChanged)
{
    QVariantList files;
    for (int i = 0; i < 12; ++i)
        files << row(QStringLiteral("f%1").arg(i), i % 3 == 0 ? 2 : 1);
    ShareFileList::State s;
    const auto poll = [&](const QVariant &sent, const char *when) {
        SCOPED_TRACE(when);
        const QList<FileShareModel> before = s.networkingArray;
        const quint64 edits = s.edits;
        const bool changed = ShareFileList::apply(s, {{QStringLiteral("files"), sent}});
        ShareFileList::State opened;
        ShareFileList::apply(opened, {{QStringLiteral("files"), sent}});
        EXPECT_EQ(s.networkingArray, opened.networkingArray);
        EXPECT_EQ(ShareFileList::anyConverting(s), ShareFileList::anyConverting(opened.networkingArray));
        EXPECT_EQ(s.converting, std::count_if(opened.networkingArray.cbegin(), opened.networkingArray.cend(),
                                              [](const FileShareModel &r) { return r.state == 2; }));
        EXPECT_EQ(s.edits, edits + (changed ? 1 : 0));
        if (changed) {
            EXPECT_LE(s.keptHead + s.keptTail, std::min(before.size(), s.networkingArray.size()));
            EXPECT_EQ(s.networkingArray.mid(0, s.keptHead), before.mid(0, s.keptHead));
            EXPECT_EQ(s.networkingArray.last(s.keptTail), before.last(s.keptTail));
        }
        return changed;
    };
    EXPECT_TRUE(poll(files, "opened"));
    EXPECT_FALSE(poll(files, "the same again"));
    files[5] = row(QStringLiteral("f5"), 5);
    EXPECT_TRUE(poll(files, "one changed, to a state shown as failed"));
    EXPECT_EQ(std::pair(s.keptHead, s.keptTail), std::pair(qsizetype(5), qsizetype(6)));
    files[0] = row(QStringLiteral("f0"), 1);
    EXPECT_TRUE(poll(files, "the first one converted"));
    EXPECT_EQ(std::pair(s.keptHead, s.keptTail), std::pair(qsizetype(0), qsizetype(11)));
    files.prepend(row(QStringLiteral("new"), 2));
    EXPECT_TRUE(poll(files, "one came first"));
    EXPECT_EQ(std::pair(s.keptHead, s.keptTail), std::pair(qsizetype(0), qsizetype(12)));
    files.removeLast();
    EXPECT_TRUE(poll(files, "the last went"));
    EXPECT_EQ(std::pair(s.keptHead, s.keptTail), std::pair(qsizetype(12), qsizetype(0)));
    files.move(2, 8);
    EXPECT_TRUE(poll(files, "one moved"));
    files.insert(4, files.at(4));
    EXPECT_TRUE(poll(files, "a row twice"));
    files.insert(6, 7);
    EXPECT_FALSE(poll(files, "an entry that is no row, skipped"));
    files.removeAt(6);
    files[9] = row(QStringLiteral("f9"), 3);
    EXPECT_TRUE(poll(files, "the next one, sent as rows again"));
    EXPECT_FALSE(poll(QVariant::fromValue(jx_objectArrayWithKeyValuesArray<FileShareModel>(files)), "as models"));
    files[1] = row(QStringLiteral("f1"), 2);
    EXPECT_TRUE(poll(QVariant::fromValue(jx_objectArrayWithKeyValuesArray<FileShareModel>(files)), "models changed"));
    files[2] = row(QStringLiteral("f2"), 2);
    EXPECT_TRUE(poll(files, "rows after models"));
    EXPECT_TRUE(ShareFileList::apply(s, {}));
    EXPECT_TRUE(s.networkingArray.isEmpty());
    EXPECT_FALSE(ShareFileList::anyConverting(s));
    EXPECT_TRUE(poll(files, "a list after none"));
    EXPECT_TRUE(poll(QVariantList(), "an empty list"));
}

class ShareFileTabTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.resize(1000, 700);
        makePanel();
        host.show();
    }
    void makePanel()
    {
        panel = new ShareSelectPanel(&host, fake);
        panel->setDarkMode(true);
        panel->setGeometry(56, 100, 888, 500);
        panel->fileShareStartShareBlock = [this](const FileShareDatailModel &d) {
            log << QStringLiteral("document:%1:%2").arg(d.fileId).arg(d.enableOperationFileStatus);
        };
        panel->avFileShareStartShareBlock = [this](const FileShareModel &m) {
            log << QStringLiteral("av:%1:%2").arg(m.fileId, m.fileType);
        };
        panel->closeSharePanelBlock = [this](bool byButton) { log << QStringLiteral("close:%1").arg(byButton); };
        panel->fileChooser = [this](QWidget *, const QStringList &types,
                                    std::function<void(const QList<QUrl> &)> done) {
            chooserTypes = types;
            buttonWhileOpen = panel->fileUploadButton->isEnabled();
            done(choice);
        };
    }
    void TearDown() override
    {
        ShareSelectPanel::waitForUploadWorkers();
        delete panel;
    }
    void list(const QVariantList &files, bool withTypes = true)
    {
        ASSERT_TRUE(fake->answer(QStringLiteral("list"), FakeFileServices::code(0, listData(files, withTypes))));
    }
    QUrl file(const QString &name, const QByteArray &content = "content")
    {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return QUrl::fromLocalFile(f.fileName());
    }
    // Chooses files and waits for their rows (digests are taken on a worker).
    void upload(const QList<QUrl> &urls)
    {
        const int before = fake->count(QStringLiteral("prepare"));
        choice = urls;
        panel->fileUploadAction();
        ASSERT_TRUE(processEventsUntil([&] { return fake->count(QStringLiteral("prepare")) > before; }));
    }
    // The service refuses the pending row at index, as it answers a file it will not take.
    void refusePending(int index, const QString &fileName)
    {
        fake->answer(QStringLiteral("prepare"),
                     FakeFileServices::code(
                         0, QVariantList{QVariantMap{{"identity", panel->uploadFailedArray().value(index).identity},
                                                     {"status", -1},
                                                     {"fileName", fileName},
                                                     {"remarks", "太大"}}}));
    }
    QVariantMap preItem(int index, int status, const QString &fileId = {}, const QString &remarks = {})
    {
        const QStringList identities = fake->last(QStringLiteral("prepare")).value("identities").toStringList();
        return {{QStringLiteral("identity"), identities.value(index)},
                {QStringLiteral("fileId"), fileId},
                {QStringLiteral("fileName"), QStringLiteral("a.pdf")},
                {QStringLiteral("status"), status},
                {QStringLiteral("remarks"), remarks}};
    }

    VirtualClockScope clock;
    std::shared_ptr<FakeFileServices> fake = std::make_shared<FakeFileServices>();
    QTemporaryDir dir;
    QWidget host;
    ShareSelectPanel *panel = nullptr;
    QStringList log;
    QList<QUrl> choice;
    QStringList chooserTypes;
    bool buttonWhileOpen = true;
};

TEST_F(ShareFileTabTest, List_BadStatesShowAsFailed_RedrawsOnlyOnChange_EmptyInBetweenShowsTheFileAgain)
{
    panel->reloadView();
    list({row("a", 0), row("b", 5), row("c", 1)});
    EXPECT_EQ(shown(*panel), QStringList({"a:4", "b:4", "c:1"}));
    const int redraws = panel->fileGridReloadCount();
    panel->queryFileList();
    list({row("a", 0), row("b", 5), row("c", 1)});
    EXPECT_EQ(panel->fileGridReloadCount(), redraws);
    panel->queryFileList();
    list({});
    panel->queryFileList();
    list({});
    EXPECT_EQ(panel->fileGridReloadCount(), redraws + 2);
    panel->queryFileList();
    list({row("a", 0), row("b", 5), row("c", 1)});
    EXPECT_EQ(panel->fileGridReloadCount(), redraws + 3);
    // A reply without "files" empties the grid, and the next list shows again.
    panel->queryFileList();
    fake->answer(QStringLiteral("list"), FakeFileServices::code(0, QVariantMap{}));
    EXPECT_TRUE(panel->showArray().isEmpty());
    EXPECT_EQ(panel->fileGridReloadCount(), redraws + 4);
    panel->queryFileList();
    list({row("a", 0), row("b", 5), row("c", 1)});
    EXPECT_EQ(panel->fileGridReloadCount(), redraws + 5);
}

TEST_F(ShareFileTabTest, Poll_RunsWhileAFileConverts_StopsOtherwise_AFailedReplyKeepsIt)
{
    panel->reloadView();
    list({row("a", 2)});
    clock.clock.advance(ShareSelectPanel::kFileListPoll);
    EXPECT_EQ(fake->count(QStringLiteral("list")), 2);
    fake->answer(QStringLiteral("list"), FakeFileServices::code(500));
    clock.clock.advance(ShareSelectPanel::kFileListPoll);
    EXPECT_EQ(fake->count(QStringLiteral("list")), 3);
    list({row("a", 1), row("b", 3)});
    EXPECT_FALSE(panel->isPolling());
    clock.clock.advance(ShareSelectPanel::kFileListPoll * 3);
    EXPECT_EQ(fake->count(QStringLiteral("list")), 3);
    panel->reloadView();
    EXPECT_TRUE(panel->isPolling());
    EXPECT_EQ(fake->last(QStringLiteral("list")).value(QStringLiteral("roomId")).toString(), QStringLiteral("room-1"));
}

TEST_F(ShareFileTabTest, Choosing_ConvertingOrFailedRowsWarn_WhileSharingPostsTheSwitch_FileOnlyDoesNothing)
{
    panel->fileShareAction(); // the rows in view are the rows shown
    panel->reloadView();
    list({row("a", 2), row("b", 3), row("c", 1)});
    panel->selectFile(rowOf(*panel, "a"));
    EXPECT_EQ(shareTipText(&host), QStringLiteral("文件转码中，暂时无法共享"));
    EXPECT_EQ(fake->count(QStringLiteral("list")), 2);
    ASSERT_EQ(gridRows(*panel).size(), 3);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(gridRows(*panel).at(1), &enter);
    EXPECT_EQ(shareTipText(&host), QStringLiteral("文件上传异常，请重新上传"));
    panel->selectFile(rowOf(*panel, "gone")); // not in the list: nothing
    QVariantMap posted;
    NotificationCenter::defaultCenter().addObserver(&host, QStringLiteral("switchShareFileInShareSelectPanel"),
                                                    [&](const Notification &n) { posted = n.userInfo; });
    fake->sharingAV = true;
    panel->selectFile(rowOf(*panel, "c"));
    EXPECT_EQ(posted.value(QStringLiteral("fileId")).toString(), QStringLiteral("c"));
    EXPECT_EQ(posted.value(QStringLiteral("duration")).toInt(), 30);
    EXPECT_EQ(fake->count(QStringLiteral("slices")) + fake->count(QStringLiteral("rights")), 0);

    fake->sharingAV = false;
    panel->setOnlyShareFile(true);
    panel->selectFile(rowOf(*panel, "c"));
    EXPECT_EQ(fake->count(QStringLiteral("slices")), 0);
}

TEST_F(ShareFileTabTest, DocumentChain_SlicesRightsStart_ThenTheBlockAndCloseWithNo)
{
    panel->reloadView();
    list({row("c", 1, QStringLiteral("报告.docx"), QString())});
    panel->selectFile(rowOf(*panel, "c"));
    fake->answer(QStringLiteral("slices"), FakeFileServices::code(0, QVariantMap{{"fileId", "c"}}));
    EXPECT_EQ(shareTipText(&host), QStringLiteral("未获取到共享文件信息，请稍后再试"));
    EXPECT_EQ(fake->count(QStringLiteral("rights")), 0);

    const QVariantMap page{{"sliceId", "1"}, {"downloadUrl", "http://x/1.png"}};
    panel->selectFile(rowOf(*panel, "c"));
    fake->answer(QStringLiteral("slices"),
                 FakeFileServices::code(0, QVariantMap{{"fileId", "c"}, {"sliceInfo", QVariantList{page}}}));
    fake->answer(QStringLiteral("rights"),
                 FakeFileServices::code(0, QVariantList{QVariantMap{{"fileId", "c"},
                                                                    {"enableOperationFileStatus", 2},
                                                                    {"enableUserList", QVariantList{"x"}}}}));
    const QVariantMap start = fake->last(QStringLiteral("document"));
    EXPECT_TRUE(start.value(QStringLiteral("start")).toBool());
    EXPECT_EQ(start.value(QStringLiteral("status")).toString(), QStringLiteral("2"));
    EXPECT_EQ(start.value(QStringLiteral("uploadUserId")).toString(), RXEncrypt::aes128ecbEncrypt("u-enc"));
    const QVariantList pages = jx_JSONObject(start.value(QStringLiteral("sliceInfo")).toString()).toList();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages.first().toMap().value(QStringLiteral("downloadUrl")).toString(), QStringLiteral("http://x/1.png"));
    EXPECT_TRUE(log.isEmpty());
    fake->answer(QStringLiteral("document"), FakeFileServices::code(0));
    EXPECT_EQ(log, QStringList({"document:c:2", "close:0"}));

    panel->selectFile(rowOf(*panel, "c"));
    fake->answer(QStringLiteral("slices"), FakeFileServices::code(500));
    EXPECT_EQ(shareTipText(&host), QStringLiteral("文件共享失败"));
}

TEST_F(ShareFileTabTest, AudioVideoChain_FailureTextsByKind_SuccessHandsOverTheFile)
{
    panel->reloadView();
    list({row("v", 1, QStringLiteral("片.mp4"), QString()), row("m", 1, QStringLiteral("歌.mp3"), QString())});
    panel->selectFile(rowOf(*panel, "v"));
    fake->answer(QStringLiteral("rights"), FakeFileServices::code(500));
    EXPECT_EQ(shareTipText(&host), QStringLiteral("视频文件共享失败"));
    panel->selectFile(rowOf(*panel, "m"));
    fake->answer(QStringLiteral("rights"), FakeFileServices::code(0, QVariantList{}));
    EXPECT_EQ(fake->last(QStringLiteral("av")).value(QStringLiteral("fileType")).toInt(), 3);
    EXPECT_EQ(fake->last(QStringLiteral("av")).value(QStringLiteral("status")).toString(), QString());
    fake->answer(QStringLiteral("av"), FakeFileServices::code(7, {}, QStringLiteral("忙")));
    EXPECT_EQ(shareTipText(&host), QStringLiteral("忙"));
    panel->selectFile(rowOf(*panel, "v"));
    fake->answer(QStringLiteral("rights"), FakeFileServices::code(0, QVariantList{}));
    fake->answer(QStringLiteral("av"), FakeFileServices::code(0));
    EXPECT_EQ(log, QStringList({"av:v:2", "close:0"}));
}

TEST_F(ShareFileTabTest, Switch_NoModeDoesNothing_StopThenOneSecondThenStart)
{
    panel->reloadView();
    list({});
    QVariantMap info{{"sharing", 1},  {"fileId", "new"},    {"fileName", "新.pdf"}, {"fileType", "1"},
                     {"userId", "u"}, {"oldFileId", "old"}, {"oldFileType", "2"},   {"oldUserId", "o"}};
    NotificationCenter::defaultCenter().post(QStringLiteral("switchShareFile"), {}, info);
    EXPECT_EQ(fake->calls.size(), 1); // the list query only

    info.insert(QStringLiteral("fileShareMode"), 2);
    NotificationCenter::defaultCenter().post(QStringLiteral("switchShareFile"), {}, info);
    const QVariantMap stop = fake->last(QStringLiteral("av"));
    EXPECT_EQ(stop.value(QStringLiteral("type")).toInt(), 2);
    EXPECT_EQ(stop.value(QStringLiteral("fileId")).toString(), QStringLiteral("old"));
    fake->answer(QStringLiteral("av"), FakeFileServices::code(0));
    clock.clock.advance(ShareSelectPanel::kSwitchPause - std::chrono::milliseconds(1));
    EXPECT_EQ(fake->count(QStringLiteral("slices")), 0);
    clock.clock.advance(std::chrono::milliseconds(1));
    EXPECT_EQ(fake->last(QStringLiteral("slices")).value(QStringLiteral("fileId")).toString(), QStringLiteral("new"));
    fake->answer(QStringLiteral("slices"), FakeFileServices::code(500)); // that start ends

    info.insert(QStringLiteral("fileShareMode"), 1);
    panel->switchShareFile(info);
    EXPECT_FALSE(fake->last(QStringLiteral("document")).value(QStringLiteral("start")).toBool());
    fake->answer(QStringLiteral("document"), FakeFileServices::code(500));
    EXPECT_EQ(shareTipText(&host), QStringLiteral("切换共享文件失败"));
    clock.clock.advance(ShareSelectPanel::kSwitchPause * 2);
    EXPECT_EQ(fake->count(QStringLiteral("slices")), 1);

    info.insert(QStringLiteral("sharing"), 0);
    panel->switchShareFile(info);
    EXPECT_EQ(fake->count(QStringLiteral("slices")), 2);
}

TEST_F(ShareFileTabTest, RowActions_DeletePendingSendsNothing_RightsNeedAReadyFile_FormModeKeepsThem)
{
    panel->fileShareAction(); // the rows in view are the rows shown
    upload({file(QStringLiteral("a.pdf"))});
    panel->reloadView();
    list({row("c", 1), row("d", 2)});
    ASSERT_EQ(shown(*panel), QStringList({"a.pdf:0", "c:1", "d:2"}));
    ASSERT_EQ(gridRows(*panel).size(), 3);
    gridRows(*panel).first()->deleteAction();
    EXPECT_EQ(fake->count(QStringLiteral("delete")), 0);
    EXPECT_EQ(shown(*panel), QStringList({"c:1", "d:2"}));
    EXPECT_EQ(gridRows(*panel).size(), 2); // redrawn at once
    panel->deleteFile(rowOf(*panel, "c"));
    EXPECT_EQ(fake->last(QStringLiteral("delete")).value(QStringLiteral("fileIds")).toStringList(), QStringList{"c"});
    fake->answer(QStringLiteral("delete"), FakeFileServices::code(1));
    EXPECT_EQ(shareTipText(&host), QStringLiteral("网络不给力，请稍后重试"));

    panel->fileSharePermission(rowOf(*panel, "d"));
    EXPECT_EQ(shareTipText(&host), QStringLiteral("文件未上传成功，暂时无法设置"));
    auto meeting = std::make_shared<MeetingDataModel>();
    meeting->roomId = QStringLiteral("pre-1");
    panel->setOnlyShareFile(true);
    panel->setDarkMode(false);
    panel->setModel(meeting);
    QPointer<VeskButton> toggle = gridRows(*panel).first()->permissionBtn.data();
    toggle->setState(1); // as its click leaves it
    panel->fileSharePermission(rowOf(*panel, "c"));
    FileSharePermissionSettingView *view = panel->fileSharePermissionSettingView();
    ASSERT_TRUE(view->isVisible());
    EXPECT_EQ(view->geometry().center(), panel->rect().center());
    view->permissionBtn2->click();
    view->confirmBtn->click();
    ASSERT_TRUE(toggle);
    EXPECT_EQ(toggle->state(), 0); // off with the pop-over
    const MeetingFileAllowOpUserList kept = meeting->uploadFileAllowOpUserList.value(QStringLiteral("c"));
    EXPECT_EQ(kept.enableOperationFileStatus, 2);
    EXPECT_EQ(kept.fileType, 1);
    EXPECT_EQ(kept.uploadUserId, QStringLiteral("u-enc"));
    EXPECT_EQ(kept.enableUserList.size(), 1);

    // Another row's switch pressed while a pop-over is open only closes it, and stays off itself.
    panel->reloadView();
    list({row("c", 1), row("e", 1)});
    ASSERT_TRUE(drainMainQueue());
    ASSERT_EQ(gridRows(*panel).size(), 2);
    panel->fileSharePermission(rowOf(*panel, "c"));
    ASSERT_TRUE(view->isVisible());
    QPointer<VeskButton> other = gridRows(*panel).at(1)->permissionBtn.data();
    other->setState(1);
    panel->fileSharePermission(rowOf(*panel, "e"));
    EXPECT_FALSE(view->isVisible());
    ASSERT_TRUE(other);
    EXPECT_EQ(other->state(), 0);
}

TEST_F(ShareFileTabTest, Looks_DetailsUnderTheirTitles_TypesPopOverMakesWayForTheRow_ChooserInChinese)
{
    panel->fileShareAction();
    QVariantMap ready = row("c", 1);
    ready.insert(QStringLiteral("userName"), QStringLiteral("成员甲"));
    ready.insert(QStringLiteral("fileSize"), QStringLiteral("120KB"));
    ready.insert(QStringLiteral("createTime"), QStringLiteral("2026-12-07 10:00:00"));
    panel->reloadView();
    list({ready});
    ASSERT_TRUE(drainMainQueue());
    ASSERT_EQ(gridRows(*panel).size(), 1);
    const FileShareCollectionViewItem *item = gridRows(*panel).first();
    const QList<QLabel *> titles = panel->fileTitleView->findChildren<QLabel *>(QStringLiteral("fileColumnTitle"));
    ASSERT_EQ(titles.size(), 4);
    const auto left = [&](const QWidget *w) { return w->mapTo(panel, QPoint()).x(); };
    const auto middle = [&](const QWidget *w) { return w->mapTo(panel, QPoint(0, w->height() / 2)).y(); };
    EXPECT_NEAR(left(item->fileTypeImageView), left(titles[0]), 2);
    EXPECT_NEAR(left(item->uploadUserNameLabel), left(titles[1]), 2);
    EXPECT_NEAR(left(item->fileSize), left(titles[2]), 2);
    EXPECT_NEAR(left(item->uploadTime), left(titles[3]), 2);
    EXPECT_NEAR(middle(item->uploadUserNameLabel), middle(item->fileNamelabel), 2); // one line

    // The accepted types pop over the list while the pointer is on the upload button; a choice
    // adds a row where they were, so they go as the chooser opens.
    SupportFileShareTypeModel pdf;
    pdf.classify = QStringLiteral("document");
    pdf.type = QStringLiteral("pdf");
    panel->setSupportFileTypeArray({pdf});
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(panel->fileUploadButton, &enter);
    ASSERT_NE(panel->fileShareSupportFileList(), nullptr);
    upload({file(QStringLiteral("a.pdf"))});
    EXPECT_EQ(panel->fileShareSupportFileList(), nullptr);

    // The real chooser: its title, buttons and columns in the client's language; one answer.
    int answers = 0;
    QPointer<QFileDialog> dialog =
        ShareSelectPanel::openFileDialog(&host, {QStringLiteral("pdf")}, [&](const QList<QUrl> &urls) {
            ++answers;
            EXPECT_TRUE(urls.isEmpty());
        });
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("选择要上传的文件"));
    // Still so once the change of language that Qt sends has been handled.
    ASSERT_TRUE(drainMainQueue());
    QStringList buttons;
    for (const QPushButton *b : dialog->findChildren<QPushButton *>())
        buttons << b->text();
    EXPECT_TRUE(buttons.contains(QStringLiteral("打开"))) << buttons.join(',').toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("取消"))) << buttons.join(',').toStdString();
    const auto *back = dialog->findChild<QWidget *>(QStringLiteral("backButton"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->accessibleName(), QStringLiteral("后退"));
    const QTreeView *details = dialog->findChild<QTreeView *>();
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("名称"));
    // Qt's own texts too: the sidebar's root and a file's kind.
    const QListView *sidebar = dialog->findChild<QListView *>(QStringLiteral("sidebar"));
    ASSERT_NE(sidebar, nullptr);
    EXPECT_EQ(sidebar->model()->index(0, 0).data().toString(), QStringLiteral("计算机"));
    dialog->setDirectory(dir.path());
    const auto kindOfA = [&] {
        const QModelIndex a = details->model()->index(0, 2, details->rootIndex());
        return a.data().toString();
    };
    ASSERT_TRUE(processEventsUntil([&] { return !kindOfA().isEmpty(); }));
    EXPECT_EQ(kindOfA(), QStringLiteral("PDF 文件"));
    dialog->reject();
    EXPECT_EQ(answers, 1);
    ASSERT_TRUE(processEventsUntil([&] { return dialog.isNull(); }));
}

TEST_F(ShareFileTabTest, UploadArea_ByRoleAndMode)
{
    fake->host = false;
    fake->uploadAllowed = 0;
    panel->uploadUIRefresh();
    EXPECT_TRUE(panel->fileUploadPermissionBKView->isHidden());
    EXPECT_TRUE(panel->fileUploadButton->isHidden());
    fake->assistant = true;
    fake->uploadAllowed = 1;
    fake->uploadType = 1;
    NotificationCenter::defaultCenter().post(QStringLiteral("RoomUploadPermissionTypeChange"));
    EXPECT_FALSE(panel->fileUploadPermissionBKView->isHidden());
    EXPECT_FALSE(panel->fileUploadButton->isHidden());
    EXPECT_EQ(panel->fileUploadPermissionLabel->text(), QStringLiteral("仅主持人可上传"));

    auto meeting = std::make_shared<MeetingDataModel>();
    fake->ownMeeting = false;
    panel->setOnlyShareFile(true);
    panel->setModel(meeting);
    fake->assistant = false;
    fake->uploadAllowed = 0;
    panel->uploadUIRefresh();
    EXPECT_FALSE(panel->fileUploadPermissionBKView->isHidden());
    EXPECT_FALSE(panel->fileUploadButton->isHidden());
    EXPECT_EQ(panel->fileUploadPermissionLabel->text(), QStringLiteral("全体参会成员可共享"));
    EXPECT_FALSE(panel->allowUploadFilePermissionBtn->isEnabled());
}

TEST_F(ShareFileTabTest, Upload_ClosedByTheHost_ChooserOffersPdfAlone_ButtonOffWhileOpen)
{
    fake->uploadAllowed = 0;
    choice = {file(QStringLiteral("a.pdf"))};
    panel->fileUploadAction();
    EXPECT_EQ(shareTipText(&host), QStringLiteral("主持人已关闭您的上传权限"));
    EXPECT_TRUE(chooserTypes.isEmpty());
    fake->uploadAllowed = 1;
    panel->fileShareAction();
    panel->fileUploadButton->setFocus();
    upload({file(QStringLiteral("a.pdf"))});
    EXPECT_EQ(chooserTypes, QStringList{QStringLiteral("pdf")});
    EXPECT_FALSE(buttonWhileOpen);
    EXPECT_TRUE(panel->fileUploadButton->isEnabled());
    EXPECT_EQ(panel->window()->focusWidget(), panel->fileUploadButton); // lost while it was off
    const QString identity = panel->uploadFailedArray().value(0).identity;
    EXPECT_TRUE(identity.startsWith(VeskAppAgent::calculateMD5ForFileAtPath(choice.first().toLocalFile()) +
                                    QStringLiteral("_a.pdf_")));
    EXPECT_EQ(fake->md5OnMain.load(), 0);
    EXPECT_GE(fake->md5Calls.load(), 1);
}

TEST_F(ShareFileTabTest, PreUpload_HeldFileGoes_RefusedFileFails_SentFileFollowsItsAnswer)
{
    upload({file(QStringLiteral("held.pdf"), "1"), file(QStringLiteral("bad.pdf"), "2"),
            file(QStringLiteral("send.pdf"), "3")});
    ASSERT_EQ(panel->uploadFailedArray().size(), 3);
    fake->answer(
        QStringLiteral("prepare"),
        FakeFileServices::code(0, QVariantList{preItem(0, 1), preItem(1, -1, {}, "太大"), preItem(2, 2, "f3")}));
    EXPECT_EQ(shareTipText(&host), QStringLiteral("a.pdf:太大"));
    EXPECT_EQ(shown(*panel), QStringList({"bad.pdf:4", "send.pdf:0"}));
    ASSERT_EQ(fake->count(QStringLiteral("upload")), 1);
    EXPECT_EQ(fake->last(QStringLiteral("upload")).value(QStringLiteral("fileIds")).toStringList(), QStringList{"f3"});
    fake->answerUpload(true, {{QStringLiteral("code"), 9}, {QStringLiteral("message"), QStringLiteral("满了")}});
    EXPECT_EQ(shown(*panel), QStringList({"bad.pdf:4", "send.pdf:4"}));
    EXPECT_EQ(shareTipText(&host), QStringLiteral("满了"));

    // A retry keeps the row and its identity.
    const QString identity = panel->uploadFailedArray().value(1).identity;
    panel->recoverFile(rowOf(*panel, "send.pdf"));
    EXPECT_EQ(fake->last(QStringLiteral("prepare")).value("identities").toStringList(), QStringList{identity});
    EXPECT_EQ(shown(*panel), QStringList({"bad.pdf:4", "send.pdf:0"}));
    fake->answer(QStringLiteral("prepare"), FakeFileServices::code(0, QVariantList{preItem(0, 2, "f3")}));
    fake->answerUpload(false, {});
    EXPECT_EQ(shown(*panel), QStringList({"bad.pdf:4", "send.pdf:4"}));
    panel->recoverFile(rowOf(*panel, "send.pdf"));
    fake->answer(QStringLiteral("prepare"), FakeFileServices::code(0, QVariantList{preItem(0, 2, "f3")}));
    fake->answerUpload(true, {{QStringLiteral("code"), 0}});
    EXPECT_EQ(shown(*panel), QStringList({"bad.pdf:4"}));
    EXPECT_TRUE(panel->isPolling());

    panel->recoverFile(rowOf(*panel, "bad.pdf"));
    fake->answer(QStringLiteral("prepare"), FakeFileServices::code(500));
    EXPECT_EQ(shown(*panel), QStringList({"bad.pdf:4"}));
    EXPECT_EQ(shareTipText(&host), QStringLiteral("网络不给力，请稍后重试"));
    // The service's refusal is told as it gave it; the row stays to be retried.
    panel->recoverFile(rowOf(*panel, "bad.pdf"));
    fake->answer(QStringLiteral("prepare"),
                 FakeFileServices::code(403, {}, QStringLiteral("主持人已关闭您的上传权限")));
    EXPECT_EQ(shown(*panel), QStringList({"bad.pdf:4"}));
    EXPECT_EQ(shareTipText(&host), QStringLiteral("主持人已关闭您的上传权限"));
}

TEST_F(ShareFileTabTest, SameFileTwice_BothRowsFinish_ARowDeletedMeanwhileIsSkipped)
{
    const QUrl same = file(QStringLiteral("same.pdf"));
    upload({same});
    upload({same});
    const QList<FileShareModel> rows = panel->uploadFailedArray();
    ASSERT_EQ(rows.size(), 2);
    fake->answer(QStringLiteral("prepare"),
                 FakeFileServices::code(
                     0, QVariantList{QVariantMap{{"identity", rows[0].identity}, {"fileId", "f1"}, {"status", 2}}}));
    // The second row is deleted before its answer: its item is skipped.
    panel->deleteFile(ShareFileList::keyOf(rows[1]));
    fake->answer(QStringLiteral("prepare"),
                 FakeFileServices::code(
                     0, QVariantList{QVariantMap{{"identity", rows[1].identity}, {"fileId", "f2"}, {"status", 2}}}));
    EXPECT_EQ(fake->count(QStringLiteral("upload")), 1);
    fake->answerUpload(true, {{QStringLiteral("code"), 0}});
    EXPECT_TRUE(panel->uploadFailedArray().isEmpty());
}

TEST_F(ShareFileTabTest, TwoBatchesDigestInParallel)
{
    QSemaphore gate;
    fake->md5Gate = &gate;
    choice = {file(QStringLiteral("one.pdf"))};
    panel->fileUploadAction();
    choice = {file(QStringLiteral("two.pdf"))};
    panel->fileUploadAction();
    // Both workers are inside the digest at once before either may leave.
    QElapsedTimer bound;
    bound.start();
    while (fake->md5MostInside.load() < 2 && bound.elapsed() < 10000)
        QThread::msleep(1);
    gate.release(2);
    EXPECT_EQ(fake->md5MostInside.load(), 2);
    ASSERT_TRUE(processEventsUntil([&] { return fake->count(QStringLiteral("prepare")) == 2; }));
    EXPECT_EQ(panel->uploadFailedArray().size(), 2);
}

// What the list shows of each row, read as it scrolls into view: the name and the state text.
QStringList gridTexts(const ShareSelectPanel &panel)
{
    QStringList out;
    for (int i = 0; i < gridRowCount(panel); ++i) {
        const FileShareCollectionViewItem *item = gridRowAt(panel, i);
        const QString state = item->stateLabel->text();
        out << item->fileNamelabel->fullText() + (state.isEmpty() ? QString() : QStringLiteral(" ") + state);
    }
    return out;
}

FileShareCollectionViewItem *gridRowShowing(const ShareSelectPanel &panel, const QString &name)
{
    for (int i = 0; i < gridRowCount(panel); ++i)
        if (FileShareCollectionViewItem *item = gridRowAt(panel, i); item->fileNamelabel->fullText() == name)
            return item;
    return nullptr;
}

void press(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
}

QVariantMap named(const QString &id, int status, const QString &name)
{
    return row(id, status, name);
}

TEST_F(ShareFileTabTest, HeldAnswer_TheRowGoesAtOnce_DeleteOnARowDeletesTheFileItShows)
{
    panel->fileShareAction();
    panel->reloadView();
    const QVariantList files{named("f1", 1, "plan.pdf"), named("f2", 1, "minutes.pdf")};
    list(files);
    upload({file(QStringLiteral("plan.pdf"))});
    ASSERT_EQ(gridTexts(*panel), QStringList({"plan.pdf 上传中", "plan.pdf", "minutes.pdf"}));
    fake->answer(QStringLiteral("prepare"), FakeFileServices::code(0, QVariantList{preItem(0, 1, "f1")}));
    // Gone before any list reply, and the unchanged list that follows keeps it gone.
    EXPECT_EQ(gridTexts(*panel), QStringList({"plan.pdf", "minutes.pdf"}));
    list(files);
    EXPECT_EQ(gridTexts(*panel), QStringList({"plan.pdf", "minutes.pdf"}));

    FileShareCollectionViewItem *plan = gridRowShowing(*panel, QStringLiteral("plan.pdf"));
    ASSERT_NE(plan, nullptr);
    press(plan->deleteButton);
    EXPECT_EQ(fake->last(QStringLiteral("delete")).value(QStringLiteral("fileIds")).toStringList(), QStringList{"f1"});
}

// After each change of the list (replies, answers to uploads, deletions), every row's click,
// delete, rights and retry act on the file that row shows.
TEST_F(ShareFileTabTest, AfterEveryListChange_EachRowsActionsActOnTheFileItShows)
{
    panel->fileShareAction();
    QHash<QString, QString> idOf;
    const auto service = [&](const QList<std::pair<QString, int>> &rows) {
        QVariantList files;
        for (const auto &[name, status] : rows) {
            idOf.insert(name, QStringLiteral("id-") + name);
            files << named(QStringLiteral("id-") + name, status, name);
        }
        panel->queryFileList();
        list(files);
    };
    const auto checkEveryRow = [&](const char *when) {
        SCOPED_TRACE(when);
        ASSERT_TRUE(drainMainQueue());
        for (int i = 0; i < gridRowCount(*panel); ++i) {
            FileShareCollectionViewItem *item = gridRowAt(*panel, i);
            const QString name = item->fileNamelabel->fullText();
            SCOPED_TRACE(name.toStdString());
            if (!idOf.contains(name)) {
                // A pending row: only a failed one is sent again, and it is this file.
                if (!item->stateImageView->isVisible())
                    continue;
                const int before = fake->count(QStringLiteral("prepare"));
                press(item->stateImageView);
                ASSERT_EQ(fake->count(QStringLiteral("prepare")), before + 1);
                const QVariantList urls = fake->last(QStringLiteral("prepare")).value(QStringLiteral("urls")).toList();
                ASSERT_EQ(urls.size(), 1);
                EXPECT_EQ(urls.first().toUrl().fileName(), name);
                fake->answer(QStringLiteral("prepare"), FakeFileServices::code(500));
                continue;
            }
            const QString id = idOf.value(name);
            press(item->deleteButton);
            EXPECT_EQ(fake->last(QStringLiteral("delete")).value(QStringLiteral("fileIds")).toStringList(),
                      QStringList{id});
            if (item->model().state != 1)
                continue;
            press(item);
            EXPECT_EQ(fake->last(QStringLiteral("slices")).value(QStringLiteral("fileId")).toString(), id);
            // That start ends here, so the next row's may go out.
            fake->answer(QStringLiteral("slices"), FakeFileServices::code(500));
            press(item->permissionBtn);
            FileSharePermissionSettingView *rights = panel->fileSharePermissionSettingView();
            ASSERT_TRUE(rights->isVisible());
            EXPECT_EQ(rights->model().fileId, id);
            rights->cancelBtnAction();
        }
    };

    panel->reloadView();
    service({{"a.pdf", 1}, {"b.pdf", 2}, {"c.pdf", 1}});
    checkEveryRow("listed");
    upload({file(QStringLiteral("p1.pdf"), "1")});
    upload({file(QStringLiteral("p2.pdf"), "2")});
    checkEveryRow("two chosen");
    refusePending(0, QStringLiteral("p1.pdf"));
    checkEveryRow("one refused");
    fake->answer(
        QStringLiteral("prepare"),
        FakeFileServices::code(0, QVariantList{QVariantMap{{"identity", panel->uploadFailedArray().value(1).identity},
                                                           {"status", 2},
                                                           {"fileId", "id-p2"}}}));
    checkEveryRow("one sent");
    fake->answerUpload(false, {});
    checkEveryRow("its upload failed");
    service({{"new.pdf", 1}, {"a.pdf", 1}, {"b.pdf", 1}, {"c.pdf", 1}});
    checkEveryRow("a row came first and one converted");
    upload({file(QStringLiteral("c.pdf"), "3")});
    fake->answer(
        QStringLiteral("prepare"),
        FakeFileServices::code(0, QVariantList{QVariantMap{{"identity", panel->uploadFailedArray().value(2).identity},
                                                           {"status", 1},
                                                           {"fileId", "id-c.pdf"}}}));
    checkEveryRow("one held");
    press(gridRowShowing(*panel, QStringLiteral("p1.pdf"))->deleteButton);
    EXPECT_EQ(gridRowShowing(*panel, QStringLiteral("p1.pdf")), nullptr);
    checkEveryRow("a pending row deleted");
    service({{"new.pdf", 1}, {"c.pdf", 1}});
    checkEveryRow("rows gone from the list");
}

// Reading a chosen file is the worker's: the picker that goes stops it and does not wait for it,
// whatever the file is (a slow one, a FIFO nobody writes to, a device).
TEST_F(ShareFileTabTest, ClosingWhileAFileIsRead_DoesNotWait_TheReadStopsAndLeavesNothing)
{
    QSemaphore gate;
    fake->md5Gate = &gate;
    panel->fileShareAction();
    const QUrl big = file(QStringLiteral("big.pdf"), QByteArray(2 * 1024 * 1024, 'x'));
    std::atomic<int> chunks{0};
    KVFileSnapshot::setChunkHookForTesting([&](qint64) { ++chunks; });
    choice = {big};
    panel->fileUploadAction();
    // Shown at once, before it is read.
    EXPECT_EQ(gridTexts(*panel), QStringList{"big.pdf 上传中"});
    ASSERT_TRUE(processEventsUntil([&] { return fake->md5Inside.load() == 1; }));

    // Should the picker wait for its worker, a watchdog lets the worker go after a while.
    std::atomic<bool> waited{false};
    std::atomic<bool> closed{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 500 && !closed; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!closed) {
            waited = true;
            gate.release();
        }
    });
    delete panel;
    panel = nullptr;
    closed = true;
    watchdog.join();
    EXPECT_FALSE(waited);
    if (!waited)
        gate.release();
    ShareSelectPanel::waitForUploadWorkers();
    KVFileSnapshot::setChunkHookForTesting({});
    EXPECT_EQ(chunks.load(), 0);
    EXPECT_EQ(fake->count(QStringLiteral("prepare")), 0);
    EXPECT_TRUE(QDir(AppPaths::cacheDir())
                    .entryList({QStringLiteral(".korvi-upload-*")}, QDir::Files | QDir::Hidden)
                    .isEmpty());
}

// Reads held in the kernel (a mount that stopped answering) by a picker since closed do not
// hold back a later upload.
TEST_F(ShareFileTabTest, ReadsStillHeldAfterTheirPickerClosed_DoNotHoldALaterUpload)
{
    QSemaphore gate;
    // The held reads end with the case whatever it found, and before their gate goes.
    const auto letThemGo = qScopeGuard([&] {
        fake->md5Gate = nullptr;
        gate.release(ShareSelectPanel::kUploadOperations);
        ShareSelectPanel::waitForUploadWorkers();
    });
    fake->md5Gate = &gate;
    panel->fileShareAction();
    for (int i = 0; i < ShareSelectPanel::kUploadOperations; ++i) {
        choice = {file(QStringLiteral("held%1.pdf").arg(i))};
        panel->fileUploadAction();
        ASSERT_TRUE(processEventsUntil([&] { return fake->md5Inside.load() == i + 1; }));
    }
    delete panel;
    fake->md5Gate = nullptr;
    makePanel();
    panel->show();
    panel->fileShareAction();
    upload({file(QStringLiteral("small.pdf"), QByteArray(1600, 's'))});
    EXPECT_EQ(fake->md5Inside.load(), ShareSelectPanel::kUploadOperations);
}

TEST_F(ShareFileTabTest, AFifoOrADeviceChosen_IsRefusedWithoutAReadOrARow)
{
    panel->fileShareAction();
    const QString fifo = dir.filePath(QStringLiteral("pipe.pdf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString device = dir.filePath(QStringLiteral("zero.pdf"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), device));
    for (const QString &path : {fifo, device}) {
        SCOPED_TRACE(path.toStdString());
        choice = {QUrl::fromLocalFile(path)};
        panel->fileUploadAction();
        const QString name = QFileInfo(path).fileName();
        // A worker stuck on it would never report: a watchdog opens the FIFO's other end.
        std::atomic<bool> done{false};
        std::thread watchdog([&] {
            for (int i = 0; i < 500 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!done) {
                QFile writer(fifo);
                if (writer.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                    writer.close();
            }
        });
        const bool told = processEventsUntil(
            [&] { return shareTipText(&host) == name + QStringLiteral(":不是普通文件，无法上传"); }, 4000);
        done = true;
        watchdog.join();
        EXPECT_TRUE(told) << shareTipText(&host).toStdString();
        EXPECT_TRUE(panel->uploadFailedArray().isEmpty());
        EXPECT_TRUE(gridRows(*panel).isEmpty());
    }
    EXPECT_EQ(fake->count(QStringLiteral("prepare")), 0);
}

// The MD5 announced is the one of the copy uploaded: a file rewritten after it was read is sent
// as it was read; one rewritten while it is read is refused and can be chosen again.
TEST_F(ShareFileTabTest, OneCopy_TheChecksumAnnouncedIsTheOneOfTheBytesSent)
{
    panel->fileShareAction(); // the rows in view are the rows shown
    const QUrl url = file(QStringLiteral("a.pdf"), "first");
    upload({url});
    const QString announced =
        fake->last(QStringLiteral("prepare")).value(QStringLiteral("md5s")).toStringList().value(0);
    EXPECT_EQ(announced, QString::fromLatin1(QCryptographicHash::hash("first", QCryptographicHash::Md5).toHex()));
    EXPECT_EQ(fake->last(QStringLiteral("prepare")).value(QStringLiteral("sizes")).toList().value(0).toInt(), 5);
    file(QStringLiteral("a.pdf"), "second, longer");
    fake->answer(QStringLiteral("prepare"), FakeFileServices::code(0, QVariantList{preItem(0, 2, "f1")}));
    const QVariantMap sent = fake->last(QStringLiteral("upload"));
    EXPECT_EQ(sent.value(QStringLiteral("md5")).toString(), announced);
    EXPECT_EQ(sent.value(QStringLiteral("content")).toByteArray(), QByteArray("first"));
    // Failed and sent again: still the copy that was announced.
    fake->answerUpload(false, {});
    press(gridRowShowing(*panel, QStringLiteral("a.pdf"))->stateImageView);
    EXPECT_EQ(fake->last(QStringLiteral("prepare")).value(QStringLiteral("md5s")).toStringList(),
              QStringList{announced});
    EXPECT_EQ(fake->md5Calls.load(), 1);
    EXPECT_EQ(fake->md5OnMain.load(), 0);

    // Rewritten while it is read: refused, told, and the row waits to be sent again.
    const QUrl moving = file(QStringLiteral("b.pdf"), QByteArray(1024 * 1024, 'b'));
    KVFileSnapshot::setChunkHookForTesting([this](qint64 copied) {
        if (copied <= 256 * 1024)
            file(QStringLiteral("b.pdf"), "changed");
    });
    const int prepared = fake->count(QStringLiteral("prepare"));
    choice = {moving};
    panel->fileUploadAction();
    const bool told = processEventsUntil(
        [&] { return shareTipText(&host) == QStringLiteral("b.pdf:文件在读取时被修改，请重新上传"); });
    KVFileSnapshot::setChunkHookForTesting({});
    EXPECT_TRUE(told) << shareTipText(&host).toStdString();
    EXPECT_EQ(fake->count(QStringLiteral("prepare")), prepared);
    EXPECT_TRUE(gridTexts(*panel).contains(QStringLiteral("b.pdf 上传失败")));
}

// The chooser's filter only offers the room's types: a name typed into it passes it.
TEST_F(ShareFileTabTest, AChosenFileOfAnotherType_IsRefusedBeforeItIsRead)
{
    panel->reloadView();
    list({});
    choice = {file(QStringLiteral("evil.exe")), file(QStringLiteral("noextension"))};
    panel->fileUploadAction();
    ASSERT_TRUE(drainMainQueue());
    ShareSelectPanel::waitForUploadWorkers();
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(shareTipText(&host), QStringLiteral("noextension:不支持的文件类型"));
    EXPECT_EQ(fake->md5Calls.load(), 0);
    EXPECT_EQ(fake->count(QStringLiteral("prepare")), 0);
    EXPECT_TRUE(panel->uploadFailedArray().isEmpty());
    choice = {file(QStringLiteral("evil.exe"))};
    panel->fileUploadAction();
    EXPECT_EQ(shareTipText(&host), QStringLiteral("evil.exe:不支持的文件类型"));
    // The room's types, in any case.
    upload({file(QStringLiteral("REPORT.Pdf")), file(QStringLiteral("song.MP3"))});
    EXPECT_EQ(fake->last(QStringLiteral("prepare")).value(QStringLiteral("urls")).toList().size(), 2);
    EXPECT_TRUE(ShareFileList::acceptsUpload(QStringLiteral("a.pdf"), {QStringLiteral("PDF")}));
    EXPECT_FALSE(ShareFileList::acceptsUpload(QStringLiteral("a.pdf.exe"), {QStringLiteral("pdf")}));
    EXPECT_FALSE(ShareFileList::acceptsUpload(QStringLiteral("pdf"), {QStringLiteral("pdf")}));
}

// Nothing is shared from the scheduled meeting's file window: the meeting's own picker carries out
// a switch, once.
TEST_F(ShareFileTabTest, AFileOnlyPicker_ActsOnNoSwitch)
{
    panel->setOnlyShareFile(true);
    const int before = int(fake->calls.size());
    const QVariantMap info{{"sharing", 1},    {"fileShareMode", 1}, {"fileId", "new"},    {"fileName", "新.pdf"},
                           {"fileType", "1"}, {"userId", "u"},      {"oldFileId", "old"}, {"oldUserId", "o"}};
    NotificationCenter::defaultCenter().post(QStringLiteral("switchShareFile"), {}, info);
    QVariantMap notSharing = info;
    notSharing.insert(QStringLiteral("sharing"), 0);
    NotificationCenter::defaultCenter().post(QStringLiteral("switchShareFile"), {}, notSharing);
    clock.clock.advance(ShareSelectPanel::kSwitchPause * 2);
    EXPECT_EQ(int(fake->calls.size()), before);
}

TEST_F(ShareFileTabTest, Rows_NamesKeepTheirDirection_ButtonsNameTheirFileWithinBounds)
{
    panel->fileShareAction();
    panel->reloadView();
    const QString reversing = QStringLiteral("invoice") + QChar(0x202E) + QStringLiteral("exe.pdf");
    const QString longName = QString(1000, QLatin1Char('x')) + QStringLiteral(".pdf");
    QVariantMap uploader = named("r", 1, reversing);
    uploader.insert(QStringLiteral("userName"), QStringLiteral("李") + QChar(0x202E) + QStringLiteral("四"));
    list({uploader, named("l", 1, longName)});
    ASSERT_EQ(gridRows(*panel).size(), 2);
    const FileShareCollectionViewItem *r = gridRows(*panel).at(0);
    // Shown as stored: the override goes.
    const QString isolated = QStringLiteral("invoiceexe.pdf");
    EXPECT_EQ(r->fileNamelabel->fullText(), isolated);
    EXPECT_EQ(r->accessibleName(), isolated);
    EXPECT_EQ(r->uploadUserNameLabel->fullText(), QStringLiteral("李四"));
    EXPECT_EQ(r->deleteButton->accessibleName(), QStringLiteral("删除 ") + isolated);
    EXPECT_EQ(r->permissionBtn->accessibleName(), QStringLiteral("文件操作权限 ") + isolated);
    const FileShareCollectionViewItem *l = gridRows(*panel).at(1);
    EXPECT_TRUE(l->deleteButton->accessibleName().startsWith(QStringLiteral("删除 xxx")));
    EXPECT_LE(l->deleteButton->accessibleName().size(), 80);
    EXPECT_LE(l->permissionBtn->accessibleName().size(), 80);
    EXPECT_LE(l->fileNamelabel->fullText().size(), FileShareCollectionViewItem::kMaxNameLength + 2);
    // A refusal in a toast keeps the name's direction inside it too.
    upload({file(QStringLiteral("a.pdf"))});
    refusePending(0, reversing);
    EXPECT_EQ(shareTipText(&host), isolated + QStringLiteral(":太大"));
}

TEST_F(ShareFileTabTest, UploadPermissionFrame_OnePointGreyRoundedBySix_ArrowDownWhileOpen)
{
    panel->fileShareAction();
    const auto check = [&](const char *mode) {
        SCOPED_TRACE(mode);
        const VeskLayer *frame = VeskLayer::of(panel->fileUploadPermissionBKView);
        EXPECT_EQ(frame->borderWidth(), 1);
        EXPECT_EQ(frame->borderColor(), QColor(0x66, 0x65, 0x65));
        EXPECT_EQ(frame->cornerRadius(), 6);
        EXPECT_EQ(frame->backgroundColor().alpha(), 0);
    };
    check("meeting");
    const auto icon = [&] { return panel->fileUploadPermissionIcon->pixmap().toImage(); };
    EXPECT_EQ(icon(), MemberListIcons::image(QStringLiteral("arrow_down_talk"), 16).toImage());
    press(panel->allowUploadFilePermissionBtn);
    ASSERT_TRUE(panel->fileUploadPermissionPanelView()->isVisible());
    EXPECT_EQ(icon(), MemberListIcons::image(QStringLiteral("arrow_down"), 16).toImage());
    EXPECT_NE(icon(), MemberListIcons::image(QStringLiteral("arrow_down_talk"), 16).toImage());
    panel->uploadUIRefresh();
    EXPECT_EQ(icon(), MemberListIcons::image(QStringLiteral("arrow_down"), 16).toImage());
    press(panel->allowUploadFilePermissionBtn);
    EXPECT_EQ(icon(), MemberListIcons::image(QStringLiteral("arrow_down_talk"), 16).toImage());

    auto meeting = std::make_shared<MeetingDataModel>();
    panel->setOnlyShareFile(true);
    panel->setModel(meeting);
    check("file-only");
}

// Any state the service gives beyond its four reads as a failed upload.
TEST_F(ShareFileTabTest, ServiceStatesOfFiveOrMore_ShowAsFailed)
{
    panel->fileShareAction();
    panel->reloadView();
    // As "status", and as "state" where a reply gives that.
    const auto byState = [](const QString &id, qint64 state, const QString &name) {
        QVariantMap file = named(id, 1, name);
        file.remove(QStringLiteral("status"));
        file.insert(QStringLiteral("state"), state);
        return file;
    };
    list({named("s5", 5, "five.pdf"), named("s6", 6, "six.pdf"), named("s99", 99, "many.pdf"),
          named("big", std::numeric_limits<qint32>::max(), "most.pdf"), named("s3", 3, "three.pdf"),
          byState("t5", 5, "state five.pdf"), byState("t7", 7, "state seven.pdf"), byState("t2", 2, "state two.pdf")});
    EXPECT_EQ(gridTexts(*panel), QStringList({"five.pdf 上传失败", "six.pdf 上传失败", "many.pdf 上传失败",
                                              "most.pdf 上传失败", "three.pdf 转码失败", "state five.pdf 上传失败",
                                              "state seven.pdf 上传失败", "state two.pdf 上传中"}));
}

QVariantList manyFiles(int n)
{
    QVariantList files;
    for (int i = 0; i < n; ++i)
        files << named(QStringLiteral("f%1").arg(i), 1, QStringLiteral("文件%1.pdf").arg(i));
    return files;
}

// A room of 1,600 files costs the rows in view: widgets and what a screen reader meets are only
// those; a poll that changes one file shows it in that row's own widget and makes none anew; the
// last file, scrolled to as the bus scrolls, acts on itself.
TEST_F(ShareFileTabTest, ManyFiles_WidgetsOnlyForTheRowsInView_APollChangesTheChangedRowInPlace)
{
    panel->fileShareAction();
    panel->reloadView();
    QVariantList files = manyFiles(1600);
    list(files);
    ASSERT_TRUE(drainMainQueue());
    ASSERT_EQ(gridRowCount(*panel), 1600);
    const int inView = panel->fileList()->viewport()->height() / FileShareCollectionViewItem::kRowHeight + 2;
    const auto made = [&] {
        return panel->fileRowsView()->findChildren<FileShareCollectionViewItem *>(Qt::FindDirectChildrenOnly).size();
    };
    EXPECT_LE(made(), inView);
    const QList<FileShareCollectionViewItem *> before = gridRows(*panel);
    ASSERT_GE(before.size(), 3);
    QAccessibleInterface *rows = QAccessible::queryAccessibleInterface(panel->fileRowsView());
    ASSERT_NE(rows, nullptr);
    EXPECT_LE(rows->childCount(), inView);

    files[1] = named(QStringLiteral("f1"), 3, QStringLiteral("文件1.pdf"));
    panel->queryFileList();
    list(files);
    ASSERT_TRUE(drainMainQueue());
    EXPECT_EQ(gridRows(*panel), before) << "the same widgets, none made anew";
    EXPECT_EQ(before.at(1)->stateLabel->text(), QStringLiteral("转码失败"));
    EXPECT_EQ(before.at(0)->stateLabel->text(), QString());
    EXPECT_EQ(before.at(2)->model().fileId, QStringLiteral("f2"));

    QScrollBar *bar = panel->fileList()->verticalScrollBar();
    bar->setValue(bar->maximum());
    FileShareCollectionViewItem *last = gridRows(*panel).last();
    EXPECT_EQ(last->fileNamelabel->fullText(), QStringLiteral("文件1599.pdf"));
    EXPECT_LE(made(), inView);
    EXPECT_LE(rows->childCount(), inView);
    press(last->deleteButton);
    EXPECT_EQ(fake->last(QStringLiteral("delete")).value(QStringLiteral("fileIds")).toStringList(),
              QStringList{"f1599"});
    press(last);
    EXPECT_EQ(fake->last(QStringLiteral("slices")).value(QStringLiteral("fileId")).toString(), QStringLiteral("f1599"));
}

// A poll binds only what it changed, behind the pending rows: a changed file is one change of its
// row, a file that came or went one row inserted or removed, at its place.
TEST_F(ShareFileTabTest, APollChangesOnlyItsRows_BehindThePendingOnes)
{
    panel->fileShareAction();
    panel->reloadView();
    QVariantList files = manyFiles(40);
    list(files);
    upload({file(QStringLiteral("p1.pdf"), "1")});
    refusePending(0, QStringLiteral("p1.pdf"));
    ASSERT_TRUE(drainMainQueue());
    ASSERT_EQ(panel->uploadFailedArray().size(), 1);
    QAbstractItemModel *model = panel->fileList()->model();
    const auto sameAsShown = [&] {
        const QList<FileShareModel> shownRows = panel->showArray();
        if (model->rowCount() != shownRows.size())
            return false;
        for (int i = 0; i < model->rowCount(); ++i)
            if (model->index(i, 0).data().toString() != shownRows[i].fileName)
                return false;
        return true;
    };
    ASSERT_TRUE(sameAsShown());
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    const auto poll = [&] {
        inserted.clear();
        removed.clear();
        changed.clear();
        panel->queryFileList();
        list(files);
        ASSERT_TRUE(drainMainQueue());
        EXPECT_TRUE(sameAsShown());
    };
    const auto rowOfSignal = [](const QSignalSpy &spy) { return spy.size() == 1 ? spy.first().at(1).toInt() : -1; };

    files[5] = named(QStringLiteral("f5"), 3, QStringLiteral("文件5.pdf"));
    poll();
    EXPECT_TRUE(inserted.isEmpty());
    EXPECT_TRUE(removed.isEmpty());
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.first().at(0).toModelIndex().row(), 1 + 5);
    EXPECT_EQ(changed.first().at(1).toModelIndex().row(), 1 + 5);
    EXPECT_EQ(gridRowAt(*panel, 6)->stateLabel->text(), QStringLiteral("转码失败"));

    files.insert(3, named(QStringLiteral("n3"), 1, QStringLiteral("新3.pdf")));
    poll();
    EXPECT_EQ(rowOfSignal(inserted), 1 + 3);
    EXPECT_TRUE(removed.isEmpty());
    EXPECT_TRUE(changed.isEmpty());

    files.removeLast();
    poll();
    EXPECT_EQ(rowOfSignal(removed), 1 + 40);
    EXPECT_TRUE(inserted.isEmpty());
    EXPECT_TRUE(changed.isEmpty());

    // A second chosen file joins the pending rows; the next poll lands behind both.
    upload({file(QStringLiteral("p2.pdf"), "2")});
    ASSERT_TRUE(sameAsShown());
    files[0] = named(QStringLiteral("f0"), 2, QStringLiteral("文件0.pdf"));
    poll();
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.first().at(0).toModelIndex().row(), 2);
    EXPECT_EQ(gridRowAt(*panel, 2)->model().fileId, QStringLiteral("f0"));
    press(gridRowAt(*panel, 2)->deleteButton);
    EXPECT_EQ(fake->last(QStringLiteral("delete")).value(QStringLiteral("fileIds")).toStringList(), QStringList{"f0"});
}

// Tab goes on from the last row in view to the next, which scrolls into view; the keyboard stays
// on its file while another file comes first, and goes to the row in its place once it is gone.
TEST_F(ShareFileTabTest, Keyboard_TabReachesTheRowsBeyondTheView_TheFocusStaysWithItsFile)
{
    panel->fileShareAction();
    panel->reloadView();
    QVariantList files = manyFiles(40);
    list(files);
    ASSERT_TRUE(drainMainQueue());
    KVRowListView *view = panel->fileList();
    const auto focused = [&] { return panel->window()->focusWidget(); };
    const auto focusedFile = [&] {
        const int at = view->rowOf(focused());
        return at < 0 ? QString() : static_cast<FileShareCollectionViewItem *>(view->rowWidget(at))->model().fileId;
    };
    FileShareCollectionViewItem *bottom = gridRows(*panel).last();
    const int bottomRow = view->rowOf(bottom);
    bottom->deleteButton->setFocus();
    QTest::keyClick(focused(), Qt::Key_Tab);
    const QString next = QStringLiteral("f%1").arg(bottomRow + 1);
    ASSERT_EQ(focusedFile(), next);
    const QRect shown(focused()->mapTo(view->viewport(), QPoint()), focused()->size());
    EXPECT_TRUE(view->viewport()->rect().contains(shown)) << "scrolled into view";
    QTest::keyClick(focused(), Qt::Key_Return);
    EXPECT_EQ(fake->last(QStringLiteral("slices")).value(QStringLiteral("fileId")).toString(), next);

    static_cast<FileShareCollectionViewItem *>(view->rowWidget(view->rowOf(focused())))->deleteButton->setFocus();
    // Another member's file comes first.
    files.prepend(named(QStringLiteral("n0"), 1, QStringLiteral("新.pdf")));
    panel->queryFileList();
    list(files);
    ASSERT_EQ(panel->showArray().size(), 41);
    EXPECT_EQ(focusedFile(), next);
    EXPECT_EQ(focused()->objectName(), QStringLiteral("deleteButton"));
    QTest::keyClick(focused(), Qt::Key_Space);
    EXPECT_EQ(fake->last(QStringLiteral("delete")).value(QStringLiteral("fileIds")).toStringList(), QStringList{next});

    files.removeAt(bottomRow + 2);
    panel->queryFileList();
    list(files);
    EXPECT_EQ(focusedFile(), QStringLiteral("f%1").arg(bottomRow + 2));
}

} // namespace

namespace {

TEST(ShareSelectViewTest, ShareWithoutChoiceTipsAndCallsNothing_CloseGivesNone)
{
    QWidget host;
    auto *view = new ShareSelectView(&host);
    QList<std::optional<ShareSelectViewModel>> got;
    view->completionBlock = [&](const std::optional<ShareSelectViewModel> &e) { got << e; };
    view->setShareArr({{QPixmap(), QStringLiteral("窗口一")}, {QPixmap(), QStringLiteral("窗口二")}});
    view->shareBtnPressed();
    EXPECT_EQ(shareTipText(&host), QStringLiteral("请选择要分享的窗口"));
    EXPECT_TRUE(got.isEmpty());
    view->items().at(1)->click();
    view->shareBtnPressed();
    ASSERT_EQ(got.size(), 1);
    EXPECT_EQ(got.first()->title, QStringLiteral("窗口二"));
    view->closeSelf();
    EXPECT_FALSE(got.last().has_value());
    EXPECT_EQ(ShareSelectView::tileSize(940), QSize(300, 200));
}

} // namespace
