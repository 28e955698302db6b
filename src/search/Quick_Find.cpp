#include "search/Quick_Find.h"

#include "model/Accent_Fold.h"
#include "model/Cp1252.h"
#include "search/Result_Model.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

// Single characters as the whole-text fold gives them.
std::string Fold_One(char16_t u) {
    const QChar ch(u);
    return Without_Accents(QStringView(&ch, 1)).toLower().toStdString();
}

// Latin-1 characters and Windows-1252 bytes one by one: they hold no combining marks,
// so each folds alone, as in the whole text.
struct Fold_Tables {
    std::array<std::string, 256> Latin1, Cp1252;
    Fold_Tables() {
        for (int b = 0; b < 256; ++b) {
            Latin1[static_cast<size_t>(b)] = Fold_One(static_cast<char16_t>(b));
            Cp1252[static_cast<size_t>(b)] = Fold_One(Cp1252_To_Unicode(static_cast<unsigned char>(b)));
        }
    }
};

const Fold_Tables& Folds() {
    static const Fold_Tables tables;
    return tables;
}

inline char Lower_Ascii(unsigned u) { return static_cast<char>(u >= 'A' && u <= 'Z' ? u + 32 : u); }

void Append_Folded(QStringView text, std::string& out) {
    bool latin1 = true;
    for (const QChar c : text)
        if (c.unicode() > 0xFF) {
            latin1 = false;
            break;
        }
    if (!latin1) {
        out += Without_Accents(text).toLower().toStdString();
        return;
    }
    const auto& folds = Folds().Latin1;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            out += Lower_Ascii(u);
        else
            out += folds[u];
    }
}

void Append_Folded(const Text_View& text, std::string& out) {
    if (!text.Narrow()) return Append_Folded(QStringView(text.Units(), text.size()), out);
    const auto& folds = Folds().Cp1252;
    const auto* b = reinterpret_cast<const unsigned char*>(text.Bytes());
    const auto* e = b + text.size();
    // Written in place: most bytes are ASCII, one byte each.
    size_t at = out.size();
    out.resize(at + static_cast<size_t>(text.size()));
    for (; b < e; ++b) {
        if (*b < 0x80) {
            out[at++] = Lower_Ascii(*b);
            continue;
        }
        const std::string& f = folds[*b];
        if (at + f.size() > out.size()) out.resize(at + f.size() + static_cast<size_t>(e - b));
        std::memcpy(out.data() + at, f.data(), f.size());
        at += f.size();
    }
    out.resize(at);
}

}  // namespace

std::string Folded_For_Find(QStringView text) {
    std::string s;
    Append_Folded(text, s);
    return s;
}

namespace {

// The folded texts of the whole result's rows, each row's start in `starts`.
void Fold_Rows(const Result_Model& model, std::string& out, std::vector<size_t>& starts) {
    const int cols = model.Columns();
    // A coded column's labels are folded once each, and so is each text of the store:
    // met again, its folded bytes are copied.
    std::vector<std::vector<std::string>> labels(static_cast<size_t>(cols));
    std::vector<std::vector<char>> label_done(static_cast<size_t>(cols));
    struct Span {
        size_t At = 0, Size = 0;
        bool Done = false;
    };
    std::vector<Span> stored;
    Text_View text;
    std::uint32_t text_id = 0;
    for (int r = 0, rows = model.Result_Records(); r < rows; ++r) {
        starts.push_back(out.size());
        for (int c = 0; c < cols; ++c) {
            const int label = model.Result_Label_Number(r, c);
            if (label >= 0) {
                auto& folded = labels[static_cast<size_t>(c)];
                auto& done = label_done[static_cast<size_t>(c)];
                if (static_cast<size_t>(label) >= folded.size()) {
                    folded.resize(static_cast<size_t>(label) + 1);
                    done.resize(static_cast<size_t>(label) + 1, 0);
                }
                if (!done[static_cast<size_t>(label)]) {
                    folded[static_cast<size_t>(label)] = Folded_For_Find(model.Label(c, label));
                    done[static_cast<size_t>(label)] = 1;
                }
                out += folded[static_cast<size_t>(label)];
            } else if (model.Result_Stored_Text(r, c, text, text_id)) {
                if (text_id >= stored.size()) stored.resize(static_cast<size_t>(text_id) + 1);
                Span& span = stored[text_id];
                if (span.Done) {
                    const size_t at = out.size();
                    out.resize(at + span.Size);
                    std::memcpy(out.data() + at, out.data() + span.At, span.Size);
                } else {
                    span.At = out.size();
                    Append_Folded(text, out);
                    span.Size = out.size() - span.At;
                    span.Done = true;
                }
            } else {
                Append_Folded(model.Result_Text(r, c), out);
            }
            // A NUL ends each cell, so that no match runs from one cell into the next.
            out += '\0';
        }
    }
}

}  // namespace

void Quick_Find::Prepare(const Result_Model& model) {
    if (folded_model_ == &model && folded_load_ == model.Load_Count()) return;
    folded_model_ = &model;
    folded_load_ = model.Load_Count();
    last_needle_.clear();
    last_rows_.clear();
    texts_.clear();
    row_start_.clear();
    records_ = model.Result_Record_Ids();
    Fold_Rows(model, texts_, row_start_);
    row_start_.push_back(texts_.size());
}

bool Quick_Find::Row_Holds(size_t row, const std::string& needle) const {
    const size_t start = row_start_[row], end = row_start_[row + 1];
    return std::string_view(texts_.data() + start, end - start).find(needle) != std::string_view::npos;
}

std::vector<qint32> Quick_Find::Matching(const Result_Model& model, QStringView needle) {
    Prepare(model);
    std::string folded = Folded_For_Find(needle);
    // A NUL parts cells: none can be looked for.
    folded.erase(std::remove(folded.begin(), folded.end(), '\0'), folded.end());
    if (folded.empty()) {
        last_needle_.clear();
        return records_;
    }

    std::vector<size_t> rows;
    const bool extends = !last_needle_.empty() && folded.compare(0, last_needle_.size(), last_needle_) == 0;
    if (extends) {
        for (const size_t r : last_rows_)
            if (Row_Holds(r, folded)) rows.push_back(r);
    } else {
        // One pass over every row's text; a hit goes to its row, and the search goes on
        // at the next row.
        const std::string_view all(texts_);
        size_t at = 0, row = 0;
        while (at < all.size()) {
            const size_t offset = all.find(folded, at);
            if (offset == std::string_view::npos) break;
            row = static_cast<size_t>(std::upper_bound(row_start_.begin() + static_cast<std::ptrdiff_t>(row),
                                                       row_start_.end(), offset) -
                                      row_start_.begin()) -
                  1;
            rows.push_back(row);
            at = row_start_[row + 1];
        }
    }
    last_needle_ = std::move(folded);
    last_rows_ = rows;
    std::vector<qint32> found;
    found.reserve(rows.size());
    for (const size_t r : rows) found.push_back(records_[r]);
    return found;
}
