#pragma once
// What a record consists of: the ordered field descriptors with their labels per
// language and, for coded fields, their code table.
#include "model/Owned_Iterator.h"
#include "model/Refs.h"
#include "model/Value.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

// The kinds of value a field holds: its Data_Type, a one-digit text, as a number.
enum Data_Type_Kind : qint32 {
    Type_None = 0,
    Type_Code = 1,
    Type_Date = 2,
    Type_Hour = 3,
    Type_Whole = 4,
    Type_Text = 5,
    Type_Long_Text = 6,
};
// A Data_Type text as its number; 0 when it is not a number.
qint32 Data_Type_Number(const QString& Data_Type);
// Codes and texts compare and sort as texts; dates, hours and numbers by value.
inline bool Is_Text_Type(qint32 type) { return type == Type_Code || type == Type_Text || type == Type_Long_Text; }

class Champ {
public:
    QString Nom;
    QString Nom_Data;
    qint32 Longueur = 0;
    qint32 Longueur_Max = 0;
    Value Rang;
    QString Data_Type;
    std::shared_ptr<Refs> Ref_Listes;  // absent until the code tables are loaded
    bool Ref_MultiPart = false;
    QString Text_Field;
    qint32 Nb_Ligne = 1;
    qint32 Position = 0;
    QString Language;
    bool Must_be_Filled = false;
    qint32 Context_ID = 0;
    qint32 Field_Type = 0;
    bool Field_Active = true;
    Value Value_Min;
    Value Value_Max;

    // Code-table members (Champ_Listes.cpp).
    qint32 Load_Listes_From_Ini_Section(const QString& ini_file, const QString& section, qint32 Cle_len, bool Only_Cle,
                                        qint32 Val_len, const QString& Prefix_Err, QStringList* Errs, bool Verbose);
    Value Get_Data(const QString& Cle, const QString& What = QStringLiteral("V")) const;
    std::shared_ptr<Refs> Get_List_Filtered(const QString& Cle, const QString& Data) const;
    qint32 Longueur_Czi();
    void Reset_Listes();

    qint32 Type() const { return Data_Type_Number(Data_Type); }

    // A field of one language (the two recommendation texts) is shown only in that one.
    bool Shown_In(const QString& Lang) const { return Language.isEmpty() || Language == Lang; }

    QString Libelle() const;
    void Set_Libelle(const QString& NewLib);
    QString Get_Libelle_In_Langue(const QString& Lang = QString()) const;
    void Set_Libelle_In_Langue(const QString& NewLib, const QString& Lang = QString());
    QString Libelle_de_Recherche() const;
    void Set_Libelle_de_Recherche(const QString& NewLib);
    QString Get_Libelle_de_Recherche_In_Langue(const QString& Lang = QString()) const;
    void Set_Libelle_de_Recherche_In_Langue(const QString& NewLib, const QString& Lang = QString());

private:
    QString Own_Language() const { return Language.isEmpty() ? QStringLiteral("EN") : Language; }
    bool Selected_By_Contains(const Ref& r, const QString& Cle, const QString& Data) const;
    // Created on first write; the first label of a language wins.
    std::unique_ptr<QHash<QString, QString>> libelles_;
    std::unique_ptr<QHash<QString, QString>> libelles_recherche_;
};

struct Champ_Args {
    QString Nom;
    QString Data_Type;
    qint32 Longueur = 0;
    std::optional<QString> Libelle;
    std::optional<QString> Nom_Data;
    std::shared_ptr<Refs> Ref_Listes;
    qint32 Nb_Ligne = 1;
    bool Mandatory = false;
    qint32 Context_ID = 0;
    std::optional<QString> Text_Field;
    qint32 Type_Field = 0;
    bool Field_Active = true;
    std::optional<QString> Libelle_de_Recherche;
};

class Champs {
public:
    // nullptr when Nom is already present.
    Champ* add(const Champ_Args& a);
    Champ* Item(const QString& key) const;
    Champ* Item(int index) const;  // 1-based
    int Number(const QString& key) const;  // 1-based; 0 when there is no such field
    int Count() const { return static_cast<int>(items_.size()); }

    using iterator = Owned_Iterator<Champ>;
    iterator begin() const { return iterator(items_.cbegin()); }
    iterator end() const { return iterator(items_.cend()); }

private:
    static QString Key(const QString& nom) { return nom.toCaseFolded(); }
    std::vector<std::unique_ptr<Champ>> items_;
};

class Record {
public:
    QString Name;

    Champ* add(const Champ_Args& a);
    Champs& Get_Champs();
    const Champs& Get_Champs() const;
    int Count() const { return champs_ ? champs_->Count() : 0; }

private:
    std::unique_ptr<Champs> champs_;
};

// The fields of a recommendation, without code tables.
std::unique_ptr<Record> Build_Record_Description();
