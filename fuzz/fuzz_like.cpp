// The wildcard matcher: never a crash or a blow-up, and the same verdict as a plain
// dynamic-programming matcher written from the documented rules.
// Input: the pattern, a NUL byte, the text (both UTF-8).
#include "Fuzz_Support.h"
#include "model/Like.h"

#include <cstring>
#include <optional>
#include <vector>

namespace {

struct Token {
    enum Kind { Char, Any, Digit, Star, Set } kind = Char;
    char16_t ch = 0;
    bool negated = false;
    std::vector<std::pair<char16_t, char16_t>> ranges;
    bool accepts(char16_t c) const {
        switch (kind) {
        case Char: return c == ch;
        case Any: return true;
        case Digit: return c >= u'0' && c <= u'9';
        case Set: {
            bool in = false;
            for (const auto& r : ranges) in = in || (c >= r.first && c <= r.second);
            return in != negated;
        }
        case Star: return false;
        }
        return false;
    }
};

// nullopt for a malformed pattern (an unclosed "[" or a descending range).
std::optional<std::vector<Token>> Tokens(const std::u16string& p) {
    std::vector<Token> out;
    for (size_t i = 0; i < p.size(); ++i) {
        Token t;
        t.kind = Token::Char;
        if (p[i] == u'?')
            t.kind = Token::Any;
        else if (p[i] == u'#')
            t.kind = Token::Digit;
        else if (p[i] == u'*')
            t.kind = Token::Star;
        else if (p[i] == u'[') {
            t.kind = Token::Set;
            size_t j = i + 1;
            if (j < p.size() && p[j] == u'!') {
                t.negated = true;
                ++j;
            }
            const size_t close = p.find(u']', j);
            if (close == std::u16string::npos) return std::nullopt;
            // Between the brackets: single characters and lo-hi ranges.
            for (size_t k = j; k < close;) {
                if (k + 2 < close && p[k + 1] == u'-') {
                    if (p[k + 2] < p[k]) return std::nullopt;
                    t.ranges.push_back({p[k], p[k + 2]});
                    k += 3;
                } else {
                    t.ranges.push_back({p[k], p[k]});
                    ++k;
                }
            }
            i = close;
        } else
            t.ch = p[i];
        out.push_back(std::move(t));
    }
    return out;
}

bool Reference_Like(const std::u16string& text, const std::u16string& pattern) {
    const auto tokens = Tokens(pattern);
    if (!tokens) return false;
    const size_t m = tokens->size(), n = text.size();
    // row[j]: tokens i.. match text j..
    std::vector<char> next(n + 1, 0), row(n + 1, 0);
    next[n] = 1;
    for (size_t i = m; i-- > 0;) {
        const Token& t = (*tokens)[i];
        row[n] = t.kind == Token::Star ? next[n] : 0;
        for (size_t j = n; j-- > 0;)
            row[j] = t.kind == Token::Star ? (next[j] || row[j + 1]) : (t.accepts(text[j]) && next[j + 1]);
        std::swap(row, next);
    }
    return next[0];
}

std::u16string U16(const QString& s) { return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), s.size()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(bytes, 0, size);
    const size_t split = nul ? static_cast<const char*>(nul) - bytes : size;
    const QString pattern = QString::fromUtf8(bytes, static_cast<qsizetype>(split));
    const QString text =
        nul ? QString::fromUtf8(bytes + split + 1, static_cast<qsizetype>(size - split - 1)) : QString();

    const bool verdict = Like(text, pattern);
    const Like_Pattern compiled(pattern);
    FUZZ_CHECK(compiled.matches(text) == verdict);
    FUZZ_CHECK(!verdict || compiled.valid());
    // The reference is quadratic; keep it to inputs where that is cheap.
    if (static_cast<size_t>(pattern.size() + 1) * static_cast<size_t>(text.size() + 1) <= 200000) {
        const bool expected = Reference_Like(U16(text), U16(pattern));
        if (expected != verdict) {
            std::fprintf(stderr, "pattern \"%s\" text \"%s\": Like %d, reference %d\n", qPrintable(pattern),
                         qPrintable(text), verdict, expected);
            std::abort();
        }
    }
    (void)Like(pattern, text);  // the other way round, any pattern the text makes
    return 0;
}
