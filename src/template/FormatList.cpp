#include "template/FormatList.h"

#include "storage/DataGrid.h"
#include "storage/GridModel.h"
#include "template/FormatRecords.h"

namespace slip {

void LoadFormatList(GridModel& grid, const QString& currentFormat)
{
    SetupGridColumns(grid, {"ID", "", "", "Fmt", "W", "H"},
                     {"ID", "序号", "选择", "格式名称", "宽(毫米)", "高(毫米)"});
    grid.Tag = QStringLiteral("Fmt");
    FillGridFromQuery(grid, QStringLiteral("LBL=?"), {HeaderLabel()}, QStringLiteral("Fmt"));
    for (int r = grid.FixedRows(); r < grid.Rows(); ++r) {
        if (grid.TextMatrix(r, kFormatListNameColumn) != currentFormat) continue;
        grid.SetTextMatrix(r, kFormatListTickColumn, QStringLiteral("√"));
        grid.Row = grid.RowSel = r;
        grid.Col = kFormatListTickColumn;
        grid.ColSel = grid.Cols() - 1;
        SetGridRowForeColor(grid, r, 0x0000FF);
        break;
    }
}

} // namespace slip
