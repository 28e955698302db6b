#!/usr/bin/python3
"""Writes Sifa_Soft's invented sample data.

  * a reference file (private-profile text, Windows-1252, CR LF) holding the code
    tables Country, TypeEmet, DomReco and TypeDest, each with its "(FR)" twin;
  * a BIFF8 .xls workbook whose first sheet holds a header row and one record per
    row, columns A..Q (Year ... Dest3), using only codes from that reference file.

Usage:
  /usr/bin/python3 tools/make_sample_data.py [--rows N] [--seed S] [--out PATH]
                                             [--refs PATH] [--bad]

  --rows N     number of records, 1..65535 (default 400; 65535 fills the sheet)
  --seed S     random seed (default 2012); the same seed gives the same files
  --out PATH   workbook to write (default data/sample/Sifa_table.xls, or
               data/sample/Sifa_table_bad.xls with --bad)
  --refs PATH  write the reference file to PATH from the tables below, then use it.
               Without --refs the codes are read from data/sample/Refs.dat, which is
               written first only when it does not exist yet.
  --bad        plant a few invalid cells for the error window (see BAD_CELLS).

Needs Debian's python3-xlwt. The codes are always taken from the reference file
as read back from disk, so the workbook and the file cannot drift apart.
"""

import argparse
import random
import sys
import time
from pathlib import Path

import xlwt

from sample_texts import TextMaker

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_REFS = ROOT / "data" / "sample" / "Refs.dat"
DEFAULT_OUT = ROOT / "data" / "sample" / "Sifa_table.xls"
DEFAULT_BAD_OUT = ROOT / "data" / "sample" / "Sifa_table_bad.xls"
MAX_ROWS = 65535  # one header row + 65535 records = the 65536 rows of a BIFF8 sheet

REFS_COMMENT = ("; Sifa_Soft reference tables (invented sample data). "
                "Windows-1252, CR LF. Each line is CODE=Label; "
                "a table's (FR) section lists the same codes in the same order.")

# (table, [(code, English label, French label), ...]) in file order.
REF_TABLES = [
    ("Country", [
        ("AT", "Austria", "Autriche"),
        ("BE", "Belgium", "Belgique"),
        ("BG", "Bulgaria", "Bulgarie"),
        ("CY", "Cyprus", "Chypre"),
        ("CZ", "Czech Republic", "République tchèque"),
        ("DE", "Germany", "Allemagne"),
        ("DK", "Denmark", "Danemark"),
        ("EE", "Estonia", "Estonie"),
        ("EL", "Greece", "Grèce"),
        ("ES", "Spain", "Espagne"),
        ("FI", "Finland", "Finlande"),
        ("FR", "France", "France"),
        ("HU", "Hungary", "Hongrie"),
        ("IE", "Ireland", "Irlande"),
        ("IT", "Italy", "Italie"),
        ("LT", "Lithuania", "Lituanie"),
        ("LU", "Luxembourg", "Luxembourg"),
        ("LV", "Latvia", "Lettonie"),
        ("MT", "Malta", "Malte"),
        ("NL", "Netherlands", "Pays-Bas"),
        ("PL", "Poland", "Pologne"),
        ("PT", "Portugal", "Portugal"),
        ("RO", "Romania", "Roumanie"),
        ("SE", "Sweden", "Suède"),
        ("SI", "Slovenia", "Slovénie"),
        ("SK", "Slovakia", "Slovaquie"),
        ("UK", "United Kingdom", "Royaume-Uni"),
    ]),
    ("TypeEmet", [
        ("PA", "Public authority", "Autorité publique"),
        ("NG", "Non-governmental organisation", "Organisation non gouvernementale"),
        ("RE", "Research centre", "Centre de recherche"),
        ("UN", "University", "Université"),
        ("EN", "Enterprise", "Entreprise"),
        ("AS", "Association of local elected representatives", "Association d'élus locaux"),
        ("SP", "Social partner", "Partenaire social"),
    ]),
    ("DomReco", [
        ("E", "Education and training", "Éducation et formation"),
        ("H", "Health", "Santé"),
        ("EMP", "Employment", "Emploi"),
        ("HO", "Housing", "Logement"),
        ("MOB", "Mobility and transport", "Mobilité et transports"),
        ("ENV", "Environment", "Environnement"),
        ("CU", "Culture, sport and leisure", "Culture, sport et loisirs"),
        ("INC", "Social inclusion", "Inclusion sociale"),
        ("Y", "Youth", "Jeunesse"),
        ("EQ", "Equal opportunities", "Égalité des chances"),
        ("GOV", "Governance and citizen participation", "Gouvernance et participation des citoyens"),
        ("ICT", "Information society", "Société de l'information"),
    ]),
    ("TypeDest", [
        ("EU", "European institutions", "Institutions européennes"),
        ("NAT", "National governments", "Gouvernements nationaux"),
        ("R", "Regional authorities", "Collectivités régionales"),
        ("LOC", "Local authorities", "Collectivités locales"),
        ("NGO", "Non-governmental organisations", "Organisations non gouvernementales"),
        ("ENT", "Enterprises", "Entreprises"),
        ("SP", "Social partners", "Partenaires sociaux"),
        ("ED", "Schools and training bodies", "Établissements d'enseignement et de formation"),
    ]),
]
TABLE_NAMES = [name for name, _ in REF_TABLES]
FIXED_WIDTH_TABLES = {"Country": 2, "TypeEmet": 2}

