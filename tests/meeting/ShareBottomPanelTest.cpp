// The share button's pop-up: who sees the permission choices, what a choice sends, and what the
// reply changes; the file rows.

#include "meeting/sharing/ShareBottomPanel.h"
#include "meeting/sharing/FileShareSpeedSwicthPanel.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QScrollArea>

#include <gtest/gtest.h>

namespace {

class FakePermission final : public SharePermissionServices {
public:
    struct Sent {
        qint64 value;
        QVariantList list;
        Completion completion;
        QPointer<QObject> owner;
    };
    void sharePermission(QObject *owner, qint64 value, const QVariantList &list, Completion completion) override
    {
        sent.append({value, list, std::move(completion), owner});
    }
    [[nodiscard]] bool isHost() const override { return host; }
    [[nodiscard]] bool asssitantHost() const override { return assistant; }
    [[nodiscard]] qint64 roomSharePermission() const override { return room; }
    void setRoomSharePermission(qint64 value) override { room = value; }
    void reply(qint64 code)
    {
        KVMResponse r;
        r.code = code;
        r.successed = code == 0;
        const Sent first = sent.takeFirst();
        if (first.owner) // as the agent: no answer once the owner is gone
            first.completion(r);
    }

    bool host = false;
    bool assistant = false;
    qint64 room = 2;
    QList<Sent> sent;
};

QList<FileShareDatailModel> files(const QStringList &names)
{
    QList<FileShareDatailModel> out;
    for (const QString &n : names) {
        FileShareDatailModel f;
        f.fileName = n;
        f.fileId = "id-" + n;
        out << f;
    }
    return out;
}

void press(QWidget *w)
{
    QAccessible::queryAccessibleInterface(w)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

class ShareBottomPanelTest : public ::testing::Test {
protected:
    ShareBottomPanel *make()
    {
        auto *panel = new ShareBottomPanel(fake, &host);
        panel->setAllFileShareArray(files({"a.pdf", "<b>b</b>.doc"}));
        panel->setCustomFrameSize(ShareBottomPanel::sizeFor(panel->allFileShareArray(), fake->host));
        panel->selectedBlock = [this](const FileShareDatailModel &f) { chosen << f.fileId; };
        panel->allowSharePermissionTypeChangeBlock = [this](int v) { changed << v; };
        host.show();
        panel->show();
        return panel;
    }

    std::shared_ptr<FakePermission> fake = std::make_shared<FakePermission>();
    QWidget host;
    QStringList chosen;
    QList<int> changed;
};

TEST_F(ShareBottomPanelTest, MembersSeeOnlyTheFileRows_AChoiceClosesThePanel)
{
    QPointer<ShareBottomPanel> panel = make();
    EXPECT_FALSE(panel->allMemberSharePermissionBTn->isVisible());
    EXPECT_FALSE(panel->onlyHostSharePermissionBtn->isVisible());
    EXPECT_EQ(panel->tableViewTopConstraint, 0);
    EXPECT_EQ(panel->scrollView->y(), 0);
    EXPECT_EQ(panel->height(), 2 * 34 + 6);
    ASSERT_EQ(panel->rows().size(), 2);
    EXPECT_TRUE(KVDataText::markupHazards({panel}).isEmpty());
    press(panel->rows()[1]);
    EXPECT_EQ(chosen, QStringList({"id-<b>b</b>.doc"}));
    EXPECT_TRUE(!panel || !panel->parentWidget());
}

TEST_F(ShareBottomPanelTest, HostChoosesAPermission_SentEvenWhenSelected_StoredOnlyOnCodeZero)
{
    fake->host = true;
    ShareBottomPanel *panel = make();
    EXPECT_TRUE(panel->allMemberSharePermissionBTn->isVisible());
    EXPECT_EQ(panel->tableViewTopConstraint, 109);
    EXPECT_EQ(panel->scrollView->y(), 109);
    EXPECT_EQ(panel->line->palette().color(QPalette::Window), QColor("#5F5D5D"));
    EXPECT_EQ(panel->height(), 108 + 2 * 34 + 6);
    EXPECT_EQ(panel->selectedPermission(), 2);
    EXPECT_EQ(panel->onlyHostSharePermissionBtn->title(), "     仅主持人可共享");
    EXPECT_FALSE(panel->onlyHostSharePermissionImageView->pixmap().isNull());
    EXPECT_TRUE(panel->allMemberSharePermissionImageView->pixmap().isNull());

    // The selected choice again: sent with an empty list, accepted.
    press(panel->onlyHostSharePermissionBtn);
    ASSERT_EQ(fake->sent.size(), 1);
    EXPECT_EQ(fake->sent[0].value, 2);
    EXPECT_TRUE(fake->sent[0].list.isEmpty());
    EXPECT_TRUE(panel->onlyHostSharePermissionBtn->isChecked());
    fake->reply(0);
    EXPECT_EQ(changed, QList<int>({2}));

    // A refused change leaves the room, the selection and the block alone.
    panel->allowMemberSharePermissionBtn->click();
    EXPECT_EQ(panel->selectedPermission(), 2);
    EXPECT_FALSE(panel->allowMemberSharePermissionBtn->isChecked());
    fake->reply(403);
    EXPECT_EQ(fake->room, 2);
    EXPECT_EQ(panel->selectedPermission(), 2);
    EXPECT_EQ(changed.size(), 1);

    // An accepted one selects it, stores it and tells the window.
    panel->allMemberSharePermissionBTn->click();
    fake->reply(0);
    EXPECT_EQ(fake->room, 0);
    EXPECT_EQ(panel->selectedPermission(), 0);
    EXPECT_EQ(changed, QList<int>({2, 0}));
    EXPECT_TRUE(panel->allMemberSharePermissionBTn->isChecked());
    EXPECT_FALSE(panel->onlyHostSharePermissionBtn->isChecked());
}

TEST_F(ShareBottomPanelTest, AChangeAcceptedAfterThePanelClosedIsStillStoredAndTold)
{
    fake->host = true;
    ShareBottomPanel *panel = make();
    panel->allowMemberSharePermissionBtn->click();
    delete panel;
    fake->reply(0);
    EXPECT_EQ(fake->room, 1);
    EXPECT_EQ(changed, QList<int>({1}));
}

TEST_F(ShareBottomPanelTest, ARoomValueOutsideTheChoicesSelectsNone)
{
    fake->assistant = true;
    fake->room = 7;
    ShareBottomPanel *panel = make();
    EXPECT_TRUE(panel->allowMemberSharePermissionBtn->isVisible());
    EXPECT_EQ(panel->selectedPermission(), -1);
    fake->room = 1;
    panel->refreshSharePermissionUI();
    EXPECT_EQ(panel->selectedPermission(), 1);
    fake->room = -3;
    panel->refreshSharePermissionUI();
    EXPECT_EQ(panel->selectedPermission(), 1);
}

TEST(ShareBottomPanelSizeTest, WidthFromTheNamesWithinBounds)
{
    EXPECT_EQ(ShareBottomPanel::sizeFor({}, true), QSize(168, 108));
    EXPECT_EQ(ShareBottomPanel::sizeFor(files({"a"}), false), QSize(168, 40));
    EXPECT_EQ(ShareBottomPanel::sizeFor(files({"a", QString(300, 'w')}), true).width(), 320);
}

} // namespace
