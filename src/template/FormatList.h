#pragma once
#include <QString>

namespace slip {

class GridModel;

// Fills a grid with one row per format that has a header record, in name
// order (ID, 序号, 选择, 格式名称, 宽(毫米), 高(毫米)); the current format's row is
// ticked, made current and shown in red.
void LoadFormatList(GridModel& grid, const QString& currentFormat);

// Column of the format name in that grid.
constexpr int kFormatListNameColumn = 3;
constexpr int kFormatListTickColumn = 2;

} // namespace slip
