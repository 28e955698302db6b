#include "search/Field_Sets.h"

#include "model/Record_Description.h"
#include "model/Utils.h"
#include "model/Value.h"

#include <algorithm>

QString Field_Sets_Ranges() { return QStringLiteral("1-4,8,10-17\t1-17\t0"); }

QStringList Field_Sets_Captions() { return QStringLiteral("Short\tAll\tCustom").split(QLatin1Char('\t')); }

std::vector<bool> Field_Set_From_Range(const Record& Desc, const QString& rangeList, const QString& lang,
                                       std::vector<int>* columnField) {
    const int M = Desc.Count();
    // Bit 1: the field is a column of the language; bit 2: the range names it.
    std::vector<int> marks(static_cast<size_t>(M) + 1, 0);
    for (int p = 1; p <= M; ++p) {
        const QString& l = Desc.Fields().Item(p)->Language;
        marks[p] = (l.isEmpty() || l == lang) ? 1 : 0;
    }
    const auto name = [&marks, M](qint64 p) {
        if (p < 1 || p > M) return;
        int& m = marks[static_cast<size_t>(p)];
        if (m > 0 && !(m & 2)) m += 2;
    };
    Read_Range_List(
        rangeList,
        [&name, M](qint64 from, qint64 to) {
            for (qint64 p = std::max<qint64>(from, 1); p <= std::min<qint64>(to, M); ++p) name(p);
        },
        [&name](const QString& e) {
            // Kept whole, then read as one number: "15e-1" names field 2.
            if (!Is_Numeric_Text(e)) return;
            if (const auto p = To_Whole(Value::String(e))) name(*p);
        });
    std::vector<bool> set(1, false);
    if (columnField) columnField->assign(1, 0);
    for (int p = 1; p <= M; ++p) {
        if (!(marks[p] & 1)) continue;
        set.push_back((marks[p] & 2) != 0);
        if (columnField) columnField->push_back(p);
    }
    return set;
}

Field_Sets Init_Field_Sets(const Record& Desc, const QString& lang) {
    Field_Sets f;
    const QStringList ranges = Field_Sets_Ranges().split(QLatin1Char('\t'));
    for (int s = 0; s < 3; ++s)
        f.Sets[s] = Field_Set_From_Range(Desc, ranges.value(s), lang, s == 0 ? &f.Column_Field : nullptr);
    return f;
}
