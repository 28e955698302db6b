#!/usr/bin/python3
"""Writes a data folder of up to 1,048,575 records for measurements.

The records are the 65,535 of `make_sample_data.py --rows 65535` (same seed, same
codes), repeated: copy k (k = 0, 1, ...) has its years moved on by 18 * k and its
project numbers by 10,000 * k, and from the second copy on every free text (project
name, toolkit, material, coordinator, both recommendation texts) ends in " [k]", so that
no two copies share a text. The last copy is cut where the count is reached.

Into FOLDER it writes:
  * Sifa_table.xlsx: the workbook (the only format that holds that many rows), the
    sheet streamed into the package with inline strings, so memory stays small;
  * Refs.dat: the code tables of data/sample/Refs.dat;
  * with --cache, Data.dat and its stamp Data.dat.stamp, exactly as the program writes
    them after importing that workbook (the import refuses a sheet part this large, so
    the tool writes what it would have written). `--check-cache` compares the two on a
    smaller table: the tool's Data.dat must be byte for byte the program's.

Usage:
  /usr/bin/python3 tools/make_big_table.py FOLDER [--rows N] [--cache]
  /usr/bin/python3 tools/make_big_table.py FOLDER --rows 65535 --check-cache build/bin/sifa-query

  --rows N   records, 1..1048575 (default 1048575)

Also importable: rows(count) yields the records as lists of 17 values (None: empty).
"""

import argparse
import datetime
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path
from xml.sax.saxutils import escape

sys.path.insert(0, str(Path(__file__).resolve().parent))
import make_sample_data as sample  # noqa: E402

MAX_ROWS = 1048575
SAMPLE_ROWS = 65535
TEXT_COLUMNS = [sample.COL[n] for n in ("ProjName", "ToolKit", "MATOS", "PortName", "RecoFr", "RecoEN")]


def sample_rows():
    return sample.make_records(SAMPLE_ROWS, 2012, sample.codes_from_refs(sample.DEFAULT_REFS))


def rows(count, base=None):
    base = base or sample_rows()
    made = 0
    copy = 0
    while made < count:
        for row in base:
            if made == count:
                return
            out = list(row)
            out[sample.COL["Year"]] = row[sample.COL["Year"]] + 18 * copy
            out[sample.COL["Proj#"]] = row[sample.COL["Proj#"]] + 10000 * copy
            if copy:
                for c in TEXT_COLUMNS:
                    if out[c] is not None:
                        out[c] = "%s [%d]" % (out[c], copy)
            made += 1
            yield out
        copy += 1


def column_letter(c):
    return chr(ord("A") + c)


def trimmed(text):
    # As the import trims a cell's text.
    return text.strip(" \u00a0\r\n")


CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>
</Types>"""
ROOT_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>
</Relationships>"""
WORKBOOK = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="Sifa" sheetId="1" r:id="rId1"/></sheets>
</workbook>"""
WORKBOOK_RELS = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>
</Relationships>"""
STYLES = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>
<fills count="1"><fill><patternFill patternType="none"/></fill></fills>
<borders count="1"><border/></borders>
<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>
<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs>
</styleSheet>"""


def number_text(x):
    return str(int(x)) if x == int(x) else repr(x)


def write_workbook(path, count):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
        z.writestr("[Content_Types].xml", CONTENT_TYPES)
        z.writestr("_rels/.rels", ROOT_RELS)
        z.writestr("xl/workbook.xml", WORKBOOK)
        z.writestr("xl/_rels/workbook.xml.rels", WORKBOOK_RELS)
        z.writestr("xl/styles.xml", STYLES)
        with z.open("xl/worksheets/sheet1.xml", "w", force_zip64=True) as f:
            f.write(b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
                    b'<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>')
            parts = ['<row r="1">']
            for c, title in enumerate(sample.HEADER):
                parts.append('<c r="%s1" t="inlineStr"><is><t>%s</t></is></c>' % (column_letter(c), title))
            parts.append("</row>")
            for r, row in enumerate(rows(count), 2):
                parts.append('<row r="%d">' % r)
                for c, v in enumerate(row):
                    if v is None:
                        continue
                    ref = "%s%d" % (column_letter(c), r)
                    if isinstance(v, float):
                        parts.append('<c r="%s"><v>%s</v></c>' % (ref, number_text(v)))
                    else:
                        parts.append('<c r="%s" t="inlineStr"><is><t xml:space="preserve">%s</t></is></c>'
                                     % (ref, escape(v)))
                parts.append("</row>")
                if len(parts) > 20000:
                    f.write("".join(parts).encode("utf-8"))
                    parts = []
            parts.append("</sheetData></worksheet>")
            f.write("".join(parts).encode("utf-8"))


# --------------------------------------------------------------------------- Data.dat

def day_number(mtime_ns):
    # Local time to the second, as days since 1899-12-30 (the milliseconds dropped).
    t = datetime.datetime.fromtimestamp((mtime_ns // 1000000) // 1000)
    days = (t.date() - datetime.date(1899, 12, 30)).days
    frac = (t.hour * 3600 + t.minute * 60 + t.second) / 86400.0
    return days - frac if days < 0 else days + frac


def identity(path):
    st = path.stat()
    name = path.name.encode("cp1252")
    return struct.pack("<i", len(name)) + name + struct.pack("<id", st.st_size, day_number(st.st_mtime_ns)), st


def write_cache(folder, count):
    book, refs = folder / "Sifa_table.xlsx", folder / "Refs.dat"
    head1, st1 = identity(book)
    head2, st2 = identity(refs)
    fields = len(sample.HEADER)
    base = sample_rows()
    cache = folder / "Data.dat"
    with open(cache, "wb") as f:
        f.write(head1 + head2 + struct.pack("<ii", count, fields))
        starts = [f.tell()]
        f.write(b"\x00\x00" * (count + 1))  # column 0: the search's own
        for c in range(fields):
            starts.append(f.tell())
            out = [b"\x00\x00"]  # row 0
            for row in rows(count, base):
                v = row[c]
                if isinstance(v, str):
                    v = trimmed(v) or None
                if v is None:
                    out.append(b"\x00\x00")
                elif isinstance(v, float):
                    out.append(struct.pack("<Hd", 5, v))
                else:
                    b = v.encode("cp1252")
                    out.append(struct.pack("<Hh", 8, len(b)) + b)
                if len(out) > 100000:
                    f.write(b"".join(out))
                    out = []
            f.write(b"".join(out))
        starts.append(f.tell())
    size = cache.stat().st_size

    def bits(d):
        return "%016x" % struct.unpack("<Q", struct.pack("<d", d))[0]

    stamp = ("Sifa_Soft cache stamp 2\ncache %d %d %s %d %s %d %d\nsource %d %d %d\nrefs %d %d %d\ncolumns %s\n"
             % (size, st1.st_size, bits(day_number(st1.st_mtime_ns)), st2.st_size, bits(day_number(st2.st_mtime_ns)),
                count, fields, st1.st_ino, st1.st_size, st1.st_mtime_ns, st2.st_ino, st2.st_size, st2.st_mtime_ns,
                " ".join(str(s) for s in starts)))
    (folder / "Data.dat.stamp").write_text(stamp)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folder", type=Path)
    parser.add_argument("--rows", type=int, default=MAX_ROWS)
    parser.add_argument("--cache", action="store_true")
    parser.add_argument("--check-cache", metavar="SIFA_QUERY")
    args = parser.parse_args()
    if not 1 <= args.rows <= MAX_ROWS:
        parser.error("--rows must be between 1 and %d" % MAX_ROWS)
    started = time.monotonic()
    args.folder.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(sample.DEFAULT_REFS, args.folder / "Refs.dat")
    book = args.folder / "Sifa_table.xlsx"
    write_workbook(book, args.rows)
    # Whole seconds: the cache keeps a file's time to the second.
    for p in (book, args.folder / "Refs.dat"):
        now = int(time.time()) - 2
        os.utime(p, ns=(now * 10**9, now * 10**9))
    print("wrote %s: %d records, %d bytes, %.1f s" % (book, args.rows, book.stat().st_size, time.monotonic() - started))
    if args.cache or args.check_cache:
        write_cache(args.folder, args.rows)
        print("wrote %s, %d bytes" % (args.folder / "Data.dat", (args.folder / "Data.dat").stat().st_size))
    if args.check_cache:
        with tempfile.TemporaryDirectory() as tmp:
            for name in ("Sifa_table.xlsx", "Refs.dat"):
                shutil.copy2(args.folder / name, Path(tmp) / name)
            subprocess.run([args.check_cache, "--dir", tmp, "--check"], check=True)
            def columns(folder):
                return [l for l in (folder / "Data.dat.stamp").read_text().splitlines() if l.startswith("columns ")]
            same = ((Path(tmp) / "Data.dat").read_bytes() == (args.folder / "Data.dat").read_bytes()
                    and columns(Path(tmp)) == columns(args.folder))
            print("the program's own Data.dat is %s" % ("the same" if same else "DIFFERENT"))
            if not same:
                sys.exit(1)


if __name__ == "__main__":
    main()
