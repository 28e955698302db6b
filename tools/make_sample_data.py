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


# --------------------------------------------------------------------------- text fragments
# Parallel (French, English) pieces: a French text and the English one of the same
# record say the same thing.

SUBJECTS = [
    ("Les États membres", "Member States"),
    ("Les autorités locales", "Local authorities"),
    ("Les collectivités régionales", "Regional authorities"),
    ("Les institutions européennes", "The European institutions"),
    ("Les ONG", "NGOs"),
    ("Les partenaires sociaux", "The social partners"),
    ("Les employeurs", "Employers"),
    ("Les établissements scolaires", "Schools"),
    ("Les pouvoirs publics", "Public authorities"),
    ("Les associations de quartier", "Neighbourhood associations"),
    ("Les services sociaux", "Social services"),
]

MODALS = [
    ("devraient", "should"),
    ("doivent", "must"),
    ("pourraient", "could"),
    ("devraient en priorité", "should as a priority"),
]

ACTIONS = {
    "E": [
        ("développer des passerelles entre l'école et l'entreprise", "develop bridges between school and business"),
        ("former les enseignants à la pédagogie interculturelle", "train teachers in intercultural teaching"),
        ("reconnaître les compétences acquises hors du système scolaire", "recognise skills acquired outside the school system"),
        ("ouvrir la formation tout au long de la vie à tous les adultes", "open lifelong learning to every adult"),
        ("prévenir le décrochage scolaire dès l'école primaire", "prevent early school leaving from primary school onwards"),
    ],
    "H": [
        ("renforcer la prévention des maladies chroniques", "strengthen the prevention of chronic diseases"),
        ("faciliter l'accès aux soins pour les personnes sans domicile", "ease access to care for homeless people"),
        ("créer des maisons de santé pluridisciplinaires en zone rurale", "set up multidisciplinary health centres in rural areas"),
        ("soutenir les aidants familiaux", "support family carers"),
        ("promouvoir une alimentation équilibrée à la cantine", "promote a balanced diet in school canteens"),
    ],
    "EMP": [
        ("accompagner les chômeurs de longue durée vers l'emploi", "help the long-term unemployed back into work"),
        ("encourager l'apprentissage dans les petites entreprises", "encourage apprenticeships in small businesses"),
        ("adapter les postes de travail aux salariés âgés", "adapt workplaces to older employees"),
        ("soutenir la création d'entreprises par les femmes", "support business creation by women"),
        ("simplifier les démarches d'embauche", "simplify recruitment procedures"),
    ],
    "HO": [
        ("augmenter l'offre de logements sociaux", "increase the supply of social housing"),
        ("lutter contre la précarité énergétique", "tackle fuel poverty"),
        ("favoriser la mixité sociale dans les quartiers", "promote social mix in neighbourhoods"),
        ("rénover les logements insalubres", "renovate substandard housing"),
        ("développer l'habitat intergénérationnel", "develop intergenerational housing"),
    ],
    "MOB": [
        ("améliorer la desserte des zones rurales par les transports publics", "improve public transport links to rural areas"),
        ("rendre les gares accessibles aux personnes à mobilité réduite", "make stations accessible to people with reduced mobility"),
        ("encourager l'usage du vélo pour les trajets quotidiens", "encourage cycling for daily journeys"),
        ("harmoniser les titres de transport entre réseaux", "harmonise tickets across networks"),
        ("faciliter la mobilité des apprentis en Europe", "make it easier for apprentices to train elsewhere in Europe"),
    ],
    "ENV": [
        ("réduire la production de déchets ménagers", "reduce household waste"),
        ("protéger les espaces verts en milieu urbain", "protect green spaces in urban areas"),
        ("sensibiliser les élèves aux économies d'énergie", "raise pupils' awareness of energy saving"),
        ("intégrer des critères écologiques dans les marchés publics", "include environmental criteria in public procurement"),
        ("améliorer la qualité de l'air près des écoles", "improve air quality near schools"),
    ],
    "CU": [
        ("ouvrir les musées aux publics éloignés de la culture", "open museums to people with little access to culture"),
        ("soutenir les fêtes de quartier", "support neighbourhood festivals"),
        ("valoriser le patrimoine industriel", "promote the industrial heritage"),
        ("développer la pratique sportive des jeunes filles", "develop sport among girls"),
        ("encourager la lecture dès la petite enfance", "encourage reading from early childhood"),
    ],
    "INC": [
        ("garantir un revenu minimum décent", "guarantee a decent minimum income"),
        ("simplifier l'accès aux prestations sociales", "simplify access to social benefits"),
        ("lutter contre les discriminations à l'embauche", "combat discrimination in recruitment"),
        ("accompagner les familles monoparentales", "support single-parent families"),
        ("associer les personnes en situation de pauvreté aux décisions", "involve people experiencing poverty in decisions"),
    ],
    "Y": [
        ("créer des lieux d'expression pour les jeunes", "create places where young people can express themselves"),
        ("soutenir le volontariat européen", "support European voluntary service"),
        ("informer les jeunes de leurs droits", "inform young people of their rights"),
        ("favoriser l'engagement associatif des adolescents", "encourage teenagers to join associations"),
        ("proposer des activités de loisirs à faible coût", "offer low-cost leisure activities"),
    ],
    "EQ": [
        ("promouvoir l'égalité salariale entre femmes et hommes", "promote equal pay for women and men"),
        ("faciliter la conciliation entre vie familiale et vie professionnelle", "help people reconcile family and working life"),
        ("rendre les services publics accessibles aux personnes handicapées", "make public services accessible to people with disabilities"),
        ("former les recruteurs à la diversité", "train recruiters in diversity"),
        ("lutter contre les stéréotypes dans les manuels scolaires", "combat stereotypes in school textbooks"),
    ],
    "GOV": [
        ("associer les habitants à l'élaboration des projets urbains", "involve residents in drawing up urban projects"),
        ("publier chaque année un bilan des actions menées", "publish a yearly report on the actions taken"),
        ("créer des conseils consultatifs de quartier", "set up neighbourhood advisory councils"),
        ("évaluer les politiques publiques avec les usagers", "evaluate public policies together with users"),
        ("renforcer la coopération transfrontalière", "strengthen cross-border cooperation"),
    ],
    "ICT": [
        ("réduire la fracture numérique", "bridge the digital divide"),
        ("former les seniors à l'usage d'internet", "train older people to use the internet"),
        ("mettre en ligne les démarches administratives", "put administrative procedures online"),
        ("équiper les bibliothèques de points d'accès publics", "equip libraries with public access points"),
        ("protéger les données personnelles des usagers", "protect users' personal data"),
    ],
}
# used for a DomReco code the tables above do not know (an edited reference file)
GENERIC_ACTIONS = [
    ("mieux coordonner les dispositifs existants", "coordinate existing schemes better"),
    ("diffuser les bonnes pratiques auprès des acteurs de terrain", "spread good practice among people working in the field"),
    ("consacrer un budget stable à cette priorité", "give this priority a stable budget"),
]

