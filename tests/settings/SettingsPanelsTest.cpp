// The general, subtitle, about and account tabs as a user works them, against the stand-in.
#include "SettingsTestSupport.h"

#include "agent/engine/FakeEngine.h"
#include "connection/KVImageLoader.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RXEncrypt.h"
#include "foundation/UserDefaults.h"
#include "routes/AgentRoutesSupport.h"
#include "settings/KVDeviceManageCell.h"
#include "settings/MainSettingRules.h"
#include "settings/SettingTexts.h"
#include "support/HostileText.h"
#include "uikit/KVTextField.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QBuffer>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QTest>

#include <thread>

namespace {

class SettingsPanelsTest : public SettingsTest {};

// ---- General ---------------------------------------------------------------------------------

TEST_F(SettingsPanelsTest, General_CacheSizeOfTheImageCache_ClearedToZero)
{
    MainSettingViewController *empty = open(false);
    EXPECT_EQ(empty->generalPanel()->sizeLabel()->text(), QStringLiteral("0M"));
    EXPECT_FALSE(empty->generalPanel()->cleanBtn()->isVisibleTo(empty->generalPanel())) << "nothing to clean";

    service.route("GET", "/img/<name>", [](const DevRequest &) {
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        DevReply reply = DevReply::raw(png, "image/png");
        reply.headers.append({QByteArray("Cache-Control"), QByteArray("max-age=3600")});
        return reply;
    });
    KVImageLoader *loader = KVImageLoader::sharedLoader();
    int loaded = 0;
    for (const char *name : {"a.png", "b.png", "c.png"})
        loader->loadImage(nullptr, service.baseUrl().toString() + "/img/" + name, [&](const QImage &) { ++loaded; });
    ASSERT_TRUE(processEventsUntil([&] { return loaded == 3; }));
    ASSERT_GT(loader->diskCacheSize(), 0);

    MainSettingViewController *settings = open(false);
    MainSettingGeneralPanel *panel = settings->generalPanel();
    EXPECT_EQ(panel->sizeLabel()->text(), MainSettingRules::fileSizeWithInterge(quint64(loader->diskCacheSize())));
    EXPECT_NE(panel->sizeLabel()->text(), QStringLiteral("0M"));
    ASSERT_TRUE(panel->cleanBtn()->isVisibleTo(panel));

    panel->cleanBtn()->click();
    ASSERT_TRUE(processEventsUntil([&] { return toastText() == QStringLiteral("清理成功"); }));
    EXPECT_EQ(panel->sizeLabel()->text(), QStringLiteral("0M"));
    EXPECT_FALSE(panel->cleanBtn()->isVisibleTo(panel));
    EXPECT_EQ(loader->diskCacheSize(), 0);
}

TEST_F(SettingsPanelsTest, General_InAMeetingTheNewMeetingSwitchesHideAndTheSpeakerRowMovesUp)
{
    MainSettingGeneralPanel *home = open(false)->generalPanel();
    MainSettingGeneralPanel *meeting = open(true)->generalPanel();
    EXPECT_TRUE(home->autoCameraOnButton()->isVisibleTo(home));
    EXPECT_TRUE(home->autoMicphoneOnButton()->isVisibleTo(home));
    EXPECT_EQ(home->speakerTopConst(), 83);
    EXPECT_FALSE(meeting->autoCameraOnButton()->isVisibleTo(meeting));
    EXPECT_FALSE(meeting->autoMicphoneOnButton()->isVisibleTo(meeting));
    EXPECT_EQ(meeting->speakerTopConst(), 11);
    EXPECT_EQ(home->showCurrentSpeakerButton()->y() - meeting->showCurrentSpeakerButton()->y(), 83 - 11);
}

TEST_F(SettingsPanelsTest, General_SwitchesShowTheModelAndAreStoredAtOnce)
{
    MainSettingGeneralPanel *panel = open(false)->generalPanel();
    EXPECT_FALSE(panel->autoCameraOnButton()->isChecked());
    EXPECT_TRUE(panel->showCurrentSpeakerButton()->isChecked());
    panel->autoCameraOnButton()->click();
    panel->autoMicphoneOnButton()->click();
    panel->showCurrentSpeakerButton()->click();
    const QVariantMap stored = UserDefaults::standardUserDefaults().dictionaryForKey(MainSettingModel::kDefaultsKey);
    EXPECT_EQ(stored.value("autoCameraOn").toBool(), true);
    EXPECT_EQ(stored.value("autoMicphoneOn").toBool(), true);
    EXPECT_EQ(stored.value("showCurrentSpeaker").toBool(), false);
}

// ---- Subtitles -------------------------------------------------------------------------------

TEST_F(SettingsPanelsTest, Subtitles_AStoredLevelOutOfRangeChoosesNoSizeAndKeepsTheSampleFont)
{
    VeskAppAgent::resetSharedInstance();
    UserDefaults::standardUserDefaults().setObject(
        QVariantMap{{"subTitleLevel", 5}, {"subTitleLanguageType", 0}, {"myLanguageType", 1}},
        SubtitleSettingModel::kDefaultsKey);
    signIn();
    MainSettingViewController *settings = open(false);
    settings->switchTab(3);
    MainSettingSubtitlesPanel *panel = settings->subtitlesPanel();
    for (KVSettingOptionButton *size :
         {panel->fontLargeButton(), panel->fontMiddleButton(), panel->fontSmallButton()}) {
        EXPECT_FALSE(size->isChosen());
        EXPECT_TRUE(size->isEnabled());
    }
    EXPECT_EQ(panel->fontSampleLabel()->font().pixelSize(), 13) << "the font it was made with";
    EXPECT_TRUE(panel->myLanguageEnButton()->isChosen());
    EXPECT_FALSE(panel->myLanguageEnButton()->isEnabled()) << "the chosen one cannot be chosen again";
    EXPECT_TRUE(panel->myLanguageCnButton()->isEnabled());
}

TEST_F(SettingsPanelsTest, Subtitles_EnglishChangesOnlyTheSampleText)
{
    MainSettingViewController *settings = open(false);
    settings->switchTab(3);
    MainSettingSubtitlesPanel *panel = settings->subtitlesPanel();
    EXPECT_EQ(panel->fontSampleLabel()->font().pixelSize(), 16) << "middle by default";
    panel->fontSmallButton()->click();
    EXPECT_EQ(panel->fontSampleLabel()->font().pixelSize(), 14);
    EXPECT_EQ(panel->fontSampleLabel()->text(), QStringLiteral("字幕示例"));
    // As a screen reader presses it.
    QAccessibleActionInterface *actions =
        QAccessible::queryAccessibleInterface(panel->subTitleLanguageEnButton())->actionInterface();
    actions->doAction(actions->actionNames().value(0)); // the action it offers
    ASSERT_TRUE(processEventsUntil([&] { return panel->subTitleLanguageEnButton()->isChosen(); }));
    EXPECT_EQ(panel->fontSampleLabel()->text(), QStringLiteral("Example captions"));
    EXPECT_EQ(panel->fontSampleLabel()->font().pixelSize(), 14);
    EXPECT_TRUE(panel->subTitleLanguageCNButton()->isEnabled());
    EXPECT_FALSE(panel->subTitleLanguageCNButton()->isChosen());
}

TEST_F(SettingsPanelsTest, Subtitles_EachChoiceIsStoredAtOnceAndCallsOnlyItsOwnBlock)
{
    MainSettingViewController *settings = open(true);
    settings->switchTab(3);
    settings->setInteraction(recordingInteraction());
    MainSettingSubtitlesPanel *panel = settings->subtitlesPanel();
    struct Choice {
        KVSettingOptionButton *button;
        const char *key;
        int value;
        const char *block;
    };
    const QList<Choice> choices{
        {panel->fontLargeButton(), "subTitleLevel", 0, "onSubTitleFontNumer"},
        {panel->fontSmallButton(), "subTitleLevel", 2, "onSubTitleFontNumer"},
        {panel->fontMiddleButton(), "subTitleLevel", 1, "onSubTitleFontNumer"},
        {panel->subTitleLanguageEnButton(), "subTitleLanguageType", 1, "onSubTitleLanguage"},
        {panel->subTitleLanguageCNButton(), "subTitleLanguageType", 0, "onSubTitleLanguage"},
        {panel->myLanguageSiChuanButton(), "myLanguageType", 2, "onInputLanguage"},
        {panel->myLanguageEnButton(), "myLanguageType", 1, "onInputLanguage"},
        {panel->myLanguageCnButton(), "myLanguageType", 0, "onInputLanguage"},
    };
    for (const Choice &choice : choices) {
        blocks.clear();
        choice.button->click();
        const QVariantMap stored =
            UserDefaults::standardUserDefaults().dictionaryForKey(SubtitleSettingModel::kDefaultsKey);
        EXPECT_EQ(stored.value(choice.key).toInt(), choice.value) << choice.button->text().toStdString();
        EXPECT_EQ(blocks, QStringList{choice.block}) << choice.button->text().toStdString();
    }
    blocks.clear();
    panel->myLanguageCnButton()->click();
    EXPECT_TRUE(blocks.isEmpty()) << "the chosen button is disabled";
}

// ---- About -----------------------------------------------------------------------------------

TEST_F(SettingsPanelsTest, About_VersionAndWhereEachActionGoes)
{
    const QString running = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion(QStringLiteral("3.1.0"));
    FakeAnalyzeScope uploads;
    MainSettingViewController *settings = open(false);
    QList<bool> checks;
    settings->versionChecker = [&](bool showToast) { checks.append(showToast); };
    settings->switchTab(5);
    MainSettingAboutUsPanel *panel = settings->aboutUsPanel();
    EXPECT_EQ(panel->versionLabel()->text(), QStringLiteral("V3.1.0"));
    QCoreApplication::setApplicationVersion(running);

    const QList<QAbstractButton *> buttons = panel->buttons();
    ASSERT_EQ(buttons.size(), 6);
    buttons[3]->click(); // feedback
    ASSERT_TRUE(settleRequests());
    EXPECT_TRUE(openedUrls.isEmpty());
    EXPECT_TRUE(checks.isEmpty());
    EXPECT_TRUE(uploads.requests().isEmpty());
    EXPECT_EQ(VeskToast::currentToast(), nullptr);
    EXPECT_EQ(VeskToast::currentLoadingToast(), nullptr);

    buttons[0]->click();
    EXPECT_EQ(checks, QList<bool>{true});
    buttons[1]->click();
    buttons[4]->click();
    buttons[5]->click();
    VeskAppAgent *agent = VeskAppAgent::sharedInstance();
    EXPECT_EQ(openedUrls,
              (QStringList{agent->getUserHandlerBook(), agent->privacy1UrlString(), agent->privacyUrlString()}));
}

TEST_F(SettingsPanelsTest, About_UploadSendsTheUserAndShowsTheAnswerFromAnyThread)
{
    FakeAnalyzeScope uploads;
    uploads.answerCode.reset();
    MainSettingViewController *settings = open(false);
    settings->switchTab(5);
    settings->aboutUsPanel()->buttons()[2]->click();
    EXPECT_EQ(VeskToast::textOf(VeskToast::currentLoadingToast()), QStringLiteral("正在上传"));
    ASSERT_EQ(uploads.requests().size(), 1);
    const FakeAnalyzeScope::Request sent = uploads.requests()[0];
    EXPECT_TRUE(sent.appId.isEmpty()) << "a user without an application id";
    EXPECT_FALSE(sent.appId.isNull());
    EXPECT_EQ(sent.userId, RXEncrypt::aes128ecbEncrypt(kMyPhone));
    EXPECT_EQ(sent.userName, QStringLiteral("张三"));
    EXPECT_TRUE(sent.logDirectory.isEmpty());
    EXPECT_FALSE(sent.logDirectory.isNull());

    std::thread engine([&] { uploads.answer(2); });
    engine.join();
    ASSERT_TRUE(processEventsUntil([] { return toastText() == QStringLiteral("上传失败"); }));
    EXPECT_EQ(VeskToast::currentToast()->thread(), QThread::currentThread());
    EXPECT_EQ(VeskToast::currentLoadingToast(), nullptr);

    uploads.answerCode = 94;
    settings->aboutUsPanel()->buttons()[2]->click();
    ASSERT_TRUE(processEventsUntil([] { return toastText() == QStringLiteral("打包失败,请稍后再试"); }));
}

// ---- Account ---------------------------------------------------------------------------------

class AccountPanelTest : public SettingsTest {
protected:
    MainSettingAccountAndSecurityPanel *openAccount()
    {
        settings = open(false);
        settings->switchTab(4);
        return settings->accountAndSecurityPanel();
    }
    // Edits the name as a user would: modify, select all, type, Return.
    void rename(MainSettingAccountAndSecurityPanel *panel, const QString &typed)
    {
        panel->modifyButton()->click();
        KVTextField *field = panel->textFieldView()->textField();
        field->selectAll();
        if (typed.isEmpty()) {
            QTest::keyClick(field, Qt::Key_Backspace);
        } else {
            // Chinese arrives from the input method as committed text.
            QInputMethodEvent input;
            input.setCommitString(typed);
            QApplication::sendEvent(field, &input);
        }
        QTest::keyClick(field, Qt::Key_Return);
    }
    static const inline QString kRenamePath = QStringLiteral("/qf/user/info");
    MainSettingViewController *settings = nullptr;
};

TEST_F(AccountPanelTest, NameField_ChecksEveryChangeAndAnEmptyNameSendsNothing)
{
    MainSettingAccountAndSecurityPanel *panel = openAccount();
    EXPECT_EQ(panel->userNameLabel()->text(), QStringLiteral("张三"));
    EXPECT_EQ(panel->phoneLabel()->text(), kMyPhone);
    panel->modifyButton()->click();
    EXPECT_TRUE(panel->isEditing());
    EXPECT_FALSE(panel->userNameLabel()->isVisibleTo(panel));
    EXPECT_EQ(panel->textFieldView()->stringValue(), QStringLiteral("张三"));
    EXPECT_EQ(panel->textFieldView()->placeholder(), QStringLiteral("2-20个中文或英文字符，不支持字符&、<、 >"));

    KVTextField *field = panel->textFieldView()->textField();
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("a<"));
    EXPECT_EQ(panel->stateLabel()->text(), QStringLiteral("不支持&、<、 >等特殊字符"));
    EXPECT_TRUE(panel->textFieldView()->unValidstate());
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(panel->stateLabel()->text(), QStringLiteral("不能少于2个字符"));
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(panel->stateLabel()->text(), QStringLiteral("用户名不能为空"));
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kRenamePath), 0);
    EXPECT_TRUE(panel->isEditing()) << "the message stays under the open field";

    QTest::keyClicks(field, QString(25, QLatin1Char('x')));
    EXPECT_EQ(panel->textFieldView()->stringValue().size(), 20) << "the field takes twenty units";
    EXPECT_TRUE(panel->stateLabel()->text().isEmpty());
    EXPECT_FALSE(panel->textFieldView()->unValidstate());
}

