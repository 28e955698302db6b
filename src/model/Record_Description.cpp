#include "model/Record_Description.h"

namespace {
void Write_Once(std::unique_ptr<QHash<QString, QString>>& labels, const QString& lang, const QString& text) {
    if (!labels) labels = std::make_unique<QHash<QString, QString>>();
    const QString key = lang.toUpper();
    if (!labels->contains(key)) labels->insert(key, text);
}
QString Read(const std::unique_ptr<QHash<QString, QString>>& labels, const QString& lang) {
    return labels ? labels->value(lang.toUpper()) : QString();
}
}  // namespace

QString Champ::Libelle() const { return Read(libelles_, Own_Language()); }
void Champ::Set_Libelle(const QString& NewLib) { Write_Once(libelles_, Own_Language(), NewLib); }
QString Champ::Get_Libelle_In_Langue(const QString& Lang) const {
    return Lang.isEmpty() ? Libelle() : Read(libelles_, Lang);
}
void Champ::Set_Libelle_In_Langue(const QString& NewLib, const QString& Lang) {
    Write_Once(libelles_, Lang.isEmpty() ? Own_Language() : Lang, NewLib);
}
QString Champ::Libelle_de_Recherche() const { return Read(libelles_recherche_, Own_Language()); }
void Champ::Set_Libelle_de_Recherche(const QString& NewLib) { Write_Once(libelles_recherche_, Own_Language(), NewLib); }
QString Champ::Get_Libelle_de_Recherche_In_Langue(const QString& Lang) const {
    return Lang.isEmpty() ? Libelle_de_Recherche() : Read(libelles_recherche_, Lang);
}
void Champ::Set_Libelle_de_Recherche_In_Langue(const QString& NewLib, const QString& Lang) {
    Write_Once(libelles_recherche_, Lang.isEmpty() ? Own_Language() : Lang, NewLib);
}

Champ* Champs::add(const Champ_Args& a) {
    if (Item(a.Nom)) return nullptr;
    auto c = std::make_unique<Champ>();
    c->Nom = a.Nom;
    c->Data_Type = a.Data_Type;
    c->Longueur = a.Longueur;
    c->Nb_Ligne = a.Nb_Ligne;
    c->Set_Libelle(a.Libelle.value_or(a.Nom));
    c->Nom_Data = a.Nom_Data.value_or(a.Nom);
    c->Set_Libelle_de_Recherche(a.Libelle_de_Recherche.value_or(a.Nom));
    if (a.Ref_Listes) c->Ref_Listes = a.Ref_Listes;
    if (a.Text_Field) c->Text_Field = *a.Text_Field;
    c->Must_be_Filled = a.Mandatory;
    c->Context_ID = a.Context_ID;
    c->Field_Type = a.Type_Field;
    c->Field_Active = a.Field_Active;
    c->Position = Count() + 1;
    items_.push_back(std::move(c));
    return items_.back().get();
}

Champ* Champs::Item(const QString& key) const {
    const QString k = Key(key);
    for (const auto& c : items_)
        if (Key(c->Nom) == k) return c.get();
    return nullptr;
}

qint32 Data_Type_Number(const QString& Data_Type) {
    if (!Is_Numeric_Text(Data_Type)) return 0;
    return To_Whole(Value::String(Data_Type)).value_or(0);
}

int Champs::Number(const QString& key) const {
    const QString k = Key(key);
    for (size_t i = 0; i < items_.size(); ++i)
        if (Key(items_[i]->Nom) == k) return static_cast<int>(i) + 1;
    return 0;
}

Champ* Champs::Item(int index) const { return index >= 1 && index <= Count() ? items_[index - 1].get() : nullptr; }

Champs& Record::Get_Champs() {
    if (!champs_) champs_ = std::make_unique<Champs>();
    return *champs_;
}

const Champs& Record::Get_Champs() const {
    static const Champs none;
    return champs_ ? *champs_ : none;
}

Champ* Record::add(const Champ_Args& a) {
    Champ_Args args = a;
    args.Text_Field = a.Text_Field.value_or(QString());
    return Get_Champs().add(args);
}

std::unique_ptr<Record> Build_Record_Description() {
    struct Row {
        const char* nom;
        const char* type;
        int len;
        const char16_t* en;
        const char16_t* enSearch;
        const char16_t* fr;
        const char16_t* frSearch;
        const char* language;
    };
    static const Row rows[] = {
        {"Year", "4", 4, u"Year", u"Year", u"Année", u"Année", ""},
        {"Proj#", "4", 4, u"Project number", u"Project number", u"N° de Projet", u"N° de Projet", ""},
        {"Reco#", "4", 2, u"Reco Number", u"Reco Number", u"N° Reco", u"N° Reco", ""},
        {"ProjName", "5", 255, u"Project name", u"Project name", u"Nom du Projet", u"Nom du Projet", ""},
        {"ToolKit", "5", 255, u"Link with Toolkit form", u"Link with Toolkit form", u"Lien fiche Toolkit",
         u"Lien fiche Toolkit", ""},
        {"MATOS", "5", 255, u"Link with material", u"Link with material", u"Lien fiche matériel",
         u"Lien fiche matériel", ""},
        {"EM", "1", 2, u"MS of coordinator", u"MS of coordinator", u"EM du porteur", u"EM du porteur", ""},
        {"PortName", "5", 255, u"Name of coordinator", u"Name of coordinator", u"Nom du porteur", u"Nom du porteur",
         ""},
        {"EmetType", "1", 2, u"Type of emitting", u"Type of emitting", u"Type de l'emetteur", u"Type de l'emetteur",
         ""},
        {"DomReco1", "1", 0, u"Area 1 of reco", u"Area of reco", u"Domaine 1 de la reco", u"Domaine de la reco", ""},
        {"DomReco2", "1", 0, u"Area 2 of reco", u"Area of reco", u"Domaine 2 de la reco", u"Domaine de la reco", ""},
        {"DomReco3", "1", 0, u"Area 3 of reco", u"Area of reco", u"Domaine 3 de la reco", u"Domaine de la reco", ""},
        {"RecoFr", "5", 255, u"Texte de la reco", u"Texte de la reco", u"Texte de la reco", u"Texte de la reco", "FR"},
        {"RecoEN", "5", 255, u"Reco Text", u"Reco Text", u"Texte de la reco", u"Texte de la reco", "EN"},
        {"Dest1", "1", 0, u"Type 1 of recipient", u"Type of recipient", u"Type 1 Destinaire", u"Type Destinaire", ""},
        {"Dest2", "1", 0, u"Type 2 of recipient", u"Type of recipient", u"Type 2 Destinaire", u"Type Destinaire", ""},
        {"Dest3", "1", 0, u"Type 3 of recipient", u"Type of recipient", u"Type 3 Destinaire", u"Type Destinaire", ""},
    };
    auto description = std::make_unique<Record>();
    for (const Row& r : rows) {
        Champ_Args a;
        a.Nom = QString::fromLatin1(r.nom);
        a.Data_Type = QString::fromLatin1(r.type);
        a.Longueur = r.len;
        a.Libelle = QString::fromUtf16(r.en);
        a.Libelle_de_Recherche = QString::fromUtf16(r.enSearch);
        a.Text_Field = QString();
        Champ* c = description->add(a);
        c->Set_Libelle_In_Langue(QString::fromUtf16(r.fr), QStringLiteral("FR"));
        c->Set_Libelle_de_Recherche_In_Langue(QString::fromUtf16(r.frSearch), QStringLiteral("FR"));
        if (*r.language) c->Language = QString::fromLatin1(r.language);
    }
    return description;
}