COMPLEMENTS = [
    ("au niveau local", "at local level"),
    ("d'ici {y}", "by {y}"),
    ("en concertation avec les usagers", "in consultation with users"),
    ("dans le cadre des fonds structurels", "within the framework of the Structural Funds"),
    ("en s'appuyant sur les bonnes pratiques recensées", "building on the good practices identified"),
    ("de manière durable", "in a lasting way"),
    ("à l'échelle européenne", "at European level"),
    ("grâce à un financement pluriannuel", "through multi-annual funding"),
]

GOALS = [
    ("réduire les inégalités territoriales", "reduce territorial inequalities"),
    ("favoriser l'autonomie des personnes âgées", "foster the independence of older people"),
    ("lutter contre l'exclusion", "fight exclusion"),
    ("améliorer la qualité de vie des habitants", "improve residents' quality of life"),
    ("garantir l'égalité d'accès aux services", "guarantee equal access to services"),
    ("renforcer la confiance des citoyens", "strengthen citizens' trust"),
    ("éviter la dispersion des efforts", "avoid scattering efforts"),
    ("mieux répondre aux besoins des familles", "better meet the needs of families"),
    ("encourager l'innovation sociale", "encourage social innovation"),
]

FINDINGS = [
    ("les jeunes sans qualification sont les plus exposés au chômage", "young people without qualifications are the most exposed to unemployment"),
    ("l'information ne parvient pas toujours aux personnes concernées", "information does not always reach the people concerned"),
    ("les dispositifs existants sont mal coordonnés", "existing schemes are poorly coordinated"),
    ("la participation des usagers améliore la qualité des services", "user participation improves the quality of services"),
    ("les écarts entre régions restent importants", "the gaps between regions remain wide"),
    ("les partenariats locaux réussissent mieux lorsqu'ils disposent d'un coordinateur", "local partnerships do better when they have a coordinator"),
    ("le coût de l'inaction dépasse celui de la prévention", "the cost of doing nothing exceeds the cost of prevention"),
    ("les femmes restent sous-représentées dans les instances de décision", "women remain under-represented in decision-making bodies"),
]

GUIDES = [
    ("Vivre ensemble", "Living together"),
    ("Une ville pour tous", "A city for all"),
    ("Premiers pas", "First steps"),
    ("Bien vieillir", "Ageing well"),
    ("Parole aux jeunes", "Youth have their say"),
]

