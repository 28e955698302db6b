#pragma once
// Quick find: which records of a result show a text in any of its columns, ignoring
// letter case and accents ("Énergie" is found by "energie", "Œuvre" by "oe").
//
// The texts of the store are matched where they lie, folded as they are met, so that a
// result of a million records costs no copy of its texts; the labels of each coded column
// and the other cells (numbers, dates) are folded once per result. A needle that extends
// the previous one looks only among the previous matches.
#include <QString>
#include <QStringView>
#include <string>
#include <vector>

class Result_Model;

// The text as quick find compares it: accents off (model/Accent_Fold.h), lower case, UTF-8.
std::string Folded_For_Find(QStringView text);

class Quick_Find {
public:
    // The records of the model's whole result that show the needle in a column, in the
    // result's order; every record for an empty needle.
    std::vector<qint32> Matching(const Result_Model& model, QStringView needle);
    // Folds the labels and the cells kept as values unless they are folded already: the
    // window does it when the box takes the focus, so that the first letter typed finds at once.
    void Prepare(const Result_Model& model);

private:
    bool Row_Holds(const Result_Model& model, size_t row, const std::string& needle,
                   const std::vector<std::vector<char>>& label_hits, std::string& scratch);

    quint64 folded_load_ = ~quint64(0);  // the model's Load_Count the folds are of
    const Result_Model* folded_model_ = nullptr;
    std::vector<qint32> records_;  // by row, the result's order when folded
    std::vector<std::vector<std::string>> labels_;  // by column, by label number
    std::string values_;  // by row, its cells that are neither labels nor stored texts, each ended by a NUL
    std::vector<size_t> value_start_;  // by row, and one past the last
    std::vector<char> text_hit_;  // by stored text: 0 not met yet for this needle, 1 no, 2 yes
    std::string last_needle_;
    std::vector<size_t> last_rows_;  // the rows the last needle found
};