// A screen reader or dictation tool sets the whole text through the accessibility interface, which
// the field reports as no typing: the rules judge it all the same, and Return sends nothing refused.
TEST_F(AccountPanelTest, NameSetThroughTheAccessibilityInterface_IsCheckedAndReturnSendsNothingRefused)
{
    MainSettingAccountAndSecurityPanel *panel = openAccount();
    panel->modifyButton()->click();
    KVTextField *field = panel->textFieldView()->textField();
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(field);
    ASSERT_NE(iface, nullptr);
    ASSERT_NE(iface->editableTextInterface(), nullptr);
    for (const QString &refused : {QStringLiteral("a"), QString(48, QLatin1Char('y'))}) {
        iface->editableTextInterface()->replaceText(0, int(field->text().size()), refused);
        EXPECT_FALSE(panel->stateLabel()->text().isEmpty()) << refused.size() << " characters judged as fine";
        QTest::keyClick(field, Qt::Key_Return);
        ASSERT_TRUE(settleRequests());
        EXPECT_EQ(requestCount(kRenamePath), 0) << "sent " << refused.size() << " characters";
    }
    iface->setText(QAccessible::Value, QStringLiteral("李"));
    EXPECT_EQ(panel->stateLabel()->text(), QStringLiteral("不能少于2个字符"));
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kRenamePath), 0);
    EXPECT_TRUE(panel->isEditing());
}

