#pragma once
// The program finds its files in its own folder; tests point it elsewhere.
#include <QString>

QString App_Path();
void Set_App_Path(const QString& folder);
QString App_File(const QString& name);
