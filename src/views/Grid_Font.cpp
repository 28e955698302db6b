#include "views/Grid_Font.h"

#include "search/Text_Grid.h"

QFont To_QFont(const Grid_Font& f, const QFont& base) {
    QFont font = base;
    if (!f.Name.isEmpty() && f.Name.compare(QLatin1String("Sans Serif"), Qt::CaseInsensitive) != 0)
        font.setFamily(f.Name);
    if (f.Size > 0) font.setPointSizeF(f.Size);
    font.setBold(f.Bold);
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.Strikethrough);
    return font;
}
