#pragma once
#include "core/GridModel.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <utility>

namespace slip {

// The operations every grid of the program shares, on a GridModel laid out as:
// row 0 the field rules (height 0, never seen), row 1 the captions,
// data rows from row 2; the column captioned "序号" is the last fixed column
// and holds the running number. The model's Tag names its database table.
//
// Field rule (row 0 of a column), read for every record:
//   ""                 nothing; the running number in the last fixed column
//   "table:idField:shownField"  shownField of the row of table whose ID is the
//                      record's idField
//   "Color"            no text; the record's Color becomes the back colour
//   any other text     the record's field of that name, shown by its declared
//                      type: a date as yyyy.mm.dd, a Boolean as "√"/"", a
//                      double to two decimals, anything else as its text

inline constexpr int kGridFixedRows = 2;
inline const QString kRunningNumberCaption = QStringLiteral("序号");
// Name of the model property a view sets to its width in twips; column sizing
// keeps every column within half of it.
inline constexpr const char* kGridWidthProperty = "gridWidthTwips";

// Swaps the two when a < b, so that afterwards a is not less than b.
template <class T>
void OrderPair(T& a, T& b)
{
    if (a < b) std::swap(a, b);
}

// Lays the grid out with one column per field rule; nothing when the two
// lists differ in length.
void SetupGridColumns(GridModel& grid, const QStringList& fields, const QStringList& captions);

// Fills the data rows from "SELECT * FROM <Tag>" with an optional condition
// (SQL text with "?" placeholders bound to params) and order; then sizes the
// columns. A query that can't run leaves the grid with its fixed rows.
void FillGridFromQuery(GridModel& grid, const QString& condition = {}, const QVariantList& params = {},
                       const QString& order = {});

// Sets each column's width from its widest text in the measuring font: data
// rows from firstDataRow on (the field-rule and caption rows when there are
// none), the caption counting when wider; + 100 twips, 50 for a column with
// nothing to measure; at most half the grid's width. Columns left of the last
// fixed column are hidden (width 0). With allowProgress, grids of more than
// 200 rows show the progress window.
void AutoSizeGridColumns(const QFont& measureFont, GridModel& grid, int firstDataRow, bool allowProgress);
void AutoSizeGridColumns(GridModel& grid, int firstDataRow, bool allowProgress);

// A click at (x, y) twips on the grid, whose first scrolled column in view is
// leftCol: on the fixed part of the header it sizes the columns, on a column's
// caption it sorts by that column; elsewhere nothing.
void GridHeaderClick(GridModel& grid, double x, double y, int leftCol);

// Sorts the data rows by a column, ascending on the first click and then
// alternating, marking its caption with "△" or "▽" (and no other caption);
// the running numbers are renewed.
void SortGridByColumn(GridModel& grid, int col);

// The row at y twips: the row above the first shown data row for a y in the
// header, the last row for a y below it.
int GridRowAtY(const GridModel& grid, double y);

// Deletes the data rows first..last (in either order; held to the data rows and
// handed back ordered). With ask, "您确定要删除第i至第j行？" is asked first and
// No keeps the rows. The running numbers stay in place. False when nothing
// was deleted.
bool DeleteGridRows(GridModel& grid, int& first, int& last, bool ask);

// Cuts the grid back to its fixed rows, asking "您确定要清除所有记录？" first
// when ask is set (No keeps them); refresh then runs for the emptied grid
// (the batch grid resets its navigation there). False when kept.
bool ClearGridRecords(GridModel& grid, bool ask, const std::function<void(GridModel&)>& refresh = {});

// Row and cell colours (&HBBGGRR); black is stored as 65793 and read back as 0.
void SetGridRowForeColor(GridModel& grid, int row, qint32 colour);
void SetGridRowBackColor(GridModel& grid, int row, qint32 colour);
void ResetGridColors(GridModel& grid, qint32 colour);
qint32 GetGridCellColor(const GridModel& grid, int row, int col, bool fore);
// colour 0 is changed to 65793 and the caller's value receives the change.
void SetGridCellColor(GridModel& grid, int row, int col, qint32& colour, bool fore);

// Ordering of the sort: numbers as numbers before texts, texts as texts.
// Answers < 0, 0 or > 0.
int CompareGridTexts(const QString& a, const QString& b);

} // namespace slip
