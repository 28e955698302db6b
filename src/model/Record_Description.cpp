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

QString Field_Def::Label() const { return Read(labels_, Own_Language()); }
void Field_Def::Set_Label(const QString& NewLib) { Write_Once(labels_, Own_Language(), NewLib); }
QString Field_Def::Label_In(const QString& Lang) const { return Lang.isEmpty() ? Label() : Read(labels_, Lang); }
void Field_Def::Set_Label_In(const QString& NewLib, const QString& Lang) {
    Write_Once(labels_, Lang.isEmpty() ? Own_Language() : Lang, NewLib);
}
QString Field_Def::Search_Label() const { return Read(search_labels_, Own_Language()); }
void Field_Def::Set_Search_Label(const QString& NewLib) { Write_Once(search_labels_, Own_Language(), NewLib); }
QString Field_Def::Search_Label_In(const QString& Lang) const {
    return Lang.isEmpty() ? Search_Label() : Read(search_labels_, Lang);
}
void Field_Def::Set_Search_Label_In(const QString& NewLib, const QString& Lang) {
    Write_Once(search_labels_, Lang.isEmpty() ? Own_Language() : Lang, NewLib);
}

Field_Def* Field_Defs::add(const Field_Def_Args& a) {
    if (Item(a.Name)) return nullptr;
    auto c = std::make_unique<Field_Def>();
    c->Name = a.Name;
    c->Data_Type = a.Data_Type;
    c->Length = a.Length;
    c->Line_Count = a.Line_Count;
    c->Set_Label(a.Label.value_or(a.Name));
    c->Data_Name = a.Data_Name.value_or(a.Name);
    c->Set_Search_Label(a.Search_Label.value_or(a.Name));
    if (a.Codes) c->Codes = a.Codes;
    if (a.Text_Field) c->Text_Field = *a.Text_Field;
    c->Must_Be_Filled = a.Mandatory;
    c->Context_ID = a.Context_ID;
    c->Field_Type = a.Field_Type;
    c->Field_Active = a.Field_Active;
    c->Position = Count() + 1;
    items_.push_back(std::move(c));
    return items_.back().get();
}

Field_Def* Field_Defs::Item(const QString& key) const {
    const QString k = Key(key);
    for (const auto& c : items_)
        if (Key(c->Name) == k) return c.get();
    return nullptr;
}

qint32 Data_Type_Number(const QString& Data_Type) {
    // Asked for every cell of an import: the usual few digits are read without a parse.
    if (!Data_Type.isEmpty() && Data_Type.size() <= 9) {
        qint32 n = 0;
        bool digits = true;
        for (const QChar c : Data_Type) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                digits = false;
                break;
            }
            n = n * 10 + (c.unicode() - u'0');
        }
        if (digits) return n;
    }
    if (!Is_Numeric_Text(Data_Type)) return 0;
    return To_Whole(Value::String(Data_Type)).value_or(0);
}

int Field_Defs::Number(const QString& key) const {
    const QString k = Key(key);
    for (size_t i = 0; i < items_.size(); ++i)
        if (Key(items_[i]->Name) == k) return static_cast<int>(i) + 1;
    return 0;
}

Field_Def* Field_Defs::Item(int index) const {
    return index >= 1 && index <= Count() ? items_[index - 1].get() : nullptr;
}

Field_Defs& Record::Fields() {
    if (!fields_) fields_ = std::make_unique<Field_Defs>();
    return *fields_;
}

const Field_Defs& Record::Fields() const {
    static const Field_Defs none;
    return fields_ ? *fields_ : none;
}

Field_Def* Record::add(const Field_Def_Args& a) {
    Field_Def_Args args = a;
    args.Text_Field = a.Text_Field.value_or(QString());
    return Fields().add(args);
}

std::unique_ptr<Record> Build_Record_Description() {
    struct Row {
        const char* name;
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
        Field_Def_Args a;
        a.Name = QString::fromLatin1(r.name);
        a.Data_Type = QString::fromLatin1(r.type);
        a.Length = r.len;
        a.Label = QString::fromUtf16(r.en);
        a.Search_Label = QString::fromUtf16(r.enSearch);
        a.Text_Field = QString();
        Field_Def* c = description->add(a);
        c->Set_Label_In(QString::fromUtf16(r.fr), QStringLiteral("FR"));
        c->Set_Search_Label_In(QString::fromUtf16(r.frSearch), QStringLiteral("FR"));
        if (*r.language) c->Language = QString::fromLatin1(r.language);
    }
    return description;
}
