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
