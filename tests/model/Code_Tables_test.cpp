#include "model/Code_Tables.h"
#include "model/Record_Description.h"

#include "Test_Files.h"

#include <gtest/gtest.h>

namespace {
struct Tables : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("Refs.dat"));
    Field_Def field;
    QStringList errs;
    qint32 Load(const QString& text, const QString& section, int code_length = 0) {
        Write_Cp1252(file, text);
        return field.Load_Codes_From_Section(file, section, code_length, false, 0, QStringLiteral("Country"), &errs,
                                             false);
    }
    QStringList Codes_Of() const {
        QStringList c;
        if (field.Codes)
            for (const Code_Entry& r : *field.Codes) c << r.Code() + QLatin1Char('=') + r.Label;
        return c;
    }
};
}  // namespace

TEST_F(Tables, Lines_Give_Code_Before_First_Equals_And_Label_After_Last) {
    const std::tuple<const char*, int, QStringList> cases[] = {
        {"[T]\r\nFR = France  \r\na=b=c\r\nBE=Belgique\r\n", 3, {"FR=France", "a=c", "BE=Belgique"}},
        {"[T]\nab=first\nAB=second\n", 2, {"ab=first"}},  // other case: the first kept, still counted
    };
    for (const auto& [text, loaded, codes] : cases) {
        field.Drop_Codes();
        EXPECT_EQ(Load(QString::fromUtf8(text), QStringLiteral("T")), loaded) << text;
        EXPECT_EQ(Codes_Of(), codes) << text;
    }
    EXPECT_TRUE(errs.isEmpty());
    EXPECT_EQ(field.Codes->Item(QStringLiteral("Ab"))->Label, QStringLiteral("first"));
}

TEST_F(Tables, Rejected_Lines_Are_Counted_And_Reported) {
    // Codes_Of one character short and one too long are both refused.
    const std::tuple<const char*, int, int, const char*> cases[] = {
        {"[Country]\nFR=Fr\nF=Fr\nFRA=Fr\n", 2, 1, "Country: Total of 2 unloaded items (incorect length)"},
        {"[Country]\nlonely\n", 0, 0, "Country: Total of 1 unloaded items (incorect length)"},
    };
    for (const auto& [text, code_length, loaded, message] : cases) {
        errs.clear();
        field.Drop_Codes();
        EXPECT_EQ(Load(QString::fromUtf8(text), QStringLiteral("Country"), code_length), loaded) << text;
        EXPECT_EQ(errs, QStringList{message}) << text;
    }
    // Nothing accepted: no table at all.
    EXPECT_EQ(field.Codes, nullptr);
}

TEST_F(Tables, Missing_Or_Empty_Sections_And_Files_Load_Nothing_Silently) {
    EXPECT_EQ(Load(QStringLiteral("[Other]\nA=1\n[Country]\n"), QStringLiteral("Country")), 0);
    EXPECT_EQ(field.Codes, nullptr);
    EXPECT_EQ(field.Load_Codes_From_Section(dir.filePath("none.dat"), "Country", 0, false, 0, "", &errs, true), 0);
    EXPECT_TRUE(errs.isEmpty());
}

TEST_F(Tables, A_Section_Far_Longer_Than_The_Buffer_Loads_Whole) {
    QString text = QStringLiteral("[Big]\r\n");
    for (int i = 0; i < 900; ++i) text += QStringLiteral("C%1=Libellé numéro %1\r\n").arg(i);
    EXPECT_EQ(Load(text, QStringLiteral("Big")), 900);
    EXPECT_EQ(field.Codes->Item(QStringLiteral("C899"))->Label, QStringLiteral("Libellé numéro 899"));
}

TEST_F(Tables, Bytes_That_Are_Not_Text_Do_Not_Break_Loading) {
    static const char bytes[] = "[T]\n\x01\x02=\xFF\xFE\x81\nOK=fine\n\0junk=1\n";
    Write_Bytes(file, QByteArray(bytes, sizeof bytes - 1));  // the embedded NUL is part of the data
    EXPECT_EQ(field.Load_Codes_From_Section(file, QStringLiteral("T"), 0, false, 0, QString(), &errs, false), 3);
    EXPECT_EQ(field.Codes->Item(QStringLiteral("OK"))->Label, QStringLiteral("fine"));
}

TEST_F(Tables, Width_Of_Values) {
    Load(QStringLiteral("[T]\nA=1\nLONG=2\nBB=3\n"), QStringLiteral("T"));
    EXPECT_EQ(field.Widest_Code_Length(), 4);
    field.Data_Type = QStringLiteral("2");
    EXPECT_EQ(field.Widest_Code_Length(), 6);
    field.Length = 4;
    field.Data_Type = QStringLiteral("4");
    EXPECT_EQ(field.Widest_Code_Length(), 4);
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

TEST_F(Tables, Version_Check_Reports_Missing_And_Extra_Keys) {
    const struct {
        const char* from;
        const char* to;
        QStringList expected;
    } cases[] = {
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
    for (const auto& c : cases) {
        Write_Cp1252(file, QString::fromUtf8(kGoodRefs).replace(QString::fromUtf8(c.from), QString::fromUtf8(c.to)));
        QStringList e;
        EXPECT_EQ(Check_Code_Table_Versions(kTables, kVersions, QStringLiteral("EN"), e, file), c.expected.isEmpty());
        EXPECT_EQ(e, c.expected) << c.from;
    }
}
