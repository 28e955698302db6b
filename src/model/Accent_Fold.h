#pragma once
// Text with its accents taken off, for matching that ignores them: "é" is "e", "Œ" is
// "OE", "ß" is "ss". Letter case is kept; callers apply their own case rule afterwards.
#include <QString>
#include <QStringView>

QString Without_Accents(QStringView text);

// Whether Without_Accents may change text (a character outside ASCII); lets hot loops
// skip the work for plain texts.
bool May_Have_Accents(QStringView text);
