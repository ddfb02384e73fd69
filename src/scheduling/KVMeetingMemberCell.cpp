#include "scheduling/KVMeetingMemberCell.h"

#include "foundation/StringHelpers.h"
#include "scheduling/MemberChipGeometry.h"
#include "scheduling/SchedulingIcons.h"
#include "scheduling/SchedulingTexts.h"
#include "uikit/KVDataText.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"

#include <QPainter>

KVMeetingMemberCell::KVMeetingMemberCell(QWidget *parent) : QWidget(parent)
{
    m_userLabel = new KVElidedLabel(this);
    m_userLabel->setFont(vesk::systemFont(12));
    m_userLabel->setAlignment(Qt::AlignCenter);
    m_deleteBtn = new VeskButton(this);
    m_deleteBtn->setImage(SchedulingIcons::image(SchedulingIcons::kDelete, 12));
    m_deleteBtn->setFocusPolicy(Qt::TabFocus);
    connect(m_deleteBtn, &QAbstractButton::clicked, this, [this] {
        if (onDelete)
            onDelete(this);
    });
    setShowDelete(false);
    createUI();
}

QSize KVMeetingMemberCell::sizeFit(const QString &text, bool showDelete, int cellHieght)
{
    const qreal width = text.isEmpty() ? 0 : vesk::widthOfStringwithFont(text, vesk::systemFont(12));
    return MemberChipGeometry::chipSize(width, showDelete, cellHieght);
}

void KVMeetingMemberCell::setModel(const VeskUserModel &model)
{
    m_model = model;
    updateText();
    updateSizeHint();
}

void KVMeetingMemberCell::updateSizeHint()
{
    m_sizeHint = sizeFit(m_model.userName, m_showDelete, MemberChipGeometry::kChipHeight);
}

void KVMeetingMemberCell::setShowDelete(bool show)
{
    m_showDelete = show;
    updateSizeHint();
    m_deleteBtn->setVisible(show);
    m_titleTrailing = show ? 22 : 6;
    layoutChildren();
}

void KVMeetingMemberCell::setMiniMode(bool mini)
{
    m_miniMode = mini;
    createUI();
}

void KVMeetingMemberCell::setTowLineLastItem(bool last)
{
    if (m_towLineLastItem == last)
        return;
    m_towLineLastItem = last;
    updateText();
    layoutChildren();
}

QString KVMeetingMemberCell::shownText() const
{
    return m_userLabel->fullText();
}

void KVMeetingMemberCell::updateText()
{
    const QString name = m_model.userName;
    m_userLabel->setFullText(m_towLineLastItem ? SchedulingTexts::kMore : name);
    setAccessibleName(m_towLineLastItem ? SchedulingTexts::kMoreMembers : name);
    KVDataText::setToolTip(this, m_towLineLastItem ? QString() : name);
    m_deleteBtn->setAccessibleName(SchedulingTexts::kRemoveMember.arg(name));
    KVDataText::setToolTip(m_deleteBtn, SchedulingTexts::kRemoveMember.arg(name));
}

void KVMeetingMemberCell::createUI()
{
    if (m_miniMode && m_darkMode) {
        m_nameColor = vesk::colorWithHexString(QStringLiteral("#FFFFFF"));
        m_chipColor = vesk::colorWithHexString(QStringLiteral("#516178"));
    } else {
        m_nameColor = vesk::colorWithHexString(QStringLiteral("#666666"));
        m_chipColor = vesk::colorWithHexString(QStringLiteral("#F0F1F5"));
    }
    QPalette pal = m_userLabel->palette();
    pal.setColor(QPalette::WindowText, m_nameColor);
    m_userLabel->setPalette(pal);
    update();
}

QSize KVMeetingMemberCell::sizeHint() const
{
    return m_sizeHint;
}

void KVMeetingMemberCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
}

void KVMeetingMemberCell::layoutChildren()
{
    const int left = MemberChipGeometry::kChipPadding;
    // A "..." chip is too narrow for the button; the name takes it all.
    const bool button = m_showDelete && !m_towLineLastItem;
    const int trailing = button ? m_titleTrailing : MemberChipGeometry::kChipPadding;
    m_userLabel->setGeometry(left, 0, std::max(0, width() - left - trailing), height());
    m_deleteBtn->setGeometry(width() - MemberChipGeometry::kChipDeleteWidth - 3, (height() - 16) / 2, 16, 16);
    m_deleteBtn->setVisible(button);
}

void KVMeetingMemberCell::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(m_chipColor);
    p.drawRoundedRect(QRectF(rect()), 3, 3);
}
