#pragma once
// The variant value carried by record cells, criteria and code-table lookups.
//
// Text and numeric rules, decided once for the whole program:
//  - numeric text: optional blanks around, an optional sign, digits with at most one
//    decimal separator ('.' or ','), an optional exponent (e/E, optional sign, digits);
//    at least one digit before the exponent. Empty values count as numeric (0).
//  - date text: ISO "yyyy-MM-dd", optionally followed by 'T' or a blank and "HH:mm" or
//    "HH:mm:ss"; "dd/MM/yyyy" with the same optional time; a time alone "HH:mm[:ss]".
//    Numbers are not dates.
//  - text form (To_Text): whole doubles without a decimal
//    part, up to 15 significant digits (7 for singles), exponent form "1E+20"/"1E-05"
//    outside that range; dates as "yyyy-MM-dd", "yyyy-MM-dd HH:mm:ss" or "HH:mm:ss";
//    booleans "True"/"False"; Empty and Null as "".
//  - whole-number conversion rounds halves to even (2.5 -> 2, 3.5 -> 4).
#include <QString>
#include <cstdint>
#include <optional>

enum class VType : std::uint8_t {
    Empty,
    Null,
    Integer,
    Long,
    Single,
    Double,
    Currency,
    Date,
    String,
    Error,
    Boolean,
    Byte
};

class Value {
public:
    // Moving a text cell must not copy it.
    Value(const Value&) = default;
    Value(Value&&) noexcept = default;
    Value& operator=(const Value&) = default;
    Value& operator=(Value&&) noexcept = default;
    Value() : i_(0) {}
    static Value Null();
    static Value Integer(std::int16_t v);
    static Value Long(std::int32_t v);
    static Value Single(float v);
    static Value Double(double v);
    // raw: the amount times 10000
    static Value Currency_Raw(std::int64_t raw);
    // day number from 1899-12-30, fraction = time of day
    static Value Date(double dayNumber);
    static Value String(const QString& s);
    static Value String(QString&& s);
    static Value Error(std::int32_t code);
    static Value Boolean(bool b);
    static Value Byte(std::uint8_t b);

    VType type() const { return t_; }
    bool isEmpty() const { return t_ == VType::Empty; }
    bool isNull() const { return t_ == VType::Null; }
    bool isString() const { return t_ == VType::String; }
    // Integer, Long, Single, Double, Currency, Byte
    bool isNumberType() const;

    // Payload accessors; callers check type() first.
    std::int64_t rawInt() const { return i_; }
    double rawDouble() const { return d_; }
    const QString& rawString() const { return s_; }
    bool rawBool() const { return i_ != 0; }

    bool operator==(const Value& o) const;

private:
    // 40 bytes a cell: a full table of 65,535 records holds over a million of them.
    VType t_ = VType::Empty;
    union {
        std::int64_t i_;  // Integer, Long, Currency (raw), Error, Boolean, Byte
        double d_;  // Single, Double, Date
    };
    QString s_;
};

// CStr-like text of a value.
QString To_Text(const Value& v);
// Numeric test and conversion (see rules above); nullopt when not numeric.
bool Is_Numeric(const Value& v);
std::optional<double> To_Number(const Value& v);
bool Is_Numeric_Text(const QString& s);
std::optional<double> Parse_Number(const QString& s);
// Whole number, halves to even; nullopt when not numeric or outside 32-bit range.
std::optional<std::int32_t> To_Whole(const Value& v);
std::int64_t Round_Half_Even(double x);
// Date test and conversion to a day number.
bool Is_Date(const Value& v);
std::optional<double> To_Date(const Value& v);
std::optional<double> Parse_Date_Text(const QString& s);
// Day number <-> calendar, to the second.
double Date_Serial(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
QString Format_Date(double dayNumber);
