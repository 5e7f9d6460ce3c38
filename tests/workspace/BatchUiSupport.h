#pragma once
// Formats and import files for the tests of the batch windows.
#include "BoxBuilders.h"
#include "FileBytes.h"
#include "StoredFormats.h"
#include "TextPrinting.h"
#include "Typing.h"

#include <QFile>
#include <QVector>
#include <gtest/gtest.h>
#include <xlsxwriter.h>

namespace slip::test {

inline BoxId BoxIdAt(const SlipFormat& f, int index)
{
    const Box* b = BoxAtIndex(f, index);
    return b ? b->id : 0;
}

// A workbook with the sheets in order; each sheet's rows of texts.
struct SheetSpec {
    QString name;
    QVector<QStringList> rows;
};
inline bool WriteXlsx(const QString& path, const QVector<SheetSpec>& sheets)
{
    lxw_workbook* wb = workbook_new(QFile::encodeName(path).constData());
    if (!wb) return false;
    for (const SheetSpec& s : sheets) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, s.name.toUtf8().constData());
        if (!ws) return false;
        for (int r = 0; r < s.rows.size(); ++r)
            for (int c = 0; c < s.rows[r].size(); ++c)
                worksheet_write_string(ws, lxw_row_t(r), lxw_col_t(c), s.rows[r][c].toUtf8().constData(), nullptr);
    }
    return workbook_close(wb) == LXW_NO_ERROR;
}

} // namespace slip::test

#include "workspace/ImportMapDialog.h"
#include "workspace/WorksheetChooser.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace slip::test {

// Types a Map string into row `row` of the mapping list as the operator does:
// a click on its 对应列号 cell opens the editor, the text is typed, Enter ends it.
inline void TypeMap(ImportMapDialog& d, int row, const QString& text)
{
    const QModelIndex cell = (*d.findChild<ImportMapModel*>()).index(row, ImportMapModel::MapColumn);
    d.mapView->scrollTo(cell);
    // A press on the cell whose editor just closed does not open it again
    // (it is taken for the end of that edit), as an operator's would not.
    if (d.mapView->currentIndex() == cell) QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(d.mapView->viewport(), Qt::LeftButton, {}, d.mapView->visualRect(cell).center());
    // The open editor: the one the view shows over that cell. A click on the
    // current cell opens it only after the double-click time.
    const QPoint at = d.mapView->visualRect(cell).center();
    QLineEdit* editor = nullptr;
    (void)QTest::qWaitFor([&] {
        for (QLineEdit* e : d.mapView->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible() && e->geometry().contains(at)) editor = e;
        return editor != nullptr;
    }, 2000);
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete);
    TypeText(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the view takes the text once Enter is handled
}

// Replaces the text of a line edit by typing.
inline void TypeInto(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    TypeText(edit, text);
}

inline void SetRows(ImportMapDialog& d, const QString& start, const QString& end, const QString& lines)
{
    TypeInto(d.startRow, start);
    TypeInto(d.endRow, end);
    TypeInto(d.linesPerRecord, lines);
}

inline void Click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

// A press on row `row` of the worksheet list, in column `column`.
inline void PressSheetRow(WorksheetChooser& c, int row, int column = 2)
{
    const QModelIndex cell = c.list->model()->index(row, column);
    c.list->scrollTo(cell);
    QTest::mouseClick(c.list->viewport(), Qt::LeftButton, {}, c.list->visualRect(cell).center());
}

} // namespace slip::test
