#!/usr/bin/env bash
# Makes tests/data/batch-sample.xls: an .xlsx written with libxlsxwriter, then
# saved as Excel 97-2003 by LibreOffice Calc (needs libreoffice-calc-nogui,
# which only this script uses). Run from the repository root.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/make.c" <<'C'
#include <xlsxwriter.h>
int main(int argc, char** argv)
{
    lxw_workbook* wb = workbook_new(argv[1]);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "批量数据");
    lxw_worksheet* ws2 = workbook_add_worksheet(wb, "第二页");
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* stamp = workbook_add_format(wb);
    format_set_num_format(stamp, "yyyy-mm-dd hh:mm:ss");
    lxw_format* text = workbook_add_format(wb);
    format_set_num_format(text, "@");
    const char* head[] = {"户名", "账号", "金额", "日期", "备注", "时间"};
    for (int c = 0; c < 6; ++c) worksheet_write_string(ws, 0, c, head[c], NULL);
    lxw_datetime d1 = {2024, 3, 15, 0, 0, 0}, t1 = {2024, 3, 15, 8, 30, 0};
    lxw_datetime d2 = {2023, 12, 31, 0, 0, 0}, d3 = {2000, 2, 29, 0, 0, 0};
    worksheet_write_string(ws, 1, 0, "张三", NULL);
    worksheet_write_string(ws, 1, 1, "6222021234567890", text);
    worksheet_write_number(ws, 1, 2, 2.5, NULL);
    worksheet_write_datetime(ws, 1, 3, &d1, date);
    worksheet_write_string(ws, 1, 4, "第一行\n第二行", NULL);
    worksheet_write_datetime(ws, 1, 5, &t1, stamp);
    worksheet_write_string(ws, 2, 0, "李四", NULL);
    worksheet_write_string(ws, 2, 1, "6222021234567891", text);
    worksheet_write_number(ws, 2, 2, 0.1, NULL);
    worksheet_write_datetime(ws, 2, 3, &d2, date);
    worksheet_write_string(ws, 2, 4, "尾部制表\t", NULL);
    worksheet_write_string(ws, 3, 0, "王五", NULL);
    worksheet_write_string(ws, 3, 1, "9876543210123456", text);
    worksheet_write_number(ws, 3, 2, 123456789012345.0, NULL);
    worksheet_write_datetime(ws, 3, 3, &d3, date);
    /* row 5 stays empty */
    worksheet_write_string(ws, 5, 0, "赵六", NULL);
    worksheet_write_number(ws, 5, 2, 1234567.89, NULL);
    worksheet_write_string(ws2, 0, 0, "第二页甲", NULL);
    worksheet_write_number(ws2, 1, 1, 42, NULL);
    return workbook_close(wb) == LXW_NO_ERROR ? 0 : 1;
}
C
cc "$work/make.c" $(pkg-config --cflags --libs xlsxwriter) -o "$work/make"
"$work/make" "$work/batch-sample.xlsx"
soffice --headless --convert-to xls:"MS Excel 97" --outdir "$work" "$work/batch-sample.xlsx" >/dev/null
cp "$work/batch-sample.xls" tests/data/batch-sample.xls