TEST_F(AccountPanelTest, Rename_SuccessUpdatesTheUserEverywhere_AlsoForAnUnchangedName)
{
    MainSettingAccountAndSecurityPanel *panel = openAccount();
    QStringList announced;
    QObject observer;
    NotificationCenter::defaultCenter().addObserver(
        &observer, QStringLiteral("kUserNameChangedNotification"),
        [&](const Notification &n) { announced.append(n.object.toString()); });

    rename(panel, QStringLiteral("王五 <b>"));
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kRenamePath), 0) << "refused by the check";
    rename(panel, QStringLiteral("王五"));
    ASSERT_TRUE(processEventsUntil([&] { return !panel->isEditing(); }));
    EXPECT_EQ(service.requestsFor(kRenamePath).last().json.value("userName").toString(), QStringLiteral("王五"));
    EXPECT_EQ(service.state().user(kMyPhone)->userName, QStringLiteral("王五"));
    EXPECT_EQ(panel->userNameLabel()->text(), QStringLiteral("王五"));
    EXPECT_TRUE(panel->modifyButton()->isVisibleTo(panel));
    EXPECT_FALSE(panel->textFieldView()->isVisibleTo(panel));
    EXPECT_EQ(VeskAppAgent::sharedInstance()->myInfo().userName, QStringLiteral("王五"));
    EXPECT_EQ(
        UserDefaults::standardUserDefaults().dictionaryForKey(VeskAppAgent::kMyInfoKey).value("userName").toString(),
        QStringLiteral("王五"));
    EXPECT_EQ(announced, QStringList{QStringLiteral("王五")});

    panel->modifyButton()->click();
    QTest::keyClick(panel->textFieldView()->textField(), Qt::Key_Return);
    ASSERT_TRUE(processEventsUntil([&] { return requestCount(kRenamePath) == 2; }));
    EXPECT_EQ(service.requestsFor(kRenamePath).last().json.value("userName").toString(), QStringLiteral("王五"));
}

