#include "meeting/panels/MoreItemView.h"

#include "foundation/MainQueue.h"
#include "foundation/NotificationCenter.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/ApplicationServices.h"
#include "meeting/panels/PanelIcons.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QLabel>

namespace {

constexpr int kRowHeight = MoreItemView::kHeight / MoreItemView::ItemCount;
constexpr int kImageSide = 20;
constexpr int kImageX = 16;
constexpr int kLabelX = 46;
const QString kOnColour = QStringLiteral("#007AFF");

struct ItemNames {
    const char *title;
    const char *off;
    const char *on;
};
// By Item; the record item has no image.
constexpr ItemNames kItems[] = {{"设置", "setting", "setting_bule"},
                                {"倒计时", "countdown_nor", "countdown_on"},
                                {"聊天", "chat", "chat_on"},
                                {"实时转录", "transcribe", "transcribe_on"},
                                {"会议记录设置", nullptr, nullptr}};

void makeRow(QWidget *parent, int row, QPointer<VeskButton> &button, QPointer<QLabel> &image, QPointer<QLabel> &label)
{
    const QString title = QString::fromUtf8(kItems[row].title);
    const int y = row * kRowHeight;
    image = new QLabel(parent);
    image->setGeometry(kImageX, y + (kRowHeight - kImageSide) / 2, kImageSide, kImageSide);
    label = new QLabel(title, parent);
    label->setFont(vesk::systemFont(13));
    label->setGeometry(kLabelX, y, MoreItemView::kWidth - kLabelX, kRowHeight);
    // The button lies over the image and the title and takes the clicks.
    button = new VeskButton(parent);
    button->setToggle(true);
    button->setAccessibleName(title);
    button->setToolTip(title);
    button->setGeometry(0, y, MoreItemView::kWidth, kRowHeight);
}

} // namespace

MoreItemView::MoreItemView(QWidget *parent) : QWidget(parent), m_services(ApplicationServices::meeting())
{
    setObjectName(QStringLiteral("MoreItemView"));
    setAccessibleName(QStringLiteral("更多"));
    resize(kWidth, kHeight);
    vesk::setBackgroundColor(this, vesk::colorWithHexString(QStringLiteral("#3D3E44")));
    vesk::setCornerRadius(this, 6.0);

    makeRow(this, SettingItem, settingBtn, settingImageView, settingLabel);
    makeRow(this, CountDownItem, countDownBtn, countDownImageView, countDownLabel);
    makeRow(this, MessageItem, messageBtn, messageImageView, messageLabel);
    makeRow(this, TranscriptionItem, transcriptionBtn, transcriptionImageView, transcriptionLabel);

    const QString recordTitle = QString::fromUtf8(kItems[TranscriptionSettingItem].title);
    transcriptionSettingBtn = new MeetingBottomButton(this);
    transcriptionSettingBtn->setToggle(true);
    transcriptionSettingBtn->setTitle(recordTitle);
    transcriptionSettingBtn->setFont(vesk::systemFont(13));
    transcriptionSettingBtn->setTextColor(Qt::white);
    transcriptionSettingBtn->setCovered(false);
    transcriptionSettingBtn->setAccessibleName(recordTitle);
    transcriptionSettingBtn->setToolTip(recordTitle);
    transcriptionSettingBtn->setGeometry(0, TranscriptionSettingItem * kRowHeight, kWidth, kRowHeight);

    for (int item = 0; item < TranscriptionSettingItem; ++item)
        setItemLook(Item(item), false);

    connect(settingBtn, &VeskButton::clicked, this, [this] { settingBtnAction(settingBtn); });
    connect(countDownBtn, &VeskButton::clicked, this, [this] { countDownBtnAction(countDownBtn); });
    connect(messageBtn, &VeskButton::clicked, this, [this] { IMBtnAction(messageBtn); });
    connect(transcriptionBtn, &VeskButton::clicked, this, [this] { transcriptionBtnAction(transcriptionBtn); });
    connect(transcriptionSettingBtn, &VeskButton::clicked, this,
            [this] { transcriptionSettingBtnAction(transcriptionSettingBtn); });

    // The transcription window closed by its own button: the item follows.
    NotificationCenter::defaultCenter().addObserver(
        this, QStringLiteral("TranscriptionViewHidden"),
        [this](const Notification &) { MainQueue::safe(this, [this] { itemPanelDidClose(TranscriptionItem); }); });
}

