#!/usr/bin/python3
"""Writes tests/data/lo_fixture.fods (a flat OpenDocument spreadsheet: header row and nine
records with formulas, dates, booleans, error cells, long and non-Latin texts, blanks) and
has LibreOffice convert it to lo_fixture.xls, lo_fixture.xlsx and lo_fixture.ods, so that
the import is checked on files a real spreadsheet program wrote. tests/data/lo_fixture.md
says what each cell holds and what the import must make of it.

Usage: /usr/bin/python3 tools/make_lo_fixtures.py [--no-convert]
Needs soffice (Debian: libreoffice-calc-nogui) for the conversion.
"""
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path
from xml.sax.saxutils import escape

ROOT = Path(__file__).resolve().parent.parent
OUT_DIR = ROOT / "tests" / "data"
FODS = OUT_DIR / "lo_fixture.fods"
REFS = ROOT / "data" / "sample" / "Refs.dat"

HEADER = ["Year", "Proj#", "Reco#", "ProjName", "ToolKit", "MATOS", "EM", "PortName",
          "EmetType", "DomReco1", "DomReco2", "DomReco3", "RecoFr", "RecoEN",
          "Dest1", "Dest2", "Dest3"]
COL = {name: i for i, name in enumerate(HEADER)}
# Which code table checks a coded column.
CODED = {"EM": "Country", "EmetType": "TypeEmet", "DomReco1": "DomReco", "DomReco2": "DomReco",
         "DomReco3": "DomReco", "Dest1": "TypeDest", "Dest2": "TypeDest", "Dest3": "TypeDest"}
NBSP = "\u00a0"


# Cell kinds: plain Python values, or one of these.
class Date:
    def __init__(self, iso):
        self.iso = iso


class Formula:
    def __init__(self, formula, kind, cached):
        self.formula, self.kind, self.cached = formula, kind, cached   # kind: float, boolean, error


