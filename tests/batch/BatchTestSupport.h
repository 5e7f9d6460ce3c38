#pragma once
#include "FileBytes.h"

#include <QFile>
#include <QString>
#include <QPair>
#include <QTemporaryDir>
#include <QVector>
#include <gtest/gtest.h>
#include <xlsxwriter.h>
#include <zip.h>

namespace slip::test {

// A bare package of one sheet "S" with the given sheet, shared strings and
// number formats (hostile and unusual files are made by hand).
inline QString WritePackage(const QTemporaryDir& dir, const char* name, const QByteArray& sheet, const QByteArray& shared,
                     const QByteArray& cellXfs = {}, bool date1904 = false)
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    const QByteArray ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    int err = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    const QVector<QPair<const char*, QByteArray>> parts = {
        {"xl/workbook.xml", "<workbook " + ns + " xmlns:r=\"" + rel + "\">" + (date1904 ? "<workbookPr date1904=\"1\"/>" : "")
                                + "<sheets><sheet name=\"S\" r:id=\"r1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"r1\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
         "<Relationship Id=\"r2\" Type=\"" + rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>"
         "<Relationship Id=\"r3\" Type=\"" + rel + "/styles\" Target=\"styles.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml", "<worksheet " + ns + "><sheetData>" + sheet + "</sheetData></worksheet>"},
        {"xl/sharedStrings.xml", "<sst " + ns + ">" + shared + "</sst>"},
        {"xl/styles.xml", "<styleSheet " + ns + "><cellXfs>" + cellXfs + "</cellXfs></styleSheet>"},
    };
    for (const auto& [part, bytes] : parts) {
        zip_source_t* src = zip_source_buffer(z, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index = zip_file_add(z, part, src, ZIP_FL_OVERWRITE);
        zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
    }
    EXPECT_EQ(zip_close(z), 0);
    return path;
}

} // namespace slip::test
