// The share picker without a display: grouping, the three sections, selection, start, the
// file-only look and the tiles' looks.

#include "ShareFileTestSupport.h"
#include "ShareTestSupport.h"
#include "TestEvents.h"
#include "support/HostileText.h"

#include "foundation/models/MeetingDataModel.h"
#include "meeting/sharing/FileShareSupportFileList.h"
#include "meeting/sharing/ShareSelectCells.h"
#include "meeting/sharing/ShareSelectPanel.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskLayer.h"
#include "uikit/VeskMeetingToast.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

namespace {

namespace S = ShareSelectSections;
constexpr qint64 kScreen = DesktopCaptureSnapshotModel::Screen;
constexpr qint64 kWindow = DesktopCaptureSnapshotModel::Window;

QList<qint64> ids(const QList<DesktopCaptureSnapshotModel> &models)
{
    QList<qint64> out;
    for (const auto &m : models)
        out << m.id;
    return out;
}

TEST(ShareSelectSectionsTest, GroupsByProcessInFirstAppearanceOrder)
{
    const QList<DesktopCaptureSnapshotModel> windows = {shareCandidate(kWindow, 1, 30), shareCandidate(kWindow, 2, 10),
                                                        shareCandidate(kWindow, 3, 30), shareCandidate(kWindow, 4, 20),
                                                        shareCandidate(kWindow, 5, 10)};
    const QList<S::Group> groups = S::groupWindows(windows);
    ASSERT_EQ(groups.size(), 3);
    EXPECT_EQ(ids(groups[0]), QList<qint64>({1, 3}));
    EXPECT_EQ(ids(groups[1]), QList<qint64>({2, 5}));
    EXPECT_EQ(ids(groups[2]), QList<qint64>({4}));
    EXPECT_EQ(S::applicationCount(groups), 4);
    EXPECT_EQ(ids(S::windowsFor(0, windows, groups)), QList<qint64>({1, 2, 3, 4, 5}));
    EXPECT_EQ(ids(S::windowsFor(2, windows, groups)), QList<qint64>({2, 5}));
    EXPECT_TRUE(S::windowsFor(4, windows, groups).isEmpty()); // a vanished group: empty section
    EXPECT_EQ(S::applicationCount(S::groupWindows({})), 1);   // "all" stays
}

class SharePickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.resize(1000, 700);
        panel = new ShareSelectPanel(&host, std::make_shared<FakeFileServices>());
        panel->setDarkMode(true);
        panel->setGeometry(56, 100, 888, 500);
        panel->setScreenArray({shareCandidate(kScreen, 0, 0, "桌面 1"), shareCandidate(kScreen, 1, 0, "桌面 2")});
        panel->setWindowsArray({shareCandidate(kWindow, 11, 100, "<b>文档</b>"), shareCandidate(kWindow, 12, 200),
                                shareCandidate(kWindow, 13, 100)});
        panel->generalStartShareBlock = [this](const DesktopCaptureSnapshotModel &m) { started << m.id; };
        panel->closeSharePanelBlock = [this](bool byButton) { closed << byButton; };
        panel->reloadView();
    }

    QWidget host;
    ShareSelectPanel *panel = nullptr;
    QList<qint64> started;
    QList<bool> closed;
};

TEST_F(SharePickerTest, SupportedTypes_TheKeyboardOpensThem_AndTheyReadOnTheBus)
{
    QTest::mouseClick(panel->fileShareButton, Qt::LeftButton);
    SupportFileShareTypeModel pdf;
    pdf.classify = QStringLiteral("pdf");
    pdf.classifyName = QStringLiteral("PDF");
    pdf.type = QStringLiteral("pdf");
    panel->setSupportFileTypeArray({pdf});
    host.show();
    host.activateWindow();
    ASSERT_TRUE(processEventsUntil([&] { return QApplication::activeWindow() == &host; }));
    for (int i = 0; i < 60 && QApplication::focusWidget() != panel->fileUploadButton; ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &host, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), panel->fileUploadButton.data());
    FileShareSupportFileList *list = panel->fileShareSupportFileList();
    ASSERT_TRUE(list && list->isVisible());
    QAccessibleInterface *read = QAccessible::queryAccessibleInterface(list);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->role(), QAccessible::List);
    ASSERT_EQ(read->childCount(), 1);
    QAccessibleInterface *row = QAccessible::queryAccessibleInterface(list->rows().first());
    EXPECT_EQ(row->role(), QAccessible::ListItem);
    EXPECT_EQ(row->text(QAccessible::Name), QStringLiteral("PDF"));
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(panel->fileUploadButton)
                    ->text(QAccessible::Description)
                    .contains(QStringLiteral("格式类型：pdf")));
    QTest::keyClick(panel->fileUploadButton, Qt::Key_Tab);
    EXPECT_EQ(panel->fileShareSupportFileList(), nullptr);
}

