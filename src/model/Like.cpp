#include "model/Like.h"

Like_Pattern::Like_Pattern(QStringView p) {
    const qsizetype n = p.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        switch (c) {
        case u'?': elements_.push_back({Kind::Any}); break;
        case u'#': elements_.push_back({Kind::Digit}); break;
        case u'*':
            if (elements_.empty() || elements_.back().kind != Kind::Star) elements_.push_back({Kind::Star});
            break;
        case u'[': {
            qsizetype j = i + 1;
            Element e{Kind::Set};
            if (j < n && p[j] == QLatin1Char('!')) {
                e.negated = true;
                ++j;
            }
            std::vector<Range> ranges;
            bool closed = false;
            while (j < n) {
                const char16_t a = p[j].unicode();
                if (a == u']') {
                    closed = true;
                    break;
                }
                if (j + 2 < n && p[j + 1] == QLatin1Char('-') && p[j + 2] != QLatin1Char(']')) {
                    const char16_t b = p[j + 2].unicode();
                    if (b < a) {
                        valid_ = false;
                        return;
                    }
                    ranges.push_back({a, b});
                    j += 3;
                } else {
                    ranges.push_back({a, a});
                    ++j;
                }
            }
            if (!closed) {
                valid_ = false;
                return;
            }
            e.setIndex = static_cast<int>(sets_.size());
            sets_.push_back(std::move(ranges));
            elements_.push_back(e);
            i = j;
            break;
        }
        default: {
            Element e{Kind::Char};
            e.ch = c;
            elements_.push_back(e);
        }
        }
    }
}

bool Like_Pattern::element_matches(const Element& e, char16_t c) const {
    switch (e.kind) {
    case Kind::Char: return c == e.ch;
    case Kind::Any: return true;
    case Kind::Digit: return c >= u'0' && c <= u'9';
    case Kind::Set: {
        bool in = false;
        for (const Range& r : sets_[e.setIndex])
            if (c >= r.lo && c <= r.hi) {
                in = true;
                break;
            }
        return in != e.negated;
    }
    case Kind::Star: break;
    }
    return false;
}

bool Like_Pattern::matches(QStringView text) const {
    if (!valid_) return false;
    const size_t m = elements_.size();
    const qsizetype n = text.size();
    size_t pi = 0;
    qsizetype ti = 0;
    size_t starP = SIZE_MAX;
    qsizetype starT = 0;
    while (ti < n) {
        if (pi < m && elements_[pi].kind == Kind::Star) {
            starP = pi++;
            starT = ti;
        } else if (pi < m && element_matches(elements_[pi], text[ti].unicode())) {
            ++pi;
            ++ti;
        } else if (starP != SIZE_MAX) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < m && elements_[pi].kind == Kind::Star) ++pi;
    return pi == m;
}

bool Like(QStringView text, QStringView pattern) { return Like_Pattern(pattern).matches(text); }
