#include "batch/GridSearch.h"

#include <QAbstractItemModel>

namespace slip {

namespace {

bool RowHolds(const QAbstractItemModel& grid, int row, int firstColumn, const QString& text)
{
    const int columns = grid.columnCount();
    for (int c = firstColumn; c < columns; ++c)
        if (grid.data(grid.index(row, c), Qt::DisplayRole).toString().contains(text, Qt::CaseSensitive))
            return true;
    return false;
}

} // namespace

GridSearchResult FindInGrid(const QAbstractItemModel& grid, QString& text, const GridSearchStart& start)
{
    GridSearchResult out;
    text = text.trimmed();
    const int rows = grid.rowCount();
    const int firstRow = qMax(0, start.firstRow);
    const int firstColumn = qMax(0, start.firstColumn);
    if (rows <= firstRow || text.isEmpty()) return out;

    const int current = start.currentRow < firstRow || start.currentRow >= rows ? firstRow : start.currentRow;
    int r = current;
    if (start.currentRowIsPreviousMatch && ++r >= rows) r = firstRow;
    bool found = false;
    do {
        if (RowHolds(grid, r, firstColumn, text)) {
            found = true;
            break;
        }
        if (++r >= rows) r = firstRow;
    } while (r != current);

    if (!found) {
        out.message = QStringLiteral("没有查到相关的记录！");
        return out;
    }
    out.found = true;
    out.row = r;
    return out;
}

} // namespace slip