TEST_F(AccountPanelTest, AStoredNameTooLong_IsShownWholeAndRefused_NeverSentCut)
{
    // A name the service holds from elsewhere, longer than the field takes.
    const QString stored = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    signIn(stored);
    MainSettingAccountAndSecurityPanel *panel = openAccount();
    ASSERT_EQ(panel->userNameLabel()->text(), stored);
    QTest::mouseClick(panel->modifyButton(), Qt::LeftButton);
    ASSERT_TRUE(panel->isEditing());
    EXPECT_EQ(panel->textFieldView()->stringValue(), stored);
    EXPECT_EQ(panel->stateLabel()->text(), QStringLiteral("不能超过20个字符"));
    EXPECT_TRUE(panel->textFieldView()->unValidstate());
    QTest::keyClick(panel->textFieldView()->textField(), Qt::Key_Return);
    ASSERT_TRUE(settleRequests());
    EXPECT_EQ(requestCount(kRenamePath), 0);
    EXPECT_TRUE(panel->isEditing());
    EXPECT_EQ(VeskAppAgent::sharedInstance()->myInfo().userName, stored);
}

TEST_F(AccountPanelTest, Rename_FailureToastsAndKeepsTheFieldOpen)
{
    MainSettingAccountAndSecurityPanel *panel = openAccount();
    service.failNextReply(kRenamePath, DevService::fail(400, QStringLiteral("名称已被占用")));
    rename(panel, QStringLiteral("赵六"));
    ASSERT_TRUE(processEventsUntil([] { return toastText() == QStringLiteral("名称已被占用"); }));
    EXPECT_TRUE(panel->isEditing());
    EXPECT_EQ(panel->textFieldView()->stringValue(), QStringLiteral("赵六"));
    EXPECT_EQ(VeskAppAgent::sharedInstance()->myInfo().userName, QStringLiteral("张三"));
    EXPECT_EQ(service.state().user(kMyPhone)->userName, QStringLiteral("张三"));
}