MoreItemView::~MoreItemView() = default;

void MoreItemView::setServices(std::shared_ptr<ApplicationServices> services)
{
    if (services)
        m_services = std::move(services);
}

void MoreItemView::settingBtnAction(VeskButton *sender)
{
    runItemAction(SettingItem, sender);
}

void MoreItemView::countDownBtnAction(VeskButton *sender)
{
    runItemAction(CountDownItem, sender);
}

void MoreItemView::IMBtnAction(VeskButton *sender)
{
    runItemAction(MessageItem, sender);
}

void MoreItemView::transcriptionBtnAction(VeskButton *sender)
{
    if (!sender)
        return;
    // Only opening is refused: the window must still close when the host turned transcription
    // off meanwhile, and the button goes back so that the next press asks again.
    if (sender->state() != 0 && m_services->roomTranscribeStatus() == 0) {
        VeskToast::showToastInMeeting(QStringLiteral("主持人已关闭实时转录"));
        sender->setState(0);
        return;
    }
    runItemAction(TranscriptionItem, sender);
}

void MoreItemView::transcriptionSettingBtnAction(VeskButton *sender)
{
    runItemAction(TranscriptionSettingItem, sender);
}

void MoreItemView::runItemAction(Item item, VeskButton *sender)
{
    if (!sender)
        return;
    const bool on = sender->state() != 0;
    setItemLook(item, on);
    QPointer<MoreItemView> self(this);
    if (on)
        resetItem(sender);
    if (!self)
        return;
    const std::function<void(VeskButton *)> blocks[] = {settingBlock, countDownBlock, messageBlock, transcriptionBlock,
                                                        transcriptionSettingBlock};
    if (const auto &block = blocks[item])
        block(sender);
}

void MoreItemView::resetItem(VeskButton *button)
{
    QPointer<MoreItemView> self(this);
    for (int i = 0; i < ItemCount && self; ++i) {
        const auto item = Item(i);
        VeskButton *other = buttonOf(item);
        if (!other || other == button)
            continue;
        const bool wasOn = other->state() != 0;
        other->setState(0);
        // Only an open panel is closed: one the item never opened is left alone.
        if (wasOn)
            runItemAction(item, other);
        else
            setItemLook(item, false);
    }
}

void MoreItemView::itemPanelDidClose(Item item)
{
    if (VeskButton *button = buttonOf(item))
        button->setState(0);
    setItemLook(item, false);
}

VeskButton *MoreItemView::buttonOf(Item item) const
{
    switch (item) {
    case SettingItem:
        return settingBtn;
    case CountDownItem:
        return countDownBtn;
    case MessageItem:
        return messageBtn;
    case TranscriptionItem:
        return transcriptionBtn;
    case TranscriptionSettingItem:
        return transcriptionSettingBtn;
    case ItemCount:
        break;
    }
    return nullptr;
}

QString MoreItemView::imageNameOf(Item item) const
{
    const QLabel *images[] = {settingImageView, countDownImageView, messageImageView, transcriptionImageView};
    if (item < SettingItem || item >= TranscriptionSettingItem || !images[item])
        return {};
    return images[item]->property("imageName").toString();
}

void MoreItemView::setItemLook(Item item, bool on)
{
    QLabel *images[] = {settingImageView, countDownImageView, messageImageView, transcriptionImageView};
    QLabel *labels[] = {settingLabel, countDownLabel, messageLabel, transcriptionLabel};
    if (item < SettingItem || item >= TranscriptionSettingItem || !images[item] || !labels[item])
        return;
    const QString name = QString::fromLatin1(on ? kItems[item].on : kItems[item].off);
    images[item]->setPixmap(PanelIcons::image(name, kImageSide));
    images[item]->setProperty("imageName", name);
    labels[item]->setStyleSheet(on ? QStringLiteral("color: %1;").arg(kOnColour) : QStringLiteral("color: white;"));
}
