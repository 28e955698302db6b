#include "model/Like.h"

#include <gtest/gtest.h>
#include <random>

namespace {
// Plain recursive reference: obviously right, exponential at worst, fine for short inputs.
bool Reference(QStringView t, QStringView p) {
    if (p.isEmpty()) return t.isEmpty();
    const QChar c = p[0];
    if (c == QLatin1Char('*')) return Reference(t, p.mid(1)) || (!t.isEmpty() && Reference(t.mid(1), p));
    if (t.isEmpty()) return false;
    if (c == QLatin1Char('?')) return Reference(t.mid(1), p.mid(1));
    if (c == QLatin1Char('#')) return t[0].isDigit() && Reference(t.mid(1), p.mid(1));
    if (c == QLatin1Char('[')) {
        const qsizetype close = p.indexOf(QLatin1Char(']'), 1);
        if (close < 0) return false;
        QStringView list = p.mid(1, close - 1);
        bool neg = list.startsWith(QLatin1Char('!'));
        if (neg) list = list.mid(1);
        bool in = false;
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (i + 2 < list.size() && list[i + 1] == QLatin1Char('-')) {
                in = in || (t[0] >= list[i] && t[0] <= list[i + 2]);
                i += 2;
            } else {
                in = in || t[0] == list[i];
            }
        }
        return in != neg && Reference(t.mid(1), p.mid(close + 1));
    }
    return t[0] == c && Reference(t.mid(1), p.mid(1));
}
}  // namespace

TEST(Like, Wildcards) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"France", "France", true}, {"France", "france", false}, {"France", "F*", true}, {"France", "*ce", true},
        {"France", "*an*", true},   {"France", "F?ance", true},  {"F9", "F#", true},     {"FX", "F#", false},
        {"b", "[a-c]", true},       {"d", "[a-c]", false},       {"d", "[!a-c]", true},  {"a*b", "a[*]b", true},
        {"axb", "a[*]b", false},    {"-", "[a-]", true},         {"", "*", true},        {"", "", true},
        {"x", "", false},           {"abc", "a**c", true},       {"abc", "[a", false},   {"abc", "[c-a]bc", false},
        {"été", "?t?", true},
    };
    for (const auto& [text, pattern, expected] : cases)
        EXPECT_EQ(Like(QString::fromUtf8(text), QString::fromUtf8(pattern)), expected) << text << " / " << pattern;
}

TEST(Like, Agrees_With_A_Reference_Matcher_On_Random_Patterns) {
    std::mt19937 rng(20261206);
    const char alphabet[] = "ab1";
    const char* pieces[] = {"a", "b", "1", "?", "*", "#", "[ab]", "[!a]", "[0-9]"};
    for (int round = 0; round < 5000; ++round) {
        QString text, pattern;
        for (int i = rng() % 8; i > 0; --i) text += QLatin1Char(alphabet[rng() % 3]);
        for (int i = rng() % 6; i > 0; --i) pattern += QLatin1String(pieces[rng() % 9]);
        ASSERT_EQ(Like(text, pattern), Reference(text, pattern))
            << text.toStdString() << " / " << pattern.toStdString();
    }
}

// A backtracking matcher would take hours here; the test's time-out catches that.
TEST(Like, Many_Stars_Against_A_Long_Text) {
    const QString text(10000, QLatin1Char('a'));
    EXPECT_FALSE(Like_Pattern(QStringLiteral("*a*a*a*a*a*a*a*a*b")).matches(text));
    EXPECT_TRUE(Like_Pattern(QStringLiteral("*a*a*a*a*a*a*a*a*")).matches(text));
}
