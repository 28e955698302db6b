#!/usr/bin/python3
"""Writes hostile workbooks: small files that unpack or expand into far more than a real
table, or that break a rule of their format, to check that the import stays within its
bounds on them. Standard library only.

Usage:
  /usr/bin/python3 tools/make_hostile_workbooks.py [--out DIR] [--only NAME[,NAME...]]
  /usr/bin/python3 tools/make_hostile_workbooks.py --measure [--out DIR] [--bin DIR]
                                                   [--only NAME[,NAME...]]

  --out DIR   where the files go (default /tmp/sifa_hostile)
  --only      write (or measure) only these files, by name without extension
  --measure   for each file, lay out a data folder (Refs.dat of data/sample and the file
              as Sifa_table.xlsx/.ods/.xls) and run `sifa-query --check --dir FOLDER`
              under /usr/bin/time -v, printing one table row per file: file size,
              elapsed time, the peak resident memory of the largest process (time's
              "Maximum resident set size", the reader child included), the peak of the
              whole process tree summed (sampled every millisecond from /proc), exit
              status and bytes written on standard output and error
  --bin DIR   where sifa-query is (default build/bin)

The files:
  shared_string_1gb.xlsx     one shared string of 1,000,000,000 characters (about 1 MB)
  repeated_rows.ods          a header row, then a row of 17 cells repeated 1,048,576 times:
                             it reaches one row past the largest sheet
  repeated_rows_to_limit.ods the same repeated 1,048,575 times: exactly the largest sheet
  repeated_columns.ods       3,000 rows of one number repeated across all 16,384 columns
  repeated_columns_past_limit.ods  one row whose cells run one column past the last
  trailing_empty_repeats.ods a header, one record, then empty rows and cells repeated far
                             past the sheet's edge, as spreadsheet programs write them:
                             must load
  many_problems.ods          a header, then a record of wrong values repeated 100,000 times:
                             1,300,000 problem lines
  case_names.xlsx            two entries whose names differ only in letter case
  long_text.xlsx, long_text.ods, long_text.xls
                             one cell text of 32,768 characters, one more than the formats
                             allow (the .xls as an Excel 4.0 worksheet record stream)
  long_text_limit.xlsx       one cell text of exactly 32,767 characters: must load
"""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
MAX_ROWS = 1048576
MAX_COLUMNS = 16384
MAX_TEXT = 32767
FIELDS = ["Year", "Proj#", "Reco#", "Proj_Name", "EM", "TypeEmet", "DomReco1", "DomReco2", "DomReco3",
          "Reco_FR", "Reco_EN", "TypeDest1", "TypeDest2", "TypeDest3", "Q15", "Q16", "Q17"]
FIXED_TIME = (2026, 1, 1, 0, 0, 0)


# ------------------------------------------------------------------ packages

def entry(name, compress=True):
    info = zipfile.ZipInfo(name, FIXED_TIME)
    info.compress_type = zipfile.ZIP_DEFLATED if compress else zipfile.ZIP_STORED
    return info


def write_package(path, parts):
    """parts: (name, bytes or a function that writes into a file object, compress)."""
    with zipfile.ZipFile(path, "w", compresslevel=9) as z:
        for name, data, compress in parts:
            if callable(data):
                with z.open(entry(name, compress), "w") as f:
                    data(f)
            else:
                z.writestr(entry(name, compress), data)


def esc(s):
    return s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


# ------------------------------------------------------------------ .xlsx

XLSX_TYPES = (b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
              b'<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
              b'<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
              b'<Default Extension="xml" ContentType="application/xml"/>'
              b'<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.'
              b'spreadsheetml.sheet.main+xml"/>'
              b'<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-'
              b'officedocument.spreadsheetml.worksheet+xml"/>'
              b'<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-'
              b'officedocument.spreadsheetml.sharedStrings+xml"/></Types>')
XLSX_RELS = (b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
             b'<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
             b'<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
             b'relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>')
XLSX_WORKBOOK = (b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                 b'<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
                 b'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
                 b'<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>')
