#!/usr/bin/python3
"""Runs the same sifa-query command lines with two builds and says where they differ.

    /usr/bin/python3 tools/compare_query_outputs.py --baseline OLD/sifa-query
                     [--candidate NEW/sifa-query] [--rows N] [--large-workbook FILE]
                     [--work DIR] [--no-corpus] [--verbose]

Each build gets its own scratch copies of the data folders (the bundled sample, a folder
of --rows records written by tools/make_sample_data.py, the LibreOffice fixtures as .xlsx
and .ods, a damaged workbook), so that the caches each one writes stay its own; the
command lines run in the same order with the same relative paths, and for each the
standard output bytes, the standard error text, the exit status and any file the command
writes (a CSV file byte for byte, a PDF as its text through pdftotext, the cache Data.dat)
are compared. --dump-sheet runs on every workbook of tests/data/ as well (--no-corpus
leaves the reference workbooks out). Prints "N command lines, all identical" or each
difference, and exits 1 when there was one.

The large workbook takes a while to write; --large-workbook reuses one written before.
"""
import argparse
import hashlib
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
SAMPLE = ROOT / "data" / "sample"
TEST_DATA = ROOT / "tests" / "data"

# One command line: the arguments ({D} is the data folder), the files it writes that are
# compared, and whether the folder's cache is removed first (so that the workbook is read).
class Run:
    def __init__(self, args, files=(), fresh=False):
        self.args, self.files, self.fresh = list(args), list(files), fresh


def sample_runs():
    c = lambda *a: Run(["--dir", "{D}", *a])
    return [
        Run(["--dir", "{D}", "--check"], files=["{D}/Data.dat"], fresh=True),
        c("--count"),
        c(),
        c("--lang", "FR"),
        c("-c", "EM:Equal:DE"),
        c("-c", "EM:0:de"),
        c("-c", "Year:Inferior:2008", "--count"),
        c("-c", "Year:Superior:2008", "--sort", "Year"),
        c("-c", "Year:Equal or Inferior:2008", "--count"),
        c("--lang", "FR", "-c", "Année:Supérieur ou Egal:2010", "--count"),
        c("-c", "ProjName:Begin with:Learning", "--fields", "Custom=1-4"),
        c("-c", "ProjName:End with:s", "--count"),
        c("-c", "*:Content:energy", "--fields", "Custom=1-3,14"),
        c("-c", "*:Content:*hous?ng*", "--count"),
        c("-c", "DomReco2:Empty", "--count"),
        c("-c", "Area of reco:Empty", "--count"),
        c("-c", "!EM:Equal:FR", "--count"),
        c("-c", "EM:Equal:DE", "-c", "Area of reco:Equal:H", "--and", "--sort", "Year:desc",
          "--fields", "Custom=1-4,7,10"),
        c("-c", "EM:Equal:DE", "-c", "EM:Equal:FR", "--or", "--sort", "EM"),
        c("-c", "Year:Superior:2005", "-c", "!EmetType:Equal:NAT", "-c", "Reco#:Inferior:3", "--and",
          "--sort-keys", "EM,-Proj#"),
        c("--lang", "FR", "-c", "*:Contient:logement", "--describe", "--sort-keys", "EM,-Year"),
        c("--lang", "FR", "-c", "*:Contient:logement", "--count"),
        c("--describe", "-c", "Year:Superior:2008", "-c", "!EM:Egal:FR", "--and", "--sort", "ProjName:desc"),
        c("--lang", "FR", "-c", "EM:Egal:DE", "--counts", "Domaine de la reco"),
        c("--counts", "EM", "-c", "Year:8:"),
        c("--counts", "Year", "--lang", "FR"),
        c("--sort", "ProjName"),
        c("--sort-keys", "EmetType,-Proj#,Reco#", "--fields", "All"),
        c("--fields", "All", "--lang", "FR"),
        c("--fields", "Short", "--format", "list"),
        c("--fields", "All", "--format", "list", "--no-labels", "-c", "EM:Equal:LU"),
        c("--no-labels", "-c", "Year:Equal:2010"),
        c("--clip", "-c", "EM:Equal:BE"),
        c("--clip", "--format", "list", "--lang", "FR", "-c", "EM:Egal:BE"),
        Run(["--dir", "{D}", "-c", "EM:Equal:DE", "-o", "out.csv"], files=["out.csv"]),
        Run(["--dir", "{D}", "--lang", "FR", "--fields", "All", "-o", "out_fr.csv"], files=["out_fr.csv"]),
        c("--record", "1"),
        c("--record", "400", "--lang", "FR"),
        Run(["--dir", "{D}", "-c", "EM:Equal:DE", "--sort", "Year:desc", "--pdf", "out.pdf"], files=["out.pdf"]),
        Run(["--dir", "{D}", "--lang", "FR", "--fields", "All", "-c", "EM:Egal:LU", "--pdf", "out_fr.pdf"],
            files=["out_fr.pdf"]),
        # Usage errors (2).
        c("--lang", "DE"),
        c("-c", "EM:0:DE", "-c", "EM:0:FR", "-c", "EM:0:BE", "-c", "EM:0:LU"),
        c("--and", "--or"),
        c("--sort", "Year", "--sort-keys", "EM"),
        c("--fields", "Many"),
        c("--format", "wide"),
        c("--bogus"),
        c("--count", "--describe"),
        c("-c", "Nowhere:Equal:1"),
        c("-c", "Year:Equal:abc"),
        c("-c", "Year:Nearly:2000"),
        c("-c", "EM:Equal:XX"),
        c("--sort", "Nowhere"),
        c("--sort-keys", "Year,EM,Proj#,Reco#,EmetType"),
        c("--record", "0"),
        c("--record", "401"),
        c("--record", "x1"),
        c("--pdf", "x.pdf", "-o", "y.csv"),
        c("-o"),
        c("--counts", "*"),
        c("--fields", "Custom=0-99"),
        Run(["--dump-sheet", "{D}/Sifa_table.xls", "--count"]),
        # Failures (1).
        Run(["--dir", "no_such_folder", "--count"]),
        c("-o", "no_such_folder/out.csv"),
        c("--pdf", "no_such_folder/out.pdf"),
        Run(["--help"]),
    ]


