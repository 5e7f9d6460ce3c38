#include "ui/FrozenColumnView.h"

#include <QStandardItemModel>
#include <QTest>
#include <QScrollBar>
#include <QHeaderView>
#include <gtest/gtest.h>

using namespace slip;

namespace {

// A table of `rows` × `columns` cells "r,c"; column 1 holds running numbers.
void Fill(QStandardItemModel& m, int rows, int columns)
{
    m.clear();
    m.setRowCount(rows);
    m.setColumnCount(columns);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            m.setItem(r, c, new QStandardItem(c == 1 ? QString::number(r + 1) : QStringLiteral("%1,%2").arg(r).arg(c)));
}

struct Table {
    QStandardItemModel model;
    FrozenColumnView view;

    explicit Table(int rows = 400, int columns = 20)
    {
        Fill(model, rows, columns);
        view.SetFrozenColumnCount(2);
        view.setModel(&model);
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        view.setSelectionMode(QAbstractItemView::ContiguousSelection);
        for (int c = 0; c < columns; ++c) view.setColumnWidth(c, 90);
        view.resize(420, 300);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QTableView& frozen() { return *view.FrozenView(); }
    // The model row shown at the top of a table's viewport.
    static int TopRow(QTableView& t) { return t.rowAt(0); }
};

} // namespace

TEST(FrozenColumnView, CoversTheFrozenColumnsAtTheLeftOfTheViewport)
{
    Table t;
    EXPECT_EQ(t.view.FrozenWidth(), 180);
    EXPECT_TRUE(t.frozen().isVisible());
    EXPECT_EQ(t.frozen().width(), 180);
    EXPECT_EQ(t.frozen().x(), t.view.viewport()->x());
    EXPECT_EQ(t.frozen().y(), t.view.horizontalHeader()->y());
    EXPECT_EQ(t.frozen().viewport()->height(), t.view.viewport()->height());
    EXPECT_TRUE(t.frozen().isColumnHidden(2));
    EXPECT_FALSE(t.frozen().isColumnHidden(1));
    EXPECT_EQ(t.frozen().model(), &t.model);
    EXPECT_EQ(t.frozen().selectionModel(), t.view.selectionModel());
    // It stays in place when the table scrolls sideways.
    const QRect before = t.frozen().geometry();
    t.view.horizontalScrollBar()->setValue(t.view.horizontalScrollBar()->maximum());
    EXPECT_EQ(t.frozen().geometry(), before);
    EXPECT_LT(t.view.visualRect(t.model.index(0, 1)).left(), 0);
}

TEST(FrozenColumnView, FollowsTheTablesRowsWhenScrolledWithKeysAndWheel)
{
    Table t;
    t.view.setFocus();
    t.view.setCurrentIndex(t.model.index(0, 3));
    for (int i = 0; i < 3; ++i) QTest::keyClick(&t.view, Qt::Key_PageDown);
    const int top = Table::TopRow(t.view);
    ASSERT_GT(top, 10);
    EXPECT_EQ(Table::TopRow(t.frozen()), top);
    EXPECT_EQ(t.frozen().verticalScrollBar()->value(), t.view.verticalScrollBar()->value());
    // The running number beside a row is that row's.
    const QModelIndex number = t.frozen().indexAt(QPoint(100, 5));
    EXPECT_EQ(number.row(), top);
    EXPECT_EQ(number.data().toString(), QString::number(top + 1));

    // The wheel over the frozen column scrolls the table too.
    const QPoint at(20, 40);
    QWheelEvent wheel(at, t.frozen().viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(t.frozen().viewport(), &wheel);
    EXPECT_GT(Table::TopRow(t.view), top);
    EXPECT_EQ(Table::TopRow(t.frozen()), Table::TopRow(t.view));

    // To the end and back to the start.
    QTest::keyClick(&t.view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(t.frozen().verticalScrollBar()->value(), t.view.verticalScrollBar()->value());
    EXPECT_EQ(Table::TopRow(t.frozen()), Table::TopRow(t.view));
    EXPECT_GT(Table::TopRow(t.view), 380);
    QTest::keyClick(&t.view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Table::TopRow(t.frozen()), 0);
}

TEST(FrozenColumnView, KeysAndScrollToNeverLeaveTheCurrentCellUnderTheFrozenColumns)
{
    Table t;
    t.view.setFocus();
    t.view.setCurrentIndex(t.model.index(5, 19));
    ASSERT_GT(t.view.horizontalScrollBar()->value(), 0);
    for (int c = 19; c > 2; --c) {
        QTest::keyClick(&t.view, Qt::Key_Left);
        ASSERT_EQ(t.view.currentIndex().column(), c - 1);
        EXPECT_GE(t.view.visualRect(t.view.currentIndex()).left(), t.view.FrozenWidth()) << c;
    }
    t.view.horizontalScrollBar()->setValue(t.view.horizontalScrollBar()->maximum());
    t.view.scrollTo(t.model.index(300, 3));
    EXPECT_GE(t.view.visualRect(t.model.index(300, 3)).left(), t.view.FrozenWidth());
    EXPECT_EQ(Table::TopRow(t.frozen()), Table::TopRow(t.view));
    // Scrolling to a frozen cell only moves up and down.
    const int sideways = t.view.horizontalScrollBar()->value();
    t.view.scrollTo(t.model.index(20, 1), QAbstractItemView::PositionAtTop);
    EXPECT_EQ(t.view.horizontalScrollBar()->value(), sideways);
    EXPECT_EQ(Table::TopRow(t.view), 20);
    EXPECT_EQ(Table::TopRow(t.frozen()), 20);
}

TEST(FrozenColumnView, FollowsHiddenColumnsWidthsAndRowHeights)
{
    Table t;
    t.view.setColumnHidden(0, true);
    EXPECT_TRUE(t.frozen().isColumnHidden(0));
    EXPECT_EQ(t.view.FrozenWidth(), 90);
    EXPECT_EQ(t.frozen().width(), 90);
    t.view.setColumnWidth(1, 55);
    EXPECT_EQ(t.frozen().columnWidth(1), 55);
    EXPECT_EQ(t.frozen().width(), 55);
    t.view.setRowHeight(4, 61);
    EXPECT_EQ(t.frozen().rowHeight(4), 61);
    // Scrolled down past the tall row, both still show the same row on top.
    t.view.verticalScrollBar()->setValue(500);
    EXPECT_EQ(Table::TopRow(t.frozen()), Table::TopRow(t.view));
    t.view.setColumnHidden(0, false);
    EXPECT_FALSE(t.frozen().isColumnHidden(0));
    EXPECT_EQ(t.frozen().width(), 90 + 55);
}

TEST(FrozenColumnView, ARefilledModelKeepsTheOverlayInStep)
{
    Table t;
    Fill(t.model, 50, 6);  // a reset with fewer rows and columns
    t.view.setColumnHidden(0, true);
    for (int c = 0; c < 6; ++c) EXPECT_EQ(t.frozen().isColumnHidden(c), c != 1) << c;
    EXPECT_EQ(t.frozen().width(), t.view.columnWidth(1));
    t.view.verticalScrollBar()->setValue(t.view.verticalScrollBar()->maximum());
    EXPECT_EQ(Table::TopRow(t.frozen()), Table::TopRow(t.view));
    // Rows added at the end are followed as well.
    t.model.setRowCount(200);
    t.view.scrollToBottom();
    EXPECT_EQ(Table::TopRow(t.frozen()), Table::TopRow(t.view));
    EXPECT_GT(Table::TopRow(t.view), 150);
}
