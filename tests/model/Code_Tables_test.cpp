#include "model/Code_Tables.h"
#include "model/Record_Description.h"

#include "Test_Files.h"

#include <gtest/gtest.h>

namespace {
struct Tables : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("Refs.dat"));
    Champ field;
    QStringList errs;
    qint32 Load(const QString& text, const QString& section, int cleLen = 0, bool verbose = false, bool onlyCle = false,
                int valLen = 0) {
        Write_Cp1252(file, text);
        return field.Load_Listes_From_Ini_Section(file, section, cleLen, onlyCle, valLen, QStringLiteral("Country"),
                                                  &errs, verbose);
    }
    QStringList Codes() const {
        QStringList c;
        if (field.Ref_Listes)
            for (const Ref& r : *field.Ref_Listes) c << r.Cle() + QLatin1Char('=') + r.Valeur;
        return c;
    }
};
}  // namespace

TEST_F(Tables, Lines_Give_Code_Before_First_Equals_And_Label_After_Last) {
    struct Case {
        const char* text;
        bool onlyCle;
        int valLen;
        int loaded;
        QStringList codes;
        bool onlyValue;
    };
    const QString tooLong = QStringLiteral("Country: Total of 1 unloaded items (incorect length)");
    const Case cases[] = {
        {"[T]\r\nFR = France  \r\na=b=c\r\nBE=Belgique\r\n", false, 0, 3, {"FR=France", "a=c", "BE=Belgique"}, false},
        {"[T]\nA=xy\nB=xyz\n", false, 2, 1, {"A=xy"}, false},  // label length
        {"[T]\n  X1  \nX2\n", true, 0, 2, {"X1=X1", "X2=X2"}, true},  // code-only lines
        {"[T]\nab=first\nAB=second\n", false, 0, 2, {"ab=first"}, false},  // other case: the first kept, still counted
    };
    for (const Case& c : cases) {
        field.Reset_Listes();
        errs.clear();
        EXPECT_EQ(Load(QString::fromUtf8(c.text), QStringLiteral("T"), 0, false, c.onlyCle, c.valLen), c.loaded)
            << c.text;
        EXPECT_EQ(errs, c.valLen ? QStringList{tooLong} : QStringList{}) << c.text;
        EXPECT_EQ(Codes(), c.codes) << c.text;
        EXPECT_EQ(field.Ref_Listes->Only_Value, c.onlyValue) << c.text;
    }
    EXPECT_EQ(field.Ref_Listes->Item(QStringLiteral("Ab"))->Valeur, QStringLiteral("first"));
}

TEST_F(Tables, Rejected_Lines_Are_Counted_And_Reported) {
    struct Case {
        const char* text;
        int cleLen;
        bool verbose;
        int loaded;
        QStringList messages;
    };
    const QStringList verbose{"Country: Transcode \"FRA\" -> \"Fr\" Unloaded item (incorect length)",
                              "Country: Transcode \"noequals\" -> \"\" Unloaded item (incorect length)",
                              "Country: Total of 2 unloaded items (incorect length)",
                              "Country: Total of 1 successfully loaded item"};
    // Codes one character short and one too long are both refused.
    const Case cases[] = {
        {"[Country]\nFR=Fr\nF=Fr\nFRA=Fr\n", 2, false, 1, {"Country: Total of 2 unloaded items (incorect length)"}},
        {"[Country]\nFR=Fr\nFRA=Fr\nnoequals\n", 2, true, 1, verbose},
        {"[Country]\nFR=France\n", 0, true, 1, {"Country: Total of 1 successfully loaded item"}},
        {"[Country]\nlonely\n", 0, false, 0, {"Country: Total of 1 unloaded items (incorect length)"}},
    };
    for (const Case& c : cases) {
        errs.clear();
        field.Reset_Listes();
        EXPECT_EQ(Load(QString::fromUtf8(c.text), QStringLiteral("Country"), c.cleLen, c.verbose), c.loaded) << c.text;
        EXPECT_EQ(errs, c.messages) << c.text;
    }
    // Nothing accepted: no table at all.
    EXPECT_EQ(field.Ref_Listes, nullptr);
}

