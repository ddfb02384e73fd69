#include "meeting/panels/IMDisplayView.h"

#include "meeting/panels/ChatRules.h"
#include "meeting/panels/MeetingMessageCell.h"
#include "uikit/AutoLayout.h"
#include "uikit/VeskCategories.h"

#include <QAbstractListModel>
#include <QEvent>
#include <QHash>
#include <QKeyEvent>
#include <QListView>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

using A = KVLayoutConstraint::Attribute;

// The lines as a list model: the rows' text is what screen readers read.
class IMDisplayView::Model final : public QAbstractListModel {
public:
    explicit Model(IMDisplayView *view) : QAbstractListModel(view), m_view(view) {}

    [[nodiscard]] int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : int(m_view->m_msgDataArr.size());
    }
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_view->m_msgDataArr.size())
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return m_view->m_msgDataArr.at(index.row())
                .getDisplayMessage(MeetingMessageCell::fontFor(!m_view->m_floatingState))
                .text;
        return {};
    }
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }

    void appendRow(const MeetingMessageModel &line)
    {
        const int row = int(m_view->m_msgDataArr.size());
        beginInsertRows({}, row, row);
        m_view->m_msgDataArr.append(line);
        endInsertRows();
    }
    void relayout() { Q_EMIT layoutChanged(); }

private:
    IMDisplayView *m_view;
};

// Rows are painted through the view's one cell.
class IMDisplayView::Delegate final : public QStyledItemDelegate {
public:
    explicit Delegate(IMDisplayView *view) : QStyledItemDelegate(view), m_view(view) {}

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const override
    {
        return {int(m_view->cellWidth()), m_view->rowHeightAt(index.row())};
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        // The line itself, not a copy: a copy would start without its laid-out text.
        MeetingMessageCell *cell = m_view->m_cell;
        cell->setCellWidth(m_view->cellWidth());
        cell->setEnableBK(!m_view->m_floatingState);
        cell->paintCell(*painter, option.rect, m_view->m_msgDataArr.at(index.row()));
    }

private:
    IMDisplayView *m_view;
};

// The list places its rows from the view's running sum of row heights: QListView's own layout
// asks every row its size whenever a line is added or the list scrolls, so a long meeting's join
// lines would cost more with each line. It draws its rows once into a picture and paints that
// picture until what it shows changes: over a live tile the overlay is painted again with every
// video frame, and drawing the rows' text each time would cost as much as the frame.
class IMDisplayView::List final : public QListView {
public:
    explicit List(IMDisplayView *view) : QListView(view), m_view(view) {}