HEADER = ["Year", "Proj#", "Reco#", "ProjName", "ToolKit", "MATOS", "EM", "PortName",
          "EmetType", "DomReco1", "DomReco2", "DomReco3", "RecoFr", "RecoEN",
          "Dest1", "Dest2", "Dest3"]
COL = {name: i for i, name in enumerate(HEADER)}

# Invalid (and one valid-but-unusual) cells planted by --bad: (sheet row, column, value).
# Sheet rows count from 1 as in a spreadsheet; row 1 is the header.
BAD_CELLS = [
    (5, "A", "19x8"),   # year written as text that is not a number
    (7, "A", -1.0),     # year out of range
    (9, "G", "ZZ"),     # member-state code missing from Country
    (10, "J", None),    # blank DomReco1: allowed, must NOT be reported
    (12, "B", "abc"),   # project number written as text
]


# --------------------------------------------------------------------------- refs file

def write_refs(path):
    lines = [REFS_COMMENT]
    for name, rows in REF_TABLES:
        for section, pick in ((name, 1), (name + " (FR)", 2)):
            lines.append("")
            lines.append("[%s]" % section)
            lines.extend("%s=%s" % (row[0], row[pick]) for row in rows)
    data = ("\r\n".join(lines) + "\r\n").encode("cp1252")  # strict: fails on any stray char
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


def read_refs(path):
    """Returns {section: [(code, label), ...]} from a cp1252 private-profile file."""
    sections = {}
    current = None
    for number, line in enumerate(path.read_bytes().decode("cp1252").split("\r\n"), 1):
        text = line.strip()
        if not text or text.startswith(";"):
            continue
        if text.startswith("[") and text.endswith("]"):
            current = sections.setdefault(text[1:-1].strip(), [])
            continue
        code, sep, label = text.partition("=")
        if current is None or not sep or not code.strip():
            sys.exit("%s:%d: not a CODE=Label line inside a section: %r" % (path, number, line))
        current.append((code.strip(), label.strip()))
    return sections


def codes_from_refs(path):
    """Checks the tables of the file and returns {table: [code, ...]}."""
    sections = read_refs(path)
    codes = {}
    for name in TABLE_NAMES:
        master = [c for c, _ in sections.get(name, [])]
        french = [c for c, _ in sections.get(name + " (FR)", [])]
        if not master:
            sys.exit("%s: section [%s] is missing or empty" % (path, name))
        if master != french:
            sys.exit("%s: [%s (FR)] does not list the codes of [%s] in the same order"
                     % (path, name, name))
        if len(set(master)) != len(master):
            sys.exit("%s: [%s] holds a code twice" % (path, name))
        width = FIXED_WIDTH_TABLES.get(name)
        if width and any(len(c) != width for c in master):
            sys.exit("%s: every code of [%s] must have %d characters" % (path, name, width))
        codes[name] = master
    return codes


# --------------------------------------------------------------------------- records

