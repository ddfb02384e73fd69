// The meeting form's begin picker, duration menu, end-time panel and picker, and the click mask
// that closes them.
#include "scheduling/CreateMeetingViewController.h"

#include "foundation/DateHelpers.h"
#include "scheduling/KVMemberEnterCollectionView.h"
#include "scheduling/KVMemberSelectView.h"
#include "scheduling/KVSelectTimeView.h"
#include "scheduling/SchedulingIcons.h"
#include "scheduling/SchedulingTexts.h"
#include "uikit/KVDatePickerView.h"
#include "uikit/KVHoverBorderView.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/MoreActionItem.h"
#include "uikit/MoreActionView.h"
#include "uikit/QFFlatButton.h"
#include "uikit/VeskCategories.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QRegion>

namespace {

// A see-through button over the form while a pop-up is open: a click on it closes the
// pop-ups. Its mask leaves out the places where clicks go on to what is below.
class OverMaskButton final : public QAbstractButton {
public:
    explicit OverMaskButton(QWidget *parent) : QAbstractButton(parent)
    {
        setFocusPolicy(Qt::NoFocus);
        setAccessibleName(SchedulingTexts::kClose);
    }

protected:
    void paintEvent(QPaintEvent *) override {}
};

void destroy(QWidget *popUp)
{
    if (!popUp)
        return;
    popUp->hide();
    popUp->deleteLater();
}

} // namespace

QRect CreateMeetingViewController::rectInView(const QWidget *widget) const
{
    if (!widget || !isViewLoaded())
        return {};
    QWidget *view = const_cast<CreateMeetingViewController *>(this)->view();
    return QRect(widget->mapTo(view, QPoint(0, 0)), widget->size());
}

void CreateMeetingViewController::raisePopUp(QWidget *popUp)
{
    // What had the focus opened it: it gets the focus back when Escape closes the pop-up.
    QWidget *opener = QApplication::focusWidget();
    popUp->show();
    popUp->raise();
    QPointer<CreateMeetingViewController> self(this);
    KVPanelFocus::opened(popUp, opener && !popUp->isAncestorOf(opener) ? opener : nullptr, [self] {
        if (self)
            self->hideOverMaskBtnViews();
    });
}

void CreateMeetingViewController::showOverMask()
{
    Ui &ui = *m_ui;
    QWidget *view = this->view();
    if (!ui.overMaskBtn) {
        ui.overMaskBtn = new OverMaskButton(view);
        connect(ui.overMaskBtn, &QAbstractButton::clicked, this, [this] { onOverBtnClick(); });
    }
    ui.overMaskBtn->setGeometry(view->rect());
    ui.overMaskBtn->show();
    ui.overMaskBtn->raise();
    // Open pop-ups stay above the mask.
    for (QWidget *popUp : {static_cast<QWidget *>(ui.selectTimeView), static_cast<QWidget *>(ui.datePickView),
                           static_cast<QWidget *>(ui.durationView), static_cast<QWidget *>(ui.durationDatePickView),
                           static_cast<QWidget *>(ui.memberSelectView)}) {
        if (popUp)
            popUp->raise();
    }
    updateMaskRegion();
}

void CreateMeetingViewController::updateMaskRegion()
{
    Ui &ui = *m_ui;
    if (!ui.overMaskBtn)
        return;
    QRegion region(view()->rect());
    // Typing goes on in the list the member picker serves.
    if (ui.memberSelectView)
        region -= rectInView(chipViewOf(m_currentMemberType));
    ui.overMaskBtn->setMask(region);
}

bool CreateMeetingViewController::maskLetsThrough(const QPoint &viewPos) const
{
    const Ui &ui = *m_ui;
    if (!ui.overMaskBtn || ui.overMaskBtn->isHidden())
        return true;
    for (const QWidget *popUp :
         {static_cast<QWidget *>(ui.selectTimeView), static_cast<QWidget *>(ui.datePickView),
          static_cast<QWidget *>(ui.durationView), static_cast<QWidget *>(ui.durationDatePickView),
          static_cast<QWidget *>(ui.memberSelectView)}) {
        if (popUp && popUp->isVisible() && popUp->geometry().contains(viewPos))
            return true;
    }
    return !ui.overMaskBtn->mask().isEmpty() && !ui.overMaskBtn->mask().contains(viewPos);
}