XLSX_WORKBOOK_RELS = (b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                      b'<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                      b'<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
                      b'relationships/worksheet" Target="worksheets/sheet1.xml"/>'
                      b'<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
                      b'relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>')


def column_name(c):
    name = ""
    while c:
        c, r = divmod(c - 1, 26)
        name = chr(65 + r) + name
    return name


def xlsx_sheet(rows_xml):
    return (b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            b'<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
            + rows_xml + b'</sheetData></worksheet>')


def xlsx_header_row():
    cells = "".join('<c r="%s1" t="inlineStr"><is><t>%s</t></is></c>' % (column_name(i + 1), f)
                    for i, f in enumerate(FIELDS))
    return ('<row r="1">%s</row>' % cells).encode()


def xlsx_parts(sheet, shared=b'<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"/>'):
    return [("[Content_Types].xml", XLSX_TYPES, True), ("_rels/.rels", XLSX_RELS, True),
            ("xl/workbook.xml", XLSX_WORKBOOK, True), ("xl/_rels/workbook.xml.rels", XLSX_WORKBOOK_RELS, True),
            ("xl/worksheets/sheet1.xml", sheet, True), ("xl/sharedStrings.xml", shared, True)]


def shared_string_1gb(path):
    length = 1000 * 1000 * 1000

    def write(f):
        f.write(b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                b'<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="1" uniqueCount="1">'
                b'<si><t>')
        block = b"x" * (1 << 20)
        left = length
        while left:
            n = min(left, len(block))
            f.write(block[:n])
            left -= n
        f.write(b'</t></si></sst>')

    sheet = xlsx_sheet(xlsx_header_row() + b'<row r="2"><c r="A2" t="s"><v>0</v></c></row>')
    parts = xlsx_parts(sheet)
    parts[-1] = ("xl/sharedStrings.xml", write, True)
    write_package(path, parts)


def long_text_xlsx(path, length):
    row = ('<row r="2"><c r="A2"><v>2010</v></c><c r="D2" t="inlineStr"><is><t>%s</t></is></c></row>'
           % ("é" * length))
    write_package(path, xlsx_parts(xlsx_sheet(xlsx_header_row() + row.encode())))


def case_names(path):
    """A real-looking package with a second worksheet part that differs only in case: which
    of the two a reader takes decides what the table holds."""
    good = xlsx_sheet(xlsx_header_row() + b'<row r="2"><c r="A2"><v>2010</v></c></row>')
    other = xlsx_sheet(xlsx_header_row() + b'<row r="2"><c r="A2"><v>1999</v></c></row>')
    parts = xlsx_parts(good)
    parts.append(("xl/worksheets/Sheet1.xml", other, True))
    write_package(path, parts)


# ------------------------------------------------------------------ .ods

ODS_MIME = b"application/vnd.oasis.opendocument.spreadsheet"
ODS_MANIFEST = (b'<?xml version="1.0" encoding="UTF-8"?>\n'
                b'<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" '
                b'manifest:version="1.2"><manifest:file-entry manifest:full-path="/" '
                b'manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>'
                b'<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
                b'</manifest:manifest>')


def ods_content(rows_xml):
    return (b'<?xml version="1.0" encoding="UTF-8"?>\n'
            b'<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
            b'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
            b'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">'
            b'<office:body><office:spreadsheet><table:table table:name="Sheet1">'
            + rows_xml + b'</table:table></office:spreadsheet></office:body></office:document-content>')


def ods_text_cell(text, repeat=1):
    rep = ' table:number-columns-repeated="%d"' % repeat if repeat > 1 else ""
    return '<table:table-cell%s office:value-type="string"><text:p>%s</text:p></table:table-cell>' % (rep, esc(text))


def ods_header_row():
    return ("<table:table-row>%s</table:table-row>" % "".join(ods_text_cell(f) for f in FIELDS)).encode()


def write_ods(path, rows_xml):
    write_package(path, [("mimetype", ODS_MIME, False), ("content.xml", ods_content(rows_xml), True),
                         ("META-INF/manifest.xml", ODS_MANIFEST, True)])


