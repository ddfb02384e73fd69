// The share tool bar's more menu: the window's blocks that open and close each item's panel in a
// floating window under the menu, and the meeting-record switches shown from it.

#include "meeting/common/MeetingBottomButton.h"
#include "meeting/panels/ApplicationServices.h"
#include "meeting/panels/ChatPanel.h"
#include "meeting/panels/FloatingIMView.h"
#include "meeting/panels/HostCountDownView.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/panels/MeetingRecordSwitchView.h"
#include "meeting/panels/MoreItemView.h"
#include "meeting/panels/PanelViews.h"
#include "meeting/sharing/MeetingSharing.h"
#include "meeting/window/MeetingCountDowns.h"
#include "meeting/window/MeetingViewController.h"
#include "uikit/KVWindow.h"
#include "uikit/VeskButton.h"

namespace {

constexpr double kBelowMenu = 8;
const QSizeF kCountDownSize(278, 203);
const QString kFloatingIdentifier = QStringLiteral("showFloatingWindowAtView");

// Takes view out of the floating window the menu showed it in and closes that window. A view
// shown anywhere else (the count-down setter in the meeting window) stays where it is.
void closeFloatingPanel(QWidget *view)
{
    if (!view)
        return;
    auto *floating = qobject_cast<KVWindow *>(view->window());
    if (!floating || floating == view || floating->identifier() != kFloatingIdentifier)
        return;
    PanelViews::removeFromSuperview(view);
    floating->close();
}

[[nodiscard]] bool isOn(const VeskButton *button)
{
    return button && button->state() != 0;
}

} // namespace

MoreItemView *MeetingViewController::moreItemView()
{
    QPointer<QWidget> &slot = m_sharing->state().moreItemViewStorage;
    if (!slot) {
        auto *menu = new MoreItemView();
        QPointer<MeetingViewController> weak(this);
        QPointer<MoreItemView> anchor(menu);
        menu->countDownBlock = [weak, anchor](VeskButton *button) {
            if (!weak)
                return;
            if (isOn(button))
                weak->showFloatingWindowAtView(anchor, weak->countDowns().hostCountDownView(), kCountDownSize, 0,
                                               kBelowMenu);
            else
                closeFloatingPanel(weak->countDowns().state().hostCountDownView);
        };
        menu->messageBlock = [weak, anchor](VeskButton *button) {
            if (!weak)
                return;
            ChatPanel &chat = weak->panels().panel<ChatPanel>();
            if (isOn(button))
                weak->showFloatingWindowAtView(anchor, chat.floatingIMView(),
                                               QSizeF(FloatingIMView::kWidth, FloatingIMView::kHeight), 0, kBelowMenu);
            else
                chat.closeFloatingIMView();
        };
        menu->transcriptionBlock = [weak](VeskButton *button) {
            if (weak)
                weak->showOrHiddeTranscriptionWindow(isOn(button), true);
        };
        menu->transcriptionSettingBlock = [weak](VeskButton *button) {
            if (!weak)
                return;
            if (isOn(button))
                weak->showAllowMeetingRecordView();
            else
                closeFloatingPanel(weak->panels().state().allowMeetingRecordView);
        };
        // Deleted with the window unless the floating window it is shown in goes first.
        m_panels->keepView(menu);
        slot = menu;
    }
    return qobject_cast<MoreItemView *>(slot.data());
}

void MeetingViewController::resetItem(VeskButton *button)
{
    if (auto *menu = qobject_cast<MoreItemView *>(m_sharing->state().moreItemViewStorage.data()))
        menu->resetItem(button);
}

void MeetingViewController::showAllowMeetingRecordView()
{
    const std::shared_ptr<ApplicationServices> room = ApplicationServices::meeting();
    const bool record = room->openTranslateText() != 0;
    MeetingRecordSwitchView *view = allowMeetingRecordView();
    // The room may have changed since the view was made: a stale box would be sent back with the
    // next click.
    view->setSwitches(record, room->roomTranscribeStatus() != 0);
    const QSizeF size(MeetingRecordSwitchView::kWidth,
                      record ? MeetingRecordSwitchView::kOpenHeight : MeetingRecordSwitchView::kClosedHeight);
    showFloatingWindowAtView(moreItemView(), view, size, 0, kBelowMenu);
}

void MeetingViewController::refreshAllowMeetingRecordView()
{
    QWidget *view = m_panels->state().allowMeetingRecordView;
    // A reply that comes after the menu or its item closed opens nothing.
    const auto *menu = qobject_cast<MoreItemView *>(m_sharing->state().moreItemViewStorage.data());
    const bool shown = menu && isOn(menu->transcriptionSettingBtn);
    closeFloatingPanel(view);
    if (shown)
        showAllowMeetingRecordView();
}
