#!/usr/bin/python3
"""Prints what a workbook holds as JSON, for the export tests: per sheet its name, merged
ranges, the title cell's font and alignment, every row's values, the column widths and
whether every cell of the data block (row 2 on) has a border on all four sides."""
import json
import sys
import zipfile

import openpyxl


def sheet_facts(ws):
    title = ws["A1"]
    rows = [list(r) for r in ws.iter_rows(values_only=True)]
    bordered = all(
        c.border.left.style and c.border.right.style and c.border.top.style
        and c.border.bottom.style
        for row in ws.iter_rows(min_row=2) for c in row)
    return {
        "name": ws.title,
        "merged": sorted(str(r) for r in ws.merged_cells.ranges),
        "bold": bool(title.font.b),
        "horizontal": title.alignment.horizontal,
        "vertical": title.alignment.vertical,
        "rows": rows,
        "widths": {k: v.width for k, v in ws.column_dimensions.items() if v.customWidth},
        "bordered": bordered,
    }


def main():
    path = sys.argv[1]
    # Raw check of the number formatting: widths must use a decimal point.
    with zipfile.ZipFile(path) as z:
        sheets = [n for n in z.namelist() if n.startswith("xl/worksheets/sheet")]
        raw = "".join(z.read(n).decode("utf-8") for n in sheets)
    wb = openpyxl.load_workbook(path)
    print(json.dumps({"sheets": [sheet_facts(ws) for ws in wb.worksheets],
                      "decimalCommaInXml": 'width="' in raw and ',' in
                      "".join(p.split('"')[0] for p in raw.split('width="')[1:])}))


main()
