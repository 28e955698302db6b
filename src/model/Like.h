#pragma once
// The wildcard match, letter case significant: "?" one character, "*" any run,
// "#" one digit, "[list]" one character of the list (ranges a-z allowed), "[!list]" one
// character not in it; "[*]", "[?]", "[#]", "[[]" stand for the character itself.
// A malformed pattern (an unclosed "[", a descending range) matches nothing.
// Every element but "*" takes exactly one character, so the last-star greedy scan is
// exact and runs in time proportional to text x pattern at worst, never exponential.
#include <QString>
#include <QStringView>
#include <vector>

class Like_Pattern {
public:
    Like_Pattern() = default;
    explicit Like_Pattern(QStringView pattern);
    bool valid() const { return valid_; }
    bool matches(QStringView text) const;

private:
    enum class Kind : unsigned char { Char, Any, Digit, Star, Set };
    struct Element {
        Kind kind;
        bool negated = false;
        char16_t ch = 0;
        int setIndex = -1;
    };
    struct Range {
        char16_t lo, hi;
    };
    bool element_matches(const Element& e, char16_t c) const;

    std::vector<Element> elements_;
    std::vector<std::vector<Range>> sets_;
    bool valid_ = true;
};

bool Like(QStringView text, QStringView pattern);
