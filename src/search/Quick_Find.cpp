#include "search/Quick_Find.h"

#include "model/Accent_Fold.h"
#include "model/Cp1252.h"
#include "search/Result_Model.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <atomic>
#include <string_view>
#include <thread>

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

// Below this many rows a second thread costs more than it saves.
constexpr size_t Two_Halves_From = 20000;

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

void Quick_Find::Prepare(const Result_Model& model) {
    if (folded_model_ == &model && folded_load_ == model.Load_Count() && model.Result_Record_Ids() == records_)
        return;
    folded_model_ = &model;
    folded_load_ = model.Load_Count();
    last_needle_.clear();
    last_rows_.clear();
    records_ = model.Result_Record_Ids();
    const int cols = model.Columns();
    labels_.assign(static_cast<size_t>(cols), {});
    std::vector<std::vector<char>> label_done(static_cast<size_t>(cols));
    values_.clear();
    value_start_.clear();
    value_start_.reserve(records_.size() + 1);
    Text_View text;
    std::uint32_t text_id = 0;
    size_t most_text = 0;
    for (int r = 0, rows = static_cast<int>(records_.size()); r < rows; ++r) {
        value_start_.push_back(values_.size());
        for (int c = 0; c < cols; ++c) {
            const int label = model.Result_Label_Number(r, c);
            if (label >= 0) {
                auto& folded = labels_[static_cast<size_t>(c)];
                auto& done = label_done[static_cast<size_t>(c)];
                if (static_cast<size_t>(label) >= folded.size()) {
                    folded.resize(static_cast<size_t>(label) + 1);
                    done.resize(static_cast<size_t>(label) + 1, 0);
                }
                if (!done[static_cast<size_t>(label)]) {
                    folded[static_cast<size_t>(label)] = Folded_For_Find(model.Label(c, label));
                    done[static_cast<size_t>(label)] = 1;
                }
            } else if (model.Result_Stored_Text(r, c, text, text_id)) {
                most_text = std::max(most_text, static_cast<size_t>(text_id) + 1);
            } else {
                Append_Folded(model.Result_Text(r, c), values_);
                // A NUL ends each cell, so that no match runs from one cell into the next.
                values_ += '\0';
            }
        }
    }
    value_start_.push_back(values_.size());
    text_hit_.assign(most_text, 0);
}

bool Quick_Find::Row_Holds(const Result_Model& model, size_t row, const std::string& needle,
                           const std::vector<std::vector<char>>& label_hits, std::string& scratch) {
    const size_t start = value_start_[row], end = value_start_[row + 1];
    if (std::string_view(values_.data() + start, end - start).find(needle) != std::string_view::npos) return true;
    const int r = static_cast<int>(row);
    for (int c = 0, cols = static_cast<int>(label_hits.size()); c < cols; ++c) {
        const int label = model.Result_Label_Number(r, c);
        if (label >= 0 && label_hits[static_cast<size_t>(c)][static_cast<size_t>(label)]) return true;
    }
    Text_View text;
    std::uint32_t id = 0;
    for (int c = 0, cols = static_cast<int>(label_hits.size()); c < cols; ++c) {
        if (!label_hits[static_cast<size_t>(c)].empty() || !model.Result_Stored_Text(r, c, text, id)) continue;
        if (id >= text_hit_.size()) {  // not met when the result was folded
            scratch.clear();
            Append_Folded(text, scratch);
            if (scratch.find(needle) != std::string::npos) return true;
            continue;
        }
        // Both threads may work out the same text: they write the same answer.
        std::atomic_ref<char> hit(text_hit_[id]);
        char known = hit.load(std::memory_order_relaxed);
        if (!known) {
            scratch.clear();
            Append_Folded(text, scratch);
            known = scratch.find(needle) != std::string::npos ? 2 : 1;
            hit.store(known, std::memory_order_relaxed);
        }
        if (known == 2) return true;
    }
    return false;
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

    // Each label is looked at once for the needle, and each stored text once, when first met.
    std::vector<std::vector<char>> label_hits(labels_.size());
    for (size_t c = 0; c < labels_.size(); ++c)
        for (const std::string& label : labels_[c]) label_hits[c].push_back(label.find(folded) != std::string::npos);
    std::fill(text_hit_.begin(), text_hit_.end(), 0);
    const bool extends = !last_needle_.empty() && folded.compare(0, last_needle_.size(), last_needle_) == 0;
    std::vector<size_t> all;
    if (!extends) {
        all.resize(records_.size());
        for (size_t r = 0; r < all.size(); ++r) all[r] = r;
    }
    const std::vector<size_t>& candidates = extends ? last_rows_ : all;
    // Large results are looked through in two halves at once.
    const auto look = [&](size_t from, size_t to, std::vector<size_t>& out) {
        std::string scratch;
        for (size_t i = from; i < to; ++i)
            if (Row_Holds(model, candidates[i], folded, label_hits, scratch)) out.push_back(candidates[i]);
    };
    std::vector<size_t> rows, second_half;
    const size_t n = candidates.size(), middle = n / 2;
    if (n >= Two_Halves_From && std::thread::hardware_concurrency() >= 2) {
        std::thread second([&] { look(middle, n, second_half); });
        look(0, middle, rows);
        second.join();
        rows.insert(rows.end(), second_half.begin(), second_half.end());
    } else {
        look(0, n, rows);
    }
    last_needle_ = std::move(folded);
    last_rows_ = rows;
    std::vector<qint32> found;
    found.reserve(rows.size());
    for (const size_t r : rows) found.push_back(records_[r]);
    return found;
}
