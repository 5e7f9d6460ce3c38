#pragma once
#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <qnamespace.h>

#include "core/GridRules.h"


namespace slip {

class DbConnection;

// The history of printed slips, table 历史: one row per non-empty box of a
// stored slip (ID = slip number within its format, Fmt, CID = the box's
// record ID, Con = its value). Every function opens its own connection,
// binds every value as a parameter and answers with a result instead of
// showing anything; `error` is the text to show the operator when ok is false.

// One value of a slip: the record ID of its box and the value as the box
// holds it (a text box's text with line breaks as CR LF, "1" for a ticked
// check box, a picture box's path or barcode digits).
struct HistoryValue {
    qint64 boxId = 0;
    QString value;
};
using HistorySlip = QVector<HistoryValue>;

struct HistorySaveResult {
    bool ok = false;
    // The new slip's number; 0 when the slip held no value and nothing was
    // stored (no number is used up then).
    qint64 slipNumber = 0;
    QString error;
};

// Stores one slip of `format`. Values that are empty are left out. The slip
// takes the highest number among the format's slips plus 1 (1 for the
// first), so numbers count per format and the number of a deleted newest
// slip is given again. All the slip's rows are written in one transaction:
// the slip is stored whole or not at all. When the highest number can't be
// read the slip is not stored (numbering never starts again at 1 over
// existing slips).
HistorySaveResult SaveHistoryRecord(const QString& format, const HistorySlip& values);

struct HistoryBatchSaveResult {
    bool ok = false;
    // The number given to each slip, in order; 0 for a slip without values.
    QVector<qint64> slipNumbers;
    QString error;
};

// Stores many slips of one format in one transaction (a batch run, an
// import): numbered one after the other exactly as SaveHistoryRecord would
// number them one by one; all are stored or none.
HistoryBatchSaveResult SaveHistorySlips(const QString& format, const QVector<HistorySlip>& slips);

struct HistoryValuesResult {
    bool ok = false;
    QStringList values;
    QString error;
};

// The distinct earlier values of a box that begin with `typed`, in ascending
// order, at most `limit` of them (all when limit < 0). `typed` is matched
// literally: "%", "_" and "\" in it are ordinary characters. Letters A-Z
// match either case, as in the database's LIKE.
HistoryValuesResult HistoryValuesStartingWith(const QString& format, qint64 boxId,
                                              const QString& typed, int limit = -1);

struct HistoryCompletion {
    bool ok = false;
    // The one earlier value that begins with the typed text and differs
    // from it; empty when there is none or more than one (nothing to propose).
    QString proposal;
    QString error;
};

// Slips are stored with a text box's line breaks as CR LF; slips stored by
// older versions may hold them as a bare LF or as the line-break marker. The
// forms a value (line breaks in any form) may stand under in the history,
// the CR LF form first; just the value when it holds no line break.
QStringList StoredLineBreakForms(const QString& value, const QString& lineBreakMarker);

// Completion while typing: proposes the box's only earlier value that begins
// with the typed text, whatever form its line breaks were stored in; the
// proposal has them as CR LF (WithCrLfLineBreaks with the marker). The
// caller shows the proposal with the part beyond the typed length selected,
// so that typing on replaces it.
HistoryCompletion CompleteFromHistory(const QString& format, qint64 boxId, const QString& typed,
                                      const QString& lineBreakMarker = QString());

// Every distinct earlier value of a text box, ascending (the drop-down of
// earlier values), line breaks as CR LF however they were stored (a value
// stored in two forms is listed once); at most `limit` when limit >= 0.
HistoryValuesResult EarlierBoxValues(const QString& format, qint64 boxId, int limit = -1,
                                     const QString& lineBreakMarker = QString());

struct HistorySlipValues {
    bool ok = false;
    bool found = false;          // the slip has at least one stored value
    QHash<qint64, QString> values;  // box record ID -> value
    QString error;
};

// One stored slip: the values by box record ID. A box with no record (empty
// when stored, or added to the format later) is simply absent.
HistorySlipValues ReadHistorySlip(const QString& format, qint64 slipNumber);

// The newest stored value of a box, or the newest slip on which the box held
// exactly a value: the slip number (0 when there is none) and the value.
struct HistoryNewest {
    bool ok = false;
    qint64 slipNumber = 0;
    QString value;
    QString error;
};
HistoryNewest NewestBoxValue(const QString& format, qint64 boxId);
// The value is found in any of its stored line-break forms.
HistoryNewest NewestSlipWithValue(const QString& format, qint64 boxId, const QString& value,
                                  const QString& lineBreakMarker = QString());

struct HistoryDeleteResult {
    bool ok = false;
    // Slip numbers whose records were really removed (asked-for numbers
    // that had no records are not listed). Empty when ok is false: a failed
    // delete changes nothing.
    QVector<qint64> deleted;
    QString error;
};

// Deletes the given slips of `format` in one transaction. The caller names
// the format of the listed slips; it is never taken from whatever format
// happens to be open.
HistoryDeleteResult DeleteHistoryRows(const QString& format, const QVector<qint64>& slipNumbers);

// Deletes every slip of `format` in one transaction.
HistoryDeleteResult DeleteAllHistory(const QString& format);

struct HistorySortKey;

// The values of each slip of a format as one text, kept in memory while a
// list of its slips is shown, so that a search reads no database; with the
// box of each value, so that a first sort by a box reads none either.
class HistorySearchTexts {
public:
    // `boxes` are the record IDs of the values' boxes in the text's order,
    // as the search table keeps them ("1,2,5"); without them (or when they
    // don't fit the text) the slip's values are known only as a whole.
    void Add(qint64 slip, QByteArrayView utf8, QByteArrayView boxes = {});
    // Forgets slips (taken off the list).
    void Remove(const QSet<qint64>& slips);
    qsizetype Count() const { return indexOf_.size(); }
    // Whether the slip's values hold the text (UTF-8; case counts).
    bool Holds(qint64 slip, QByteArrayView utf8) const;
    // The key of every slip held by its value of a box (an empty text for a
    // slip without one), as GridSortKeyOfUtf8 gives it, in no particular
    // order; false when the box of each value of some slip is not known.
    bool SortKeysOf(qint64 boxId, QVector<HistorySortKey>& keys) const;

private:
    struct Span {
        qint64 slip = 0;
        int block = 0;
        int start = 0;
        int length = 0;
        int boxList = -1;  // into boxLists_; -1: the boxes are not known, -2: taken off
    };
    static constexpr int kRemoved = -2;
    // The list of boxes a slip's values have: -1 when unreadable.
    int BoxListOf(QByteArrayView boxes);

