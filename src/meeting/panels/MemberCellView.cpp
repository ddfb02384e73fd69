#include "meeting/panels/MemberCellView.h"

#include "agent/MeetingMemberModel.h"
#include "meeting/panels/PanelIcons.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskMicrophoneIcon.h"

#include <QHBoxLayout>

MemberCellView::MemberCellView(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(kRowHeight);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 0, 12, 0);
    row->setSpacing(10);
    auto *name = new KVElidedLabel(this);
    name->setFont(vesk::systemFont(14));
    name->setStyleSheet(QStringLiteral("color: white;"));
    nameLabel = name;
    audioButton = new VeskMicrophoneIcon(this);
    audioButton->setFixedSize(24, 24);
    videoButton = new VeskButton(this);
    videoButton->setImage(PanelIcons::image(QStringLiteral("member_camera_off"), 20));
    videoButton->setAlternateImage(PanelIcons::image(QStringLiteral("member_camera_on"), 20));
    videoButton->setAccessibleName(QStringLiteral("摄像头"));
    videoButton->setFixedSize(24, 24);
    row->addWidget(nameLabel, 1);
    row->addWidget(audioButton);
    row->addWidget(videoButton);
    connect(audioButton, &VeskButton::clicked, this, [this] { microphoneButtonAction(); });
    connect(videoButton, &VeskButton::clicked, this, [this] { cameraButtonAction(); });
}

void MemberCellView::setModel(std::shared_ptr<MeetingMemberModel> model)
{
    m_model = std::move(model);
    showModel();
}

void MemberCellView::showModel()
{
    if (!m_model)
        return;
    const QString bounded = KVDataText::isolated(KVDataText::bounded(m_model->userName, DataText::kNameLength));
    const QString name = m_model->isSelf() ? QStringLiteral("%1 (我)").arg(bounded) : bounded;
    static_cast<KVElidedLabel *>(nameLabel.data())->setFullText(name);
    audioButton->setPhoneNumber(m_model->phoneNumber);
    audioButton->setIconState(m_model->audioFlag() ? 1 : 0);
    videoButton->setState(m_model->videoFlag() ? 1 : 0);
    videoButton->setAccessibleDescription(m_model->videoFlag() ? QStringLiteral("已开启") : QStringLiteral("已关闭"));
}

void MemberCellView::microphoneButtonAction()
{
    // The icon shows the member's microphone; a click here cannot change it.
    showModel();
}

void MemberCellView::cameraButtonAction()
{
    // A click has flipped the button: it goes back to what the member has.
    showModel();
}
