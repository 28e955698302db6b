#pragma once
// The result as an Excel workbook (.xlsx): the same cells as the CSV file, but numbers
// and dates as such, the header row bold, frozen and filtered, and the search in words
// on a second sheet. The workbook is streamed into a temporary folder (each row leaves
// memory once written) and then copied to where it goes, so that it arrives whole or
// not at all, as the CSV file does.
#include "search/Search_Run.h"

#include <QIODevice>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

// What goes into the workbook besides the result's cells.
struct Workbook_Request {
    bool Format_Table = true;
    bool With_Labels = true;
    std::vector<bool> Column_Export;  // as the CSV export takes it
    QString Criteria;  // the criteria sentence, on the second sheet
    QString Order;  // the order sentence, "" when there is none
};

// A text longer than a cell can hold is cut to that length.
constexpr int Workbook_Max_Text = 32767;
// The names of the two sheets.
constexpr const char* Workbook_Records_Sheet = "Records";
constexpr const char* Workbook_Criteria_Sheet = "Criteria";

class Result_Workbook {
public:
    Result_Workbook() = default;
    Result_Workbook(const Result_Workbook&) = delete;
    Result_Workbook& operator=(const Result_Workbook&) = delete;

    // Writes the workbook of the result into a temporary folder; false when it could not
    // be made (Failure() says why). A column selection that does not fit the result
    // sets *selection_error and leaves the sheet empty, as the CSV file is left.
    bool Make(const Search_Results& s, const Workbook_Request& request, QString* selection_error = nullptr);
    // Copies the workbook made to out; false when out refused it.
    bool Copy_To(QIODevice& out) const;
    const QString& Failure() const { return failure_; }
    // How many texts were cut to Workbook_Max_Text characters.
    int Texts_Cut() const { return texts_cut_; }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString file_;
    QString failure_;
    int texts_cut_ = 0;
};

// The file name asks for a workbook (it ends with ".xlsx", in any letter case).
bool Is_Workbook_Name(const QString& name);

// Writes the result as a workbook at Filename, whole or not at all; "" when written,
// otherwise the sentence that says why not. *texts_cut: as Result_Workbook's.
QString Write_Workbook_File(const QString& Filename, const Search_Results& s, const Workbook_Request& request,
                            QString* selection_error = nullptr, int* texts_cut = nullptr);

// The same for a path in the system's own bytes, as a command line gives it.
QString Write_Workbook_File_System_Path(const QByteArray& path, const Search_Results& s,
                                        const Workbook_Request& request, QString* selection_error = nullptr,
                                        int* texts_cut = nullptr);

// The warning for texts that were cut, in the interface's language ("" for none).
QString Texts_Cut_Warning(int texts_cut);
