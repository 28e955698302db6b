#!/usr/bin/python3
"""Writes the small .xls workbooks read by tests/workbook/Workbook_Reader_test.cpp.

Usage: /usr/bin/python3 tests/data/make_xls_fixtures.py   (needs Debian's python3-xlwt)

The files land beside this script. Rows below are given as the spreadsheet numbers
them (row 1 is the top row); the test holds the expected values, so a change here
needs the same change there.
"""

import datetime
from pathlib import Path

import xlwt

HERE = Path(__file__).resolve().parent

DATE = xlwt.easyxf(num_format_str="yyyy-mm-dd")
DATETIME = xlwt.easyxf(num_format_str="yyyy-mm-dd hh:mm:ss")
TIME = xlwt.easyxf(num_format_str="hh:mm:ss")
BLANK = object()


def put_rows(ws, rows):
    for r, cells in enumerate(rows):
        for c, cell in enumerate(cells):
            if cell is BLANK:
                continue
            if isinstance(cell, tuple):  # (value, style)
                ws.write(r, c, cell[0], cell[1])
            else:
                ws.write(r, c, cell)


def values_workbook():
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Records")
    put_rows(ws, [
        # 1: header
        ["Year", "Amount", "When", "Label", "Note", "Flag"],
        # 2
        [2012, 2.5, (datetime.date(2012, 3, 4), DATE), "Éducation", "Müller", True],
        # 3: negatives and fractions, a blank in the middle of the row
        [-3, -0.125, (datetime.datetime(2012, 3, 4, 13, 14, 15), DATETIME), "  padded  ", BLANK, False],
        # 4: column A has a gap here
        [BLANK, 123456789012, (datetime.time(6, 30, 0), TIME), BLANK, "après", BLANK],
        # 5: a moment FreeXL rounds up to "24:00:00" of the same day
        [65535, 0.1, (40000.999999, DATETIME), "x"],
        # 6: serial 60, the 29 February 1900 that never was
        [0.5, -1e-300, (60, DATE), "ü"],
        # 7: last non-empty cell of column A, a text of blanks only
        [" "],
        # 8: the sheet goes on below column A's last cell
        [BLANK, 7],
    ])
    wb.add_sheet("Other").write(0, 0, "not the first sheet")
    wb.save(str(HERE / "xls_values.xls"))


def header_only_workbook():
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Records")
    put_rows(ws, [["Year", "Proj#", "Reco#", "ProjName", "ToolKit", "MATOS", "EM", "PortName",
                   "EmetType", "DomReco1", "DomReco2", "DomReco3", "RecoFr", "RecoEN",
                   "Dest1", "Dest2", "Dest3"]])
    wb.save(str(HERE / "xls_header_only.xls"))


def empty_first_sheet_workbook():
    wb = xlwt.Workbook(encoding="utf-8")
    wb.add_sheet("Empty")
    wb.add_sheet("Full").write(0, 0, "only here")
    wb.save(str(HERE / "xls_empty_first_sheet.xls"))


def dates_1904_workbook():
    wb = xlwt.Workbook(encoding="utf-8")
    wb.dates_1904 = True
    ws = wb.add_sheet("Records")
    put_rows(ws, [[(datetime.date(2012, 3, 4), DATE),
                   (datetime.datetime(1999, 12, 31, 23, 59, 58), DATETIME)]])
    wb.save(str(HERE / "xls_dates_1904.xls"))


if __name__ == "__main__":
    values_workbook()
    header_only_workbook()
    empty_first_sheet_workbook()
    dates_1904_workbook()
