# slip-xls-writer: writes one grid as an Excel 97-2003 workbook (.xls, BIFF8)
# for the program, in a process of its own under the program's time and
# memory limits. Run by the program as `python3 -I slip-xls-writer.py OUT`.
#
# Reads from standard input one JSON object:
#   {"sheet": name, "captionRows": n, "widths": [characters per column],
#    "rows": [[cell text, ...], ...]}
# and writes the workbook to OUT: the first captionRows rows bold on a light
# orange fill, thin borders on every cell of the block, empty cells left
# empty (with their borders), texts as given, line breaks kept (such cells
# wrap). Prints "ok ROWS" when the file is written; anything else, or a
# non-zero exit, is a failure the program reports.
import json
import sys

import xlwt

CAPTION_COLOUR = 0x21  # a free palette slot, set to #FFC080 below


def styles(book):
    xlwt.add_palette_colour("slip_caption", CAPTION_COLOUR)
    book.set_colour_RGB(CAPTION_COLOUR, 0xFF, 0xC0, 0x80)
    borders = "borders: left thin, right thin, top thin, bottom thin"
    caption = borders + "; font: bold on; pattern: pattern solid, fore_colour slip_caption"
    out = {}
    for is_caption, wraps in ((False, False), (False, True), (True, False), (True, True)):
        spec = caption if is_caption else borders
        if wraps:
            spec += "; alignment: wrap on"
        out[(is_caption, wraps)] = xlwt.easyxf(spec)
    return out


def main(argv):
    if len(argv) != 2:
        return 2
    grid = json.load(sys.stdin)
    rows = grid["rows"]
    widths = grid["widths"]
    caption_rows = int(grid.get("captionRows", 0))
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet(grid["sheet"], cell_overwrite_ok=False)
    look = styles(book)
    for c, width in enumerate(widths):
        sheet.col(c).width = max(0, min(255, int(width))) * 256
    for r, cells in enumerate(rows):
        is_caption = r < caption_rows
        row = sheet.row(r)
        for c, text in enumerate(cells):
            wraps = "\n" in text or "\r" in text
            row.write(c, text, look[(is_caption, wraps)])
        if r % 1000 == 999:
            sheet.flush_row_data()
    book.save(argv[1])
    sys.stdout.write("ok %d\n" % len(rows))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