TEST_F(Tables, Missing_Or_Empty_Sections_And_Files_Load_Nothing_Silently) {
    EXPECT_EQ(Load(QStringLiteral("[Other]\nA=1\n[Country]\n"), QStringLiteral("Country"), 0, true), 0);
    EXPECT_EQ(field.Ref_Listes, nullptr);
    EXPECT_EQ(field.Load_Listes_From_Ini_Section(dir.filePath("none.dat"), "Country", 0, false, 0, "", &errs, true), 0);
    EXPECT_TRUE(errs.isEmpty());
}

TEST_F(Tables, A_Section_Far_Longer_Than_The_Buffer_Loads_Whole) {
    QString text = QStringLiteral("[Big]\r\n");
    for (int i = 0; i < 900; ++i) text += QStringLiteral("C%1=Libellé numéro %1\r\n").arg(i);
    EXPECT_EQ(Load(text, QStringLiteral("Big")), 900);
    EXPECT_EQ(field.Ref_Listes->Item(QStringLiteral("C899"))->Valeur, QStringLiteral("Libellé numéro 899"));
}

TEST_F(Tables, Bytes_That_Are_Not_Text_Do_Not_Break_Loading) {
    static const char bytes[] = "[T]\n\x01\x02=\xFF\xFE\x81\nOK=fine\n\0junk=1\n";
    Write_Bytes(file, QByteArray(bytes, sizeof bytes - 1));  // the embedded NUL is part of the data
    EXPECT_EQ(field.Load_Listes_From_Ini_Section(file, QStringLiteral("T"), 0, false, 0, QString(), &errs, false), 3);
    EXPECT_EQ(field.Ref_Listes->Item(QStringLiteral("OK"))->Valeur, QStringLiteral("fine"));
}

TEST_F(Tables, Get_Data_Single_And_Two_Part_Codes) {
    Load(QStringLiteral("[T]\nFR=France\nEMPTY=\n012.03=Sub three\n12=Twelve\n7.x=Seven x\n"), QStringLiteral("T"));
    struct Case {
        bool multi;
        const char* code;
        const char* what;
        const char* expected;
        bool emptyValue;
    };
    const Case cases[] = {
        {false, "", "V", "", false},
        {false, "fr", "V", "France", false},
        {false, "fr", "C", "FR", false},
        {false, "XX", "V", "", false},
        {false, "12.3", "C", "", false},
        {true, "12.3", "C", "012.03", false},
        {true, "12.03", "V", "Sub three", false},
        {true, "012", "C", "12", false},
        {true, "7.x", "C", "7.x", false},
        {true, "7.X", "C", "7.x", false},  // the direct lookup ignores letter case
        {true, "07.x", "C", "7.x", false},  // part by part: the minor compares as text
        {true, "A.1", "C", "", true},
        {true, ".5", "C", "", true},
        {true, "12.4", "C", "", true},
        {true, "EMPTY", "V", "", true},  // an entry without label counts as not found
    };
    for (const Case& c : cases) {
        field.Ref_MultiPart = c.multi;
        const Value v = field.Get_Data(QString::fromUtf8(c.code), QString::fromUtf8(c.what));
        EXPECT_EQ(To_Text(v), QString::fromUtf8(c.expected)) << c.code;
        EXPECT_EQ(v.isEmpty(), c.emptyValue) << c.code;
    }
}

