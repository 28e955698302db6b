#!/usr/bin/python3
"""Plants one fault at a time in a scratch copy of the sources and runs the whole test
suite on each, to show which faults the tests catch.

    /usr/bin/python3 tools/plant_faults.py [--work DIR] [--only ID,ID...]

The scratch copy (default /tmp/sifa_faults) is made from the files git tracks, built
once (without benchmarks), checked green, then each fault is written in, built, tested
and taken out again. Prints one line per fault and exits 1 when a fault went unnoticed.
"""
import argparse
import os
import pathlib
import shutil
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent

# (id, file, text as it stands, the fault, what the fault is)
FAULTS = [
    # model
    ("like-digit", "src/model/Like.cpp", "return c >= u'0' && c <= u'9';", "return c >= u'0' && c < u'9';",
     "off by one: '#' no longer matches the digit 9"),
    ("cp1252-range", "src/model/Cp1252.cpp", "if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;",
     "if (c < 0x80 || (c > 0xA0 && c <= 0xFF)) return c;", "off by one: the no-break space has no byte"),
    ("hour-range", "src/model/Validation.cpp", "if (w && *w >= 0 && *w <= 23) return true;",
     "if (w && *w >= 0 && *w < 23) return true;", "off by one: the hour 23 is refused"),
    ("below-zero-msg", "src/model/Validation.cpp", 'translate("Import", "Below Zero");',
     'translate("Import", "Below zero");', "a message of the program reworded"),
    ("not-a-date-msg", "src/model/Validation.cpp", 'translate("Import", "Not a date");',
     'translate("Import", "Not a Date");', "a message of the program reworded"),
    ("rk-hundredths", "src/workbook/Xls_Biff.h", "return (rk & 1) ? d / 100.0 : d;", "return (rk & 1) ? d / 10.0 : d;",
     ".xls: packed numbers divided by 10, not 100"),
    ("code-length", "src/model/Field_Def_Codes.cpp", "if (accepted && Code_Length != 0 && code.size() != Code_Length) accepted = false;",
     "if (accepted && Code_Length != 0 && code.size() > Code_Length) accepted = false;", "a too-short code is accepted"),
    ("incorect-length-msg", "src/model/Field_Def_Codes.cpp", "Total of %2 unloaded items (incorect length)",
     "Total of %2 unloaded items (incorrect length)", "a message's own spelling corrected"),
    ("date-width", "src/model/Field_Def_Codes.cpp", "return Type() == Type_Date ? width + 2 : width;",
     "return Type() == Type_Date ? width + 1 : width;", "a date's box one character too narrow"),
    ("session-longest-code", "src/model/Session.cpp", "t.Field->Max_Length = 0;", "(void)t;",
     "after a language switch a coded box keeps the width of the other language's codes"),
    ("field-number", "src/model/Record_Description.cpp", "if (Key(items_[i]->Name) == k) return static_cast<int>(i) + 1;",
     "if (Key(items_[i]->Name) == k) return static_cast<int>(i);", "off by one: a field's number by its name"),
    # search
    ("op-inferior", "src/search/Criteria.cpp", "case Op_Inferior: return d < c;", "case Op_Inferior: return d <= c;",
     "flipped comparison: Inferior includes the value"),
    ("op-superior-eq", "src/search/Criteria.cpp", "case Op_Equal_Or_Superior: return d >= c;",
     "case Op_Equal_Or_Superior: return d > c;", "flipped comparison: Equal or Superior leaves the value out"),
    ("mark-last-record", "src/search/Criteria.cpp", "    for (int r = from; r <= to; ++r) {\n        const bool selected",
     "    for (int r = from; r < to; ++r) {\n        const bool selected", "the last record of each half is never searched"),
    ("grid-skip-row", "src/search/Search_Run.cpp", "for (int i = 1; i <= R; ++i) {", "for (int i = 2; i <= R; ++i) {",
     "the result skips the first record"),
    ("one-record-found", "src/search/Search_Run.cpp", '(all == 1 ? QCoreApplication::translate("Search", "%1 Record found")',
     '(all == 0 ? QCoreApplication::translate("Search", "%1 Record found")', "\"1 Records found\""),
    ("csv-lost-quote", "src/search/Result_Text.cpp",
     "(1ull << '\"') | (1ull << ',') | (1ull << ';')", "(1ull << ',') | (1ull << ';')",
     "a text holding a double quote is not quoted on the clipboard"),
    ("csv-bom", "src/search/Result_Text.cpp", 'return QByteArrayLiteral("\\xEF\\xBB\\xBF") + text.toUtf8()',
     "return text.toUtf8()", "the UTF-8 export loses its byte-order mark"),
    ("criteria-and", "src/search/Result_Text.cpp", 'Combine_With_And ? QStringLiteral(" And ") : QStringLiteral(" or ")',
     'Combine_With_And ? QStringLiteral(" and ") : QStringLiteral(" or ")', "the criteria sentence's \"And\" reworded"),
    ("sort-toggle", "src/search/Sorting.cpp", "if (Is_Text_Type(data_type)) return code == 5 ? 6 : 5;",
     "if (Is_Text_Type(data_type)) return 5;", "a second header click no longer sorts descending"),
    ("unknown-code-msg", "src/search/Criteria_Form.cpp", 'translate("Search", "Unkownn code");',
     'translate("Search", "Unknown code");', "a message's own spelling corrected"),
    ("cell-filter-brackets", "src/search/Criteria_Form.cpp", "if (c == u'*' || c == u'?' || c == u'#' || c == u'[')",
     "if (c == u'*' || c == u'?' || c == u'[')", "a '#' in a cell's value stays a wildcard"),
    ("counts-once-per-record", "src/search/Value_Counts.cpp",
     "            if (std::find(seen.begin(), seen.end(), slot) != seen.end()) continue;\n",
     "", "a record holding one area twice counts twice"),
    ("counts-empty-line", "src/search/Value_Counts.cpp", "if (seen.empty()) ++empty;", "if (seen.empty()) {}",
     "records with no value are left out of the counts"),
    ("range-upper", "src/search/Field_Sets.cpp", "p <= std::min<qint64>(to, M); ++p) name(p);",
     "p < std::min<qint64>(to, M); ++p) name(p);", "off by one: a field range cannot end on its last field"),
    ("order-by", "src/search/Result_Text.cpp", 'text = QStringLiteral("Ordered by ") + s.Model.Heading(',
     'text = QStringLiteral("Sorted by ") + s.Model.Heading(', "the printout's order sentence reworded"),
    # window support, windows, printer, shell, tool
    ("mnemonic-escape", "src/winsupport/Window_Utils.cpp",
     "if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;",
     "if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {}", "\"&&\" shown as two ampersands"),
    ("file-not-found-msg", "src/winsupport/Default_App.cpp", 'translate("Default_App", "Could not find file")',
     'translate("Default_App", "File not found")', "a message of the program reworded"),
    ("sort-dialog-msg", "src/views/Sort_Dialog.cpp", 'tr("Nothing to do !")',
     'tr("Nothing to do!")', "a message of the program reworded"),
    ("close-button-cut", "src/output/Export.cpp", "Close_Button->setMinimumWidth(Button_Width);",
     "Close_Button->setFixedWidth(Button_Width / 4);", "the export dialog's Close button cuts its caption"),
    ("record-title", "src/views/Record_Window.cpp", 'setWindowTitle(tr("Record #")',
     'setWindowTitle(tr("Record ")', "the record window's caption"),
    ("filter-and", "src/views/Search_Window_Cell_Actions.cpp", "    if (usable == 1) Combine_With_And->setChecked(true);\n",
     "", "a cell filter added to an Or search widens the result"),
    ("counts-bars", "src/output/Counts_Window.cpp",
     "counts_.Rows.size() > bars ? bars - 1 : bars", "bars", "the chart's last bar drops the other values"),
    ("print-last-row", "src/output/List_Printer.cpp", "return Last_Row < 0 ? last : std::min(Last_Row, last);",
     "return Last_Row < 0 ? last : std::min(Last_Row - 1, last);", "the printout leaves out the last record"),
    ("print-question", "src/output/List_Printer.cpp", '"Row %1 too large to print: Ignored")',
     '"Row %1 too large to print: ignored")', "a message of the program reworded"),
    ("cli-too-many", "src/cli/Query_Options.cpp", "if (o.Criteria.size() == 3) {", "if (o.Criteria.size() == 4) {",
     "sifa-query takes a fourth criterion"),
    # behaviour of the latest changes
    ("group-empty-any", "src/search/Criteria.cpp",
     "row.every_field = *in.Field != Any_Fields && *in.Operator == Op_Empty && members->size() > 1;",
     "row.every_field = false;", "\"Area of reco:Empty\" finds a record with one area of three"),
    ("code-name-case", "src/search/Criteria_Form.cpp", "if (Accents_Off_If(r.Label, ignore_accents).compare(wanted, Qt::CaseInsensitive) == 0) return &r;",
     "if (Accents_Off_If(r.Label, ignore_accents).compare(wanted, Qt::CaseSensitive) == 0) return &r;",
     "a coded value box no longer takes a name typed in another letter case"),
    ("cache-stamp-time", "src/model/Data_Cache.cpp",
     "return Inode == s.Inode && Size == s.Size && Modified_Ns == s.Modified_Ns;",
     "return Inode == s.Inode && Size == s.Size;", "a workbook saved again within the second keeps the old cache"),
    ("stamp-columns-unchecked", "src/model/Data_Cache.cpp",
     "for (size_t i = 1; fits && i < known.size(); ++i) fits = known[i] - known[i - 1] >= least;",
     "fits = !known.empty();", "a stamp's columns line that does not fit the file is trusted"),
    ("lazy-column-end", "src/model/Data_Cache.cpp",
     "if (Read_Column(cr, part, h, c, &m, false) && cr.Pos() == columns[static_cast<size_t>(c) + 1]) return true;",
     "if (Read_Column(cr, part, h, c, &m, false)) return true;",
     "a column read when first asked for is not checked to end where the stamp says the next begins"),
    ("problem-lines-cap", "src/model/Spreadsheet_Import.cpp", "if (errs_.size() + held_.size() >= Max_Problem_Lines)",
     "if (errs_.size() + held_.size() > Max_Problem_Lines)", "off by one: 1,001 problem lines before the count of the rest"),
    ("held-problems-told", "src/model/Spreadsheet_Import.cpp", "const bool held = sheet_row > last_a_;",
     "const bool held = false;", "rows past the last with a year, met in a batch, have their problems told"),
    ("stream-batch-unbounded", "src/workbook/Isolated_Sheet_Reader.cpp",
     "if (taken_ - held_from_ > most_held_ || taken_ > most_total_) {", "if (taken_ > most_total_) {",
     "the program holds any number of cells from the reader child"),
    ("utf8-text-as-latin1", "src/workbook/Isolated_Sheet_Reader.cpp",
     "texts.push_back(out.Add_Shared_Utf8(utf8));",
     "texts.push_back(out.Add_Shared_Text(QString::fromLatin1(utf8.data(), qsizetype(utf8.size()))));",
     "a text the reader child sends as UTF-8 is taken for Latin-1"),
    ("import-share-and-rows", "src/model/Spreadsheet_Import.cpp",
     "if (progress_ && !by_share_) progress_->Show_Progress(r);", "if (progress_) progress_->Show_Progress(r);",
     "a bar counting thousandths of the sheet is also set to each record's number"),
    ("row-bound-ignored", "src/workbook/Office_Package.cpp",
     "const std::size_t most = whole_ ? kMax_Part_Bytes : g_element_bytes.load();",
     "const std::size_t most = kMax_Part_Bytes;", "one row of a part read in pieces may grow to 512 MB"),
    ("piece-cut-in-tag", "src/workbook/Office_Package.cpp", "return from + at + tail.size();", "return from + at;",
     "a large part is cut into pieces inside a row's end tag"),
    ("cell-text-limit", "src/workbook/Office_Package.cpp", "if (text.size() > Sheet_Max_Text) Fail(",
     "if (text.size() >= Sheet_Max_Text) Fail(", "off by one: a cell text of 32,767 characters refused"),
    ("cli-record-zero", "src/cli/main.cpp", "if (n < 1 || n > session.Records().Record_Count()) return std::nullopt;",
     "if (n < 0 || n > session.Records().Record_Count()) return std::nullopt;", "sifa-query --record 0 shows the headings"),
    ("counts-paragraphs", "src/search/Value_Counts.cpp",
     "            if (s.Model.Text(r, col).size() > Short_Text_Length) return false;\n", "",
     "\"Counts...\" opens on a column of paragraphs"),
    ("kept-text-begin", "src/search/Criteria.cpp", "case Op_Begin_With: return n >= m &&",
     "case Op_Begin_With: return n > m &&", "a text kept as bytes does not begin with itself"),
    ("second-thread-texts", "src/model/Records_Table.cpp",
     "if (col.kind[r] == static_cast<std::uint8_t>(VType::String)) col.payload[r] += shift;",
     "if (col.kind[r] == static_cast<std::uint8_t>(VType::String)) col.payload[r] += 0;",
     "the texts of the columns a second thread read name the first thread's texts"),
    ("second-thread-half", "src/search/Criteria.cpp", "const qint32 lower = Mark_Rows(P, Table, 1, half);",
     "const qint32 lower = Mark_Rows(P, Table, 1, half - 1);", "the last record of the lower half is never searched"),
    ("cell-negative-zero", "src/model/Records_Table.cpp", "d == std::trunc(d) && !(d == 0 && std::signbit(d));",
     "d == std::trunc(d);", "a cell of -0 comes back from the records as 0"),
    # the result model and its sorts
    ("sort-ties-reversed", "src/search/Result_Model.cpp",
     "for (size_t i = 0; i < n; ++i) {\n            const auto row = static_cast<quint32>(order[i]);",
     "for (size_t i = n; i-- > 0;) {\n            const auto row = static_cast<quint32>(order[i]);",
     "rows that tie come out in reverse order"),
    ("sort-kinds-descending", "src/search/Result_Model.cpp",
     "{ascending ? quint8(0) : quint8(2), 1, ascending ? quint8(2) : quint8(0)}", "{0, 1, 2}",
     "a descending generic sort keeps numbers between the texts in ascending place"),
    ("sort-key-word-skipped", "src/search/Result_Model.cpp", "Sort_By_Key(i, j, level + 1, k, scratch);",
     "Sort_By_Key(i, j, level + 2, k, scratch);", "texts alike in their first four letters ordered by the ninth on"),
    ("sort-side-keys-lose-entry", "src/search/Result_Model.cpp", "side.entries[j] = k.Entry(row);",
     "side.entries[j] = row;", "keys copied side by side twice over name the wrong texts"),
    ("sort-rank-by-key", "src/search/Result_Model.cpp",
     "if (i && !(v.keys[e] == v.keys[before] && Text_Order_Same(v.texts[e], v.texts[before]))) ++ranks;",
     "if (i && !(v.keys[e] == v.keys[before])) ++ranks;",
     "distinct texts whose first 32 letters are alike share a rank, so their rows keep their old order"),
    ("sort-radix-pass-skipped", "src/search/Result_Model.cpp",
     "if (at[(b->w >> (p * Bits)) & Mask] == n) continue;", "if (at[(b->w >> (p * Bits)) & Mask] >= n / 2) continue;",
     "a pass of the row sort is left out when most rows share its bits"),
    ("sort-key-resumed-late", "src/search/Text_Order.cpp",
     "if ((*from & 1) && c.i > 0) c.pending = c.t.Weight_At(c.w, c.i - 1).p2;", "",
     "a key that ended inside \"œ\" goes on without its second letter"),
    ("sort-second-part-unsorted", "src/search/Result_Model.cpp",
     "Item_Room own;\n        Sort_By_Key(m, e, 0, k, own);", "Item_Room own;",
     "many distinct texts: the part sorted on the second thread is left as it was"),
    ("record-of-row", "src/search/Result_Model.cpp", "case Record_Role: return Record_At(row);",
     "case Record_Role: return Record_At(row) + 1;", "a row names the next record"),
    ("print-progress-early", "src/output/Export.cpp",
     "std::unique_ptr<QProgressDialog> progress;\n    printer.Progress",
     "std::unique_ptr<QProgressDialog> progress = Make_Print_Progress(results_.Result_Rows());\n    printer.Progress",
     "the print progress box made before the print dialog stands over it"),
    ("quick-find-second-half", "src/search/Quick_Find.cpp",
     "rows.insert(rows.end(), second_half.begin(), second_half.end());", "(void)second_half;",
     "quick find on a large result leaves out what its second half holds"),
    ("quick-find-answer-kept", "src/search/Quick_Find.cpp", "std::fill(text_hit_.begin(), text_hit_.end(), 0);",
     "(void)0;", "quick find answers for a text what the previous needle found in it"),
]