void CreateMeetingViewController::hideOverMaskBtnViews()
{
    if (!isViewLoaded())
        return;
    Ui &ui = *m_ui;
    destroy(ui.datePickView);
    destroy(ui.durationView);
    destroy(ui.durationDatePickView);
    destroy(ui.memberSelectView);
    ui.datePickView = nullptr;
    ui.durationView = nullptr;
    ui.durationDatePickView = nullptr;
    ui.memberSelectView = nullptr;
    uncoverControls();
    m_currentDurationItem = nullptr;
    if (ui.overMaskBtn)
        ui.overMaskBtn->hide();
    m_durationIconName = SchedulingIcons::kDropdown;
    ui.durationIcon->setPixmap(SchedulingIcons::image(m_durationIconName, 16));
    ui.datePickBackView->setAlwaysHighlight(false);
    if (!ui.selectTimeView)
        ui.durationBackView->setAlwaysHighlight(false);
    else
        ui.selectTimeView->datePickBackView()->setAlwaysHighlight(false);
}

// ---- Begin ----------------------------------------------------------------------------------

void CreateMeetingViewController::onDatePickBtnClick()
{
    Ui &ui = *m_ui;
    hideOverMaskBtnViews();
    ui.datePickBackView->setAlwaysHighlight(true);
    auto *picker = new KVDatePickerView(view());
    picker->setAccessibleName(SchedulingTexts::kBeginLabel);
    const QSize size(346, 270);
    const QRect field = rectInView(ui.datePickBackView);
    const int x = std::clamp(field.center().x() - size.width() / 2, 0, std::max(0, view()->width() - size.width()));
    picker->setGeometry(QRect(QPoint(x, field.bottom() + 1 + 10), size));
    picker->setBeginDate(QDateTime::currentDateTime());
    picker->setSelectedDate(m_datePickSelectDate);
    // The begin applies at once, without confirming; the end moves with it.
    picker->onSelectedDate = [this](const QDateTime &date) {
        m_datePickSelectDate = date;
        setBeginTitle(StringFormatter::defaultDateStringWithOutSecond(date));
    };
    picker->onConfirm = [this] { hideOverMaskBtnViews(); };
    ui.datePickView = picker;
    showOverMask();
    picker->reloadData();
    raisePopUp(picker);
}

// ---- Duration menu --------------------------------------------------------------------------

void CreateMeetingViewController::onDurationClick()
{
    Ui &ui = *m_ui;
    if (ui.durationView) {
        hideOverMaskBtnViews();
        return;
    }
    hideOverMaskBtnViews();
    ui.durationBackView->setAlwaysHighlight(true);
    m_durationIconName = SchedulingIcons::kUp;
    ui.durationIcon->setPixmap(SchedulingIcons::image(m_durationIconName, 16));
    QList<MoreActionItem *> items;
    MoreActionItem *selected = nullptr;
    for (const KVCreateMeetingDuration &choice : KVCreateMeetingDuration::durationItems()) {
        auto *item = MoreActionItem::itemStyle2WithTitle(
            choice.title, choice.duration, [this](QWidget *, MoreActionItem *row) { chooseDuration(row); });
        item->setTitleSpacing(12);
        if (choice.duration == 0) {
            item->setTextAlignment(Qt::AlignCenter);
            item->setImmutableTitleColor(vesk::colorWithHexString(QStringLiteral("007AFF")));
        } else if (choice.duration == m_duration) {
            item->setSelect(true);
            selected = item;
        }
        items.append(item);
    }
    MoreActionView *menu = MoreActionView::viewWithItems(items);
    menu->setParent(view());
    const QRect field = rectInView(ui.durationBackView);
    menu->setMaxWidth(field.width());
    const QSize size = menu->getSizeWithMaxItemCount(8);
    menu->setGeometry(QRect(QPoint(field.left(), field.bottom() + 1 + 10), size));
    ui.durationView = menu;
    m_currentDurationItem = selected;
    showOverMask();
    raisePopUp(menu);
}

