"""The invented recommendation texts of the sample data: parallel French and English
fragments, and the generator that joins them into the two texts of a record."""

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
