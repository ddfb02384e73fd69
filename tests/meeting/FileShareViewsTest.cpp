// The sharing views without a display: a file row's state, icon and permission switch, the
// member tile's name bars, and the quick file list.

#include "agent/engine/KRTCVideoView.h"
#include "foundation/RXEncrypt.h"
#include "meeting/sharing/FileShareCollectionViewItem.h"
#include "meeting/sharing/FileShareSpeedSwicthPanel.h"
#include "meeting/sharing/ShareMediaCollectionItem.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using Row = FileShareCollectionViewItem;

FileShareModel file(qint64 state, const QString &name = QStringLiteral("报告.pdf"))
{
    FileShareModel m;
    m.fileName = name;
    m.state = state;
    m.fileId = QStringLiteral("f%1").arg(state);
    return m;
}

void press(QWidget *w)
{
    QAccessible::queryAccessibleInterface(w)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

TEST(FileShareRowTest, StatesColoursAndRetryOnlyForAFailedUpload)
{
    Row row;
    row.setViewer({});
    QList<QString> retried;
    row.fileRecoverBlock = [&](const FileShareModel &m) { retried << m.fileId; };
    const QColor green("#2ABA00"), red("#C94141");
    const struct {
        qint64 state;
        const char *text;
        QColor color;
    } cases[] = {
        {0, "上传中", green}, {1, "", green}, {2, "上传中", green}, {3, "转码失败", red}, {4, "上传失败", red}};
    for (const auto &c : cases) {
        row.setModel(file(c.state));
        EXPECT_EQ(row.stateLabel->text(), QString::fromUtf8(c.text)) << c.state;
        EXPECT_EQ(row.stateLabel->palette().color(QPalette::WindowText), c.color) << c.state;
        EXPECT_EQ(row.stateImageView->isVisibleTo(&row), c.state == 4) << c.state;
        row.fileRecoveryAction();
    }
    EXPECT_EQ(retried, QList<QString>({"f4"}));
    press(row.stateImageView);
    EXPECT_EQ(retried.size(), 2);
    // An unknown state keeps the text but not the retry mark.
    row.setModel(file(9));
    EXPECT_EQ(row.stateLabel->text(), "上传失败");
    EXPECT_FALSE(row.stateImageView->isVisibleTo(&row));
    row.fileRecoveryAction();
    EXPECT_EQ(retried.size(), 2);
}

TEST(FileShareRowTest, IconSizeAndNameAsData)
{
    EXPECT_EQ(Row::iconName("季度.docx"), "word");
    EXPECT_EQ(Row::iconName("plan.pptx"), "ppt");
    EXPECT_EQ(Row::iconName("clip.mp4.txt"), "ic_video"); // the first kind in order wins
    EXPECT_EQ(Row::iconName("data.xlsx"), "ic_excel");
    EXPECT_EQ(Row::iconName("notes"), "");
    FileShareModel m = file(1);
    m.filesize = 3 * 1024 * 1024 / 2;
    EXPECT_EQ(Row::sizeText(m), "1.50MB");
    m.fileSize = "2.3MB";
    EXPECT_EQ(Row::sizeText(m), "2.3MB");

    Row row;
    row.setViewer({});
    FileShareModel hostile = file(1, "<img src=\"/dev/zero\">" + QString(400, 'x') + ".doc");
    hostile.userName = "<b>张三</b>";
    row.setModel(hostile);
    EXPECT_TRUE(KVDataText::markupHazards({&row}).isEmpty());
    EXPECT_EQ(row.fileNamelabel->fullText().size(), Row::kMaxNameLength);
}

TEST(FileShareRowTest, PermissionSwitchForHostsAndTheUploaderOnly)
{
    FileShareModel m = file(1);
    m.userId = RXEncrypt::aes128ecbEncrypt("13800000001");
    EXPECT_TRUE(Row::showsPermission(m, {true, false, "13800000009"}));
    EXPECT_TRUE(Row::showsPermission(m, {false, true, "13800000009"}));
    EXPECT_TRUE(Row::showsPermission(m, {false, false, "13800000001"}));
    EXPECT_FALSE(Row::showsPermission(m, {false, false, "13800000009"}));
    EXPECT_FALSE(Row::showsPermission(file(1), {false, false, ""}));

    Row row;
    QList<bool> switched;
    QList<QString> deleted;
    row.fileSharePermissionBlock = [&](const FileShareModel &, bool on) { switched << on; };
    row.deleteBlock = [&](const FileShareModel &f) { deleted << f.fileId; };
    row.setViewer({false, false, "13800000009"});
    row.setModel(m);
    EXPECT_FALSE(row.permissionBtn->isVisibleTo(&row));
    EXPECT_FALSE(row.permissionLabel->isVisibleTo(&row));
    row.setViewer({false, false, "13800000001"});
    row.setModel(m);
    EXPECT_TRUE(row.permissionBtn->isVisibleTo(&row));
    press(row.permissionBtn);
    press(row.permissionBtn);
    press(row.deleteButton);
    EXPECT_EQ(switched, QList<bool>({true, false}));
    EXPECT_EQ(deleted, QList<QString>({"f1"}));
}

TEST(ShareMediaTileTest, OwnNameMarkedAndNameBarsCappedToTheTile)
{
    KRTCVideoView video;
    auto owned = std::make_unique<ShareMediaCollectionItem>();
    ShareMediaCollectionItem &tile = *owned;
    tile.resize(214, 120);
    auto self = std::make_shared<MeetingActiveModel>(0, "138", "u1", "<b>李四</b>", true, nullptr);
    tile.setActiveModel(self);
    EXPECT_TRUE(tile.userNameLabe->fullText().endsWith("(我)"));
    EXPECT_TRUE(tile.userNameLabe->fullText().contains("<b>李四</b>"));
    EXPECT_TRUE(KVDataText::markupHazards({&tile}).isEmpty());
    EXPECT_FALSE(tile.littleBkView->isVisibleTo(&tile));

    auto longName = std::make_shared<MeetingActiveModel>(0, "139", "u2", QString(60, QChar(0x540D)), false, nullptr);
    tile.setActiveModel(longName);
    EXPECT_FALSE(tile.userNameLabe->fullText().contains("(我)"));
    EXPECT_EQ(tile.userNameLabelWidthConstraint, 214 - 10 - 24);
    EXPECT_LT(tile.userNameLabe->shownText().size(), 60); // cut in the middle

    // A screen share: the small bar with the mark, its microphone moved right, capped too.
    auto screen = std::make_shared<MeetingActiveModel>(2, "139", "u2", QString(60, QChar(0x540D)), false, &video);
    tile.setActiveModel(screen);
    EXPECT_EQ(video.parentWidget(), tile.bkView.data());
    EXPECT_TRUE(tile.shareImageView->isVisibleTo(&tile));
    EXPECT_EQ(tile.littleMicrophoneLeftConstraint, 28);
    EXPECT_EQ(tile.nameBarWidthConstraint, 214 - 10);
    EXPECT_FALSE(tile.userNameLabe->isVisibleTo(&tile));
    // The same member again keeps the view; another member hands it back, and so does the
    // tile going away: never deleted.
    tile.setActiveModel(screen);
    EXPECT_EQ(video.parentWidget(), tile.bkView.data());
    tile.setActiveModel(self);
    EXPECT_NE(video.parentWidget(), tile.bkView.data());
    EXPECT_FALSE(video.isVisibleTo(&tile));
    owned.reset();
    EXPECT_EQ(video.parentWidget(), nullptr);
    EXPECT_EQ(ShareMediaCollectionItem::smallNameBarWidth(40, 8, 214), 78);
}

class QuickListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.resize(600, 400);
        opener = new QPushButton("文件", &host);
        panel = new FileShareSpeedSwicthPanel(&host);
        QList<FileShareDatailModel> files;
        for (const char *name : {"a.pdf", "<i>b</i>.ppt", "c.doc"}) {
            FileShareDatailModel f;
            f.fileName = QString::fromUtf8(name);
            f.fileId = f.fileName;
            files << f;
        }
        panel->setAllFileShareArray(files);
        panel->selectedBlock = [this](const FileShareDatailModel &f) { chosen << f.fileId; };
        panel->setCustomFrameSize({200, 3 * 34 + 6});
        host.show();
        QApplication::setActiveWindow(&host);
        opener->setFocus();
        panel->presentFrom(opener);
    }

    QWidget host;
    QPushButton *opener = nullptr;
    QPointer<FileShareSpeedSwicthPanel> panel;
    QStringList chosen;
};

TEST_F(QuickListTest, AChoiceCallsTheBlockOnceAndTheListLeaves)
{
    ASSERT_EQ(panel->rows().size(), 3);
    EXPECT_EQ(panel->rows()[0]->height(), 34);
    EXPECT_TRUE(KVDataText::markupHazards({panel}).isEmpty());
    EXPECT_TRUE(panel->rows()[0]->hasFocus());
    press(panel->rows()[1]);
    EXPECT_EQ(chosen, QStringList({"<i>b</i>.ppt"}));
    EXPECT_EQ(panel->parentWidget(), nullptr);
    EXPECT_TRUE(opener->hasFocus());
    panel->tableViewSelectionDidChange(-1);
    EXPECT_EQ(chosen.size(), 1);
}

TEST_F(QuickListTest, EscapeClosesAndTheFocusGoesBack)
{
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(panel->rows()[0], &escape);
    EXPECT_FALSE(panel && panel->isVisible());
    EXPECT_TRUE(opener->hasFocus());
    EXPECT_TRUE(chosen.isEmpty());
}

} // namespace
