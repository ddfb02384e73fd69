#include "meeting/panels/MeetingRecordSwitchView.h"

#include "meeting/panels/ApplicationServices.h"
#include "meeting/panels/PanelIcons.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QLabel>

namespace {

constexpr int kBox = 14;
constexpr int kBoxLeft = 20;
constexpr int kLabelHeight = 20;

VeskButton *row(QWidget *parent, const QString &text, qint64 tag, int boxTop)
{
    auto *box = new VeskButton(parent);
    box->setToggle(true);
    box->setTag(tag);
    box->setImage(PanelIcons::image(QStringLiteral("check_box_off"), kBox));
    box->setAlternateImage(PanelIcons::image(QStringLiteral("check_box_on"), kBox));
    box->setAccessibleName(text);
    box->setGeometry(kBoxLeft, boxTop, kBox, kBox);
    auto *label = new QLabel(text, parent);
    label->setFont(vesk::systemFont(14));
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    // Centred on its box.
    label->setGeometry(kBoxLeft + kBox + 10, boxTop - (kLabelHeight - kBox) / 2, MeetingRecordSwitchView::kWidth - 50,
                       kLabelHeight);
    return box;
}

} // namespace

MeetingRecordSwitchView::MeetingRecordSwitchView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("allowMeetingRecordView"));
    setAccessibleName(QStringLiteral("会议记录设置"));
    resize(kWidth, kOpenHeight);
    vesk::setBackgroundColor(this, vesk::colorWithHexString(QStringLiteral("#37383D")));
    vesk::setCornerRadius(this, 3.0);
    const int firstTop = 10;
    openTranscribeCheckBtn = row(this, QStringLiteral("开启会议记录"), kOpenTranscribeTag, firstTop);
    // The second box 10 below the first row's label.
    const int firstLabelBottom = firstTop - (kLabelHeight - kBox) / 2 + kLabelHeight;
    allowMemberViewRecordBtn =
        row(this, QStringLiteral("允许参会人查看会议记录"), kAllowMemberViewRecordTag, firstLabelBottom + 10);
    for (VeskButton *box : {openTranscribeCheckBtn.data(), allowMemberViewRecordBtn.data()}) {
        connect(box, &VeskButton::clicked, this, [this, box] {
            if (checkButtonClicked)
                checkButtonClicked(box);
        });
    }
}

void MeetingRecordSwitchView::setSwitches(bool openTranslateText, bool roomTranscribeStatus)
{
    openTranscribeCheckBtn->setState(openTranslateText ? 1 : 0);
    allowMemberViewRecordBtn->setState(roomTranscribeStatus ? 1 : 0);
}

void MeetingRecordSwitchView::sendSwitches(VeskButton *clicked, const std::shared_ptr<ApplicationServices> &services,
                                           std::function<void(bool on)> recordSwitched)
{
    if (!clicked || !services)
        return;
    const bool record = openTranscribeCheckBtn->state() == 1;
    const bool viewing = allowMemberViewRecordBtn->state() == 1;
    const bool viewingBox = clicked->tag() == kAllowMemberViewRecordTag;
    QPointer<VeskButton> box(clicked);
    services->hostHandleOpenTranscribe(
        this, record, viewing,
        [box, viewingBox, record, viewing, services, recordSwitched = std::move(recordSwitched)](bool ok) {
            if (!ok) {
                if (box)
                    box->setState(box->state() == 1 ? 0 : 1);
                return;
            }
            if (viewingBox) {
                services->setRoomTranscribeStatus(viewing ? 1 : 0);
                VeskToast::showToastInMeeting(viewing ? QStringLiteral("你已开启转录\n开启后全员可见")
                                                      : QStringLiteral("你已关闭转录\n关闭后全员不可见"));
                return;
            }
            if (recordSwitched)
                recordSwitched(record);
        });
}