TEST_F(Tables, Matching_By_Contained_Text_And_Wildcards) {
    Load(QStringLiteral("[T]\nFR=France\nFI=Finlande\nDE=Allemagne\nIE=Irlande\n"), QStringLiteral("T"));
    EXPECT_EQ(field.Get_Data_Match(QStringLiteral("fr"), QString()), QStringLiteral("France"));
    EXPECT_EQ(field.Get_Data_Match(QString(), QStringLiteral("allem"), QStringLiteral("C")), QStringLiteral("DE"));
    EXPECT_EQ(field.Get_Data_Match(QString(), QStringLiteral("lande")), QString());  // two entries
    EXPECT_EQ(field.Get_Data_Match(QStringLiteral("E"), QStringLiteral("irl")), QStringLiteral("Irlande"));
    EXPECT_EQ(field.Get_Number_Match(QString(), QStringLiteral("LANDE")), 2);
    EXPECT_EQ(field.Get_Number_Match(QString(), QString()), 4);
    const auto filtered = field.Get_List_Filtered(QStringLiteral("f"), QString());
    ASSERT_EQ(filtered->Count(), 2);
    EXPECT_EQ(filtered->Item(2)->Cle(), QStringLiteral("FI"));

    struct Case {
        std::optional<QString> cle, data;
        int match;
        bool expected;
    };
    const Case cases[] = {
        {QStringLiteral("F"), std::nullopt, 2, true},
        {QStringLiteral("F"), std::nullopt, 1, false},
        {QStringLiteral("FR"), std::nullopt, 1, true},
        {QStringLiteral("fr"), std::nullopt, 1, false},  // letter case counts here
        {std::nullopt, QStringLiteral("lande"), 3, true},
        {std::nullopt, QStringLiteral("lande"), 2, false},
        {std::nullopt, QStringLiteral("rlan"), 4, true},
        {QStringLiteral("?E"), QStringLiteral("All*"), 1, true},
        {QStringLiteral("[!D]E"), QStringLiteral("All*"), 1, false},
        {std::nullopt, std::nullopt, 4, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(field.Any_Exists_Match(c.cle, c.data, c.match), c.expected)
            << c.cle.value_or(QStringLiteral("-")).toStdString() << " "
            << c.data.value_or(QStringLiteral("-")).toStdString();
    field.Reset_Listes();
    EXPECT_FALSE(field.Any_Exists_Match(QStringLiteral("F"), std::nullopt, 2));
    EXPECT_EQ(field.Get_Number_Match(QString(), QString()), 0);
    EXPECT_EQ(field.Get_List_Filtered(QString(), QString())->Count(), 0);
}

TEST_F(Tables, Width_Of_Values) {
    Load(QStringLiteral("[T]\nA=1\nLONG=2\nBB=3\n"), QStringLiteral("T"));
    EXPECT_EQ(field.Longueur_Czi(), 4);
    field.Data_Type = QStringLiteral("2");
    EXPECT_EQ(field.Longueur_Czi(), 6);
    field.Longueur = 4;
    field.Data_Type = QStringLiteral("4");
    EXPECT_EQ(field.Longueur_Czi(), 4);
}

namespace {
const char* kGoodRefs =
    "[Country]\r\nFR=France\r\nDE=Germany\r\n[Country (FR)]\r\nFR=France\r\nDE=Allemagne\r\n"
    "[TypeEmet]\r\nPA=Public authority\r\n[TypeEmet (FR)]\r\nPA=Autorité publique\r\n"
    "[DomReco]\r\n1=Education\r\n10=Health\r\n[DomReco (FR)]\r\n1=Éducation\r\n10=Santé\r\n"
    "[TypeDest]\r\nEU=European institutions\r\n[TypeDest (FR)]\r\nEU=Institutions européennes\r\n";
const QString kTables = QStringLiteral("Country\nTypeEmet\nDomReco\nTypeDest");
const QString kVersions = QStringLiteral("EN\nFR");
}  // namespace

TEST_F(Tables, Load_Code_Tables_Follows_The_Current_Language) {
    Write_Cp1252(file, QString::fromUtf8(kGoodRefs));
    Build_Record_Description();
    Current_Language.clear();
    Load_Code_Tables(file);
    Champs& f = Record_Description->Get_Champs();
    EXPECT_EQ(To_Text(f.Item(QStringLiteral("EM"))->Get_Data(QStringLiteral("de"))), QStringLiteral("Germany"));
    EXPECT_EQ(To_Text(f.Item(QStringLiteral("DomReco3"))->Get_Data(QStringLiteral("10"))), QStringLiteral("Health"));
    EXPECT_EQ(f.Item(QStringLiteral("DomReco1"))->Longueur_Czi(), 2);
    EXPECT_EQ(f.Item(QStringLiteral("Year"))->Ref_Listes, nullptr);
    Current_Language = QStringLiteral("FR");
    Load_Code_Tables(file);
    EXPECT_EQ(To_Text(f.Item(QStringLiteral("EM"))->Get_Data(QStringLiteral("DE"))), QStringLiteral("Allemagne"));
    EXPECT_EQ(To_Text(f.Item(QStringLiteral("Dest2"))->Get_Data(QStringLiteral("eu"))),
              QStringLiteral("Institutions européennes"));
    Current_Language = QStringLiteral("DE");  // no such sections: every coded field without table
    Load_Code_Tables(file);
    EXPECT_EQ(f.Item(QStringLiteral("EM"))->Ref_Listes, nullptr);
    Current_Language.clear();
}

TEST_F(Tables, Version_Check_Reports_Missing_And_Extra_Keys) {
    struct Case {
        const char* from;
        const char* to;
        QStringList expected;
    };
    const Case cases[] = {
        {"", "", {}},
        {"DE=Allemagne\r\n", "", {QStringLiteral("Table Country: key \"DE\" is missing in FR version")}},
        {"DE=Allemagne\r\n",
         "DE=Allemagne\r\nIT=Italie\r\n",
         {QStringLiteral("Table Country: key \"IT\" exist in FR version but not in master table")}},
        {"DE=Allemagne\r\n", "de=Allemagne\r\n", {}},  // codes compare without letter case
        {"[Country (FR)]\r\nFR=France\r\nDE=Allemagne\r\n",
         "",
         {QStringLiteral("Table Country: key \"FR\" is missing in FR version"),
          QStringLiteral("Table Country: key \"DE\" is missing in FR version")}},
    };
    for (const Case& c : cases) {
        Write_Cp1252(file, QString::fromUtf8(kGoodRefs).replace(QString::fromUtf8(c.from), QString::fromUtf8(c.to)));
        QStringList e;
        EXPECT_EQ(Check_Code_Table_Versions(kTables, kVersions, QStringLiteral("EN"), e, file), c.expected.isEmpty());
        EXPECT_EQ(e, c.expected) << c.from;
    }
}

TEST_F(Tables, Version_Check_With_One_Side_Missing_Or_No_File) {
    Write_Cp1252(file, QStringLiteral("[TypeEmet (FR)]\r\nPA=Autorité\r\n[DomReco]\r\n1=Education\r\n"));
    QStringList e;
    EXPECT_FALSE(Check_Code_Table_Versions(kTables, kVersions, QStringLiteral("EN"), e, file));
    EXPECT_EQ(e, (QStringList{QStringLiteral("Table TypeEmet: key \"PA\" exist in FR version but not in master table"),
                              QStringLiteral("Table DomReco: key \"1\" is missing in FR version")}));
    e.clear();
    EXPECT_TRUE(
        Check_Code_Table_Versions(kTables, kVersions, QStringLiteral("EN"), e, dir.filePath(QStringLiteral("absent"))));
    EXPECT_TRUE(Check_Code_Table_Versions(kTables, kVersions, QString(), e, file));
    EXPECT_TRUE(e.isEmpty());
}

TEST(Refs_Table, Removal_Keeps_Order_Lookups_And_Positions) {
    Refs t;
    for (const char* code : {"a", "b", "c", "d"}) t.add(QString::fromLatin1(code), QStringLiteral("label"));
    const auto codes = [&t] {
        QStringList out;
        for (const Ref& r : t) out << r.Cle();
        return out;
    };
    EXPECT_TRUE(t.Remove(QStringLiteral("B")));
    EXPECT_FALSE(t.Remove(QStringLiteral("b")));
    EXPECT_EQ(codes(), (QStringList{"a", "c", "d"}));
    EXPECT_EQ(t.Count(), 3);
    EXPECT_EQ(t.Item(2)->Cle(), QStringLiteral("c"));
    EXPECT_TRUE(t.Remove(1));
    EXPECT_EQ(t.Item(QStringLiteral("D"))->Cle(), QStringLiteral("d"));
    EXPECT_EQ(t.Item(3), nullptr);
    ASSERT_NE(t.add(QStringLiteral("b"), QStringLiteral("again")), nullptr);
    EXPECT_EQ(codes(), (QStringList{"c", "d", "b"}));
}
