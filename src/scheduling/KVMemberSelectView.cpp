#include "scheduling/KVMemberSelectView.h"

#include "scheduling/KVMemberSelectCollectionItem.h"
#include "scheduling/MemberChipGeometry.h"
#include "scheduling/SchedulingTexts.h"
#include "uikit/VeskCategories.h"

#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
qsizetype indexOfUser(const QList<VeskUserModel> &list, const QString &userId)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list[i].userId == userId)
            return i;
    }
    return -1;
}
} // namespace

KVMemberSelectView::KVMemberSelectView(QWidget *parent) : QWidget(parent)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus); // Tab goes from the field straight to the rows
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_content = new QWidget(m_scroll);
    m_rowsLayout = new QVBoxLayout(m_content);
    m_rowsLayout->setSpacing(0);
    m_rowsLayout->setContentsMargins(0, 4, 0, 4);
    m_rowsLayout->addStretch(1);
    m_scroll->setWidget(m_content);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_content->setAutoFillBackground(false);
    outer->addWidget(m_scroll);
    m_emptyLabel = new QLabel(SchedulingTexts::kNoSearchResult, this);
    m_emptyLabel->setTextFormat(Qt::PlainText);
    m_emptyLabel->setAlignment(Qt::AlignCenter);
    m_emptyLabel->setFont(vesk::systemFont(13));
    QPalette pal = m_emptyLabel->palette();
    pal.setColor(QPalette::WindowText, vesk::colorWithHexString(QStringLiteral("999999")));
    m_emptyLabel->setPalette(pal);
    outer->addWidget(m_emptyLabel);
    m_emptyLabel->hide();
    setAccessibleName(SchedulingTexts::kInviteesLabel);
}

void KVMemberSelectView::setMembers(const QList<VeskUserModel> &members)
{
    m_members = members;
    m_selects = QList<bool>(m_members.size(), false);
    m_firstRow.clear();
    m_rowIds.clear();
    m_rowsCurrent = false;
}

void KVMemberSelectView::setMiniMode(bool mini)
{
    m_miniMode = mini;
    m_rowsLayout->setContentsMargins(0, mini ? 0 : 4, 0, mini ? 0 : 4);
}

int KVMemberSelectView::suitedHeight() const
{
    return MemberChipGeometry::suitedHeight(m_members.size(), m_miniMode);
}

void KVMemberSelectView::updateData()
{
    // Ticks are cleared first in every case, so a list emptied meanwhile leaves none behind.
    QList<bool> shownTicks = std::exchange(m_selects, QList<bool>(m_members.size(), false));
    if (m_selectMembers && !m_selectMembers->isEmpty()) {
        if (m_firstRow.isEmpty()) {
            qsizetype length = 0;
            for (const VeskUserModel &member : std::as_const(m_members))
                length += member.userId.size();
            m_rowIds.clear();
            m_rowIds.reserve(length); // the views below must not move
            for (const VeskUserModel &member : std::as_const(m_members))
                m_rowIds += member.userId;
            m_firstRow.reserve(m_members.size());
            for (qsizetype i = m_members.size() - 1, end = length; i >= 0; --i) {
                const qsizetype size = m_members[i].userId.size();
                end -= size;
                m_firstRow.insert(QStringView(m_rowIds).mid(end, size), i);
            }
        }
        for (const VeskUserModel &chosen : std::as_const(*m_selectMembers)) {
            const auto it = m_firstRow.constFind(chosen.userId);
            if (it != m_firstRow.cend())
                m_selects[*it] = true;
        }
    }
    m_emptyLabel->setVisible(m_members.isEmpty());
    m_scroll->setVisible(!m_members.isEmpty());
    reloadRows(shownTicks);
}

void KVMemberSelectView::reloadRows(const QList<bool> &shownTicks)
{
    while (m_rows.size() < m_members.size()) {
        auto *row = new KVMemberSelectCollectionItem(m_content);
        const int index = int(m_rows.size());
        // A click and an assistive tool's toggle both flip the row first; the picker decides.
        connect(row, &QAbstractButton::toggled, this, [this, index, row] {
            toggleRow(index);
            row->setSelected(isRowSelected(index));
        });
        m_rowsLayout->insertWidget(index, row);
        m_rows.append(row);
    }
    // Rows already showing these people only change where a tick changed: an update of thousands
    // of results with one tick more touches one row.
    const qsizetype current = m_rowsCurrent ? std::min(m_rowsShown, shownTicks.size()) : 0;
    for (qsizetype i = 0; i < m_members.size(); ++i) {
        KVMemberSelectCollectionItem *row = m_rows[i];
        if (i < current) {
            if (shownTicks[i] != m_selects[i])
                row->setSelected(m_selects[i]);
            continue;
        }
        row->setModel(m_members[i]);
        row->setSelected(m_selects[i]);
        row->setVisible(true);
    }
    for (qsizetype i = m_members.size(); i < m_rowsShown; ++i)
        m_rows[i]->hide();
    m_rowsShown = m_members.size();
    m_rowsCurrent = true;
}

void KVMemberSelectView::toggleRow(int row)
{
    if (row < 0 || row >= m_members.size())
        return;
    const VeskUserModel person = m_members[row];
    if (m_selectMembers) {
        const qsizetype chosen = indexOfUser(*m_selectMembers, person.userId);
        if (chosen >= 0 && m_selectMembers->at(chosen).isAssistantHostOrHost)
            return; // the host and assistant hosts stay
    }
    handleSelect(row, !m_selects.value(row));
}

void KVMemberSelectView::handleSelect(int row, bool select)
{
    const VeskUserModel person = m_members[row];
    m_selects[row] = select;
    if (row < m_rows.size())
        m_rows[row]->setSelected(select);
    if (m_selectMembers) {
        const qsizetype chosen = indexOfUser(*m_selectMembers, person.userId);
        if (select && chosen < 0)
            m_selectMembers->append(person);
        else if (!select && chosen >= 0)
            m_selectMembers->removeAt(chosen);
    }
    if (onItemClick)
        onItemClick(person, select);
}

void KVMemberSelectView::deleteUser(const VeskUserModel &user)
{
    if (m_selectMembers) {
        const qsizetype chosen = indexOfUser(*m_selectMembers, user.userId);
        if (chosen >= 0)
            m_selectMembers->removeAt(chosen);
    }
    const qsizetype row = indexOfUser(m_members, user.userId);
    if (row < 0 || row >= m_selects.size())
        return;
    m_selects[row] = false;
    if (row < m_rows.size())
        m_rows[row]->setSelected(false);
}

bool KVMemberSelectView::isRowSelected(int row) const
{
    return m_selects.value(row, false);
}

QList<KVMemberSelectCollectionItem *> KVMemberSelectView::rows() const
{
    return m_rows.mid(0, m_members.size());
}

void KVMemberSelectView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(vesk::colorWithHexString(QStringLiteral("E5E6EB")), 1));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}