FIRST_NAMES = ["Hélène", "José", "Zoë", "François", "Jürgen", "Søren", "Ágnes", "Iñaki",
               "Björn", "Noémie", "Maël", "Chloé", "Stéphane", "Ioana", "Dimitris", "Zoltán",
               "Šárka", "Anna", "Jean-Luc", "Małgo".replace("ł", "l") + "rzata", "Seán", "Inês",
               "Marco", "Eva", "Pieter", "Kristiina", "Gérard", "Renée", "Joël", "Ana"]
LAST_NAMES = ["Moreau", "García", "Müller", "Dupré", "Núñez", "Sørensen", "Ó Súilleabháin",
              "Lefèvre", "Öztürk", "Žáková", "Kowalski", "Papadopoulos", "Rossi", "Van der Berg",
              "Fernández", "Nieminen", "Horváth", "Schröder", "D'Angelo", "O'Brien", "Björk",
              "Lemaître", "Gonçalves", "Caruana", "Popescu", "Jansen", "Mäkelä", "Noël"]

NAME_PARTS_A = ["Bridges to", "Open Doors for", "Quartiers solidaires :", "Réseau", "Horizons",
                "Learning Cities", "Ensemble pour", "Young Voices in", "Villes actives", "Step by Step:",
                "Passerelles", "Equal Chances", "Vivre la ville", "Healthy", "Mobil'Europe",
                "Écoles ouvertes", "Together for", "Regards croisés sur"]
NAME_PARTS_B = ["Work", "Inclusion", "l'emploi", "Santé-Jeunes", "2000", "Europe", "les aînés",
                "Neighbourhoods", "Participation", "la mobilité", "Citizens", "Rural Areas",
                "l'égalité", "Housing", "le quartier", "Learning"]
SPECIAL_PROJECT_NAMES = ['Projet "Passerelles"', "Learn; Share; Act", 'The "Open City" network',
                         "Santé & territoires ; phase 2", "Café des âges – rencontres"]

TOOLKIT_FORMS = ["http://www.{slug}.example.org/toolkit", "www.example.eu/kits/{proj}.pdf",
                 "Guide méthodologique (PDF, {pages} p.)", "Trainer's manual, chapter {ch}",
                 "CD-ROM \"Boîte à outils\"", "Fiche pratique n° {ch}"]
MATOS_CHOICES = ["Brochure", "DVD; affiches", "Exposition itinérante", "Mallette pédagogique",
                 "Site web", "Jeu de cartes", "Vidéo (12 min)", "Posters; leaflets; CD",
                 "Guide d'animation"]

# EU membership by year, for realism; codes not listed here are allowed every year.
ACCESSION = {code: 1995 for code in "AT BE DE DK EL ES FI FR IE IT LU NL PT SE UK".split()}
ACCESSION.update({code: 2004 for code in "CY CZ EE HU LT LV MT PL SI SK".split()})
ACCESSION.update({"BG": 2007, "RO": 2007})
BIG_STATES = {"DE", "ES", "FR", "IT", "UK", "PL"}


def _pick_codes(rng, codes, p_second, p_third_given_second):
    """A first code always, a second and a third sometimes; all distinct."""
    count = 1
    if rng.random() < p_second:
        count = 2
        if rng.random() < p_third_given_second:
            count = 3
    return rng.sample(codes, min(count, len(codes)))


def _person(rng):
    first, last = rng.choice(FIRST_NAMES), rng.choice(LAST_NAMES)
    return "%s %s" % (last.upper(), first) if rng.random() < 0.1 else "%s %s" % (first, last)


def _project_name(rng, year):
    r = rng.random()
    if r < 0.06:
        return rng.choice(SPECIAL_PROJECT_NAMES)
    name = "%s %s" % (rng.choice(NAME_PARTS_A), rng.choice(NAME_PARTS_B))
    if r > 0.85:
        name += " %d" % year
    elif r > 0.78:
        name += " II"
    return name


def _em_written(rng, code):
    """The member-state code as typed in, sometimes in other letter case."""
    r = rng.random()
    if r < 0.04:
        return code.lower()
    if r < 0.05:
        return code[:1] + code[1:].lower()
    return code


