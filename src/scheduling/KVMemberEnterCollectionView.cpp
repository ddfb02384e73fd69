#include "scheduling/KVMemberEnterCollectionView.h"

#include "scheduling/KVMeetingMemberCell.h"
#include "scheduling/KVMeetingMemberCreateCell.h"
#include "scheduling/MemberChipGeometry.h"
#include "scheduling/NSMemberEnterFlowLayout.h"

#include <QApplication>
#include <QScrollBar>

KVMemberEnterCollectionView::KVMemberEnterCollectionView(QWidget *parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(true);
    m_content = new QWidget(this);
    m_content->setAutoFillBackground(false);
    m_layout = new NSMemberEnterFlowLayout(m_content);
    MemberChipGeometry::FlowSpacing spacing;
    spacing.insets = QMargins(6, 5, 6, 5); // a field 34 high, 1 of it its border
    m_layout->setFlowSpacing(spacing);
    m_createCell = new KVMeetingMemberCreateCell(m_content);
    m_layout->addWidget(m_createCell);
    setWidget(m_content);
    viewport()->setAutoFillBackground(false);
    // What the field shows, with a view's height of slack each side: chips elsewhere move when a
    // scroll brings them near. A hidden field has no view yet: everything is placed.
    m_layout->setVisibleArea([this] {
        const int height = viewport()->height();
        if (!isVisible() || height <= 0)
            return QRect();
        return QRect(0, verticalScrollBar()->value() - height, m_content->width(), 3 * height);
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { m_layout->placeInSight(); });
    // A chip reached by Tab or an assistive tool is placed before the view scrolls to it.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        QWidget *chip = now;
        while (chip && chip->parentWidget() != m_content)
            chip = chip->parentWidget();
        if (chip)
            m_layout->placeItem(m_layout->indexOf(chip));
    });
}

KVTextField *KVMemberEnterCollectionView::inputTextField() const
{
    return m_createCell->inputTextField();
}

void KVMemberEnterCollectionView::reloadData(const QList<VeskUserModel> &members)
{
    // The entry keeps its text and focus: only the chips before it are made again.
    m_layout->removeAllItems();
    MemberChipLayout::deleteLater(m_chips);
    m_chips.clear();
    m_chips.reserve(members.size());
    for (qsizetype i = 0; i < members.size(); ++i) {
        auto *chip = new KVMeetingMemberCell(m_content);
        chip->setModel(members[i]);
        chip->setShowDelete(true);
        chip->onDelete = [this](KVMeetingMemberCell *cell) {
            const int index = int(m_chips.indexOf(cell));
            if (index >= 0 && onDelete)
                onDelete(index, cell->model());
        };
        m_layout->addWidget(chip);
        m_chips.append(chip);
    }
    m_layout->addWidget(m_createCell);
    // New chips would come last in the Tab order; a user meets them before the entry.
    QWidget *previous = this;
    for (KVMeetingMemberCell *chip : std::as_const(m_chips)) {
        chip->show();
        QWidget::setTabOrder(previous, chip->deleteButton());
        previous = chip->deleteButton();
    }
    QWidget::setTabOrder(previous, inputTextField());
    m_layout->invalidate();
}

int KVMemberEnterCollectionView::lines() const
{
    return m_layout->linesForWidth(viewport()->width());
}

void KVMemberEnterCollectionView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    m_layout->invalidate();
    if (onResized)
        onResized();
}
