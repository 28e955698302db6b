#!/usr/bin/python3
"""Write NAME.EXT.dump beside each workbook: the first sheet's non-empty cells as an
independent reader sees them (xlrd for .xls, openpyxl for .xlsx/.xlsm, odfpy for .ods),
in the line format of `sifa-query --dump-sheet`, so that our reader can be compared with it.
When the reader cannot open a file, NAME.EXT.refused holds its one-line error instead.

Usage: make_reference_dumps.py [FILE...]   (no argument: every workbook under
tests/data/workbooks/). Runs on Debian 12 with python3-xlrd, python3-openpyxl, python3-odf.
"""
import datetime
import os
import resource
import sys
import traceback
import re
import warnings

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_DIR = os.path.join(ROOT, 'tests', 'data', 'workbooks')
MAX_ROWS, MAX_COLS = 1048576, 16384
SHIFT_1904 = 1462
EPOCH = datetime.datetime(1899, 12, 30)
US_PER_DAY = 86400 * 1000000

# Files where a reference is known to be wrong: path relative to tests/data/workbooks ->
# function(cells) returning corrected cells. Each needs a comment saying why.
def _decode_xstring_escapes(cells):
    # openpyxl 3.0.9 leaves the escapes "_x000D_" of the XML string type in the text; a
    # spreadsheet program shows the character they stand for (a carriage return here).
    out = []
    for r, c, k, v in cells:
        if k == 'text':
            v = re.sub(r'_x([0-9A-Fa-f]{4})_', lambda m: text(chr(int(m.group(1), 16))), v)
        out.append((r, c, k, v))
    return out


CORRECTIONS = {
    'calamine/has_x000D_.xlsx': _decode_xstring_escapes,
    'calamine/has_x000D_inline.xlsx': _decode_xstring_escapes,
}


class Raw_Serial(float):
    """A date cell's number exactly as the file holds it."""


def num(v):
    return '%.15g' % v


def text(s):
    return (s.replace('\\', '\\\\').replace('\t', '\\t')
            .replace('\n', '\\n').replace('\r', '\\r'))


def us_to_days(us):
    # Integer microseconds, one correctly rounded division: no drift through floats.
    return us / US_PER_DAY


def datetime_to_days(v):
    if isinstance(v, datetime.timedelta):
        return us_to_days((v.days * 86400 + v.seconds) * 1000000 + v.microseconds)
    if isinstance(v, datetime.time):
        return us_to_days(((v.hour * 60 + v.minute) * 60 + v.second) * 1000000 + v.microsecond)
    if not isinstance(v, datetime.datetime):
        v = datetime.datetime(v.year, v.month, v.day)
    return datetime_to_days(v.replace(tzinfo=None) - EPOCH)


# ---------------------------------------------------------------- .xls (xlrd)

XLS_ERRORS = {0x00: '#NULL!', 0x07: '#DIV/0!', 0x0F: '#VALUE!', 0x17: '#REF!',
              0x1D: '#NAME?', 0x24: '#NUM!', 0x2A: '#N/A'}


def read_xls(path):
    import xlrd
    with open(os.devnull, 'w') as quiet:
        book = xlrd.open_workbook(path, on_demand=True, logfile=quiet)
        sh = book.sheet_by_index(0)
        shift = SHIFT_1904 if book.datemode == 1 else 0
        cells = []
        for r in range(sh.nrows):
            for c in range(sh.row_len(r)):
                t, v = sh.cell_type(r, c), sh.cell_value(r, c)
                if t == xlrd.XL_CELL_NUMBER:
                    cells.append((r + 1, c + 1, 'number', num(v)))
                elif t == xlrd.XL_CELL_DATE:
                    cells.append((r + 1, c + 1, 'date', num(v + shift)))
                elif t == xlrd.XL_CELL_TEXT:
                    if v != '':
                        cells.append((r + 1, c + 1, 'text', text(v)))
                elif t == xlrd.XL_CELL_BOOLEAN:
                    cells.append((r + 1, c + 1, 'boolean', 'TRUE' if v else 'FALSE'))
                elif t == xlrd.XL_CELL_ERROR:
                    cells.append((r + 1, c + 1, 'error', XLS_ERRORS.get(v, '#ERROR')))
        book.release_resources()
    return cells


# ---------------------------------------------------------------- .xlsx (openpyxl)

