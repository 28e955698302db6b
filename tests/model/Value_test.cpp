#include "model/Value.h"

#include <gtest/gtest.h>

TEST(Value, Text_Form_Of_Numbers_Dates_And_Booleans) {
    const std::pair<Value, const char*> cases[] = {
        {Value(), ""},
        {Value::Null(), ""},
        {Value::Double(1995), "1995"},
        {Value::Double(2.5), "2.5"},
        {Value::Double(0.1 + 0.2), "0.3"},  // 15 significant digits hide the binary noise
        {Value::Double(123456789012345.0), "123456789012345"},
        {Value::Double(1e15), "1E+15"},
        {Value::Double(0.0001), "0.0001"},
        {Value::Double(0.00001), "1E-05"},
        {Value::Single(0.1f), "0.1"},
        {Value::Single(-16777216.0f), "-1.677722E+07"},
        {Value::Integer(-12), "-12"},
        {Value::Long(70000), "70000"},
        {Value::Currency_Raw(12345), "1.2345"},
        {Value::Boolean(true), "True"},
        {Value::Date(Date_Serial(2004, 5, 17)), "2004-05-17"},
        {Value::Date(Date_Serial(2004, 5, 17, 8, 30, 5)), "2004-05-17 08:30:05"},
        {Value::Date(0.75), "18:00:00"},
        {Value::Date(std::nan("")), "NAN"},  // a damaged day number prints as the number it is
        {Value::Date(1e300), "1E+300"},
        {Value::String(QStringLiteral(" été ")), " été "},
    };
    for (const auto& [v, text] : cases) EXPECT_EQ(To_Text(v), QString::fromUtf8(text)) << text;
}

TEST(Value, Numeric_Text) {
    const std::tuple<const char*, bool, double> cases[] = {
        {"12", true, 12},   {" 12 ", true, 12}, {"-4", true, -4},   {"+4", true, 4},     {"2.5", true, 2.5},
        {"2,5", true, 2.5}, {".5", true, 0.5},  {"5.", true, 5},    {"1e3", true, 1000}, {"1E-2", true, 0.01},
        {"", false, 0},     {" ", false, 0},    {"19x8", false, 0}, {"1.2.3", false, 0}, {"1,2.3", false, 0},
        {"e5", false, 0},   {"1e", false, 0},   {"--1", false, 0},  {"1 2", false, 0},   {"abc", false, 0},
    };
    for (const auto& [text, numeric, value] : cases) {
        const auto n = Parse_Number(QString::fromUtf8(text));
        EXPECT_EQ(n.has_value(), numeric) << text;
        EXPECT_DOUBLE_EQ(n.value_or(0), value) << text;
    }
    EXPECT_TRUE(Is_Numeric(Value()));  // an empty value counts as 0
    EXPECT_FALSE(Is_Numeric(Value::Null()));
    EXPECT_FALSE(Is_Numeric(Value::Date(3)));
}

TEST(Value, Whole_Numbers_Round_Halves_To_Even) {
    const std::pair<double, int> cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2},  {-3.5, -4},
                                            {0.5, 0}, {1.5, 2}, {2.4999, 2}, {-0.4, 0}};
    for (auto [in, out] : cases) EXPECT_EQ(To_Whole(Value::Double(in)), out) << in;
    EXPECT_EQ(To_Whole(Value::String(QStringLiteral("12,5"))), 12);
    EXPECT_EQ(To_Whole(Value()), 0);
    EXPECT_FALSE(To_Whole(Value::String(QStringLiteral("x"))).has_value());
    EXPECT_FALSE(To_Whole(Value::Double(1e12)).has_value());
}

TEST(Value, Dates) {
    EXPECT_DOUBLE_EQ(Date_Serial(2000, 1, 1), 36526);
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"2000-01-01", 36526},        {"2000-01-01 12:00", 36526.5}, {"01/01/2000", 36526},  {"12:00", 0.5},
        {"2000-02-30", std::nullopt}, {"25:00", std::nullopt},       {"2000", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        const auto d = Parse_Date_Text(QString::fromUtf8(text));
        ASSERT_EQ(d.has_value(), expected.has_value()) << text;
        EXPECT_NEAR(d.value_or(0), expected.value_or(0), 1e-9) << text;
    }
}