def large_runs():
    c = lambda *a: Run(["--dir", "{D}", *a])
    return [
        Run(["--dir", "{D}", "--check"], files=["{D}/Data.dat"], fresh=True),
        c("--count"),
        c("-c", "*:Content:energy", "--count"),
        c("--lang", "FR", "-c", "*:Contient:logement", "-c", "Year:Superior:2010", "--and", "--count"),
        Run(["--dir", "{D}", "--sort-keys", "EM,-Year,Proj#", "-o", "big.csv"], files=["big.csv"]),
        Run(["--dir", "{D}", "--sort", "ProjName:desc", "--fields", "All", "--format", "list", "-o", "big_list.csv"],
            files=["big_list.csv"]),
        c("--counts", "Area of reco"),
        c("--lang", "FR", "--counts", "EM du porteur", "-c", "!EM:Egal:FR"),
        c("--record", "65535"),
        c("--record", "65536"),
        c("-c", "Year:Superior:2010", "-c", "EM:Equal:DE", "--and", "--fields", "All", "--format", "list"),
        c("--describe", "-c", "ProjName:Begin with:L", "--sort-keys", "-Year"),
        c("--clip", "-c", "EM:Equal:LU", "-c", "DomReco1:Equal:H", "--and"),
        Run(["--dir", "{D}", "-c", "EM:Equal:MT", "-c", "Year:Equal:2010", "--and", "--pdf", "big.pdf"],
            files=["big.pdf"]),
        Run(["--dump-sheet", "{D}/Sifa_table.xls"]),
    ]


def failing_runs():
    c = lambda *a: Run(["--dir", "{D}", *a])
    return [c("--check"), c("--count"), Run(["--dump-sheet", "{D}/Sifa_table.xls"])]


def dump_runs():
    files = sorted(p for p in TEST_DATA.iterdir() if p.suffix in (".xls", ".xlsx", ".ods", ".fods"))
    runs = [Run(["--dump-sheet", str(p)]) for p in files]
    runs += [Run(["--dump-sheet", "no_such_file.xls"]), Run(["--dump-sheet", "."])]
    return runs


def corpus_runs():
    books = TEST_DATA / "workbooks"
    files = sorted(p for p in books.rglob("*") if p.is_file() and p.suffix not in (".dump", ".md") and p.name != "NOTICE")
    return [Run(["--dump-sheet", str(p)]) for p in files]


def pdf_text(path):
    r = subprocess.run(["pdftotext", str(path), "-"], capture_output=True)
    return r.stdout if r.returncode == 0 else b"(pdftotext failed: " + r.stderr + b")"


def file_summary(path):
    if not path.exists():
        return ("missing",)
    data = pdf_text(path) if path.suffix == ".pdf" else path.read_bytes()
    return (len(data), hashlib.sha256(data).hexdigest())