def make_records(count, seed, codes):
    rng = random.Random(seed)
    texts = TextMaker(rng)
    countries = codes["Country"]
    emet_types = codes["TypeEmet"]
    domains = codes["DomReco"]
    dests = codes["TypeDest"]
    used_keys = set()
    projects = []
    total = 0
    while total < count:
        year = rng.randint(1995, 2012)
        proj = rng.randint(1, 9999)
        if (year, proj) in used_keys:
            continue
        used_keys.add((year, proj))
        k = min(25, 1 + int(rng.expovariate(1 / 5.5)), count - total)
        total += k
        members = [c for c in countries if ACCESSION.get(c, 0) <= year]
        weights = [3 if c in BIG_STATES else 1 for c in members]
        toolkit = None
        if rng.random() < 0.35:
            toolkit = rng.choice(TOOLKIT_FORMS).format(
                slug="proj%04d" % proj, proj=proj, pages=rng.randint(12, 120), ch=rng.randint(1, 9))
        projects.append({
            "year": year, "proj": proj, "k": k,
            "name": _project_name(rng, year),
            "em": rng.choices(members, weights)[0],
            "port": _person(rng),
            "emet": rng.choice(emet_types),
            "toolkit": toolkit,
        })
    projects.sort(key=lambda p: (p["year"], p["proj"]))

    records = []
    for p in projects:
        for reco in range(1, p["k"] + 1):
            doms = _pick_codes(rng, domains, 0.5, 0.4)
            dsts = _pick_codes(rng, dests, 0.5, 0.4)
            fr, en = texts.texts(doms, p["year"])
            row = [None] * len(HEADER)
            row[COL["Year"]] = float(p["year"])
            row[COL["Proj#"]] = float(p["proj"])
            row[COL["Reco#"]] = float(reco)
            row[COL["ProjName"]] = p["name"]
            if p["toolkit"] and rng.random() < 0.8:
                row[COL["ToolKit"]] = p["toolkit"]
            if rng.random() < 0.25:
                row[COL["MATOS"]] = rng.choice(MATOS_CHOICES)
            row[COL["EM"]] = _em_written(rng, p["em"])
            row[COL["PortName"]] = p["port"]
            row[COL["EmetType"]] = p["emet"]
            for i, code in enumerate(doms):
                row[COL["DomReco1"] + i] = code
            row[COL["RecoFr"]] = fr
            row[COL["RecoEN"]] = en
            for i, code in enumerate(dsts):
                row[COL["Dest1"] + i] = code
            records.append(row)
    return records


def plant_bad_cells(records):
    for sheet_row, letter, value in BAD_CELLS:
        records[sheet_row - 2][ord(letter) - ord("A")] = value


# --------------------------------------------------------------------------- workbook

def write_workbook(path, records):
    book = xlwt.Workbook()
    sheet = book.add_sheet("Sifa")
    bold = xlwt.easyxf("font: bold on")
    for c, title in enumerate(HEADER):
        sheet.write(0, c, title, bold)
    widths = {"ProjName": 30, "ToolKit": 28, "MATOS": 18, "PortName": 22, "RecoFr": 60, "RecoEN": 60}
    for c, title in enumerate(HEADER):
        sheet.col(c).width = 256 * widths.get(title, 9)
    for r, row in enumerate(records, 1):
        for c, value in enumerate(row):
            if value is not None:
                sheet.write(r, c, value)
        if r % 2000 == 0:
            sheet.flush_row_data()
    path.parent.mkdir(parents=True, exist_ok=True)
    book.save(str(path))


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--rows", type=int, default=400)
    parser.add_argument("--seed", type=int, default=2012)
    parser.add_argument("--out", type=Path)
    parser.add_argument("--refs", type=Path)
    parser.add_argument("--bad", action="store_true")
    args = parser.parse_args(argv)

    least = max(r for r, _, _ in BAD_CELLS) - 1 if args.bad else 1
    if not least <= args.rows <= MAX_ROWS:
        parser.error("--rows must be between %d and %d" % (least, MAX_ROWS))

    started = time.monotonic()
    refs = args.refs or DEFAULT_REFS
    if args.refs or not refs.exists():
        write_refs(refs)
        print("wrote %s" % refs)
    codes = codes_from_refs(refs)

    records = make_records(args.rows, args.seed, codes)
    if args.bad:
        plant_bad_cells(records)
    out = args.out or (DEFAULT_BAD_OUT if args.bad else DEFAULT_OUT)
    write_workbook(out, records)
    print("wrote %s: %d records, %d bytes, %.1f s"
          % (out, len(records), out.stat().st_size, time.monotonic() - started))


if __name__ == "__main__":
    main()
