#pragma once

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class ApplicationServices;
class MeetingBottomButton;
class QLabel;
class VeskButton;

// The menu of the floating share tool bar's "more" button: settings, count-down, chat, live
// transcription and the meeting-record switches. Each item is a toggle whose block opens or closes
// the item's own panel; switching one on switches the others off, so at most one is on.
class MoreItemView final : public QWidget {
    Q_OBJECT
public:
    // In the order resetItem switches them off.
    enum Item { SettingItem, CountDownItem, MessageItem, TranscriptionItem, TranscriptionSettingItem, ItemCount };

    static constexpr int kWidth = 138;
    static constexpr int kHeight = 180;

    explicit MoreItemView(QWidget *parent = nullptr);
    ~MoreItemView() override;

    // The meeting whose transcription switch the transcription item reads (the agent's by default).
    void setServices(std::shared_ptr<ApplicationServices> services);

    // Item actions; the button's state is already the new one.
    void settingBtnAction(VeskButton *sender);
    void countDownBtnAction(VeskButton *sender);
    void IMBtnAction(VeskButton *sender);
    void transcriptionBtnAction(VeskButton *sender);
    void transcriptionSettingBtnAction(VeskButton *sender);
    // Switches off every item but button (nullptr: all of them); an item that was on closes its
    // panel through its block.
    void resetItem(VeskButton *button);
    // The item's panel closed by itself: the item goes off without running its block.
    void itemPanelDidClose(Item item);

    [[nodiscard]] VeskButton *buttonOf(Item item) const;
    // The image the item shows now ("chat_on", "setting", ...); empty for the record item.
    [[nodiscard]] QString imageNameOf(Item item) const;

    QPointer<VeskButton> settingBtn;
    QPointer<QLabel> settingImageView;
    QPointer<QLabel> settingLabel;
    QPointer<VeskButton> countDownBtn;
    QPointer<QLabel> countDownImageView;
    QPointer<QLabel> countDownLabel;
    QPointer<VeskButton> messageBtn;
    QPointer<QLabel> messageImageView;
    QPointer<QLabel> messageLabel;
    QPointer<VeskButton> transcriptionBtn;
    QPointer<QLabel> transcriptionImageView;
    QPointer<QLabel> transcriptionLabel;
    QPointer<MeetingBottomButton> transcriptionSettingBtn;

    // Each takes the pressed button and reads its state (on = 1). settingBlock is the sharing
    // code's; the window sets the others.
    std::function<void(VeskButton *)> settingBlock;
    std::function<void(VeskButton *)> countDownBlock;
    std::function<void(VeskButton *)> messageBlock;
    std::function<void(VeskButton *)> transcriptionBlock;
    std::function<void(VeskButton *)> transcriptionSettingBlock;

private:
    void runItemAction(Item item, VeskButton *sender);
    void setItemLook(Item item, bool on);

    std::shared_ptr<ApplicationServices> m_services;
};
