#pragma once
#include <QString>

class QAbstractItemModel;

namespace slip {

// Where a search in a grid starts.
struct GridSearchStart {
    // The view's current row (model row); below firstRow counts as firstRow.
    int currentRow = -1;
    // True when the view's selection is exactly the current row over all
    // searched columns, as the previous successful search left it: the
    // search then goes on from the next row.
    bool currentRowIsPreviousMatch = false;
    // Rows above firstRow and columns left of firstColumn are fixed (captions,
    // running numbers) and never searched. Hidden columns are searched.
    int firstRow = 0;
    int firstColumn = 0;
};

struct GridSearchResult {
    bool found = false;
    int row = -1;      // the found row; the view selects it from firstColumn to the last column
    QString message;   // "没有查到相关的记录！" when nothing matched, else empty
};

// Finds the next row holding `text` (trimmed in place; case-sensitive
// substring) in its DisplayRole texts. It starts at the current row, or
// after it when that row was the previous match, visits every other data row
// once, wrapping from the last row to the first, and stops before coming
// back to the current row, so repeated searches step from match to match.
// With a single data row that row is tested again. An empty text or a grid
// without data rows answers "not found" with no message.
GridSearchResult FindInGrid(const QAbstractItemModel& grid, QString& text, const GridSearchStart& start);

} // namespace slip
