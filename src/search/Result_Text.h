#pragma once
// The result as text: the CSV file, the clipboard text and the two sentences that
// describe a search on a printout. They read the result model (rows in their order,
// codes as labels).
#include "search/Search_Run.h"

#include <QIODevice>
#include <QString>
#include <functional>
#include <vector>

// One criterion row as the window shows it, for the criteria sentence.
struct Criterion_Text {
    bool Usable = false;
    QString Field;  // the selected entry of the field list
    bool Negation = false;
    QString Operator;  // the selected entry of the operator list
    qint32 Oper_Code = 0;
    QString Description;  // the caption beside the value (a code's label)
    QString Value;  // the value box
};

// A text as the exports write it: in double quotes (inner quotes doubled) when force is
// set or it holds a special character, as it is otherwise.
QString Quote_Cell(const QString& text, bool force);

// Column_Export is indexed by column number 0..last (entry 0 never read; column c is
// model column c - 1). When its size
// does not match the result's columns, *error receives "Internal Error, number of columns
// selection mismatch" and the text is "".
QString Get_Text_Selection(const Search_Results& s, bool Format_Table, bool With_Labels,
                           const std::vector<bool>& Column_Export, bool Force_Guillement, const QString& separateur,
                           QString* error = nullptr);

// The bytes of the export file: ";" separated, every text quoted, one more line break
// at the end; Windows-1252, or UTF-8 with a byte-order mark when a character has no
// Windows-1252 byte.
QByteArray File_Bytes(const QString& text);
// The same bytes written to out a row at a time, so that memory does not grow with the
// result; false when out refused a write.
bool Write_Export_File(QIODevice& out, const Search_Results& s, bool Format_Table, bool With_Labels,
                       const std::vector<bool>& Column_Export, QString* error = nullptr);
// The bytes of the export file for the result, as File_Button writes them.
QByteArray Export_File_Bytes(const Search_Results& s, bool Format_Table, bool With_Labels,
                             const std::vector<bool>& Column_Export, QString* error = nullptr);
// Writes the export file; "" when written, otherwise what went wrong, in words.
QString File_Button(const QString& Filename, const Search_Results& s, bool Format_Table, bool With_Labels,
                    const std::vector<bool>& Column_Export, QString* selectionError = nullptr);
// Writes bytes to a file the user named, whole or not at all; "" when written,
// otherwise the sentence that says why not.
QString Write_Output_File(const QString& Filename, const QByteArray& bytes);
// The same for a path in the system's own bytes, as a command line gives it.
QString Write_Output_File_System_Path(const QByteArray& path, const QByteArray& bytes);
// The same, the bytes written by `write` to the file as a device (false: it failed).
using Output_Writer = std::function<bool(QIODevice&)>;
QString Write_Output_File(const QString& Filename, const Output_Writer& write);
QString Write_Output_File_System_Path(const QByteArray& path, const Output_Writer& write);
// The items of the export in the order its file lays them out, for a writer of another
// format: headings and cells (model rows and columns), and the end of each line.
struct Export_Items {
    virtual ~Export_Items() = default;
    virtual bool Heading(int col) = 0;
    virtual bool Cell(int row, int col) = 0;
    virtual bool Line_End() = 0;
};
// Walks the result as Write_Export_File does, without the file's last line break; false
// when a step failed or the column selection does not fit (*error then says so).
bool Walk_Export(const Search_Results& s, bool Format_Table, bool With_Labels, const std::vector<bool>& Column_Export,
                 Export_Items& items, QString* error = nullptr);
// The clipboard text: tab separated, texts quoted only when they must be.
QString Clip_Text(const Search_Results& s, bool Format_Table, bool With_Labels, const std::vector<bool>& Column_Export,
                  QString* selectionError = nullptr);
// The clipboard text as UTF-8, written to out a row at a time; false when out refused a write.
bool Write_Clip_Text(QIODevice& out, const Search_Results& s, bool Format_Table, bool With_Labels,
                     const std::vector<bool>& Column_Export, QString* selectionError = nullptr);

// The cells of rows top..bottom and columns left..right of the result (model rows and
// columns) under their headings, as the clipboard export writes them; columns for which
// shown answers false (hidden in the view) left out.
QString Clip_Range_Text(const Result_Model& m, int top, int left, int bottom, int right,
                        const std::function<bool(int)>& shown = {});

QString Criteria_Sentence_Of(const std::vector<Criterion_Text>& rows, bool Combine_With_And);
// The sentence with the quick find that narrows the result, when there is one: what is
// exported or printed says why it holds fewer records than the criteria select.
QString With_Quick_Find(const QString& sentence, const QString& quick_find_text);
QString Order_Sentence(const Search_Results& s, const Sort_Key_Columns& keys);
