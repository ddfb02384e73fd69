#include "meeting/panels/InviteMemberCell.h"

#include "meeting/panels/PanelIcons.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <QHBoxLayout>

InviteMemberCell::InviteMemberCell(const VeskUserModel &model, QWidget *parent) : QWidget(parent), m_model(model)
{
    setFixedHeight(kRowHeight);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 0, 8, 0);
    row->setSpacing(6);
    nameLabel = KVDataText::label(KVDataText::bounded(model.userName, DataText::kNameLength), this);
    idLabel = KVDataText::label(QStringLiteral("( ID:%1 )").arg(model.userId), this);
    for (QLabel *l : {nameLabel.data(), idLabel.data()}) {
        l->setFont(vesk::systemFont(13));
        l->setStyleSheet(QStringLiteral("color: white;"));
    }
    idLabel->setStyleSheet(QStringLiteral("color: #999999;"));
    removeButton = new VeskButton(this);
    removeButton->setImage(PanelIcons::image(QStringLiteral("panel_close"), 14));
    removeButton->setAccessibleName(QStringLiteral("移除 %1").arg(model.userName));
    KVDataText::setToolTip(removeButton, QStringLiteral("移除"));
    removeButton->setFixedSize(24, 24);
    row->addWidget(nameLabel);
    row->addWidget(idLabel, 1);
    row->addWidget(removeButton);
    connect(removeButton, &VeskButton::clicked, this, [this] { removeMember(); });
}

void InviteMemberCell::removeMember()
{
    if (removeBlock)
        removeBlock(m_model);
}
