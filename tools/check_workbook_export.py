#!/usr/bin/python3
"""Reads a workbook written by the export with python3-openpyxl and checks it.

    check_workbook_export.py FILE.xlsx

FILE.xlsx.json beside it lists the cells the sheet must hold, [row, column, kind, value]
(kind 1 number, 2 date, 3 text, 0 a cell whose value is not compared; rows and columns
from 1), as the output tests write them.
Checks every cell's value and kind, the header row (bold, frozen, filtered), the date
formats, wrapped texts, widths from the content and the criteria on the second sheet.
Exit status 0 when all holds, 1 with one line per problem otherwise.
"""
import json
import sys

import openpyxl
from openpyxl.utils import get_column_letter
from openpyxl.utils.datetime import to_excel

NUMBER, DATE, TEXT = 1, 2, 3


def check(path):
    problems = []
    expected = json.load(open(path + ".json", encoding="utf-8"))
    book = openpyxl.load_workbook(path)
    if book.sheetnames != ["Records", "Criteria"]:
        problems.append(f"sheets {book.sheetnames}")
    sheet = book.worksheets[0]
    last_row = max(r for r, _, _, _ in expected)
    last_col = max(c for _, c, _, _ in expected)
    if sheet.freeze_panes != "A2":
        problems.append(f"frozen at {sheet.freeze_panes}, not under the header")
    wanted_filter = f"A1:{get_column_letter(last_col)}{last_row}"
    if sheet.auto_filter.ref != wanted_filter:
        problems.append(f"AutoFilter {sheet.auto_filter.ref}, not {wanted_filter}")
    for col in range(1, last_col + 1):
        letter = get_column_letter(col)
        if not sheet.cell(1, col).font.b:
            problems.append(f"heading {letter}1 not bold")
        width = sheet.column_dimensions[letter].width
        if not 6 <= width <= 61:
            problems.append(f"column {letter} {width} wide")

    found = {(c.row, c.column): c for row in sheet.iter_rows() for c in row if c.value is not None}
    for row, col, kind, value in expected:
        cell = found.pop((row, col), None)
        where = f"{get_column_letter(col)}{row}"
        if cell is None:
            problems.append(f"{where} empty")
        elif kind == 0:
            continue
        elif kind == DATE:
            if not cell.is_date or "yy" not in cell.number_format and "hh" not in cell.number_format:
                problems.append(f"{where} not a date ({cell.number_format})")
            elif abs(to_excel(cell.value) - value) > 1e-6:
                problems.append(f"{where} {cell.value} is not day {value}")
        elif kind == NUMBER:
            if cell.is_date or isinstance(cell.value, (str, bool)) or cell.value != value:
                problems.append(f"{where} {cell.value!r} is not the number {value}")
        elif cell.value != value:
            problems.append(f"{where} {cell.value!r} is not {value!r}")
        elif row > 1 and not cell.alignment.wrap_text:
            problems.append(f"{where} text not wrapped")
    for (row, col), cell in found.items():
        problems.append(f"{get_column_letter(col)}{row} holds {cell.value!r}, nothing expected")
    if not any(k == TEXT and "\n" in v for _, _, k, v in expected):
        problems.append("no text with a line break to check")

    criteria = book.worksheets[1]["A1"].value or ""
    if not criteria.startswith("Selection criteria are "):
        problems.append(f"second sheet says {criteria!r}")
    return problems


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    problems = check(sys.argv[1])
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