def read_xlsx(path):
    import openpyxl
    from openpyxl.worksheet import _reader
    from openpyxl.utils.datetime import CALENDAR_MAC_1904
    # openpyxl turns a date cell's number into a datetime, which loses precision, mishandles
    # the 1900 leap-year days and calls a number out of the datetime range an error: keep the
    # file's number instead.
    _reader.from_excel = lambda value, epoch=None, timedelta=False: Raw_Serial(value)
    # openpyxl writes a hyperlink's target into an empty linked cell: not a value of the file.
    _reader.WorksheetReader.bind_hyperlinks = lambda self: None
    with warnings.catch_warnings():
        warnings.simplefilter('ignore')
        wb = openpyxl.load_workbook(path, data_only=True)
    shift = SHIFT_1904 if wb.epoch == CALENDAR_MAC_1904 else 0
    ws = wb.worksheets[0]
    cells = []
    for (r, c), cell in sorted(ws._cells.items()):
        v = cell.value
        if v is None:
            continue
        if isinstance(v, Raw_Serial):
            cells.append((r, c, 'date', num(float(v) + shift)))
        elif isinstance(v, bool):
            cells.append((r, c, 'boolean', 'TRUE' if v else 'FALSE'))
        elif isinstance(v, (int, float)):
            cells.append((r, c, 'number', num(v)))
        elif isinstance(v, (datetime.datetime, datetime.date, datetime.time, datetime.timedelta)):
            # An ISO 8601 date cell (t="d"): an absolute moment, already in the 1900 system.
            cells.append((r, c, 'date', num(datetime_to_days(v))))
        elif cell.data_type == 'e':
            cells.append((r, c, 'error', str(v)))
        elif str(v) != '':
            cells.append((r, c, 'text', text(str(v))))
    return cells


# ---------------------------------------------------------------- .ods (odfpy)

TABLENS = 'urn:oasis:names:tc:opendocument:xmlns:table:1.0'
OFFICENS = 'urn:oasis:names:tc:opendocument:xmlns:office:1.0'
TEXTNS = 'urn:oasis:names:tc:opendocument:xmlns:text:1.0'
CALCEXTNS = 'urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0'


def children(e, ns=None, name=None):
    for ch in e.childNodes:
        if ch.nodeType == ch.ELEMENT_NODE and (ns is None or ch.qname == (ns, name)):
            yield ch


def attr(e, ns, name, default=None):
    return e.attributes.get((ns, name), default)


def inline_text(e, out):
    for ch in e.childNodes:
        if ch.nodeType == ch.TEXT_NODE:
            out.append(ch.data)
        elif ch.nodeType == ch.ELEMENT_NODE:
            ns, name = ch.qname
            if ns == TEXTNS and name == 's':
                out.append(' ' * int(attr(ch, TEXTNS, 'c', '1')))
            elif ns == TEXTNS and name == 'tab':
                out.append('\t')
            elif ns == TEXTNS and name == 'line-break':
                out.append('\n')
            elif ns == OFFICENS and name == 'annotation':
                pass
            elif ns == TEXTNS and name in ('note', 'soft-page-break'):
                pass
            else:   # span, a, meta, ...: their text counts
                inline_text(ch, out)


def cell_text(cell):
    paras = []
    for p in children(cell, TEXTNS, 'p'):
        out = []
        inline_text(p, out)
        paras.append(''.join(out))
    return '\n'.join(paras)


def ods_duration_days(s):
    # PT12H30M15S, PT12H30M15.5S, maybe -PT..., P1DT2H
    neg = s.startswith('-')
    s = s.lstrip('-')[1:]   # drop P
    days, us = 0, 0
    datepart, _, timepart = s.partition('T')
    if datepart.endswith('D'):
        days = int(datepart[:-1])
    tnum = ''
    for ch in timepart:
        if ch.isdigit() or ch == '.':
            tnum += ch
            continue
        if ch == 'H':
            us += int(tnum) * 3600 * 1000000
        elif ch == 'M':
            us += int(tnum) * 60 * 1000000
        elif ch == 'S':
            whole, _, frac = tnum.partition('.')
            us += int(whole or 0) * 1000000 + int((frac + '000000')[:6])
        tnum = ''
    us += days * US_PER_DAY
    return us_to_days(-us if neg else us)


def ods_date_days(s):
    s = s.rstrip('Z')
    if 'T' in s:
        d, t = s.split('T')
        frac = ''
        if '.' in t:
            t, frac = t.split('.')
        dt = datetime.datetime.strptime(d + 'T' + t, '%Y-%m-%dT%H:%M:%S')
        dt = dt.replace(microsecond=int((frac + '000000')[:6]))
    else:
        dt = datetime.datetime.strptime(s, '%Y-%m-%d')
    return datetime_to_days(dt)


