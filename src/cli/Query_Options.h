#pragma once
// The command line of sifa-query, read into plain options; checking the fields and
// values against the data comes after the data is loaded (Query_Criteria).
#include <QString>
#include <QStringList>
#include <optional>

// Paths are kept in the system's own bytes, as the command line gives them: a file name
// need not be UTF-8.
struct Query_Options {
    QByteArray Dir;  // "" = the executable's folder
    QString Lang = QStringLiteral("EN");
    QByteArray Search_File;  // a saved search; the options given override its parts
    bool Lang_Given = false, And_Given = false, Fields_Given = false;
    QStringList Criteria;  // up to three criteria
    bool And = false;
    bool Ignore_Accents = false;  // as the window's "Ignore accents"
    std::optional<QString> Sort;  // FIELD[:desc]
    std::optional<QString> Sort_Keys;
    QString Fields = QStringLiteral("Short");
    bool Table = true;
    bool Labels = true;
    bool Clip = false;
    QByteArray Output;  // "" = standard output
    bool Workbook = false;  // Output names an .xlsx file
    bool Describe = false;
    bool Count = false;
    std::optional<QString> Counts;  // a field: how often each of its values occurs
    std::optional<QString> Record;
    bool Check = false;
    QByteArray Pdf;
    QByteArray Dump_Sheet;  // a workbook whose first sheet is written out as read
    bool Help = false;
};

// Parses the arguments (without the program name), as the system gives them; on a usage
// error returns nullopt and sets error to one line.
std::optional<Query_Options> Parse_Query_Options(const QList<QByteArray>& args, QString& error);

QString Query_Usage();
