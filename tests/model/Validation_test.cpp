#include "model/Validation.h"
#include "model/Record_Description.h"

#include <gtest/gtest.h>

namespace {

Field_Def Coded(bool withTable) {
    Field_Def c;
    c.Data_Type = QStringLiteral("1");
    if (withTable) {
        c.Codes = std::make_shared<Code_Table>();
        c.Codes->add(QStringLiteral("DE"), QStringLiteral("Germany"));
        c.Codes->add(QStringLiteral("EL"), QStringLiteral("Greece"));
    }
    return c;
}

Field_Def Typed(const char* t) {
    Field_Def c;
    c.Data_Type = QString::fromLatin1(t);
    return c;
}

struct Case {
    const char* name;
    Field_Def field;
    Value value;
    bool ok;
    const char* message;
    const char* transcoded;
};

}  // namespace

TEST(Validate_Value, By_Data_Type) {
    const Value blank;
    const Case cases[] = {
        {"code as spelled", Coded(true), Value::String("DE"), true, "", "DE"},
        {"code in other case", Coded(true), Value::String("el"), true, "", "EL"},
        {"blank code", Coded(true), blank, true, "", ""},
        {"unknown code", Coded(true), Value::String("ZZ"), false, "Unknown code", ""},
        {"code given as a number", Coded(true), Value::Double(7), false, "Unknown code", ""},
        {"no table, blank", Coded(false), blank, false, "Unknown code", ""},
        {"no table, code", Coded(false), Value::String("DE"), false, "Unknown code", ""},
        {"date value", Typed("2"), Value::Date(45000.5), true, "", ""},
        {"date text", Typed("2"), Value::String("2024-02-29"), true, "", ""},
        {"blank date", Typed("2"), blank, false, "Not a date", ""},
        {"number is no date", Typed("2"), Value::Double(45000), false, "Not a date", ""},
        {"hour 23", Typed("3"), Value::Double(23), true, "", ""},
        {"hour 23.5 rounds to 24", Typed("3"), Value::Double(23.5), false, "Not a hour", ""},
        {"blank hour is 0", Typed("3"), blank, true, "", ""},
        {"number", Typed("4"), Value::Double(2024), true, "", ""},
        {"numeric text", Typed("4"), Value::String(" 12,5 "), true, "", ""},
        {"-0.5 rounds to 0", Typed("4"), Value::Double(-0.5), true, "", ""},
        {"-1", Typed("4"), Value::Double(-1), false, "Below Zero", ""},
        {"19x8", Typed("4"), Value::String("19x8"), false, "Not numeric", ""},
        {"blank number is 0", Typed("4"), blank, true, "", ""},
        {"date is not numeric", Typed("4"), Value::Date(3), false, "Not numeric", ""},
        {"free text", Typed("5"), Value::String("anything"), true, "", ""},
        {"unknown type", Typed("9"), Value::Error(7), true, "", ""},
    };
    for (const Case& c : cases) {
        QString message = QStringLiteral("stale");
        QString transcoded;
        EXPECT_EQ(Validate_Value(c.value, c.field, message, &transcoded), c.ok) << c.name;
        EXPECT_EQ(message, QString::fromLatin1(c.message)) << c.name;
        EXPECT_EQ(transcoded, QString::fromLatin1(c.transcoded)) << c.name;
    }
}
