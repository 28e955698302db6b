#pragma once
// Quick find: which records of a result show a text in any of its columns, ignoring
// letter case and accents ("Énergie" is found by "energie", "Œuvre" by "oe").
//
// The shown texts of each row are folded once per result (when asked to prepare, or on
// the first search after a Load) into one buffer; a needle that extends the previous one looks only among the
// previous matches, so typing stays quick on the largest results.
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
    // result's order at the time the texts were folded; every record for an empty needle.
    std::vector<qint32> Matching(const Result_Model& model, QStringView needle);
    // Folds the rows' texts unless they are folded already: the window does it when the
    // box takes the focus, so that the first letter typed finds at once.
    void Prepare(const Result_Model& model);

private:
    bool Row_Holds(size_t row, const std::string& needle) const;

    quint64 folded_load_ = ~quint64(0);  // the model's Load_Count the texts are of
    const Result_Model* folded_model_ = nullptr;
    std::string texts_;  // every row's cells, each ended by a NUL
    std::vector<size_t> row_start_;  // by row, and one past the last
    std::vector<qint32> records_;  // by row
    std::string last_needle_;
    std::vector<size_t> last_rows_;  // the rows the last needle found
};
