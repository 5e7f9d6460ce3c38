#pragma once
#include <QByteArrayView>
#include <QString>
#include <QVector>
#include <qnamespace.h>

namespace slip {

// Rules every list of the program shares, whatever its rows are read from.

// The caption of the column sorted last ends in "△" (ascending) or "▽"
// (descending); no other caption carries a mark.
QString CaptionWithSortMark(const QString& caption, Qt::SortOrder order);

// A cell text read as a number when lists are sorted: amounts may carry a
// currency sign and thousands separators. False for any other text.
bool GridSortNumber(const QString& text, double& out);

// A cell as lists sort it, read once for many comparisons.
struct GridSortKey {
    GridSortKey() = default;  // an empty cell's
    explicit GridSortKey(const QString& cell);
    QString text;
    double number = 0;
    bool isNumber = false;
};
// The key of a cell given as UTF-8, ordered as GridSortKey of its text (the
// text of a number is left out: numbers compare by value alone); the plain
// forms most cells hold (ASCII figures with a sign, thousands commas and a
// point; a text beginning with a letter) are read without the general
// reading of numbers, which costs most of a long list's first sort.
GridSortKey GridSortKeyOfUtf8(QByteArrayView utf8);
// The sort order of list cells: numbers as numbers before texts, texts by
// letters regardless of case, then by case. Answers < 0, 0 or > 0.
int CompareGridKeys(const GridSortKey& a, const GridSortKey& b);

// The question asked before rows are deleted, naming exactly the rows that
// go (numbers counted from 1, in any order): one run gives
// "您确定要删除第a至第b行？", several runs are each named, as in
// "您确定要删除第1、第5至第6行？".
QString DeleteRowsQuestion(QVector<int> rows);

} // namespace slip
