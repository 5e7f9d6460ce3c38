// Reading .xls workbooks (BIFF in a compound document) through libfreexl.
#include "batch/WorkbookReaders.h"

#include <QFile>
#include <freexl.h>

#include <optional>

namespace slip::workbook {

namespace {

// One open workbook; closed however the reading ends.
class XlsHandle {
public:
    explicit XlsHandle(const QString& path)
    {
        code_ = freexl_open(QFile::encodeName(path).constData(), &handle_);
    }
    ~XlsHandle()
    {
        if (handle_) freexl_close(handle_);
    }
    XlsHandle(const XlsHandle&) = delete;
    XlsHandle& operator=(const XlsHandle&) = delete;

    const void* get() const { return handle_; }

    // "" when open, else the operator's text for why not.
    QString error() const
    {
        if (code_ == FREEXL_OK) {
            unsigned int password = 0;
            if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK
                && password == FREEXL_BIFF_OBFUSCATED)
                return WorkbookDamagedError();
            return QString();
        }
        if (code_ == FREEXL_FILE_NOT_FOUND) return WorkbookOpenError();
        if (code_ == FREEXL_INVALID_CFBF_HEADER || code_ == FREEXL_BIFF_WORKBOOK_NOT_FOUND)
            return WorkbookTypeError();
        return WorkbookDamagedError();
    }

    // Worksheet names in the workbook's order; no value when they can't be read.
    std::optional<QStringList> names() const
    {
        unsigned int count = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) return std::nullopt;
        QStringList out;
        for (unsigned int i = 0; i < count && i < 65535; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(handle_, (unsigned short)i, &name) != FREEXL_OK || !name)
                return std::nullopt;
            out << QString::fromUtf8(name);
        }
        return out;
    }

private:
    const void* handle_ = nullptr;
    int code_ = FREEXL_OK;
};

QString CellText(const FreeXL_CellValue& v)
{
    switch (v.type) {
    case FREEXL_CELL_INT: return QString::number(v.value.int_value);
    case FREEXL_CELL_DOUBLE: return SheetNumberText(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        // Dates come as yyyy-mm-dd, yyyy-mm-dd hh:mm:ss and hh:mm:ss already.
        return v.value.text_value ? QString::fromUtf8(v.value.text_value) : QString();
    default: return QString();
    }
}

} // namespace

SheetNames ListXlsSheets(const QString& path)
{
    SheetNames out;
    XlsHandle xls(path);
    out.error = xls.error();
    if (!out.ok()) return out;
    auto names = xls.names();
    if (!names) out.error = WorkbookDamagedError();
    else out.names = *names;
    return out;
}

SheetRead ReadXlsSheet(const QString& path, const QString& sheet, int lastRow, int lastColumn)
{
    SheetRead out;
    XlsHandle xls(path);
    out.error = xls.error();
    if (!out.ok()) return out;
    const auto names = xls.names();
    if (!names) {
        out.error = WorkbookDamagedError();
        return out;
    }
    const qsizetype index = names->indexOf(sheet);
    if (index < 0) {
        out.error = SheetNameError();
        return out;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(xls.get(), (unsigned short)index) != FREEXL_OK
        || freexl_worksheet_dimensions(xls.get(), &rows, &columns) != FREEXL_OK) {
        out.error = WorkbookDamagedError();
        return out;
    }
    // The dimensions are counts of rows and columns in use from A1.
    if (lastRow > 0 && unsigned(lastRow) < rows) rows = unsigned(lastRow);
    if (lastColumn > 0 && lastColumn < columns) columns = (unsigned short)lastColumn;
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(xls.get(), r, c, &v) != FREEXL_OK) {
                out.error = WorkbookDamagedError();
                out.cells = SheetCells();
                return out;
            }
            out.cells.SetCell(int(r) + 1, int(c) + 1, CellText(v));
        }
    }
    return out;
}

} // namespace slip::workbook
