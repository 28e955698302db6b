#pragma once
// The language of the windows' own texts, "EN" or "FR". Switching it installs or removes
// the translators at once: every open window gets a LanguageChange and sets its texts
// again, Qt's own dialogs included (their French comes with Qt, when installed).
#include <QString>

// "FR" while the French texts are installed, otherwise "EN".
QString Interface_Language();
// Any other value than "FR" gives the English texts, the windows' own.
void Set_Interface_Language(const QString& lang);
// The language a start opens in: the one used last, else the desktop's (a French locale
// gives "FR").
QString Start_Interface_Language();
void Remember_Interface_Language(const QString& lang);
