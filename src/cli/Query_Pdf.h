#pragma once
// The printout of sifa-query: the result list printed into a PDF file through the list
// printer of the program, with no window and no question to anyone.
#include "search/Search_Run.h"

#include <QCoreApplication>
#include <QString>
#include <memory>
#include <vector>

// The application object: a GUI one only for a PDF (fonts and the PDF writer need it),
// on the offscreen platform when there is no display.
std::unique_ptr<QCoreApplication> Make_Query_App(int& argc, char** argv, bool Pdf);

// Prints rows 1.. of the result grid in the list layout of field set Field_Set (0 Short,
// 1 All, 2 Custom) with the columns given into `file` (the system's bytes), which appears
// whole or not at all; "" when written, otherwise the problem and its reason.
QString Print_Pdf(const QByteArray& file, const Search_Results& results, const QString& criteria, const QString& order,
                  int Field_Set, const std::vector<bool>& columns);