TEST_F(SharePickerTest, Sections_SelectionKeepsTheWindowAcrossApplications)
{
    EXPECT_EQ(panel->screenItems().size(), 2);
    EXPECT_EQ(panel->applicationItems().size(), 3);
    EXPECT_EQ(panel->windowItems().size(), 3);
    EXPECT_EQ(panel->screenItems()[0]->size(), QSize(160, 118));
    EXPECT_EQ(panel->applicationItems()[0]->size(), QSize(34, 34));
    EXPECT_EQ(panel->applicationItems()[0]->accessibleName(), "全部窗口");
    // An icon alone shows its name on hover; an application's is its window's title, literally.
    EXPECT_EQ(panel->applicationItems()[0]->toolTip(), "全部窗口");
    EXPECT_EQ(panel->applicationItems()[1]->accessibleName(), "<b>文档</b>");
    EXPECT_FALSE(panel->applicationItems()[1]->thumbnailImageView->pixmap().isNull())
        << "an application without an icon of its own is an empty square";
    // A window's title is plain text.
    EXPECT_EQ(panel->windowItems()[0]->titleLabel->textFormat(), Qt::PlainText);
    EXPECT_EQ(panel->windowItems()[0]->accessibleName(), "<b>文档</b>");
    EXPECT_TRUE(KVDataText::markupHazards({panel}).isEmpty());

    // Nothing chosen: the tip, no block.
    panel->startShareButton->click();
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(shareTipText(panel->window()), "请选择要分享的窗口/屏幕");

    // A window by its accessible press, then an application: the window stays chosen.
    QAccessibleInterface *tile = QAccessible::queryAccessibleInterface(panel->windowItems()[2]);
    ASSERT_NE(tile, nullptr);
    tile->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(panel->windowItems()[2]->isSelected());
    EXPECT_EQ(panel->windowItems()[2]->fillColor(), QColor("#007AFF"));
    EXPECT_EQ(panel->windowItems()[0]->fillColor(), QColor("#2D2E34"));
    panel->applicationItems()[2]->click(); // pid 200
    EXPECT_EQ(panel->generalSelectedApplicationIndex(), 2);
    ASSERT_EQ(panel->windowItems().size(), 1);
    EXPECT_FALSE(panel->windowItems()[0]->isSelected());
    EXPECT_EQ(panel->applicationItems()[2]->borderWidth(), 1.0);
    EXPECT_EQ(panel->applicationItems()[0]->borderWidth(), 0.0);
    panel->startShareButton->click();
    EXPECT_EQ(started, QList<qint64>({13}));

    // A screen replaces the choice; pid 100's group keeps input order.
    panel->screenItems()[1]->click();
    panel->applicationItems()[1]->click();
    EXPECT_EQ(ids({panel->windowsArray()[0], panel->windowsArray()[2]}), QList<qint64>({11, 13}));
    EXPECT_EQ(panel->windowItems().size(), 2);
    panel->startShareButton->click();
    EXPECT_EQ(started.last(), 1);

    // A refill where the chosen group is gone shows an empty section.
    panel->setWindowsArray({shareCandidate(kWindow, 11, 100)});
    panel->reloadView();
    EXPECT_EQ(panel->generalSelectedApplicationIndex(), 1);
    panel->selectApplication(1);
    EXPECT_EQ(panel->windowItems().size(), 1);

    // Close and Escape report YES.
    panel->closeButton->click();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(panel, &escape);
    EXPECT_EQ(closed, QList<bool>({true, true}));
}

TEST_F(SharePickerTest, TabOrder_TabsCloseTilesThenStart_AlsoAfterAnApplicationRefillsTheWindows)
{
    // The stops Tab visits from the first tab, as the focus chain holds them.
    const auto stops = [this] {
        QList<QWidget *> out;
        QWidget *w = panel->generalShareButton;
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(panel) && w->isEnabled() && w != panel &&
                panel->isAncestorOf(w))
                out << w;
            w = w->nextInFocusChain();
        } while (w != panel->generalShareButton);
        return out;
    };
    const auto expected = [this] {
        QList<QWidget *> out{panel->generalShareButton, panel->fileShareButton, panel->closeButton,
                             panel->generalScrollView};
        for (QWidget *tile : panel->screenItems())
            out << tile;
        for (QWidget *tile : panel->applicationItems())
            out << tile;
        for (QWidget *tile : panel->windowItems())
            out << tile;
        return out << panel->startShareButton;
    };
    host.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(stops(), expected());
    panel->applicationItems()[1]->click();
    panel->applicationItems()[0]->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(stops(), expected());
}

TEST_F(SharePickerTest, NoWindows_AllStaysAndTheWindowSectionIsEmpty)
{
    panel->setWindowsArray({});
    panel->reloadView();
    EXPECT_EQ(panel->applicationItems().size(), 1);
    EXPECT_TRUE(panel->windowItems().isEmpty());
}