def long_ascii(n):
    piece = ("Recommendation text of considerable length, written to check that a cell "
             "holding far more than 255 characters reaches the records whole. ")
    return (piece * (n // len(piece) + 1))[:n]


def long_unicode(n):
    piece = ("Zażółć gęślą jaźń w Łodzi. Ωμέγα και άλφα στην Αθήνα. 東京と大阪の推薦。 "
             "Ça coûte 12 € à l'année. ")
    return (piece * (n // len(piece) + 1))[:n]


TEXT_FR = ("Les établissements scolaires devraient ouvrir leurs équipements aux associations "
           "du quartier, à l'échelle européenne ; coût estimé : 12 000 € par an. Où ? Près "
           "de la gare, côté forêt.")
TEXT_EN_TWO_LINES = ("Schools should open their facilities to neighbourhood associations.\n"
                     "Estimated cost: EUR 12,000 a year.")

# Records by sheet row (row 1 is the header); columns not named stay empty.
RECORDS = {
    2: dict(Year=2012, **{"Proj#": 101, "Reco#": 1}, ProjName="Écoles ouvertes",
            ToolKit="https://example.org/toolkit/101", MATOS="Guide « Vivre ensemble »",
            EM="FR", PortName="Mairie de Besançon", EmetType="PA", DomReco1="E",
            DomReco2="CU", RecoFr=TEXT_FR, RecoEN=TEXT_EN_TWO_LINES, Dest1="LOC", Dest2="ED"),
    3: dict(Year=Formula("of:=2000+12", "float", 2012),
            **{"Proj#": Formula("of:=100+2", "float", 102), "Reco#": 2},
            ProjName="Łódź", ToolKit="Ωμέγα", MATOS="東京", EM="pl",
            PortName="Zażółć gęślą jaźń", EmetType="un", DomReco1="emp",
            RecoFr="Les collectivités régionales doivent coopérer.",
            RecoEN="Regional authorities must cooperate.", Dest1="nat"),
    4: dict(Year=2012, **{"Proj#": 103, "Reco#": Date("2012-03-04")}, ProjName="Dates",
            ToolKit=Date("2012-03-04"), EM="BE", EmetType="RE", DomReco1="H", Dest1="EU"),
    5: dict(Year=2012, **{"Proj#": 104, "Reco#": 4}, ProjName=True, ToolKit=False,
            MATOS=Formula("of:=1=1", "boolean", True), EM="DE", PortName="Booleans",
            EmetType="EN", DomReco1="ENV", Dest1="ENT"),
    6: dict(Year=2012, **{"Proj#": Formula("of:=NA()", "error", "#N/A"),
                          "Reco#": Formula("of:=1/0", "error", "#DIV/0!")},
            ProjName=Formula("of:=NA()", "error", "#N/A"),
            ToolKit=Formula("of:=1/0", "error", "#DIV/0!"), EM="IT", PortName="Errors",
            EmetType="NG", DomReco1="INC", Dest1="NGO"),
    7: dict(Year=2012, **{"Proj#": 106, "Reco#": 6}, ProjName="Long texts", EM="ES",
            EmetType="AS", DomReco1="GOV", RecoFr=long_unicode(9000),
            RecoEN=long_ascii(17000), Dest1="R"),
    8: dict(Year=2012, **{"Proj#": 107, "Reco#": 7}, ProjName="  Projet avec blancs  ",
            MATOS="Rue" + NBSP + "de" + NBSP + "la Paix", EM=" SE ",
            PortName=NBSP + "Marie Curie" + NBSP, EmetType="EN", DomReco1=NBSP + "y" + NBSP,
            Dest1="SP"),
    9: dict(Year=2012, **{"Proj#": 108, "Reco#": 8}, ProjName="   ", EM="XX",
            PortName="Unknown code", EmetType="PA", DomReco1="HO", Dest1="EU"),
    10: dict(Year=2013, **{"Proj#": 109, "Reco#": 9}, ProjName="Dernière ligne — fin",
             EM="LU", PortName="Last record", EmetType="SP", DomReco1="Y", DomReco2="EQ",
             DomReco3="ICT", Dest1="EU", Dest2="NAT", Dest3="R"),
}
# Codes the fixture means to be unknown.
UNKNOWN_CODES = {(9, "EM")}


def read_codes():
    """{table: set of upper-case codes} from the sample reference file."""
    tables, current = {}, None
    for line in REFS.read_bytes().decode("cp1252").splitlines():
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("["):
            current = tables.setdefault(line[1:-1], set())
        elif current is not None:
            current.add(line.partition("=")[0].strip().upper())
    return tables


def check_codes():
    tables = read_codes()
    for row, rec in RECORDS.items():
        for col, value in rec.items():
            if col in CODED and isinstance(value, str):
                known = value.strip(" " + NBSP).upper() in tables[CODED[col]]
                if known == ((row, col) in UNKNOWN_CODES):
                    sys.exit("row %d %s: code %r is not as meant" % (row, col, value))


def text_paragraphs(s):
    """text:p elements for a string: ODF collapses blanks, so runs of spaces use text:s."""
    out = []
    for line in s.split("\n"):
        parts, i = [], 0
        while i < len(line):
            ch = line[i]
            if ch == " ":
                j = i
                while j < len(line) and line[j] == " ":
                    j += 1
                n = j - i
                first = i == 0 or j == len(line)   # leading/trailing blanks are dropped too
                if first:
                    parts.append('<text:s text:c="%d"/>' % n if n > 1 else "<text:s/>")
                else:
                    parts.append(" " + ('<text:s text:c="%d"/>' % (n - 1) if n > 2 else
                                        "<text:s/>" if n == 2 else ""))
                i = j
            elif ch == "\t":
                parts.append("<text:tab/>")
                i += 1
            else:
                j = i
                while j < len(line) and line[j] not in " \t":
                    j += 1
                parts.append(escape(line[i:j]))
                i = j
        out.append("<text:p>%s</text:p>" % "".join(parts))
    return "".join(out)


def cell_xml(v):
    if v is None:
        return "<table:table-cell/>"
    if isinstance(v, bool):
        b = "true" if v else "false"
        return ('<table:table-cell table:style-name="ceBool" office:value-type="boolean" '
                'office:boolean-value="%s"><text:p>%s</text:p></table:table-cell>' % (b, b.upper()))
    if isinstance(v, (int, float)):
        return ('<table:table-cell office:value-type="float" office:value="%r"><text:p>%r</text:p>'
                '</table:table-cell>' % (v, v))
    if isinstance(v, Date):
        return ('<table:table-cell table:style-name="ceDate" office:value-type="date" '
                'office:date-value="%s"><text:p>%s</text:p></table:table-cell>' % (v.iso, v.iso))
    if isinstance(v, Formula):
        f = escape(v.formula, {'"': "&quot;"})
        if v.kind == "float":
            return ('<table:table-cell table:formula="%s" office:value-type="float" '
                    'office:value="%r"><text:p>%r</text:p></table:table-cell>' % (f, v.cached, v.cached))
        if v.kind == "boolean":
            b = "true" if v.cached else "false"
            return ('<table:table-cell table:style-name="ceBool" table:formula="%s" '
                    'office:value-type="boolean" office:boolean-value="%s"><text:p>%s</text:p>'
                    '</table:table-cell>' % (f, b, b.upper()))
        return ('<table:table-cell table:formula="%s" office:value-type="float" office:value="0" '
                'calcext:value-type="error"><text:p>%s</text:p></table:table-cell>'
                % (f, escape(v.cached)))
    return ('<table:table-cell office:value-type="string">%s</table:table-cell>'
            % text_paragraphs(v))


def fods_text():
    rows = ["<table:table-row>%s</table:table-row>" % "".join(cell_xml(h) for h in HEADER)]
    for r in range(2, max(RECORDS) + 1):
        rec = RECORDS.get(r, {})
        rows.append("<table:table-row>%s</table:table-row>"
                    % "".join(cell_xml(rec.get(h)) for h in HEADER))
    return """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
<number:date-style style:name="NDate"><number:year number:style="long"/><number:text>-</number:text><number:month number:style="long"/><number:text>-</number:text><number:day number:style="long"/></number:date-style>
<number:boolean-style style:name="NBool"><number:boolean/></number:boolean-style>
<style:style style:name="ceDate" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="NDate"/>
<style:style style:name="ceBool" style:family="table-cell" style:parent-style-name="Default" style:data-style-name="NBool"/>
</office:automatic-styles>
<office:body>
<office:spreadsheet>
<table:table table:name="Records">
<table:table-column table:number-columns-repeated="%d"/>
%s
</table:table>
<table:table table:name="Other"><table:table-row><table:table-cell office:value-type="string"><text:p>not the first sheet</text:p></table:table-cell></table:table-row></table:table>
</office:spreadsheet>
</office:body>
</office:document>
""" % (len(HEADER), "\n".join(rows))


def convert():
    soffice = shutil.which("soffice")
    if not soffice:
        sys.exit("soffice not found (apt-get install libreoffice-calc-nogui)")
    # A private profile: the user's own LibreOffice settings stay untouched.
    with tempfile.TemporaryDirectory(prefix="lo_profile_") as profile:
        for ext, filt in (("xls", "xls:MS Excel 97"), ("xlsx", "xlsx:Calc MS Excel 2007 XML"),
                          ("ods", "ods")):
            subprocess.run([soffice, "-env:UserInstallation=" + Path(profile).as_uri(),
                            "--headless", "--convert-to", filt, "--outdir", str(OUT_DIR),
                            str(FODS)], check=True, stdout=subprocess.DEVNULL)
            if not (OUT_DIR / ("lo_fixture." + ext)).is_file():
                sys.exit("LibreOffice wrote no lo_fixture." + ext)


if __name__ == "__main__":
    check_codes()
    FODS.write_text(fods_text(), encoding="utf-8", newline="\n")
    if "--no-convert" not in sys.argv[1:]:
        convert()
    print("wrote", FODS.name, "" if "--no-convert" in sys.argv[1:] else "and its .xls, .xlsx, .ods")
