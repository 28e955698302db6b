#include "search/Record_Lines.h"

#include "model/Session.h"
#include "search/Search_Run.h"

#include <QCoreApplication>

QUrl Web_Address(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.contains(QLatin1Char(' ')) || t.contains(QLatin1Char('\n'))) return {};
    const bool scheme = t.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
                        t.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    if (!scheme && !t.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) return {};
    const QUrl url = QUrl::fromUserInput(t);
    return url.isValid() && !url.host().isEmpty() ? url : QUrl();
}

std::optional<QList<Record_Line>> Record_Lines(const Session& session, const Value& recordNumber) {
    const QString& lang = session.Language();
    const Records_Table& table = session.Records();
    if (recordNumber.isEmpty() || !Is_Numeric(recordNumber)) return std::nullopt;
    const auto r = To_Whole(recordNumber);
    if (!r || *r < 0 || *r > table.Row_Upper()) return std::nullopt;
    if (session.Description().Count() == 0) return std::nullopt;
    QList<Record_Line> lines;
    int f = 0;
    for (const Field_Def& ch : session.Description().Fields()) {
        ++f;
        if (!ch.Shown_In(lang)) continue;
        const Value v = f <= table.Col_Upper() ? table.Cell(*r, f) : Value();
        const QString text = Cell_Text(ch, v, session.Show_Code_Labels);
        // The two fields that link a recommendation to its form and its material.
        const bool link_field = ch.Name == QLatin1String("ToolKit") || ch.Name == QLatin1String("MATOS");
        // "Year: ", in French "Année : " (a no-break space before the colon).
        lines.append({QCoreApplication::translate("Search", "%1: ").arg(ch.Label_In(lang)), text,
                      link_field ? Web_Address(text) : QUrl()});
    }
    return lines;
}