    // Blocks of a fixed size rather than one growing array: a long history
    // is never copied to make room, nor kept twice meanwhile.
    QVector<QByteArray> blocks_;
    QVector<Span> spans_;          // in the order added, so walked in memory order
    QHash<qint64, int> indexOf_;   // slip -> into spans_
    // The slips of a format mostly fill the same boxes: each different list
    // of boxes is kept once, and looked up by its text.
    QVector<QVector<qint32>> boxLists_;
    QVector<QByteArray> boxListTexts_;
    QHash<QByteArray, int> boxListOf_;
    int lastBoxList_ = -1;              // the last one found
};

// The slip numbers of a format, newest (highest) first; with `texts`, the
// values of every slip too, read in the same pass.
struct HistorySlipNumbers {
    bool ok = false;
    QVector<qint64> numbers;
    // The format's history records: one per stored value of its slips.
    qint64 records = 0;
    QString error;
};
HistorySlipNumbers HistorySlipNumbersOf(const QString& format, HistorySearchTexts* texts = nullptr);

// A slip of a list with its value of the box the list is sorted by.
struct HistorySortKey {
    qint64 slip = 0;
    GridSortKey key;
};
struct HistorySortKeys {
    bool ok = false;
    QVector<HistorySortKey> keys;
    QString error;
};
// The keys of these slips by their values of a box, read once for every sort
// of a list by that box; a slip without a value has an empty text. With the
// texts of exactly these slips, read with them, that know the box of every
// value, the keys are taken from the texts (in no particular order) and the
// database is only asked whether the box's history can still be read: the
// rows of the new order are read from it.
HistorySortKeys ReadHistorySortKeys(const QString& format, qint64 boxId, const QVector<qint64>& slips,
                                    const HistorySearchTexts* texts = nullptr);
// The slips ordered as lists sort their cells (CompareGridKeys: numbers as
// numbers before texts), slips of equal value newest first in either order.
QVector<qint64> SortHistorySlips(const QVector<HistorySortKey>& keys, Qt::SortOrder order);

// The search of a list of slips for a text.
struct HistoryFind {
    bool ok = false;
    int row = -1;      // the row found, -1 when none
    QString message;   // "没有查到相关的记录！" when no row holds the text
    QString error;     // when ok is false
};

// Finds the next row of a list (the slip numbers of `format` in the list's
// order) whose slip holds `text` (trimmed in place; case counts) in the value
// of one of the listed boxes. It starts at currentRow, or after it when that
// row was the previous match, visits every other row once, wrapping from the
// last row to the first, and stops before coming back to currentRow, so that
// repeated searches step from match to match; with a single row that row is
// tested again. An empty text or an empty list finds nothing and says nothing.
// The rows are tested in the slips' texts in memory; only a slip that holds
// the text there is read, to see whether a listed box holds it.
HistoryFind FindHistorySlip(const QString& format, const QVector<qint64>& slipsInOrder,
                            const QSet<qint64>& listedBoxes, const HistorySearchTexts& texts, QString& text,
                            int currentRow, bool currentIsPreviousMatch);

// Creates the tables beside the history: the per-slip search text (kept with
// every stored and deleted slip, filled from the stored slips when it is
// new) and the slips of print runs whose outcome is not known yet. Part of
// making the schema, on its transaction.
bool EnsureHistoryTables(DbConnection& conn);

// The slips of a print run are kept as pending before the job goes to the
// print system, and become history slips once it has taken the job; a run
// still pending at the next start ended without the program learning how,
// or printed and its slips could not be stored.
struct HistoryPendingResult {
    bool ok = false;
    qint64 run = 0;  // names the run for confirming or dropping it
    QString error;
};
HistoryPendingResult KeepPendingSlips(const QString& format, const QVector<HistorySlip>& slips);
// The run was printed: its slips are stored as SaveHistorySlips stores them
// and stop being pending, in one transaction. When they can't be stored the
// run stays pending, marked as printed (when the mark can be written), so
// that it is not taken for a run cut off.
HistoryBatchSaveResult ConfirmPendingSlips(qint64 run);
// The run was not printed: its slips go. False when they could not be removed.
bool DropPendingSlips(qint64 run);

struct HistoryPendingRun {
    qint64 run = 0;
    QString format;
    int slips = 0;
    // Printed for certain, only storing its slips failed; otherwise the run
    // was cut off without the program learning whether it printed.
    bool printed = false;
};
struct HistoryPendingRuns {
    bool ok = false;
    QVector<HistoryPendingRun> runs;  // oldest first
    QString error;
};
HistoryPendingRuns PendingPrintRuns();

} // namespace slip