def run_one(exe, side_dir, data_name, run, env):
    data = f"data/{data_name}" if data_name else ""
    args = [a.replace("{D}", data) for a in run.args]
    if run.fresh:
        for name in ("Data.dat", "Data.dat.stamp"):
            (side_dir / data / name).unlink(missing_ok=True)
    for f in run.files:
        p = side_dir / f.replace("{D}", data)
        if p.suffix in (".csv", ".pdf"):
            p.unlink(missing_ok=True)
    r = subprocess.run([str(exe), *args], cwd=side_dir, capture_output=True, env=env, timeout=600)
    files = tuple(file_summary(side_dir / f.replace("{D}", data)) for f in run.files)
    stdout = hashlib.sha256(r.stdout).hexdigest() if len(r.stdout) > 4096 else r.stdout
    return args, (r.returncode, stdout, len(r.stdout), r.stderr.decode("utf-8", "replace"), files)


def make_folders(side_dir, sources):
    for name, files in sources.items():
        d = side_dir / "data" / name
        d.mkdir(parents=True)
        for target, source in files.items():
            shutil.copy2(source, d / target)  # the same times: the caches name them


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--baseline", required=True, type=pathlib.Path, help="the sifa-query of before")
    ap.add_argument("--candidate", type=pathlib.Path, default=ROOT / "build" / "bin" / "sifa-query")
    ap.add_argument("--rows", type=int, default=65535, help="records of the large folder (default 65535)")
    ap.add_argument("--large-workbook", type=pathlib.Path, help="a workbook written before by make_sample_data.py")
    ap.add_argument("--work", type=pathlib.Path, help="scratch folder (default: a new one under /tmp, removed)")
    ap.add_argument("--no-corpus", action="store_true", help="leave out tests/data/workbooks")
    ap.add_argument("--verbose", action="store_true", help="print every command line")
    a = ap.parse_args()
    for exe in (a.baseline, a.candidate):
        if not os.access(exe, os.X_OK):
            sys.exit(f"compare_query_outputs: {exe} is not a program")

    work = a.work or pathlib.Path(tempfile.mkdtemp(prefix="sifa_compare."))
    if a.work and work.exists():
        shutil.rmtree(work)
    work.mkdir(parents=True, exist_ok=True)
    try:
        large = a.large_workbook
        if not large:
            large = work / "large.xls"
            print(f"writing {a.rows} records into {large} ...", flush=True)
            subprocess.run(["/usr/bin/python3", str(ROOT / "tools" / "make_sample_data.py"), "--rows", str(a.rows),
                            "--out", str(large)], check=True, stdout=subprocess.DEVNULL)
        damaged = work / "damaged.xls"
        damaged.write_bytes(b"Year;Project number\n2010;9653\n")
        refs = SAMPLE / "Refs.dat"
        sources = {
            "sample": {"Refs.dat": refs, "Sifa_table.xls": SAMPLE / "Sifa_table.xls"},
            "large": {"Refs.dat": refs, "Sifa_table.xls": large},
            "lo_xlsx": {"Refs.dat": refs, "Sifa_table.xlsx": TEST_DATA / "lo_fixture.xlsx"},
            "lo_ods": {"Refs.dat": refs, "Sifa_table.ods": TEST_DATA / "lo_fixture.ods"},
            "damaged": {"Refs.dat": refs, "Sifa_table.xls": damaged},
        }
        plan = [("sample", r) for r in sample_runs()] + [("large", r) for r in large_runs()]
        plan += [(name, r) for name in ("lo_xlsx", "lo_ods", "damaged") for r in failing_runs()]
        plan += [("", r) for r in dump_runs()]
        if not a.no_corpus:
            plan += [("", r) for r in corpus_runs()]

        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8", TZ="UTC")
        sides = {"baseline": a.baseline.resolve(), "candidate": a.candidate.resolve()}
        results = {}
        for side, exe in sides.items():
            side_dir = work / side
            make_folders(side_dir, sources)
            results[side] = [run_one(exe, side_dir, name, r, env) for name, r in plan]

        differences = 0
        for (args, old), (_, new) in zip(results["baseline"], results["candidate"]):
            line = "sifa-query " + " ".join(args)
            if a.verbose:
                print(f"exit {old[0]}: {line}")
            if old == new:
                continue
            differences += 1
            print(f"DIFFERS: {line}")
            names = ("exit status", "standard output", "output bytes", "standard error", "files written")
            for what, o, n in zip(names, old, new):
                if o != n:
                    print(f"  {what}:\n    before: {o!r:.600}\n    after:  {n!r:.600}")
        total = len(plan)
        if differences:
            print(f"{total} command lines, {differences} differ")
            return 1
        print(f"{total} command lines, all identical")
        return 0
    finally:
        if not a.work:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