TEST_F(AccountPanelTest, DeviceRow_PlainDataAndTheSignInSecond)
{
    KVDeviceManageCell cell;
    MeetingRecordDeviceModel device;
    device.deviceName = QStringLiteral("<b>工作站</b>");
    device.deviceType = QStringLiteral("<i>linux</i>");
    device.lastLoginTime = 1'700'000'000'999;
    cell.setDeviceModel(device);
    EXPECT_EQ(cell.deviceNameLabel()->fullText(), device.deviceName);
    EXPECT_EQ(cell.deviceNameLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(cell.deviceTypeLabel()->fullText(), QStringLiteral("设备: <i>linux</i>"));
    EXPECT_EQ(cell.deviceTypeLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(cell.timeLabel()->text(), MainSettingRules::lastLoginText(1'700'000'000'000));
    EXPECT_FALSE(cell.currentDeviceLabel()->isVisibleTo(&cell));
    device.isLastest = true;
    cell.setDeviceModel(device);
    EXPECT_TRUE(cell.currentDeviceLabel()->isVisibleTo(&cell));
    EXPECT_TRUE(cell.currentDeviceIcon()->isVisibleTo(&cell));

    // A name that turns its direction keeps it to itself: the type and time read after it stay ours.
    device.deviceName = QStringLiteral("工作站\u202E") + QString(300, QLatin1Char('x'));
    device.deviceType = QStringLiteral("linux\u202E");
    cell.setDeviceModel(device);
    EXPECT_TRUE(cell.deviceNameLabel()->fullText().startsWith(QStringLiteral("工作站x")));
    EXPECT_LE(cell.deviceNameLabel()->fullText().size(), DataText::kNameLength + 2);
    EXPECT_FALSE(cell.deviceTypeLabel()->fullText().contains(QChar(0x202E)));
    KVDeviceListModel rows;
    rows.setDevices({device});
    const QString spoken = rows.index(0, 0).data(Qt::AccessibleTextRole).toString();
    EXPECT_TRUE(shownInOrder(spoken, QStringLiteral(", 设备: ")));
    EXPECT_TRUE(spoken.endsWith(SettingTexts::kCurrentDevice));
}

} // namespace