def repeated_rows(path, repeat):
    row = ('<table:table-row table:number-rows-repeated="%d">%s</table:table-row>'
           % (repeat, ods_text_cell("x", len(FIELDS))))
    write_ods(path, ods_header_row() + row.encode())


def repeated_columns(path):
    row = ('<table:table-row><table:table-cell table:number-columns-repeated="%d" office:value-type="float" '
           'office:value="1"><text:p>1</text:p></table:table-cell></table:table-row>' % MAX_COLUMNS)
    write_ods(path, ods_header_row() + (row * 3000).encode())


def repeated_columns_past_limit(path):
    row = ('<table:table-row>%s<table:table-cell table:number-columns-repeated="%d" office:value-type="float" '
           'office:value="1"><text:p>1</text:p></table:table-cell></table:table-row>'
           % (ods_text_cell("2010"), MAX_COLUMNS))
    write_ods(path, ods_header_row() + row.encode())


def trailing_empty_repeats(path):
    record = ['<table:table-cell office:value-type="float" office:value="2010"><text:p>2010</text:p>'
              '</table:table-cell>', '<table:table-cell office:value-type="float" office:value="9653">'
              '<text:p>9653</text:p></table:table-cell>']
    row = ("<table:table-row>%s<table:table-cell table:number-columns-repeated=\"%d\"/></table:table-row>"
           % ("".join(record), 4 * MAX_COLUMNS))
    empty = ('<table:table-row table:number-rows-repeated="%d"><table:table-cell '
             'table:number-columns-repeated="%d" table:style-name="ce1"/></table:table-row>' % (4 * MAX_ROWS, MAX_COLUMNS))
    write_ods(path, ods_header_row() + (row + empty).encode())


def many_problems(path):
    # The fields that hold numbers or codes refuse "x": several problem lines a row.
    row = ('<table:table-row table:number-rows-repeated="100000">%s</table:table-row>'
           % ods_text_cell("x", len(FIELDS)))
    write_ods(path, ods_header_row() + row.encode())


def long_text_ods(path, length):
    row = ('<table:table-row><table:table-cell office:value-type="float" office:value="2010"><text:p>2010</text:p>'
           '</table:table-cell><table:table-cell table:number-columns-repeated="2"/>%s</table:table-row>'
           % ods_text_cell("é" * length))
    write_ods(path, ods_header_row() + row.encode())


# ------------------------------------------------------------------ .xls

def long_text_xls(path, length):
    """An Excel 4.0 worksheet: a bare record stream, its LABEL with a 16-bit character count."""
    def record(rid, data):
        return struct.pack("<HH", rid, len(data)) + data
    bof = record(0x0409, struct.pack("<HHH", 0, 0x0010, 0))
    year = record(0x0203, struct.pack("<HHHd", 1, 0, 0x0F, 2010.0))
    label = record(0x0204, struct.pack("<HHHH", 1, 3, 0x0F, length) + b"x" * length)
    eof = record(0x000A, b"")
    Path(path).write_bytes(bof + year + label + eof)


# ------------------------------------------------------------------ the list

FILES = {
    "shared_string_1gb.xlsx": shared_string_1gb,
    "repeated_rows.ods": lambda p: repeated_rows(p, MAX_ROWS),
    "repeated_rows_to_limit.ods": lambda p: repeated_rows(p, MAX_ROWS - 1),
    "repeated_columns.ods": repeated_columns,
    "repeated_columns_past_limit.ods": repeated_columns_past_limit,
    "trailing_empty_repeats.ods": trailing_empty_repeats,
    "many_problems.ods": many_problems,
    "case_names.xlsx": case_names,
    "long_text.xlsx": lambda p: long_text_xlsx(p, MAX_TEXT + 1),
    "long_text_limit.xlsx": lambda p: long_text_xlsx(p, MAX_TEXT),
    "long_text.ods": lambda p: long_text_ods(p, MAX_TEXT + 1),
    "long_text.xls": lambda p: long_text_xls(p, MAX_TEXT + 1),
}


