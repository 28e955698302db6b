#pragma once
// The start-up check that each
// language version of a table holds exactly the codes of the master table.
#include <QString>
#include <QStringList>

bool Check_Code_Table_Versions(const QString& Tables, const QString& Versions, const QString& Master, QStringList& Errs,
                               const QString& refsFile);

// The start-up check of the program and of sifa-query: Code_Table.dat of the program's folder
// can be read (nothing is imported against empty tables) and each language version holds
// the codes of the master tables. False with the problem lines in Errs, the last one
// "Can't launch application... Exiting.".
bool Check_Code_Tables_At_Start_Up(QStringList& Errs);
