#pragma once
#include "FileBytes.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardItemModel>
#include <QStringList>
#include <QVector>
#include <QJsonArray>
#include <gtest/gtest.h>

namespace slip::test {

// A table of texts with captions in its horizontal header, as a view would
// show it.
class TextTableModel : public QStandardItemModel {
public:
    TextTableModel(const QStringList& captions, const QVector<QStringList>& rows)
        : QStandardItemModel(int(rows.size()), int(captions.size()))
    {
        setHorizontalHeaderLabels(captions);
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < captions.size(); ++c) setItem(r, c, new QStandardItem(rows[r].value(c)));
    }
};

// The system's Python, which has the csv module and (from Debian's
// python3-openpyxl) openpyxl, rather than whatever python3 comes first on PATH.
inline QString Python()
{
    return QFile::exists("/usr/bin/python3") ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3");
}

// Runs a Python script with arguments; answers its standard output parsed as
// JSON, or a null document (with the error text in `error`) when it failed.
inline QJsonDocument RunPythonJson(const QString& script, const QStringList& args, QString* error = nullptr)
{
    QProcess p;
    p.start(Python(), QStringList{"-c", script} + args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error) *error = QString::fromUtf8(p.readAllStandardError());
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput());
}

// Reads a CSV file with Python's csv module in the given encoding: a JSON
// array of rows of fields.
inline const char* kReadCsvScript = R"(
import csv, json, sys
with open(sys.argv[1], encoding=sys.argv[2], newline='') as f:
    print(json.dumps(list(csv.reader(f))))
)";

// Reads the first sheet of a workbook with openpyxl: its title, the sheet
// count, and per cell its value (with the _xHHHH_ escapes decoded as a
// spreadsheet program decodes them), bold, fill colour and left and bottom
// border styles, plus the column widths by letter.
inline const char* kReadXlsxScript = R"(
import json, re, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
def text(v):
    if v is None: return None
    return re.sub(r'_x([0-9A-Fa-f]{4})_', lambda m: chr(int(m.group(1), 16)), str(v))
rows = []
for row in ws.iter_rows(min_row=1, max_row=ws.max_row, max_col=ws.max_column):
    rows.append([{'v': text(c.value), 'bold': bool(c.font.b),
                  'fill': c.fill.fgColor.rgb if c.fill.fill_type == 'solid' else None,
                  'left': c.border.left.style, 'bottom': c.border.bottom.style} for c in row])
widths = {k: d.width for k, d in ws.column_dimensions.items()}
print(json.dumps({'title': ws.title, 'sheets': len(wb.worksheets), 'rows': rows, 'widths': widths}))
)";

// Reads the first sheet of an Excel 97-2003 workbook with xlrd (Debian's
// python3-xlrd, a reader of its own apart from the program's): its title, the
// sheet count, per cell its text, bold, fill colour as RRGGBB, left and bottom
// border line styles (1 thin) and whether it wraps, and the column widths in
// characters.
inline const char* kReadXlsScript = R"(
import json, sys, xlrd
wb = xlrd.open_workbook(sys.argv[1], formatting_info=True)
ws = wb.sheet_by_index(0)
def look(r, c):
    xf = wb.xf_list[ws.cell_xf_index(r, c)]
    fill = None
    if xf.background.fill_pattern == 1:
        rgb = wb.colour_map.get(xf.background.pattern_colour_index)
        fill = '%02X%02X%02X' % rgb if rgb else None
    return {'v': str(ws.cell_value(r, c)), 'bold': bool(wb.font_list[xf.font_index].bold), 'fill': fill,
            'left': xf.border.left_line_style, 'bottom': xf.border.bottom_line_style,
            'wrap': bool(xf.alignment.text_wrapped)}
rows = [[look(r, c) for c in range(ws.ncols)] for r in range(ws.nrows)]
widths = [ws.computed_column_width(c) // 256 for c in range(ws.ncols)]
print(json.dumps({'title': ws.name, 'sheets': wb.nsheets, 'rows': rows, 'widths': widths}))
)";

// The first sheet of an .xls workbook as kReadXlsScript reads it.
inline QJsonObject ReadXls(const QString& path)
{
    QString error;
    const QJsonDocument doc = RunPythonJson(kReadXlsScript, {path}, &error);
    EXPECT_TRUE(doc.isObject()) << error.toStdString();
    return doc.object();
}

// A CSV file's rows of fields, as Python's csv module reads it in the
// given encoding.
inline QVector<QStringList> ReadCsv(const QString& path, const char* encoding = "gbk")
{
    QString error;
    const QJsonDocument doc = RunPythonJson(kReadCsvScript, {path, encoding}, &error);
    EXPECT_TRUE(doc.isArray()) << error.toStdString();
    QVector<QStringList> rows;
    for (const QJsonValue& row : doc.array()) {
        QStringList fields;
        for (const QJsonValue& f : row.toArray()) fields << f.toString();
        rows << fields;
    }
    return rows;
}

// The first sheet of a workbook as kReadXlsxScript reads it.
inline QJsonObject ReadXlsx(const QString& path)
{
    QString error;
    const QJsonDocument doc = RunPythonJson(kReadXlsxScript, {path}, &error);
    EXPECT_TRUE(doc.isObject()) << error.toStdString();
    return doc.object();
}

// A cell of such a sheet (both counted from 0).
inline QJsonObject XlsxCell(const QJsonObject& book, int row, int column)
{
    return book["rows"].toArray()[row].toArray()[column].toObject();
}

// Every cell as the importers expect it: its text and one Tab.
inline QStringList Tabbed(const QStringList& cells)
{
    QStringList out;
    for (const QString& c : cells) out << c + "\t";
    return out;
}

} // namespace slip::test
