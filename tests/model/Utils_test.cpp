#include "model/Utils.h"

#include <gtest/gtest.h>

TEST(Utils, Quoting) {
    struct Case {
        const char* text;
        bool force;
        const char* specials;
        const char* expected;
    };
    const Case cases[] = {
        {"plain", false, ";\"", "plain"},   {"", true, "", "\"\""},
        {"a;b", false, ";", "\"a;b\""},     {"say \"hi\" \"you\"", false, "\"", "\"say \"\"hi\"\" \"\"you\"\"\""},
        {"forced", true, "", "\"forced\""}, {"", false, ";", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Quote_Value(QString::fromUtf8(c.text), c.force, QString::fromUtf8(c.specials)),
                  QString::fromUtf8(c.expected));
    EXPECT_EQ(Double_Quotes(QStringLiteral("\"\"")), QStringLiteral("\"\"\"\""));
    EXPECT_EQ(Double_Char(Value::String(QStringLiteral("aaa")), QStringLiteral("aa")),
              Value::String(QStringLiteral("aaaaa")));
    EXPECT_EQ(Double_Char(Value::Double(3), QStringLiteral("3")), Value::Double(3));  // not a text: unchanged
    EXPECT_TRUE(Double_Char(Value::Null(), QStringLiteral("x")).isNull());
    EXPECT_EQ(Value_If_Null(Value::Null(), Value::Long(5)), Value::Long(5));
    EXPECT_TRUE(Value_If_Null(Value(), Value::Long(5)).isEmpty());
}

TEST(Utils, Trimming) {
    QString chars;
    EXPECT_EQ(Trim_Chars(QStringLiteral("\r\n\u00A0 text \u00A0\n"), chars), QStringLiteral("text"));
    EXPECT_EQ(chars, QStringLiteral(" \u00A0\r\n"));
    EXPECT_EQ(Trim_Chars(QStringLiteral("   ")), QString());
    QString mine = QStringLiteral("x");
    EXPECT_EQ(Trim_Chars(QStringLiteral("xxaxbxx"), mine), QStringLiteral("axb"));
}

TEST(Utils, Range_Lists) {
    struct Case {
        const char* text;
        QStringList expected;
    };
    const Case cases[] = {
        {"1-4,8", {"1", "2", "3", "4", "8"}},
        {" 10 - 12 , 007 ", {"10", "11", "12", "7"}},
        {"5-3", {""}},
        {"1-x,2", {"2"}},
        {"1-10001", {""}},
        {"Year, 3,,", {"Year", "3"}},
        {"", {""}},
        {"2,2", {"2", "2"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Expand_Range_List(QString::fromUtf8(c.text)), c.expected) << c.text;
    EXPECT_EQ(Expand_Range_List(QStringLiteral("1-10000")).size(), 10000);
}

TEST(Utils, Filters_And_Paths) {
    EXPECT_EQ(Join_Filter({QStringLiteral("CSV Files"), QStringLiteral("*.csv"), QStringLiteral("All files"),
                           QStringLiteral("*.*")},
                          QStringLiteral("|")),
              QStringLiteral("CSV Files|*.csv|All files|*.*||"));
    EXPECT_EQ(Join_Filter({QStringLiteral("Text")}, QStringLiteral("|")), QStringLiteral("Text|*.*||"));
    EXPECT_EQ(Join_Filter({}, QStringLiteral("|")), QString());

    struct Case {
        const char* path;
        const char* dir;
        const char* file;
        const char* ext;
    };
    const Case cases[] = {
        {"C:\\data\\Sifa_table.xls", "C:\\data", "Sifa_table", "xls"},
        {"/home/me/list.v2.csv", "/home/me", "list.v2", "csv"},
        {"Refs.dat", "", "Refs", "dat"},
        {"folder\\noext", "folder", "noext", ""},
    };
    for (const Case& c : cases) {
        QString d, f, e;
        Split_Path(QString::fromUtf8(c.path), d, f, e);
        EXPECT_EQ(d, QString::fromUtf8(c.dir)) << c.path;
        EXPECT_EQ(f, QString::fromUtf8(c.file)) << c.path;
        EXPECT_EQ(e, QString::fromUtf8(c.ext)) << c.path;
    }
    QString d, f;
    Split_Path(QStringLiteral("a\\b.txt"), d, f);
    EXPECT_EQ(f, QStringLiteral("b.txt"));
    QString l, r;
    Split_At(1, QStringLiteral(","), QStringLiteral("a,b,c"), l, r);
    EXPECT_EQ(l + QLatin1Char('|') + r, QStringLiteral("a|b,c"));
    Split_At(0, QStringLiteral(","), QStringLiteral("a,b,c"), l, r);
    EXPECT_EQ(l + QLatin1Char('|') + r, QStringLiteral("a,b|c"));
    Split_At(0, QString(), QStringLiteral("a,b"), l, r);
    EXPECT_TRUE(l.isEmpty() && r.isEmpty());
}