    void doItemsLayout() override
    {
        QAbstractItemView::doItemsLayout(); // the scroll range and a repaint; no pass over the rows
        changed();
    }
    [[nodiscard]] QRect visualRect(const QModelIndex &index) const override
    {
        if (!index.isValid() || index.model() != model() || index.row() >= m_view->m_msgDataArr.size())
            return {};
        return {-horizontalOffset(), m_view->rowTop(index.row()) - verticalOffset(),
                std::max(viewport()->width(), int(m_view->cellWidth())), m_view->rowHeightAt(index.row())};
    }
    [[nodiscard]] QModelIndex indexAt(const QPoint &point) const override
    {
        const int row = point.x() < 0 ? -1 : m_view->rowAt(point.y() + verticalOffset());
        return row < 0 ? QModelIndex() : model()->index(row, 0);
    }
    void scrollTo(const QModelIndex &index, ScrollHint hint) override
    {
        executeDelayedItemsLayout();
        const QRect rect = visualRect(index);
        const QRect area = viewport()->rect();
        if (!rect.isValid() || (hint == EnsureVisible && area.contains(rect)))
            return;
        // As QListView: a row taller than the view shows its top.
        int value = verticalOffset();
        if (hint == PositionAtTop || (hint == EnsureVisible && rect.top() < area.top()))
            value += rect.top();
        else if (hint == PositionAtBottom || hint == EnsureVisible)
            value += std::min(rect.top(), rect.bottom() - area.height() + 1);
        else
            value += rect.top() - (area.height() - rect.height()) / 2;
        verticalScrollBar()->setValue(value);
    }

protected:
    [[nodiscard]] int horizontalOffset() const override { return horizontalScrollBar()->value(); }
    [[nodiscard]] int verticalOffset() const override { return verticalScrollBar()->value(); }
    void updateGeometries() override
    {
        const int page = viewport()->height();
        QScrollBar *bar = verticalScrollBar();
        bar->setSingleStep(kScrollStep);
        bar->setPageStep(page);
        bar->setRange(0, std::max(0, m_view->contentHeight() - page));
        horizontalScrollBar()->setRange(0, 0);
        QAbstractItemView::updateGeometries();
    }
    // The picture is drawn again at the new offset.
    void scrollContentsBy(int, int) override { viewport()->update(); }
    // No cursor to move: the keys scroll the lines.
    void keyPressEvent(QKeyEvent *event) override
    {
        static const QHash<int, QAbstractSlider::SliderAction> actions{
            {Qt::Key_Up, QAbstractSlider::SliderSingleStepSub},
            {Qt::Key_Down, QAbstractSlider::SliderSingleStepAdd},
            {Qt::Key_PageUp, QAbstractSlider::SliderPageStepSub},
            {Qt::Key_PageDown, QAbstractSlider::SliderPageStepAdd},
            {Qt::Key_Home, QAbstractSlider::SliderToMinimum},
            {Qt::Key_End, QAbstractSlider::SliderToMaximum}};
        const auto action = actions.constFind(event->key());
        if (action == actions.cend() || event->modifiers() != Qt::NoModifier) {
            QListView::keyPressEvent(event);
            return;
        }
        verticalScrollBar()->triggerAction(*action);
        event->accept();
    }
    void resizeEvent(QResizeEvent *event) override { QAbstractItemView::resizeEvent(event); }
    void rowsInserted(const QModelIndex &parent, int start, int end) override
    {
        QAbstractItemView::rowsInserted(parent, start, end);
        setFocusPolicy(Qt::TabFocus);
        // A hidden list measures its lines when it shows (the delayed layout waits until then).
        if (isVisible())
            updateGeometries();
        else
            scheduleDelayedItemsLayout();
        viewport()->update();
        changed();
    }
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) override
    {
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
        changed();
    }
    // The list takes neither focus nor a selection: no cursor to move, nothing to select (QListView's
    // own answers would read the row layout it no longer makes).
    [[nodiscard]] QModelIndex moveCursor(CursorAction, Qt::KeyboardModifiers) override { return {}; }
    void setSelection(const QRect &, QItemSelectionModel::SelectionFlags) override {}
    [[nodiscard]] QRegion visualRegionForSelection(const QItemSelection &) const override { return {}; }
    void paintEvent(QPaintEvent *event) override
    {
        executeDelayedItemsLayout();
        QWidget *port = viewport();
        const qreal ratio = port->devicePixelRatioF();
        const Shown shown{port->size(), ratio, horizontalOffset(), verticalOffset(), m_revision};
        if (!(shown == m_shown) || m_picture.isNull())
            drawRows(shown);
        QPainter painter(port);
        const QRect area = event->rect();
        painter.drawPixmap(area, m_picture, QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
    }

private:
    static constexpr int kScrollStep = 20;
    struct Shown {
        QSize size;
        qreal ratio = 0;
        int x = 0;
        int y = 0;
        quint64 revision = 0;
        bool operator==(const Shown &) const = default;
    };
    void changed() { ++m_revision; }
    // The rows in view, as the list would paint them (nothing is selected, hovered or dropped).
    void drawRows(const Shown &shown)
    {
        m_shown = shown;
        m_picture = QPixmap(shown.size * shown.ratio);
        m_picture.setDevicePixelRatio(shown.ratio);
        m_picture.fill(Qt::transparent);
        QAbstractItemModel *rows = model();
        if (!rows || !itemDelegate())
            return;
        QPainter painter(&m_picture);
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        const QRect area(QPoint(), shown.size);
        for (int row = std::max(0, indexAt(QPoint(0, 0)).row()); row < rows->rowCount(); ++row) {
            const QModelIndex index = rows->index(row, 0);
            option.rect = visualRect(index);
            if (option.rect.top() > area.bottom())
                break;
            if (option.rect.intersects(area))
                itemDelegate()->paint(&painter, option, index);
        }
    }

    IMDisplayView *m_view;
    QPixmap m_picture;
    Shown m_shown;
    quint64 m_revision = 0;
};

IMDisplayView::IMDisplayView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("IMDisplayView"));
    setAccessibleName(QStringLiteral("聊天"));
    setAttribute(Qt::WA_TranslucentBackground);

    m_cell = new MeetingMessageCell(this);
    m_cell->hide();
    m_model = new Model(this);
    m_msgTable = new List(this);
    m_msgTable->setObjectName(QStringLiteral("msgTable"));
    m_msgTable->setAccessibleName(QStringLiteral("聊天消息"));
    m_msgTable->setModel(m_model);
    m_msgTable->setItemDelegate(new Delegate(this));
    m_msgTable->setSelectionMode(QAbstractItemView::NoSelection);
    m_msgTable->setFocusPolicy(Qt::NoFocus); // a Tab stop once it holds lines, which the keys scroll
    m_msgTable->setFrameShape(QFrame::NoFrame);
    m_msgTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_msgTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_msgTable->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_msgTable->setStyleSheet(QStringLiteral("QListView { background: transparent; }"));
    m_msgTable->viewport()->setAutoFillBackground(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_msgTable);
}

IMDisplayView::~IMDisplayView() = default;

double IMDisplayView::cellWidth() const
{
    if (m_floatingState)
        return std::max(0, width() - 10);
    return MeetingMessageCell::kBubbleWidth;
}

