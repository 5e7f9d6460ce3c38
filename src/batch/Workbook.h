#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

namespace slip {

// Texts for the operator when a workbook can't be read.
inline QString WorkbookOpenError() { return QStringLiteral("无法打开Excel文件，请检查后重新输入文件名及路径！"); }
inline QString WorkbookTypeError() { return QStringLiteral("文件类型不对，请选择Excel文档！"); }
// A damaged, hostile or encrypted workbook, and any workbook whose sheets
// can't be listed.
inline QString WorkbookDamagedError() { return QStringLiteral("无法打开XLS文件！"); }
inline QString SheetNameError() { return QStringLiteral("输入表格名称有误，无法打开表格，请重新输入！"); }

enum class WorkbookKind { None, Xls, Xlsx };

// The kind of workbook a file holds, told by its first bytes, not by its name:
// an .xls (compound document) or an .xlsx (zip package). None for anything else
// or a file that can't be read.
WorkbookKind DetectWorkbookKind(const QString& path);

// The cells of one worksheet as the operator sees them in the sheet, rows and
// columns counted from 1. A cell outside what was read, or empty, reads "".
// Only cells that hold something take room, wherever they stand.
class SheetCells {
public:
    QString Cell(int row, int column) const;
    // A NUL in the text is dropped (DropNuls).
    void SetCell(int row, int column, QString text);
    // Every cell that holds something, in no set order.
    template <typename F> void ForEach(F f) const
    {
        for (auto it = rowCells_.cbegin(); it != rowCells_.cend(); ++it)
            for (const auto& [column, text] : *it) f(it.key(), column, text);
    }

private:
    // Per row its cells by column, in column order.
    QHash<int, QVector<QPair<int, QString>>> rowCells_;
};

struct SheetNames {
    QString error;  // "" when listed
    QStringList names;
    bool ok() const { return error.isEmpty(); }
};

// The worksheets of a workbook, in the workbook's order, for the worksheet
// chooser. Chart sheets are not listed: they hold no cells to import. Any
// failure (no file, no workbook, a damaged one) gives WorkbookDamagedError().
SheetNames ListWorksheets(const QString& path);

// Which cells a read keeps: rows 1..lastRow and columns 1..lastColumn (0: no
// limit), and when listed, only those rows and columns. A read stops after
// lastRow.
struct CellsWanted {
    int lastRow = 0;
    int lastColumn = 0;
    QSet<int> rows;
    QSet<int> columns;
    bool Wants(int row, int column) const
    {
        return (lastRow <= 0 || row <= lastRow) && (lastColumn <= 0 || column <= lastColumn)
               && (rows.isEmpty() || rows.contains(row)) && (columns.isEmpty() || columns.contains(column));
    }
};

struct SheetRead {
    QString error;  // "" when read
    SheetCells cells;
    bool ok() const { return error.isEmpty(); }
};

// Reads the wanted cells of the worksheet named `sheet` (exact name). A file that can't be opened, is no workbook,
// or is damaged gives the matching error text and no cells; a name the workbook
// has no worksheet of gives SheetNameError().
//
// Cell texts: a number as plain decimal digits (0.1 "0.1", a whole number of up
// to 16 digits in full, never with an exponent); text as stored (a 16-digit
// account number kept as text stays its digits, a NUL in it dropped); a date as yyyy-MM-dd, with
// " HH:mm:ss" when its format shows a time, a time alone as HH:mm:ss; a
// Boolean as TRUE or FALSE; an error value as its code (#DIV/0!); a formula as
// its last computed value.
SheetRead ReadWorksheet(const QString& path, const QString& sheet, const CellsWanted& wanted = {});

struct CellRange {
    QString error;
    QVector<QStringList> rows;  // rows firstRow..lastRow, each firstColumn..lastColumn
    bool ok() const { return error.isEmpty(); }
};

// A block of cells as text (the preview of the mapping dialog); rows and
// columns from 1, both ends included.
CellRange ReadSheetRange(const QString& path, const QString& sheet, int firstRow, int lastRow,
                         int firstColumn, int lastColumn);

// A number as a sheet shows it: whole numbers below 10^16 in full digits,
// others with at most 15 significant digits and never with an exponent.
QString SheetNumberText(double v);

// The date, date and time, or time of a day serial number (days since
// 1899-12-30, or since 1904-01-01 with date1904), rounded to the second.
// Serial 60 of the 1900 system is the non-existent 1900-02-29 that such
// workbooks count. A serial below 0 is no date: its number text is given.
QString SerialDateText(double serial, bool date1904, bool showDate, bool showTime);

// Whether a cell number format shows a date and/or a time: the built-in
// formats 14-22, 45-47 and the East Asian 27-36, 50-58, or a format code with
// y, m, d, h or s outside quoted texts and brackets.
struct DateFormatUse {
    bool date = false;
    bool time = false;
    bool any() const { return date || time; }
};
DateFormatUse DateFormatOf(int numFmtId, const QString& formatCode);

} // namespace slip
