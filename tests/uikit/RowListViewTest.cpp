#include "support/TestEvents.h"
#include "uikit/KVRowListView.h"

#include <QAccessible>
#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QStringListModel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Rows are buttons named after their item; each counts its bindings.
class RowList : public ::testing::Test {
protected:
    void SetUp() override
    {
        QStringList items;
        for (int i = 0; i < 1000; ++i)
            items << QStringLiteral("文件%1").arg(i);
        model.setStringList(items);
        view.resize(300, 200);
        view.setRowHeight(20);
        view.setDelegate({[this](QWidget *parent) {
                              auto *row = new QPushButton(parent);
                              row->setFocusPolicy(Qt::StrongFocus);
                              ++made;
                              return row;
                          },
                          [this](QWidget *row, const QModelIndex &index) {
                              static_cast<QPushButton *>(row)->setText(index.data().toString());
                              ++bound;
                          }});
        view.setModel(&model);
        view.show();
        ASSERT_TRUE(processEventsUntil([&] { return view.isVisible(); }));
    }

    QString shown(int row) const
    {
        auto *button = qobject_cast<QPushButton *>(view.rowWidget(row));
        return button ? button->text() : QString();
    }

    QStringListModel model;
    KVRowListView view;
    int made = 0;
    int bound = 0;
};

TEST_F(RowList, AThousandRows_WidgetsOnlyForThoseInView_EachShowsItsOwnItemWhereverScrolled)
{
    const int inView = view.viewport()->height() / 20 + 2;
    EXPECT_LE(view.widget()->findChildren<QPushButton *>().size(), inView);
    EXPECT_EQ(view.widget()->height(), 1000 * 20);
    EXPECT_EQ(shown(0), QStringLiteral("文件0"));
    EXPECT_EQ(view.rowWidget(inView + 5), nullptr) << "out of view: no widget";
    for (int value : {0, 777, 12345, view.verticalScrollBar()->maximum()}) {
        view.verticalScrollBar()->setValue(value);
        const QList<QWidget *> rows = view.rowWidgets();
        ASSERT_FALSE(rows.isEmpty());
        for (QWidget *row : rows)
            EXPECT_EQ(static_cast<QPushButton *>(row)->text(), QStringLiteral("文件%1").arg(row->geometry().top() / 20))
                << "at " << value;
        EXPECT_LE(view.widget()->findChildren<QPushButton *>().size(), inView)
            << "widgets are reused, never added as it scrolls";
    }
    EXPECT_EQ(shown(999), QStringLiteral("文件999"));

    const int madeBefore = made;
    view.verticalScrollBar()->setValue(0);
    EXPECT_EQ(made, madeBefore) << "scrolling back makes none";
    // What a screen reader meets: the rows in view, not a thousand.
    QAccessibleInterface *content = QAccessible::queryAccessibleInterface(view.widget());
    ASSERT_NE(content, nullptr);
    EXPECT_LE(content->childCount(), inView);
}

TEST_F(RowList, AChangedItemIsBoundAgainInPlace_InsertsAndRemovalsMoveTheRowsItems)
{
    bound = 0;
    model.setData(model.index(2, 0), QStringLiteral("改名"));
    EXPECT_EQ(shown(2), QStringLiteral("改名"));
    EXPECT_EQ(bound, 1) << "only the changed row";
    model.setData(model.index(900, 0), QStringLiteral("看不见"));
    EXPECT_EQ(bound, 1) << "a row out of view costs no binding";

    QWidget *second = view.rowWidget(1);
    model.insertRow(0);
    model.setData(model.index(0, 0), QStringLiteral("新文件"));
    EXPECT_EQ(shown(0), QStringLiteral("新文件"));
    EXPECT_EQ(shown(1), QStringLiteral("文件0"));
    EXPECT_EQ(static_cast<QPushButton *>(second)->text(), QStringLiteral("文件0")) << "bound to its new row";
    model.removeRows(0, 3);
    EXPECT_EQ(shown(0), QStringLiteral("改名"));
    model.removeRows(0, model.rowCount());
    EXPECT_TRUE(view.rowWidgets().isEmpty());
    EXPECT_EQ(view.widget()->height(), 0);
}

TEST_F(RowList, UpAndDownMoveTheFocusRowByRow_ScrollingTheRowIntoView)
{
    view.rowWidget(0)->setFocus();
    ASSERT_TRUE(processEventsUntil([&] { return view.rowWidget(0)->hasFocus(); }));
    const int inView = view.viewport()->height() / 20;
    for (int i = 0; i < inView + 3; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    const int row = view.rowOf(QApplication::focusWidget());
    EXPECT_EQ(row, inView + 3);
    EXPECT_EQ(static_cast<QPushButton *>(QApplication::focusWidget())->text(), QStringLiteral("文件%1").arg(row));
    EXPECT_GT(view.verticalScrollBar()->value(), 0) << "scrolled to follow the focus";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(view.rowOf(QApplication::focusWidget()), row - 1);

    // Scrolled away by the wheel: the widget now shows another item, so the list holds the focus.
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    EXPECT_TRUE(view.hasFocus());
}

TEST_F(RowList, TabGoesThroughTheRowsInTheOrderShownAndOnPastTheView_TheFocusFollowsItsItem)
{
    // Scrolled first, so that the widgets no longer stand in the order they were made.
    view.verticalScrollBar()->setValue(20 * 7 + 5);
    const int first = view.rowOf(view.rowWidgets().first());
    view.rowWidget(first)->setFocus();
    ASSERT_TRUE(processEventsUntil([&] { return view.rowWidget(first)->hasFocus(); }));
    const int inView = view.viewport()->height() / 20;
    for (int i = 1; i <= inView + 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(view.rowOf(QApplication::focusWidget()), first + i) << "after " << i << " tabs";
        EXPECT_EQ(static_cast<QPushButton *>(QApplication::focusWidget())->text(),
                  QStringLiteral("文件%1").arg(first + i));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(view.rowOf(QApplication::focusWidget()), first + inView + 3);

    // A row coming above it, one going: the focus stays on its item, wherever its row is now.
    const int focused = view.rowOf(QApplication::focusWidget());
    model.insertRows(0, 3);
    EXPECT_EQ(static_cast<QPushButton *>(QApplication::focusWidget())->text(), QStringLiteral("文件%1").arg(focused));
    EXPECT_EQ(view.rowOf(QApplication::focusWidget()), focused + 3);
    model.removeRows(focused + 3, 1);
    EXPECT_EQ(static_cast<QPushButton *>(QApplication::focusWidget())->text(),
              QStringLiteral("文件%1").arg(focused + 1))
        << "its item gone: the row now in its place";
}

} // namespace
