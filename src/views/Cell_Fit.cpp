#include "views/Cell_Fit.h"

#include "search/Text_Grid.h"

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

QSize Cell_Fit::Exact(const QString& text) {
    auto it = exact_.constFind(text);
    if (it == exact_.cend())
        it = exact_.insert(text,
                           fm_.boundingRect(QRect(0, 0, INT_MAX / 4, INT_MAX / 4), Qt::TextExpandTabs, text).size());
    return *it;
}

int Cell_Fit::Widest(const Text_Grid& g, int col, std::vector<int>& heights) {
    struct Candidate {
        int estimate;
        int row;
    };
    std::vector<Candidate> estimated;
    estimated.reserve(static_cast<size_t>(g.Rows()));
    int widest = 0;
    for (int r = 0; r < g.Rows(); ++r) {
        const QString& text = g.Text_Matrix(r, col);
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
    widest = std::max(widest, Exact(g.Text_Matrix(top->row, col)).width());
    std::erase_if(estimated, [&](const Candidate& c) { return c.estimate + Slack(c.estimate) < widest; });
    std::sort(estimated.begin(), estimated.end(),
              [](const Candidate& a, const Candidate& b) { return a.estimate > b.estimate; });
    for (const Candidate& c : estimated) {
        if (c.estimate + Slack(c.estimate) < widest) break;
        widest = std::max(widest, Exact(g.Text_Matrix(c.row, col)).width());
    }
    return widest;
}

int Cell_Fit::Wrapped_Height(const QString& text, int width) {
    if (text.isEmpty()) return Lines_Height(1);
    // Lines that fit are not broken: their count is the answer.
    int lines = 1;
    const int e = Estimate(text, lines);
    if (e >= 0 && e + Slack(e) <= width) return Lines_Height(lines);
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
