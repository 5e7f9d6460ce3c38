#pragma once
#include "storage/GridModel.h"

#include <QHash>
#include <QStringList>
#include <optional>

namespace slip {

// The open format's boxes, one data row per box from row 2 on. The columns
// keep their fixed places so that a box's Tag (its row) and the row numbers
// shown to the operator stay exact. A hidden last column carries the fixed
// text (Mem) of a text box with the row, so that it survives a reload of the
// boxes before the format is saved.
class BoxTable : public GridModel {
    Q_OBJECT
public:
    enum Column {
        ColID = 0, ColSeq = 1, ColLBL = 2, ColDir = 3, ColX = 4, ColY = 5, ColW = 6, ColH = 7,
        ColS = 8, ColL = 9, ColColor = 10, ColFName = 11, ColFSize = 12, ColBold = 13,
        ColItalic = 14, ColUnderline = 15, ColStrikethru = 16, ColClas = 17, ColCash = 18,
        ColRCtl = 19, ColSumID = 20, ColSumID1 = 21, ColMem = 22,
    };
    static constexpr int kColumns = 23;
    static constexpr int kFirstDataRow = 2;
    static const QStringList& FieldSpecs();
    static const QStringList& Captions();

    explicit BoxTable(QObject* parent = nullptr);

    // Lays out the columns and drops every data row.
    void SetupColumns();

    int FirstDataRow() const { return kFirstDataRow; }
    int LastRow() const { return Rows() - 1; }
    int DataRowCount() const { return qMax(0, Rows() - kFirstDataRow); }
    bool IsDataRow(int row) const { return row >= kFirstDataRow && row < Rows(); }

    // The record ID of a row, converted strictly; empty when the cell is no
    // whole number.
    std::optional<qint32> IdAt(int row) const;
    qint32 RCtlAt(int row) const;     // rounded; 0 when no number
    qint32 SumIDAt(int row) const;    // rounded, tenth dropped; 0 when no number
    qint32 SumID1At(int row) const;
    int DirAt(int row) const;         // caption position code
    double CashAt(int row) const;     // 0 when no number
    int ClasAt(int row) const;        // -1 when not a class 0-4
    double NumberAt(int row, int col) const;  // leading number of the cell
    bool FlagAt(int row, int col) const { return !TextMatrix(row, col).isEmpty(); }
    void SetNumber(int row, int col, double v);
    void SetFlag(int row, int col, bool on);

    // The colour of a box: the back colour of its Color cell; black is kept as
    // 65793 and reads back as 0.
    qint32 ColorAt(int row) const;
    void SetColorAt(int row, qint32 bgr);

    // The first data row holding this record ID, or 0.
    int FindRowById(qint64 id) const;

    // The next temporary record ID: one less than the lowest negative ID, -1
    // when there is none. A value whose negation is a record ID of the table is
    // passed over, so that a reference can always tell a temporary box from a
    // saved one.
    qint32 GetNewTempID() const;

    // Adds a data row for a new box: temporary ID, running number, "左边",
    // zeros for S, L, Cash, RCtl, SumID and SumID1. Answers the row.
    int AddBoxRow();

    // Copies the settings (LBL to SumID1 and the colour) of row s into row t.
    void CopyRow(int s, int t);

    // Rewrites RCtl, SumID and SumID1 of every data row through the map, each
    // cell once from its own value.
    void RemapReferences(const QHash<qint64, qint64>& oldToNew);

    // Renumbers the running-number column.
    void Renumber();
};

} // namespace slip
