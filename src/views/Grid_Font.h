#pragma once
// The result grid's font as Qt draws it.
#include <QFont>

struct Grid_Font;

// The grid's font over base: the family unless it is the generic "Sans Serif", the
// size when there is one, and the styles.
QFont To_QFont(const Grid_Font& f, const QFont& base);
