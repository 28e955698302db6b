#include "model/Session.h"

Session::Session() : Session(Build_Record_Description()) {}

Session::Session(std::unique_ptr<Record> description)
    : description_(std::move(description)), records_(description_.get()) {}

void Session::Load_Code_Tables(const QString& refsFile) {
    struct Row {
        const char* field;
        const char* table;
        int code_length;
    };
    static const Row rows[] = {
        {"EM", "Country", 2},       {"EmetType", "TypeEmet", 2}, {"DomReco1", "DomReco", 0}, {"DomReco2", "DomReco", 0},
        {"DomReco3", "DomReco", 0}, {"Dest1", "TypeDest", 0},    {"Dest2", "TypeDest", 0},   {"Dest3", "TypeDest", 0},
    };
    tables_.clear();
    for (const Row& r : rows) {
        Field_Def* c = description_->Fields().Item(QString::fromLatin1(r.field));
        if (!c) continue;
        const QString section = QString::fromLatin1(r.table);
        Field_Tables t;
        t.Field = c;
        for (const bool french : {false, true}) {
            c->Drop_Codes();
            c->Load_Codes_From_Section(refsFile, french ? section + QStringLiteral(" (FR)") : section, r.code_length,
                                       false, 0, QString(), nullptr, false);
            (french ? t.French : t.Master) = c->Codes;
        }
        tables_.push_back(std::move(t));
    }
    Use_Tables();
}

void Session::Set_Language(const QString& lang) {
    language_ = lang;
    Use_Tables();
}

void Session::Use_Tables() {
    const bool french = language_ == QLatin1String("FR");
    for (const Field_Tables& t : tables_) {
        t.Field->Codes = french ? t.French : t.Master;
        t.Field->Max_Length = 0;  // the longest code belongs to the table just replaced
    }
}