TEST_F(SharePickerTest, Looks_DarkTabs_FileOnlyLight_SupportedTypesPopOver)
{
    EXPECT_EQ(VeskLayer::find(panel)->backgroundColor(), QColor("#3D3E44"));
    EXPECT_EQ(VeskLayer::find(panel->startShareButton)->backgroundColor(), QColor("#007AFF"));
    panel->fileShareButton->click();
    EXPECT_TRUE(panel->shareFile());
    EXPECT_TRUE(panel->fileShareBKview->isVisibleTo(panel));
    EXPECT_FALSE(panel->generalScrollView->isVisibleTo(panel));
    EXPECT_EQ(panel->fileShareButton->textColor(), QColor(Qt::white));
    EXPECT_EQ(panel->generalShareButton->textColor(), QColor("#B4B4B4"));
    EXPECT_EQ(VeskLayer::find(panel->generalShareButton)->backgroundColor(), QColor(31, 31, 31));

    // The types pop-over under the upload button, right edges together.
    SupportFileShareTypeModel pdf;
    pdf.classify = QStringLiteral("pdf");
    pdf.classifyName = QStringLiteral("PDF");
    pdf.type = QStringLiteral("pdf");
    SupportFileShareTypeModel zip;
    zip.classify = QStringLiteral("zip");
    zip.classifyName = QStringLiteral("压缩包");
    zip.type = QStringLiteral("zip,rar");
    panel->setSupportFileTypeArray({pdf, zip});
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(panel->fileUploadButton, &enter);
    FileShareSupportFileList *list = panel->fileShareSupportFileList();
    ASSERT_NE(list, nullptr);
    const QRect button(panel->fileUploadButton->mapTo(panel, QPoint()), panel->fileUploadButton->size());
    EXPECT_EQ(list->geometry(), QRect(button.right() + 1 - 214, button.bottom() + 5, 214, 49 * 2 + 30));
    ASSERT_EQ(list->rows().size(), 2);
    EXPECT_EQ(list->rows()[1]->fileTypeDetailLabel->fullText(), "格式类型：zip,rar");
    EXPECT_TRUE(list->rows()[1]->imageView->pixmap().isNull()); // an unknown kind: no icon
    EXPECT_FALSE(list->rows()[0]->imageView->pixmap().isNull());
    EXPECT_EQ(FileShareSupportFileList::heightFor(9), 290);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(panel->fileUploadButton, &leave);
    EXPECT_EQ(panel->fileShareSupportFileList(), nullptr);

    // File-only: light, never the desktop's parts.
    ShareSelectPanel fileOnly(nullptr, std::make_shared<FakeFileServices>());
    fileOnly.setOnlyShareFile(true);
    auto meeting = std::make_shared<MeetingDataModel>();
    fileOnly.setModel(meeting);
    EXPECT_EQ(fileOnly.meetingNameLabel->fullText(), "创建会议");
    meeting->roomName = QStringLiteral("周会");
    fileOnly.setModel(meeting);
    EXPECT_EQ(fileOnly.meetingNameLabel->fullText(), "周会");
    // The creator's name in the desktop picker's title cannot turn our words around.
    panel->setCreatorName(QStringLiteral("乙\u2069\u202E"));
    EXPECT_TRUE(shownInOrder(panel->meetingNameLabel->fullText(), QStringLiteral("创建的会议")));
    fileOnly.generalShareAction();
    EXPECT_TRUE(fileOnly.shareFile());
    for (QWidget *w : {fileOnly.tabView.data(), static_cast<QWidget *>(fileOnly.closeButton.data()),
                       static_cast<QWidget *>(fileOnly.startShareButton.data()),
                       static_cast<QWidget *>(fileOnly.generalScrollView.data())})
        EXPECT_FALSE(w->isVisibleTo(&fileOnly)) << w->objectName().toStdString();
    EXPECT_EQ(fileOnly.titleLabel->text(), "共享文件");
    EXPECT_EQ(VeskLayer::find(&fileOnly)->backgroundColor(), QColor(Qt::white));
    EXPECT_EQ(VeskLayer::find(fileOnly.fileActionView)->backgroundColor(), QColor("#F5F7FA"));
}

TEST(ShareSelectCellsTest, PlainPickerTile_HoverAndSelectionBorders)
{
    ShareSelectCollectionViewItem tile;
    EXPECT_EQ(tile.borderColor(), QColor("#3A3B3B"));
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&tile, &enter);
    EXPECT_EQ(tile.borderColor(), QColor("#0A8AF9"));
    tile.setSelected(true);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&tile, &leave);
    EXPECT_EQ(tile.borderColor(), QColor("#0A8AF9")); // selected keeps blue
    tile.setSelected(false);
    QCoreApplication::sendEvent(&tile, &enter);
    QCoreApplication::sendEvent(&tile, &leave);
    EXPECT_EQ(tile.borderColor(), QColor("#3A3B3B"));
}

} // namespace