CLOSINGS = [
    ("Les résultats devraient être diffusés auprès de tous les partenaires.", "The results should be shared with all partners."),
    ("Une évaluation indépendante est souhaitable au bout de trois ans.", "An independent evaluation is desirable after three years."),
    ("Cette mesure ne demande aucune modification législative.", "This measure requires no change in legislation."),
    ("L'expérience de plusieurs pays montre qu'une telle démarche est réaliste.", "The experience of several countries shows that such an approach is realistic."),
    ("Un comité de pilotage devrait se réunir deux fois par an.", "A steering committee should meet twice a year."),
    ("Les moyens humains nécessaires restent modestes.", "The staff needed remains modest."),
]


def _de(action_fr):
    """French 'de' before an infinitive, elided before a vowel or a mute h."""
    return ("d'" if action_fr[0] in "aeiouhéèêàâîôAEIOUH" else "de ") + action_fr


def _thousands(n):
    return "{:,}".format(n)  # 12,000


class TextMaker:
    def __init__(self, rng):
        self.rng = rng

    def _actions(self, domains):
        pool = []
        for code in domains:
            pool.extend(ACTIONS.get(code, GENERIC_ACTIONS))
        return pool

    def _tail(self, year):
        """Optional complement and goal after an action."""
        rng, fr, en = self.rng, "", ""
        if rng.random() < 0.6:
            c_fr, c_en = rng.choice(COMPLEMENTS)
            y = str(year + rng.randint(2, 6))
            fr += " " + c_fr.format(y=y)
            en += " " + c_en.format(y=y)
        if rng.random() < 0.4:
            g_fr, g_en = rng.choice(GOALS)
            fr += " afin de " + g_fr if g_fr[0] not in "aeiouéèêh" else " afin d'" + g_fr
            en += " in order to " + g_en
        return fr, en

    def sentence(self, domains, year):
        rng = self.rng
        actions = self._actions(domains)
        kind = rng.random()
        s_fr, s_en = rng.choice(SUBJECTS)
        m_fr, m_en = rng.choice(MODALS)
        if kind < 0.40:
            a_fr, a_en = rng.choice(actions)
            t_fr, t_en = self._tail(year)
            return ("%s %s %s%s." % (s_fr, m_fr, a_fr, t_fr),
                    "%s %s %s%s." % (s_en, m_en, a_en, t_en))
        if kind < 0.55:
            a_fr, a_en = rng.choice(actions)
            t_fr, t_en = self._tail(year)
            return ("Il est recommandé %s%s." % (_de(a_fr), t_fr),
                    "It is recommended to %s%s." % (a_en, t_en))
        if kind < 0.67:
            f_fr, f_en = rng.choice(FINDINGS)
            return ("Le projet a montré que %s." % f_fr, "The project showed that %s." % f_en)
        if kind < 0.77:  # a list joined by semicolons
            picks = rng.sample(actions, min(len(actions), rng.randint(2, 3)))
            return ("%s %s notamment : %s." % (s_fr, m_fr, " ; ".join(p[0] for p in picks)),
                    "%s %s in particular: %s." % (s_en, m_en, "; ".join(p[1] for p in picks)))
        if kind < 0.83:  # a list on separate lines
            picks = rng.sample(actions, min(len(actions), rng.randint(2, 3)))
            return ("%s %s :\n%s." % (s_fr, m_fr, " ;\n".join("- " + p[0] for p in picks)),
                    "%s %s:\n%s." % (s_en, m_en, ";\n".join("- " + p[1] for p in picks)))
        if kind < 0.89:  # a quoted title
            g_fr, g_en = rng.choice(GUIDES)
            return ('Le guide "%s" peut servir de point de départ.' % g_fr,
                    'The "%s" guide can serve as a starting point.' % g_en)
        if kind < 0.93:
            n = rng.choice([2, 5, 8, 10, 15, 20, 50]) * 1000
            return ("Un budget d'au moins %s € par an serait nécessaire." % _thousands(n).replace(",", " "),
                    "A budget of at least €%s a year would be needed." % _thousands(n))
        return rng.choice(CLOSINGS)

    def texts(self, domains, year):
        """(French, English) texts of 40..900 characters each."""
        rng = self.rng
        band = rng.random()
        if band < 0.30:
            target = rng.randint(40, 150)
        elif band < 0.80:
            target = rng.randint(150, 500)
        else:
            target = rng.randint(500, 900)
        fr, en = [], []
        len_fr = len_en = -1  # -1: the first sentence has no separator before it
        while max(len_fr, len_en) < target:
            s_fr, s_en = self.sentence(domains, year)
            if max(len_fr + 1 + len(s_fr), len_en + 1 + len(s_en)) > 900:
                if fr:
                    break
                continue
            fr.append(s_fr)
            en.append(s_en)
            len_fr += 1 + len(s_fr)
            len_en += 1 + len(s_en)
        sep = "\n" if rng.random() < 0.08 else " "  # some texts keep one sentence a line
        return sep.join(fr), sep.join(en)


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
