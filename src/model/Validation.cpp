#include "model/Validation.h"

#include "model/Record_Description.h"

#include <QCoreApplication>
#include <cmath>

namespace {

// Blank text counts as an empty cell: nothing a user could see is lost by it.
bool Is_Blank(const Value& v) { return v.isEmpty() || (v.isString() && v.rawString().isEmpty()); }

// Whole-number value, halves to even; no range limit so huge values stay "not negative".
std::optional<double> Whole(const Value& v) {
    if (Is_Blank(v)) return 0.0;
    const auto d = To_Number(v);
    if (!d || !std::isfinite(*d)) return std::nullopt;
    return std::nearbyint(*d);
}

}  // namespace

bool Validate_Value(const Value& Val, const Field_Def& Field, QString& Message, QString* Transcoded) {
    Message.clear();
    // Any other data type accepts every value.
    const qint32 type = Field.Type();
    if (type == Type_Code) {
        if (Field.Codes) {
            if (Is_Blank(Val)) return true;
            const QString code = To_Text(Field.Spelling_Of(To_Text(Val)));
            if (!code.isEmpty()) {
                if (Transcoded) *Transcoded = code;
                return true;
            }
        }
        Message = QCoreApplication::translate("Import", "Unknown code");
        return false;
    }
    if (type == Type_Date) {
        if (!Is_Blank(Val) && Is_Date(Val)) return true;
        Message = QCoreApplication::translate("Import", "Not a date");
        return false;
    }
    if (type == Type_Hour) {
        const auto w = Whole(Val);
        if (w && *w >= 0 && *w <= 23) return true;
        Message = QCoreApplication::translate("Import", "Not a hour");
        return false;
    }
    if (type == Type_Whole) {
        const auto w = Whole(Val);
        if (!w) {
            Message = QCoreApplication::translate("Import", "Not numeric");
            return false;
        }
        if (*w < 0) {
            Message = QCoreApplication::translate("Import", "Below Zero");
            return false;
        }
        return true;
    }
    return true;
}