void IMDisplayView::layoutSelf(double adjustScale)
{
    m_adjustScale = adjustScale;
    QWidget *superview = parentWidget();
    if (!superview || m_floatingState)
        return;
    if (!m_selfHeight) {
        AutoLayout::removeConstraints(this);
        AutoLayout::autoSetDimension(this, A::Width, kOverlayWidth);
        m_selfHeight = AutoLayout::autoSetDimension(this, A::Height, 0);
        if (m_anchor && m_anchor->parentWidget() == superview) {
            AutoLayout::autoPinEdge(this, A::Leading, A::Leading, m_anchor, 0);
            m_selfBottom = AutoLayout::autoPinEdge(this, A::Bottom, A::Top, m_anchor, m_bottom);
        } else {
            AutoLayout::autoPinEdgeToSuperviewEdge(this, A::Leading, kLeading);
            m_selfBottom = AutoLayout::autoPinEdgeToSuperviewEdge(this, A::Bottom, -m_bottom);
        }
    }
    updatePlacement();
}

void IMDisplayView::layoutScale(double adjustScale)
{
    m_adjustScale = adjustScale;
    updatePlacement();
}

void IMDisplayView::layoutSelfBottom(double bottom)
{
    m_bottom = bottom;
    updatePlacement();
}

void IMDisplayView::updatePlacement()
{
    QWidget *superview = parentWidget();
    if (!m_selfBottom || !m_selfHeight || !superview || m_placing)
        return;
    m_placing = true;
    const bool anchored = m_anchor && m_anchor->parentWidget() == superview;
    const int baseBottom = int(std::lround((anchored ? m_anchor->geometry().top() : superview->height()) + m_bottom));
    const int left = anchored ? m_anchor->geometry().left() : int(kLeading);
    const int maxHeight = int(std::lround(kMaxHeight * m_adjustScale));
    const ChatRules::OverlayBand band = ChatRules::overlayBand(left, int(kOverlayWidth), baseBottom, maxHeight,
                                                               keepClearBlock ? keepClearBlock() : QList<QRect>());
    m_selfBottom->setConstant(m_bottom - (baseBottom - band.bottom));
    m_selfHeight->setConstant(std::min(contentHeight(), band.maxHeight));
    m_placing = false;
}

void IMDisplayView::measureRows() const
{
    const double width = cellWidth();
    const qsizetype count = m_msgDataArr.size();
    if (width != m_rowsWidth || m_floatingState != m_rowsFloating || m_rowBottoms.size() > count) {
        m_rowsWidth = width;
        m_rowsFloating = m_floatingState;
        m_rowBottoms.clear();
    }
    int bottom = m_rowBottoms.isEmpty() ? 0 : m_rowBottoms.last();
    for (qsizetype row = m_rowBottoms.size(); row < count; ++row) {
        bottom += MeetingMessageCell::rowHeight(m_msgDataArr.at(row), width, !m_floatingState);
        m_rowBottoms.append(bottom);
    }
}

int IMDisplayView::contentHeight() const
{
    measureRows();
    return m_rowBottoms.isEmpty() ? 0 : m_rowBottoms.last();
}

int IMDisplayView::rowTop(int row) const
{
    measureRows();
    return row > 0 ? m_rowBottoms.at(row - 1) : 0;
}

int IMDisplayView::rowHeightAt(int row) const
{
    const int top = rowTop(row);
    return m_rowBottoms.at(row) - top;
}

int IMDisplayView::rowAt(int y) const
{
    measureRows();
    if (y < 0)
        return -1;
    const auto below = std::upper_bound(m_rowBottoms.cbegin(), m_rowBottoms.cend(), y);
    return below == m_rowBottoms.cend() ? -1 : int(below - m_rowBottoms.cbegin());
}

void IMDisplayView::addSingleMessage(const MeetingMessageModel &line)
{
    m_model->appendRow(line);
    updatePlacement();
    // The floating list is hidden until its panel opens, at a width it is never shown at: it
    // measures its lines and goes to its end when it shows.
    m_endOnShow = m_floatingState && !isVisible();
    if (!m_endOnShow)
        showEnd();
}

void IMDisplayView::showEnd()
{
    if (!m_msgDataArr.isEmpty())
        m_msgTable->scrollTo(m_model->index(int(m_msgDataArr.size()) - 1), QAbstractItemView::PositionAtBottom);
}

void IMDisplayView::setFloatingState(bool floating)
{
    if (m_floatingState == floating)
        return;
    m_floatingState = floating;
    m_model->relayout();
    updatePlacement();
}

bool IMDisplayView::event(QEvent *event)
{
    // The band depends on the superview and on the tiles under the overlay.
    if (event->type() == QEvent::ParentChange && !m_floatingState) {
        m_selfHeight = nullptr;
        m_selfBottom = nullptr;
    }
    return QWidget::event(event);
}

void IMDisplayView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (std::exchange(m_endOnShow, false))
        showEnd();
}

void IMDisplayView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Rows of the floating list wrap at the list's width.
    if (m_floatingState)
        m_model->relayout();
}
