#include "views/Cell_Fit.h"

#include <algorithm>
#include <climits>

namespace {
// Alphabets and punctuation that the common fonts hold themselves, without shaping:
// Latin, Greek, Cyrillic, general punctuation, currency signs.
constexpr bool Estimable(char16_t u) {
    return u < 0x0530 || (u >= 0x1E00 && u < 0x2070) || (u >= 0x20A0 && u < 0x20D0) || (u >= 0x2100 && u < 0x2150);
}
constexpr char16_t kTable_Size = 0x2150;
}  // namespace

Cell_Fit::Cell_Fit(const QFont& font)
    : fm_(font), average_(std::max(fm_.averageCharWidth(), 1)), advance_(kTable_Size, -1) {}

int Cell_Fit::Lines_Height(int lines) {
    if (lines < 1) lines = 1;
    if (static_cast<size_t>(lines) >= lines_height_.size()) lines_height_.resize(static_cast<size_t>(lines) + 1, -1);
    int& h = lines_height_[static_cast<size_t>(lines)];
    if (h < 0) {
        QString sample = QStringLiteral("x");
        for (int i = 1; i < lines; ++i) sample += QStringLiteral("\nx");
        h = fm_.boundingRect(QRect(0, 0, INT_MAX / 4, INT_MAX / 4), Qt::TextExpandTabs, sample).height();
    }
    return h;
}

int Cell_Fit::Estimate(QStringView text, int& lines) {
    // Every character of the table passes here: a plain loop over the code units.
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    qint16* const advance = advance_.data();
    int widest = 0, line = 0;
    lines = 1;
    for (; p != end; ++p) {
        const char16_t u = *p;
        if (!Estimable(u)) return -1;
        if (u < 0x20) {
            if (u != u'\n') return -1;
            ++lines;
            widest = std::max(widest, line);
            line = 0;
            continue;
        }
        int a = advance[u];
        if (a < 0) a = advance[u] = static_cast<qint16>(fm_.horizontalAdvance(QChar(u)));
        line += a;
    }
    return std::max(widest, line);
}

int Cell_Fit::Advance(char16_t u) {
    qint16& a = advance_[u];
    if (a < 0) a = static_cast<qint16>(fm_.horizontalAdvance(QChar(u)));
    return a;
}

int Cell_Fit::Estimated_Lines(QStringView text, int width) {
    // Narrower than the line by more than shaping and kerning add, so that each line
    // made here fits there; the layout breaks at least where this does, so it never
    // needs more lines.
    const int usable = width - width / 50 - 2;
    if (usable <= 0) return -1;
    // A line never begins with closing punctuation nor ends with an opening one.
    const auto ends_glued = [](char16_t u) { return u == u'«' || u == u'(' || u == u'[' || u == u'{'; };
    const auto starts_glued = [](char16_t u) { return QStringView(u"!?;:»)]},.%…").contains(QChar(u)); };
    int lines = 1, line = -1, word = 0, spaces = 0;
    char16_t first = 0, last = 0, previous_last = 0;
    bool refused = false;
    const auto place_word = [&] {
        if (word == 0) return;
        if (word > usable) {
            refused = true;
        } else if (line < 0) {
            line = spaces + word;
        } else if (line + spaces + word <= usable) {
            line += spaces + word;
        } else if (starts_glued(first) || ends_glued(previous_last)) {
            refused = true;
        } else {
            ++lines;
            line = word;
        }
        previous_last = last;
        word = spaces = 0;
    };
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!Estimable(u) || (u < 0x20 && u != u'\n')) return -1;
        if (u == u' ' || u == u'\n') {
            place_word();
            if (u == u'\n') {
                ++lines;
                line = -1;
                spaces = 0;
            } else {
                spaces += Advance(u);
            }
        } else {
            if (word == 0) first = u;
            last = u;
            word += Advance(u);
        }
        if (refused) return -1;
    }
    place_word();
    return refused ? -1 : lines;
}

QSize Cell_Fit::Exact(const QString& text) {
    auto it = exact_.constFind(text);
    if (it == exact_.cend())
        it = exact_.insert(text,
                           fm_.boundingRect(QRect(0, 0, INT_MAX / 4, INT_MAX / 4), Qt::TextExpandTabs, text).size());
    return *it;
}