def run(cmd, cwd, env=None, log=None):
    r = subprocess.run(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if log is not None:
        log.write(r.stdout)
    return r.returncode, r.stdout


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--work", default="/tmp/sifa_faults")
    ap.add_argument("--only", default="")
    args = ap.parse_args()
    chosen = [f for f in FAULTS if not args.only or f[0] in args.only.split(",")]
    work = pathlib.Path(args.work)
    tree, build = work / "tree", work / "build"
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", CCACHE_DIR=str(ROOT / ".ccache"),
               CCACHE_BASEDIR=str(tree))

    # Every fault must find its text exactly once, or the run proves nothing.
    for fid, path, old, new, _ in chosen:
        n = (ROOT / path).read_text(encoding="utf-8").count(old)
        if n != 1:
            sys.exit("fault %s: the text occurs %d times in %s" % (fid, n, path))

    files = subprocess.run(["git", "ls-files"], cwd=ROOT, capture_output=True, text=True, check=True).stdout.split("\n")
    # Only files that differ are written, with the time of now, so the build stays mostly
    # done; a file whose fault an interrupted run left built is touched so it is built again.
    tracked = set(filter(None, files))
    planted = work / "planted"
    if tree.exists():
        for p in tree.rglob("*"):
            if p.is_file() and str(p.relative_to(tree)) not in tracked:
                p.unlink()
    for f in tracked:
        (tree / f).parent.mkdir(parents=True, exist_ok=True)
        if not (tree / f).exists() or (tree / f).read_bytes() != (ROOT / f).read_bytes():
            shutil.copyfile(ROOT / f, tree / f)
            shutil.copymode(ROOT / f, tree / f)
    if planted.exists():
        left = tree / planted.read_text(encoding="utf-8").strip()
        if left.exists():
            os.utime(left)
        planted.unlink()
    work.mkdir(parents=True, exist_ok=True)
    log = open(work / "log.txt", "w")
    run(["cmake", "-S", str(tree), "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
         "-DSIFA_BENCH=OFF"], tree, env, log)
    ctest = ["ctest", "--test-dir", str(build), "-j", str(os.cpu_count() or 2), "--timeout", "300"]
    rc, _ = run(["cmake", "--build", str(build)], tree, env, log)
    rc2, out = run(ctest, tree, env, log) if rc == 0 else (1, "")
    if rc or rc2:
        sys.exit("the scratch copy is not green before any fault; see %s" % (work / "log.txt"))

    missed = 0
    print("%-24s %-28s %-10s %s" % ("fault", "file", "result", "what"))
    for fid, path, old, new, what in chosen:
        target = tree / path
        original = target.read_text(encoding="utf-8")
        planted.write_text(path, encoding="utf-8")
        target.write_text(original.replace(old, new, 1), encoding="utf-8")
        start = time.time()
        rc, _ = run(["cmake", "--build", str(build)], tree, env, log)
        if rc != 0:
            result = "no build"
        else:
            rc, out = run(ctest, tree, env, log)
            failed = [l for l in out.splitlines() if " Test " in l and "***" in l]
            result = "caught by %d" % len(failed) if rc != 0 else "MISSED"
            missed += rc == 0
        target.write_text(original, encoding="utf-8")
        print("%-24s %-28s %-10s %s (%.0f s)" % (fid, pathlib.Path(path).name, result, what, time.time() - start),
              flush=True)
    run(["cmake", "--build", str(build)], tree, env, log)
    planted.unlink(missing_ok=True)
    print("%d faults, %d caught, %d missed" % (len(chosen), len(chosen) - missed, missed))
    sys.exit(1 if missed else 0)


if __name__ == "__main__":
    main()
