// The six sorts of the grid's rows by the current column, and the row order they leave.
#include "search/Text_Grid.h"

#include "model/Value.h"
#include "search/Text_Order.h"

#include <algorithm>
#include <numeric>

namespace {

// First character after blanks, as Parse_Number trims them; QChar() when none.
QChar First_Significant(const QString& s) {
    for (const QChar c : s)
        if (!c.isSpace()) return c;
    return QChar();
}

// Parse_Number with a quick refusal of the texts that cannot be numbers, which are
// most of the cells of a text column.
std::optional<double> Cell_Number(const QString& s) {
    // Plain digits, the commonest number cell, need no parsing; up to 15 digits the
    // value is exact, as Parse_Number's.
    if (!s.isEmpty() && s.size() <= 15) {
        double v = 0;
        bool plain = true;
        for (const QChar ch : s) {
            const char16_t u = ch.unicode();
            if (u < u'0' || u > u'9') {
                plain = false;
                break;
            }
            v = v * 10 + (u - u'0');
        }
        if (plain) return v;
    }
    const QChar c = First_Significant(s);
    if (c.isNull()) return std::nullopt;
    const char16_t u = c.unicode();
    if (!((u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || u == u'.' || u == u',')) return std::nullopt;
    return Parse_Number(s);
}

std::optional<double> Cell_Number_Or_Date(const QString& s) {
    if (auto n = Cell_Number(s)) return n;
    const QChar c = First_Significant(s);
    if (c.isNull() || c.unicode() < u'0' || c.unicode() > u'9') return std::nullopt;
    return Parse_Date_Text(s);
}

struct Sort_Item {
    Text_Order_Key key;
    double number;
    // The cell's text, so that comparing texts does not go through the row order.
    const QChar* data;
    qsizetype size;
    int row;
    quint8 kind;

    QStringView text() const { return QStringView(data, size); }
};

constexpr quint8 Number_Kind = 1;

// Everything but the texts themselves: most comparisons end here, without reaching
// into the cells' memory. -1, 0 or 1.
inline int Coarse_Compare(const Sort_Item& a, const Sort_Item& b) {
    if (a.kind != b.kind) return a.kind < b.kind ? -1 : 1;
    if (a.kind == Number_Kind && a.number != b.number) return a.number < b.number ? -1 : 1;
    for (size_t i = 0; i < a.key.Prefix.size(); ++i)
        if (a.key.Prefix[i] != b.key.Prefix[i]) return a.key.Prefix[i] < b.key.Prefix[i] ? -1 : 1;
    return 0;
}

// Rows whose keys tie keep their previous order, whichever the direction: users expect the
// earlier order to stay (and a sort on several keys relies on it).
template <bool Ascending> struct Coarse_Less {
    bool operator()(const Sort_Item& a, const Sort_Item& b) const {
        const int c = Ascending ? Coarse_Compare(a, b) : Coarse_Compare(b, a);
        return c != 0 ? c < 0 : a.row < b.row;
    }
};

template <bool Ascending> struct Fine_Less {
    bool operator()(const Sort_Item& a, const Sort_Item& b) const {
        const int c = Ascending ? Text_Order_Compare(a.text(), b.text()) : Text_Order_Compare(b.text(), a.text());
        return c != 0 ? c < 0 : a.row < b.row;
    }
};

// Shared texts (labels of a code table) are told equal without reading them.
bool Same_Text(const Sort_Item& a, const Sort_Item& b) {
    return a.size == b.size && (a.data == b.data || a.text() == b.text());
}

template <bool Ascending> void Sort_Items(std::vector<Sort_Item>& items) {
    std::sort(items.begin(), items.end(), Coarse_Less<Ascending>());
    // Runs whose keys tie are ordered by their full texts, unless they hold one text
    // only (repeated labels, the usual case): those are in their previous order already.
    const auto n = items.size();
    for (size_t i = 0; i < n;) {
        size_t j = i + 1;
        while (j < n && Coarse_Compare(items[i], items[j]) == 0) ++j;
        bool one_text = true;
        for (size_t k = i + 1; k < j && one_text; ++k) one_text = Same_Text(items[k], items[i]);
        if (!one_text)
            std::sort(items.begin() + static_cast<std::ptrdiff_t>(i), items.begin() + static_cast<std::ptrdiff_t>(j),
                      Fine_Less<Ascending>());
        i = j;
    }
}

}  // namespace

bool Text_Grid::Sort(int code) {
    if (code < 1 || code > 6 || !Valid_Col(d_.col)) return false;
    const int first = d_.fixed_rows;
    const int n = d_.rows - first;
    if (n < 2) return true;
    const int col = d_.col;
    const bool generic = code <= 2, numeric = code == 3 || code == 4;

    // Keys once per cell, so that comparing allocates nothing.
    // Cells are read in the order they are stored, which earlier sorts have made
    // unrelated to the row order: far fewer cache misses.
    std::vector<int> row_of_slot(d_.rows);
    for (int r = 0; r < d_.rows; ++r) row_of_slot[d_.order[r]] = r;
    const std::vector<QString>& stored = d_.columns[col];
    std::vector<Sort_Item> items(n);
    for (int slot = 0, i = 0; slot < d_.rows; ++slot) {
        const int r = row_of_slot[slot];
        if (r < first) continue;
        const QString& s = stored[slot];
        Sort_Item& it = items[i++];
        it.row = r;
        it.data = s.constData();
        it.size = s.size();
        it.key = Text_Order_Key_Of(s);
        it.number = 0;
        it.kind = 0;
        if (generic) {
            if (const auto v = Cell_Number(s)) {
                it.number = *v;
                it.kind = Number_Kind;
            } else {
                it.kind = Text_Order_Leads_Before_Digits(it.key) ? 0 : 2;
            }
        } else if (numeric) {
            if (const auto v = Cell_Number_Or_Date(s)) {
                it.number = *v;
                it.kind = Number_Kind;
            }
        }
    }
    // First by the keys, then by the texts where the keys tie.
    if (code % 2)
        Sort_Items<true>(items);
    else
        Sort_Items<false>(items);

    std::vector<int> from(n);
    bool moved = false;
    for (int i = 0; i < n; ++i) {
        from[i] = items[i].row;
        moved = moved || from[i] != first + i;
    }
    if (moved) {
        Apply_Row_Order(from);
        Changed_Reset();
    }
    return true;
}

void Text_Grid::Apply_Row_Order(const std::vector<int>& from) {
    const int first = d_.fixed_rows;
    const int n = static_cast<int>(from.size());
    const std::vector<int> order(d_.order);
    const std::vector<int> heights(d_.row_height);
    for (int i = 0; i < n; ++i) {
        d_.order[first + i] = order[from[i]];
        d_.row_height[first + i] = heights[from[i]];
    }

    bool data_pictures = false;
    for (auto it = d_.pictures.cbegin(); it != d_.pictures.cend() && !data_pictures; ++it)
        data_pictures = static_cast<int>(it.key() >> 32) >= first;
    if (data_pictures) {
        std::vector<int> to(d_.rows);
        std::iota(to.begin(), to.end(), 0);
        for (int i = 0; i < n; ++i) to[from[i]] = first + i;
        QHash<quint64, Cell_Pic> moved;
        for (auto it = d_.pictures.cbegin(); it != d_.pictures.cend(); ++it) {
            const int r = static_cast<int>(it.key() >> 32);
            const int c = static_cast<int>(it.key() & 0xFFFFFFFFu);
            moved.insert(Pic_Key(to[r], c), it.value());
        }
        d_.pictures.swap(moved);
    }
}

void Text_Grid::Compact_Rows() {
    for (auto& column : d_.columns) {
        std::vector<QString> in_order(column.size());
        for (int r = 0; r < d_.rows; ++r) in_order[r] = std::move(column[d_.order[r]]);
        column.swap(in_order);
    }
    std::iota(d_.order.begin(), d_.order.end(), 0);
}