def selected(only):
    if not only:
        return list(FILES)
    wanted = set(only.split(","))
    names = [n for n in FILES if n.rsplit(".", 1)[0] in wanted or n in wanted]
    if not names:
        sys.exit("no such file: %s" % only)
    return names


# ------------------------------------------------------------------ measuring

def tree_rss_kb(root):
    """Resident memory of root's descendants, summed, in KiB."""
    total, todo, page_kb = 0, [root], os.sysconf("SC_PAGE_SIZE") // 1024
    while todo:
        pid = todo.pop()
        try:
            for task in os.listdir("/proc/%d/task" % pid):
                with open("/proc/%d/task/%s/children" % (pid, task)) as f:
                    for child in f.read().split():
                        todo.append(int(child))
                        with open("/proc/%s/statm" % child) as s:
                            total += int(s.read().split()[1]) * page_kb
        except (OSError, ValueError, IndexError):
            pass
    return total


def said(out, err_text):
    """The first two lines of the output and its last one."""
    with open(out, "rb") as f:
        head = f.read(4096)
        f.seek(max(0, out.stat().st_size - 4096))
        tail = f.read()
    lines = head.decode("utf-8", "replace").splitlines()[:2]
    if out.stat().st_size > len(head):
        lines += tail.decode("utf-8", "replace").splitlines()[-1:]
    lines += err_text.strip().splitlines()
    return [l[:90] for l in lines if l][:4]


def measure(path, sifa_query):
    folder = Path(tempfile.mkdtemp(prefix="sifa_hostile_"))
    try:
        shutil.copy(ROOT / "data" / "sample" / "Refs.dat", folder / "Refs.dat")
        shutil.copy(path, folder / ("Sifa_table" + path.suffix))
        out, err = folder / "out.txt", folder / "err.txt"
        with open(out, "wb") as o, open(err, "wb") as e:
            start = time.monotonic()
            p = subprocess.Popen(["/usr/bin/time", "-v", str(sifa_query), "--check", "--dir", str(folder)],
                                 stdout=o, stderr=e)
            peak, done = [0], threading.Event()

            def sample():
                while not done.is_set():
                    peak[0] = max(peak[0], tree_rss_kb(p.pid))
                    time.sleep(0.001)
            t = threading.Thread(target=sample)
            t.start()
            p.wait()
            elapsed = time.monotonic() - start
            done.set()
            t.join()
        err_text = err.read_bytes().decode("utf-8", "replace")
        status = re.search(r"Exit status: (\d+)", err_text)
        status = int(status.group(1)) if status else -p.returncode
        largest = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", err_text).group(1))
        # time -v writes its report after the program's own standard error.
        program_err = re.split(r"Command exited with|\tCommand being timed", err_text)[0]
        return {"size": path.stat().st_size, "seconds": elapsed, "largest_mb": largest / 1024,
                "tree_mb": peak[0] / 1024, "status": status,
                "output": out.stat().st_size + len(program_err.encode()), "said": said(out, program_err)}
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--out", default="/tmp/sifa_hostile")
    ap.add_argument("--only", default="")
    ap.add_argument("--measure", action="store_true")
    ap.add_argument("--bin", default=str(ROOT / "build" / "bin"))
    a = ap.parse_args()
    out = Path(a.out)
    out.mkdir(parents=True, exist_ok=True)
    names = selected(a.only)
    if not a.measure:
        for name in names:
            FILES[name](out / name)
            print("%s: %d bytes" % (out / name, (out / name).stat().st_size))
        return
    sifa_query = Path(a.bin) / "sifa-query"
    print("| file | size | time | peak of the largest process | peak of the tree | exit | output | says |")
    print("|---|---|---|---|---|---|---|---|")
    for name in names:
        if not (out / name).exists():
            FILES[name](out / name)
        m = measure(out / name, sifa_query)
        says = " / ".join(m["said"])
        print("| %s | %s B | %.2f s | %.0f MB | %.0f MB | %d | %s B | %s |"
              % (name, format(m["size"], ","), m["seconds"], m["largest_mb"], m["tree_mb"], m["status"],
                 format(m["output"], ","), says))
        sys.stdout.flush()


if __name__ == "__main__":
    main()