void CreateMeetingViewController::chooseDuration(MoreActionItem *item)
{
    const qint64 minutes = item->associatedObject().toLongLong();
    if (minutes <= 0) {
        openSelectTimeView();
        return;
    }
    if (m_currentDurationItem)
        m_currentDurationItem->setSelect(false);
    item->setSelect(true);
    m_currentDurationItem = item;
    const QString title = item->title();
    hideOverMaskBtnViews();
    setDurationCaption(title);
    m_duration = minutes;
}

// ---- End-time panel and picker --------------------------------------------------------------

void CreateMeetingViewController::openSelectTimeView()
{
    Ui &ui = *m_ui;
    hideOverMaskBtnViews();
    destroy(ui.selectTimeView);
    ui.selectTimeView = nullptr;
    ui.durationBackView->setAlwaysHighlight(true);
    auto *panel = new KVSelectTimeView(view());
    const QRect field = rectInView(ui.durationBackView);
    const QSize size = KVSelectTimeView::kSize;
    panel->setGeometry(QRect(QPoint((view()->width() - size.width()) / 2, field.bottom() + 1 + 10), size));
    panel->onCloseBtnClickBlock = [this](QAbstractButton *) { closeSelectTimeView(); };
    panel->onCancelBtnClickBlock = [this](QAbstractButton *) { closeSelectTimeView(); };
    panel->onConfirmBtnClickBlock = [this](QAbstractButton *) {
        KVSelectTimeView *p = m_ui->selectTimeView;
        if (p && p->duration() > 0) {
            setDurationCaption(p->durationTime());
            m_duration = p->duration();
        }
        closeSelectTimeView();
    };
    panel->onDatePickBtnClickBlock = [this](QAbstractButton *) { openDurationDatePickView(); };
    ui.selectTimeView = panel;
    showOverMask();
    raisePopUp(panel);
}

void CreateMeetingViewController::closeSelectTimeView()
{
    Ui &ui = *m_ui;
    destroy(ui.selectTimeView);
    ui.selectTimeView = nullptr;
    hideOverMaskBtnViews();
}

void CreateMeetingViewController::openDurationDatePickView()
{
    Ui &ui = *m_ui;
    KVSelectTimeView *panel = ui.selectTimeView;
    if (!panel)
        return;
    destroy(ui.durationDatePickView);
    ui.durationDatePickView = nullptr;
    destroy(ui.datePickView);
    ui.datePickView = nullptr;
    panel->datePickBackView()->setAlwaysHighlight(true);
    auto *picker = new KVDatePickerView(view());
    picker->setAccessibleName(SchedulingTexts::kEndLabel);
    const QSize size(346, 270);
    const QRect around = panel->geometry();
    const int x = around.center().x() - size.width() / 2;
    const int y = std::min(around.bottom() + 1 + 10, std::max(0, view()->height() - size.height()));
    picker->setGeometry(QRect(QPoint(x, y), size));
    const QDateTime begin = DateFromString::defaultDateWithOutSecondFromString(ui.datePickerButton->title());
    const auto range = MeetingTimeRules::endPickerRange(begin, m_duration);
    picker->setMinuteInterval(range.minuteInterval);
    picker->setBeginDate(range.beginDate);
    picker->setEndDate(range.endDate);
    m_datePickDurationSelectDate = range.selectedDate;
    picker->setSelectedDate(range.selectedDate);
    picker->onSelectedDate = [this](const QDateTime &date) { durationEndChanged(date); };
    picker->onConfirm = [this] { hideOverMaskBtnViews(); };
    ui.durationDatePickView = picker;
    showOverMask();
    picker->reloadData();
    raisePopUp(picker);
}

void CreateMeetingViewController::durationEndChanged(const QDateTime &date)
{
    KVSelectTimeView *panel = m_ui->selectTimeView;
    if (!panel)
        return;
    m_datePickDurationSelectDate = date;
    const QDateTime begin = DateFromString::defaultDateWithOutSecondFromString(m_ui->datePickerButton->title());
    const auto chosen = MeetingTimeRules::chooseEnd(begin, date);
    panel->setDuration(chosen.durationMinutes);
    panel->setDurationTime(chosen.lengthText);
    panel->setDateTime(chosen.endText);
}
