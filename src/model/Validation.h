#pragma once
// Whether a value may be stored in a field: used on every imported cell and on the
// criterion value the user types.
#include "model/Value.h"

#include <QString>

class Field_Def;

// true when Value is acceptable for the field; otherwise false and Message holds the
// reason. For a coded field and an accepted non-empty value, *Transcoded receives the
// code as the table spells it.
bool Validate_Value(const Value& Val, const Field_Def& Field, QString& Message, QString* Transcoded = nullptr);
