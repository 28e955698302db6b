#!/usr/bin/python3
"""Writes .xlsx packages whose parts are not where most programs put them, into
tests/data/workbooks/layouts/: the workbook, its sheet, shared strings and styles are
found only through the package's relationships (_rels/.rels, then the workbook part's
own .rels), as spreadsheet programs find them. Standard library only; the files are the
same on every run. Then run tools/make_reference_dumps.py on them for their dumps.

Usage: /usr/bin/python3 tools/make_package_layouts.py [--out DIR]

The files:
  other_folder.xlsx       the workbook in wtf/, every target relative to it
  absolute_targets.xlsx   targets from the package root ("/book/workbook.xml"), the shared
                          strings in a folder of their own
  mixed_case_names.xlsx   the package relationship names "/WTF/WorkBook.XML" for the part
                          stored as wtf/workbook.xml
  parent_folders.xlsx     the workbook two folders down, its parts named through ".."
"""
import argparse
import zipfile
from pathlib import Path

from make_hostile_workbooks import column_name

ROOT = Path(__file__).resolve().parent.parent
FIXED_TIME = (2026, 1, 1, 0, 0, 0)
REL_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
MAIN_NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
CT_PREFIX = "application/vnd.openxmlformats-officedocument.spreadsheetml."
HEAD = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'

STRINGS = ["Year", "Proj#", "Reco_EN", "Canal de Suez", "Détroit", "Ship's log"]
# (row, [cells]): a cell is ("s", shared string index), ("n", number), ("b", 0/1) or
# ("inline", text).
ROWS = [
    (1, [("s", 0), ("s", 1), ("s", 2)]),
    (2, [("n", "2012"), ("n", "17"), ("s", 3)]),
    (3, [("n", "2013"), ("n", "-0.125"), ("s", 4), ("b", "1")]),
    (5, [("n", "2014"), ("inline", "Tr&amp;nsit"), ("s", 5)]),
]


def sheet_xml():
    rows = []
    for r, cells in ROWS:
        out = []
        for c, (kind, value) in enumerate(cells, 1):
            ref = "%s%d" % (column_name(c), r)
            if kind == "n":
                out.append('<c r="%s"><v>%s</v></c>' % (ref, value))
            elif kind == "inline":
                out.append('<c r="%s" t="inlineStr"><is><t>%s</t></is></c>' % (ref, value))
            else:
                out.append('<c r="%s" t="%s"><v>%s</v></c>' % (ref, kind, value))
        rows.append('<row r="%d">%s</row>' % (r, "".join(out)))
    return HEAD + '<worksheet xmlns="%s"><sheetData>%s</sheetData></worksheet>' % (MAIN_NS, "".join(rows))


def strings_xml():
    items = "".join("<si><t>%s</t></si>" % s.replace("&", "&amp;") for s in STRINGS)
    return HEAD + '<sst xmlns="%s" count="%d" uniqueCount="%d">%s</sst>' % (MAIN_NS, len(STRINGS), len(STRINGS), items)


STYLES = (HEAD + '<styleSheet xmlns="%s"><fonts count="1"><font/></fonts><fills count="1"><fill/></fills>'
          '<borders count="1"><border/></borders><cellStyleXfs count="1"><xf/></cellStyleXfs>'
          '<cellXfs count="1"><xf numFmtId="0" xfId="0"/></cellXfs></styleSheet>' % MAIN_NS)


def relationships(rels):
    items = "".join('<Relationship Id="rId%d" Type="%s/%s" Target="%s"/>' % (i, REL_NS, kind, target)
                    for i, (kind, target) in enumerate(rels, 1))
    return HEAD + ('<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">%s'
                   '</Relationships>' % items)


def rels_part_of(part):
    folder, _, name = part.rpartition("/")
    return (folder + "/" if folder else "") + "_rels/" + name + ".rels"


def package(path, book, book_target, sheet, sheet_target, strings, strings_target, styles, styles_target):
    """Each part is stored under its name; each *_target is how a relationship names it."""
    types = {book: "sheet.main+xml", sheet: "worksheet+xml", strings: "sharedStrings+xml", styles: "styles+xml"}
    overrides = "".join('<Override PartName="/%s" ContentType="%s%s"/>' % (p, CT_PREFIX, t) for p, t in types.items())
    content_types = HEAD + (
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>%s</Types>' % overrides)
    workbook = HEAD + ('<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="Recos" sheetId="1" r:id="rId1"/>'
                       '</sheets></workbook>' % (MAIN_NS, REL_NS))
    parts = [
        ("[Content_Types].xml", content_types),
        ("_rels/.rels", relationships([("officeDocument", book_target)])),
        (book, workbook),
        (rels_part_of(book), relationships([("worksheet", sheet_target), ("sharedStrings", strings_target),
                                            ("styles", styles_target)])),
        (sheet, sheet_xml()),
        (strings, strings_xml()),
        (styles, STYLES),
    ]
    with zipfile.ZipFile(path, "w", compresslevel=9) as z:
        for name, data in parts:
            info = zipfile.ZipInfo(name, FIXED_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data.encode("utf-8"))


LAYOUTS = {
    "other_folder": dict(book="wtf/workbook.xml", book_target="wtf/workbook.xml",
                         sheet="wtf/sheets/data.xml", sheet_target="sheets/data.xml",
                         strings="wtf/strings.xml", strings_target="strings.xml",
                         styles="wtf/styles.xml", styles_target="styles.xml"),
    "absolute_targets": dict(book="book/workbook.xml", book_target="/book/workbook.xml",
                             sheet="book/worksheets/sheet1.xml", sheet_target="/book/worksheets/sheet1.xml",
                             strings="texts/shared.xml", strings_target="/texts/shared.xml",
                             styles="book/styles.xml", styles_target="/book/styles.xml"),
    "mixed_case_names": dict(book="wtf/workbook.xml", book_target="/WTF/WorkBook.XML",
                             sheet="wtf/sheets/data.xml", sheet_target="sheets/data.xml",
                             strings="wtf/strings.xml", strings_target="strings.xml",
                             styles="wtf/styles.xml", styles_target="styles.xml"),
    "parent_folders": dict(book="wtf/deep/workbook.xml", book_target="./wtf/deep/workbook.xml",
                           sheet="wtf/sheets/data.xml", sheet_target="../sheets/data.xml",
                           strings="strings.xml", strings_target="../../strings.xml",
                           styles="wtf/deep/styles.xml", styles_target="../deep/./styles.xml"),
}


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--out", default=str(ROOT / "tests" / "data" / "workbooks" / "layouts"))
    args = ap.parse_args()
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    for name, layout in LAYOUTS.items():
        package(out / (name + ".xlsx"), **layout)
        print(out / (name + ".xlsx"))


if __name__ == "__main__":
    main()
