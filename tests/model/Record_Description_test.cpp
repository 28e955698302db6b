#include "model/Record_Description.h"

#include <gtest/gtest.h>

namespace {
struct Built : ::testing::Test {
    void SetUp() override { Build_Record_Description(); }
    Champs& fields() { return Record_Description->Get_Champs(); }
};
}  // namespace

TEST_F(Built, Seventeen_Fields_In_Order_With_Their_Labels) {
    struct Row {
        const char* nom;
        const char* type;
        int len;
        const char* en;
        const char* enSearch;
        const char* fr;
        const char* frSearch;
    };
    const Row rows[] = {
        {"Year", "4", 4, "Year", "Year", "Année", "Année"},
        {"Proj#", "4", 4, "Project number", "Project number", "N° de Projet", "N° de Projet"},
        {"EM", "1", 2, "MS of coordinator", "MS of coordinator", "EM du porteur", "EM du porteur"},
        {"DomReco2", "1", 0, "Area 2 of reco", "Area of reco", "Domaine 2 de la reco", "Domaine de la reco"},
        {"RecoFr", "5", 255, "Texte de la reco", "Texte de la reco", "Texte de la reco", "Texte de la reco"},
        {"Dest3", "1", 0, "Type 3 of recipient", "Type of recipient", "Type 3 Destinaire", "Type Destinaire"},
    };
    ASSERT_EQ(fields().Count(), 17);
    for (const Row& r : rows) {
        const Champ* c = fields().Item(QString::fromUtf8(r.nom));
        ASSERT_NE(c, nullptr) << r.nom;
        EXPECT_EQ(c->Data_Type, QString::fromUtf8(r.type));
        EXPECT_EQ(c->Longueur, r.len);
        EXPECT_EQ(c->Get_Libelle_In_Langue(QStringLiteral("EN")), QString::fromUtf8(r.en)) << r.nom;
        EXPECT_EQ(c->Get_Libelle_de_Recherche_In_Langue(QStringLiteral("EN")), QString::fromUtf8(r.enSearch));
        EXPECT_EQ(c->Get_Libelle_In_Langue(QStringLiteral("FR")), QString::fromUtf8(r.fr));
        EXPECT_EQ(c->Get_Libelle_de_Recherche_In_Langue(QStringLiteral("FR")), QString::fromUtf8(r.frSearch));
        EXPECT_EQ(c->Nom_Data, c->Nom);
    }
    int pos = 1;
    for (const Champ& c : fields()) EXPECT_EQ(c.Position, pos++);
}

TEST_F(Built, Own_Language_Labels_And_Counts_By_Language) {
    EXPECT_EQ(fields().Item(QStringLiteral("RecoFr"))->Libelle(), QStringLiteral("Texte de la reco"));
    EXPECT_EQ(fields().Item(QStringLiteral("RecoEN"))->Libelle(), QStringLiteral("Reco Text"));
    EXPECT_EQ(fields().Item(QStringLiteral("Year"))->Libelle(), QStringLiteral("Year"));
    EXPECT_EQ(Record_Description->Count_Champs_In_Language(QStringLiteral("EN")), 16);
    EXPECT_EQ(Record_Description->Count_Champs_In_Language(QStringLiteral("FR")), 16);
    EXPECT_EQ(Record_Description->Count_Champs_In_Language(QStringLiteral("DE")), 15);
}

TEST_F(Built, Active_Field_List_And_Lookups) {
    const QString list = Record_Description->Liste_Nom_DataField_Active();
    EXPECT_TRUE(list.startsWith(QStringLiteral("[Year], [Proj#], ")));
    EXPECT_TRUE(list.endsWith(QStringLiteral("[Dest2], [Dest3]")));
    EXPECT_EQ(list.count(QLatin1Char('[')), 17);
    for (Champ& c : fields()) c.Field_Active = false;
    EXPECT_EQ(Record_Description->Liste_Nom_DataField_Active(), QString());
    EXPECT_EQ(fields().Count_Active(), 0);
    EXPECT_EQ(fields().Item(18), nullptr);
    EXPECT_EQ(fields().Item(0), nullptr);
    EXPECT_EQ(fields().Item(QStringLiteral("nothing")), nullptr);
    EXPECT_EQ(fields().Item(QStringLiteral("year"))->Position, 1);  // keys ignore letter case
}

TEST(Champs, Add_Defaults_First_Label_Wins_And_Keys_Are_Unique) {
    Record r;
    Champ_Args a;
    a.Nom = QStringLiteral("Code");
    a.Data_Type = QStringLiteral("5");
    Champ* c = r.add(a);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Libelle(), QStringLiteral("Code"));
    EXPECT_EQ(c->Libelle_de_Recherche(), QStringLiteral("Code"));
    EXPECT_EQ(c->Nom_Data, QStringLiteral("Code"));
    c->Set_Libelle(QStringLiteral("Second"));
    c->Set_Libelle_In_Langue(QStringLiteral("Third"), QStringLiteral("EN"));
    EXPECT_EQ(c->Get_Libelle_In_Langue(QStringLiteral("EN")), QStringLiteral("Code"));
    EXPECT_EQ(c->Get_Libelle_In_Langue(QStringLiteral("FR")), QString());
    EXPECT_EQ(c->Get_Text_Field(), QStringLiteral("Code"));
    EXPECT_EQ(r.add(a), nullptr);
    a.Nom = QStringLiteral("CODE");
    EXPECT_EQ(r.add(a), nullptr);
    a.Nom = QStringLiteral("Other");
    EXPECT_EQ(r.add(a)->Position, 2);
    EXPECT_TRUE(r.Get_Champs().Remove(1));
    EXPECT_EQ(r.Get_Champs().Item(1)->Nom, QStringLiteral("Other"));
}
