#!/usr/bin/python3
"""The "[Any fields]" Content search of sifa-query as sqlite3 runs it, for comparison.

Builds FOLDER/records.sqlite (once; --rebuild makes it again) holding the same rows
as the data folder that tools/make_big_table.py writes (--rows as given to it), one
column per field, numbers as numbers, empty cells NULL. Then runs, as whole processes,
N times each (default 3):

  sqlite3 FOLDER/records.sqlite "SELECT count(*) FROM t WHERE lower(Year) LIKE '%energy%' OR ..."
  sifa-query --dir FOLDER --count -c '*:Content:energy'          (with --query PROGRAM)

over the 16 fields of the English view (every field but RecoFr), and prints the elapsed
seconds and the peak resident memory of each run as /usr/bin/time -v reports them.

Usage:
  /usr/bin/python3 tools/sqlite_any_fields.py FOLDER --rows N [--text energy]
                                             [--query build/bin/sifa-query]... [--runs 3]
"""

import argparse
import re
import sqlite3
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import make_big_table as big  # noqa: E402
import make_sample_data as sample  # noqa: E402


def build(db, count):
    db.unlink(missing_ok=True)
    con = sqlite3.connect(str(db))
    cols = ", ".join('"%s"' % h for h in sample.HEADER)
    con.execute("CREATE TABLE t (%s)" % cols)
    marks = ", ".join("?" * len(sample.HEADER))
    batch = []
    for row in big.rows(count):
        batch.append([big.trimmed(v) or None if isinstance(v, str) else v for v in row])
        if len(batch) == 50000:
            con.executemany("INSERT INTO t VALUES (%s)" % marks, batch)
            batch = []
    con.executemany("INSERT INTO t VALUES (%s)" % marks, batch)
    con.commit()
    con.close()


def timed(command):
    out = subprocess.run(["/usr/bin/time", "-v"] + command, capture_output=True, text=True)
    seconds = re.search(r"Elapsed \(wall clock\) time \(h:mm:ss or m:ss\): (?:(\d+):)?(\d+):([0-9.]+)", out.stderr)
    h, m, s = seconds.groups()
    elapsed = int(h or 0) * 3600 + int(m) * 60 + float(s)
    peak = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", out.stderr).group(1))
    return out.stdout.strip(), elapsed, peak / 1024.0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folder", type=Path)
    parser.add_argument("--rows", type=int, required=True)
    parser.add_argument("--text", default="energy")
    parser.add_argument("--query", action="append", default=[])
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--rebuild", action="store_true")
    args = parser.parse_args()

    db = args.folder / "records.sqlite"
    if args.rebuild or not db.exists():
        build(db, args.rows)
    where = " OR ".join("lower(\"%s\") LIKE '%%%s%%'" % (h, args.text) for h in sample.HEADER if h != "RecoFr")
    commands = [("sqlite3", ["sqlite3", str(db), "SELECT count(*) FROM t WHERE %s;" % where])]
    for q in args.query:
        commands.append((q, [q, "--dir", str(args.folder), "--count", "-c", "*:Content:%s" % args.text]))
    for name, command in commands:
        for _ in range(args.runs):
            answer, elapsed, peak = timed(command)
            print("%-50s %-22s %7.3f s %8.1f MB" % (name, answer, elapsed, peak))


if __name__ == "__main__":
    main()