int Cell_Fit::Widest(const std::function<QString(int)>& text_of, std::vector<int>& heights) {
    struct Candidate {
        int estimate;
        int row;
    };
    std::vector<Candidate> estimated;
    const int rows = static_cast<int>(heights.size());
    estimated.reserve(static_cast<size_t>(rows));
    int widest = 0;
    for (int r = 0; r < rows; ++r) {
        const QString text = text_of(r);
        int& h = heights[static_cast<size_t>(r)];
        int lines = 1;
        const int e = text.isEmpty() ? 0 : Estimate(text, lines);
        if (e < 0) {
            // Measured for real, and never a candidate again.
            const QSize s = Exact(text);
            widest = std::max(widest, s.width());
            h = std::max(h, s.height());
            continue;
        }
        h = std::max(h, Lines_Height(lines));
        if (e > 0) estimated.push_back({e, r});
    }
    if (estimated.empty()) return widest;
    // The text estimated widest is measured first; what cannot reach it is left out.
    const auto top = std::max_element(estimated.begin(), estimated.end(),
                                      [](const Candidate& a, const Candidate& b) { return a.estimate < b.estimate; });
    widest = std::max(widest, Exact(text_of(top->row)).width());
    std::erase_if(estimated, [&](const Candidate& c) { return c.estimate + Slack(c.estimate) < widest; });
    std::sort(estimated.begin(), estimated.end(),
              [](const Candidate& a, const Candidate& b) { return a.estimate > b.estimate; });
    for (const Candidate& c : estimated) {
        if (c.estimate + Slack(c.estimate) < widest) break;
        widest = std::max(widest, Exact(text_of(c.row)).width());
    }
    return widest;
}

int Cell_Fit::Wrapped_Height(const QString& text, int width) {
    if (text.isEmpty()) return Lines_Height(1);
    // Lines that fit are not broken: their count is the answer.
    int lines = 1;
    const int e = Estimate(text, lines);
    if (e >= 0 && e + Slack(e) <= width) return Lines_Height(lines);
    if (const int wrapped = Estimated_Lines(text, width); wrapped > 0) return Lines_Height(wrapped);
    if (width != wrapped_width_) {
        wrapped_.clear();
        wrapped_width_ = width;
    }
    auto it = wrapped_.constFind(text);
    if (it == wrapped_.cend())
        it = wrapped_.insert(
            text,
            fm_.boundingRect(QRect(0, 0, width, INT_MAX / 4), Qt::TextWordWrap | Qt::TextExpandTabs, text).height());
    return *it;
}

bool Hand_Widths::Keep_For(const std::vector<qint32>& fields) {
    if (fields == fields_) return false;
    fields_ = fields;
    widths_.clear();
    return true;
}

void Hand_Widths::Set(qint32 field, int pixels, const std::vector<qint32>& fields) {
    Keep_For(fields);
    if (field > 0) widths_.insert(field, pixels);
}

std::optional<int> Hand_Widths::Of(qint32 field) const {
    const auto it = widths_.constFind(field);
    if (it == widths_.cend()) return std::nullopt;
    return *it;
}

namespace {
// Adds amount to widths in proportion to weights, whole pixels that add up exactly.
void Spread(std::vector<int>& widths, const std::vector<qint64>& weights, qint64 amount) {
    qint64 total = 0;
    for (qint64 w : weights) total += w;
    if (total <= 0 || amount <= 0) return;
    qint64 weight_so_far = 0, given = 0;
    for (size_t i = 0; i < widths.size(); ++i) {
        weight_so_far += weights[i];
        const qint64 due = amount * weight_so_far / total;
        widths[i] += static_cast<int>(due - given);
        given = due;
    }
}
}  // namespace

std::vector<int> Share_Width(const std::vector<int>& wanted, int base, int room) {
    std::vector<int> widths(wanted.size(), base);
    const qint64 free = static_cast<qint64>(room) - static_cast<qint64>(base) * static_cast<qint64>(wanted.size());
    if (wanted.empty() || free <= 0) return widths;
    std::vector<qint64> beyond(wanted.size());
    qint64 asked = 0;
    for (size_t i = 0; i < wanted.size(); ++i) asked += beyond[i] = std::max(wanted[i] - base, 0);
    if (asked >= free) {
        Spread(widths, beyond, free);
        return widths;
    }
    std::vector<qint64> weights(wanted.size());
    for (size_t i = 0; i < wanted.size(); ++i) {
        widths[i] += static_cast<int>(beyond[i]);
        weights[i] = widths[i];
    }
    Spread(widths, weights, free - asked);
    return widths;
}