def ods_value(cell):
    vt = attr(cell, CALCEXTNS, 'value-type')
    if vt == 'error':
        return 'error', text(cell_text(cell))
    vt = attr(cell, OFFICENS, 'value-type')
    if vt in ('float', 'percentage', 'currency'):
        return 'number', num(float(attr(cell, OFFICENS, 'value')))
    if vt == 'date':
        return 'date', num(ods_date_days(attr(cell, OFFICENS, 'date-value')))
    if vt == 'time':
        return 'date', num(ods_duration_days(attr(cell, OFFICENS, 'time-value')))
    if vt == 'boolean':
        b = attr(cell, OFFICENS, 'boolean-value', 'false').strip().lower()
        return 'boolean', 'TRUE' if b in ('true', '1') else 'FALSE'
    if vt == 'string':
        s = attr(cell, OFFICENS, 'string-value')
        if s is None:
            s = cell_text(cell)
        return ('text', text(s)) if s != '' else None
    if vt is None:
        # No value type: LibreOffice takes the paragraphs as text.
        s = cell_text(cell)
        return ('text', text(s)) if s != '' else None
    return None


def ods_rows(table):
    # Rows may sit inside row groups, header rows and similar wrappers.
    for e in children(table):
        ns, name = e.qname
        if ns != TABLENS:
            continue
        if name == 'table-row':
            yield e
        elif name in ('table-row-group', 'table-header-rows', 'table-rows'):
            yield from ods_rows(e)


def read_ods(path):
    from odf.opendocument import load
    doc = load(path)
    sheet = next(children(doc.spreadsheet, TABLENS, 'table'), None)
    if sheet is None:
        return []
    cells = []
    r = 0
    for row in ods_rows(sheet):
        nrows = int(attr(row, TABLENS, 'number-rows-repeated', '1'))
        found = []
        c = 0
        for cell in children(row):
            if cell.qname[0] != TABLENS or cell.qname[1] not in ('table-cell', 'covered-table-cell'):
                continue
            ncols = int(attr(cell, TABLENS, 'number-columns-repeated', '1'))
            v = ods_value(cell)
            if v is not None:
                for k in range(min(ncols, MAX_COLS - c)):
                    found.append((c + k + 1, v))
            c += ncols    # empty repeats are skipped without expanding them
            if c >= MAX_COLS:
                break
        if found:
            for k in range(min(nrows, MAX_ROWS - r)):
                cells.extend((r + k + 1, col, kind, val) for col, (kind, val) in found)
        r += nrows
        if r >= MAX_ROWS:
            break
    return cells


# ---------------------------------------------------------------- driver

READERS = {'.xls': ('xls', read_xls), '.xlsx': ('xlsx', read_xlsx),
           '.xlsm': ('xlsx', read_xlsx), '.ods': ('ods', read_ods)}


def dump_one(path):
    kind, reader = READERS[os.path.splitext(path)[1].lower()]
    for old in (path + '.dump', path + '.refused'):
        if os.path.exists(old):
            os.remove(old)
    try:
        cells = reader(path)
    except MemoryError:
        refused = 'MemoryError: the reader ran out of its memory allowance'
    except Exception as e:   # noqa: anything the reader throws means it refuses the file
        refused = type(e).__name__ + ': ' + ' '.join(str(e).split())
        if not str(e).strip():   # a bare assertion: say where it failed
            tb = traceback.extract_tb(e.__traceback__)[-1]
            refused += 'in %s line %d: %s' % (os.path.basename(tb.filename), tb.lineno, tb.line)
        refused = refused[:300]
    else:
        fix = CORRECTIONS.get(os.path.relpath(path, DEFAULT_DIR))
        if fix:
            cells = fix(cells)
        with open(path + '.dump', 'w', encoding='utf-8', newline='\n') as f:
            for r, c, k, v in cells:
                f.write('%d\t%d\t%s\t%s\n' % (r, c, k, v))
        return kind, True
    with open(path + '.refused', 'w', encoding='utf-8', newline='\n') as f:
        f.write(refused + '\n')
    return kind, False


def main(args):
    # The hostile files ask for huge allocations: let them fail as a refusal, not take the machine.
    resource.setrlimit(resource.RLIMIT_AS, (4 << 30, 4 << 30))
    if not args:
        args = sorted(os.path.join(d, f) for d, _, fs in os.walk(DEFAULT_DIR) for f in fs
                      if os.path.splitext(f)[1].lower() in READERS)
    stats = {}
    for path in args:
        kind, ok = dump_one(path)
        s = stats.setdefault(kind, [0, 0, []])
        s[0 if ok else 1] += 1
        if not ok:
            s[2].append(os.path.basename(path))
    for kind in sorted(stats):
        dumped, refused, names = stats[kind]
        print('%s: %d dumped, %d refused%s' % (kind, dumped, refused,
                                              (' (' + ', '.join(names) + ')') if names else ''))


if __name__ == '__main__':
    main(sys.argv[1:])
