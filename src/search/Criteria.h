#pragma once
// The criterion rows of the search window, the nine operators, and the verdict of a
// record against up to three rows combined by AND or OR.
//
// A search prepares its criteria once (lower-cased value, compiled patterns, field
// groups, converted numbers and dates, code labels remembered per stored code), then
// asks a cheap verdict per record. Compare_Criterion is the same comparison for one value.
#include "model/Like.h"
#include "model/Record_Description.h"
#include "model/Records_Table.h"
#include "model/Session.h"
#include "model/Value.h"

#include <QString>
#include <QStringMatcher>
#include <array>
#include <optional>
#include <vector>

enum Oper_Code : qint32 {
    Op_Equal = 0,
    Op_Inferior = 1,
    Op_Superior = 2,
    Op_Equal_Or_Inferior = 3,
    Op_Equal_Or_Superior = 4,
    Op_Begin_With = 5,
    Op_End_With = 6,
    Op_Content = 7,
    Op_Empty = 8,
    Last_Operator = Op_Empty,
};

// Item data of the "[Any fields]" entry of a Field list.
constexpr qint32 Any_Fields = -1;
constexpr int Criterion_Row_Count = 3;
// Column of the records table that holds the verdict of the last search.
constexpr int Selection_Mark = 0;

// One criterion row as its controls give it.
struct Criterion_Row {
    bool Active = false;
    std::optional<qint32> Field;  // item data of the selected entry: field number or Any_Fields; none selected: nullopt
    std::optional<qint32> Operator;  // operator code of the selected entry; none selected: nullopt
    QString Value_Text;  // the value text
    bool Negation = false;

    bool Usable() const { return Active && Field.has_value() && Operator.has_value(); }
};

struct Criteria {
    std::array<Criterion_Row, Criterion_Row_Count> Rows;
    bool Combine_With_And = false;  // false: OR, as the window opens
    // "Ignore accents": texts are compared with their accents taken off ("é" is "e", "Œ"
    // is "OE") before letter case is set aside.
    bool Ignore_Accents = false;
};

// Label of an operator in "EN" or "FR"; "" for any other language or code.
QString Operator_Label(qint32 Operator, const QString& Lang);

// Whether one data value satisfies a criterion, negation applied. field_type is the field's
// Data_Type as a number.
bool Compare_Criterion(const QString& criterion, bool criterion_negated, qint32 criterion_op, const Value& stored,
                       qint32 field_type, bool ignore_accents = false);

// For every field k, the fields (ascending) that share its search label; empty when k
// has no search label or belongs to another language than Lang.
// g(0, k) is the member count, g(1..count, k) the members.
class Field_Groups {
public:
    int Upper() const { return static_cast<int>(groups_.size()) - 1; }  // N
    qint32 operator()(int i, int k) const;
    const std::vector<qint32>& Members(int k) const;

private:
    friend Field_Groups Build_Field_Groups(Record& Desc, const QString& Lang);
    std::vector<std::vector<qint32>> groups_;  // index 0 unused
};

Field_Groups Build_Field_Groups(Record& Desc, const QString& Lang);

// The fields "[Any fields]" tests: those of Lang or of every language, with a search label.
std::vector<qint32> Any_Fields_List(Record& Desc, const QString& Lang);

// Outcomes remembered per distinct text, looked up without copying the text. Texts of
// up to three characters (the usual codes) are keyed by one number.
class Text_Memo {
public:
    // -1 when the text has no outcome yet.
    int Find(QStringView key) const;
    void Insert(QStringView key, bool outcome);

private:
    static constexpr quint64 kLong = ~0ull;  // packed key of a longer text
    struct Slot {
        quint64 packed = 0;
        QString key;
        signed char outcome = -1;
    };
    static quint64 Pack(QStringView key);
    static size_t Hash(QStringView key, quint64 packed);
    std::vector<Slot> slots_;
    size_t used_ = 0;
};

class Prepared_Criteria {
public:
    // The columns the criteria read.
    std::vector<int> Columns() const;

private:
    enum class Kind : unsigned char { Text, Date, Whole, None };
    struct Test_Field {
        qint32 column = 0;
        Kind kind = Kind::None;
        const Field_Def* labels = nullptr;  // set when the label of the stored code is compared first
        bool memoize = false;  // the outcome depends on the stored text alone
        mutable Text_Memo memo;
        mutable std::vector<signed char> by_code;  // outcome by code number of the column; -1 unknown
    };
    struct Row {
        bool negate = false;
        qint32 op = -1;
        bool ignore_accents = false;  // both sides lose their accents before they are lower-cased
        QString c;  // the criterion, lower-cased (and without accents when they are ignored)
        std::optional<qint32> cWhole;
        std::optional<double> cDate;
        QString cDateText;
        Like_Pattern pattern;  // operators 0, 5, 6, 7
        bool literal = false;  // c holds no wildcard: the pattern is plain text
        QStringMatcher finder;  // "Content" of plain text
        std::vector<Test_Field> fields;  // empty: the row leaves the verdict unchanged
        // "Empty" on a group of fields: true only when every member is empty.
        bool every_field = false;
        // The criterion as Windows-1252 bytes, to match texts kept so without decoding
        // them; empty when it has no such form (then no such text can contain it).
        QByteArray narrow;
        bool narrow_ok = false;
        // The bytes that lower to its first byte, then to its last, two of each; none when more do.
        std::optional<std::array<unsigned char, 4>> ends;
        mutable std::vector<signed char> by_text;  // outcome by pool number of a text; -1 unknown
    };

    static Row Make_Row(const QString& criterion, bool criterion_negated, qint32 criterion_op, bool ignore_accents);
    static Kind Kind_Of(qint32 field_type);
    static bool Raw_Match(const Row& row, Kind kind, const Value& v, QString& buf);
    static bool Pattern_Match(const Row& row, QStringView d);
    bool Field_Matches(const Row& row, const Test_Field& f, const Value& v) const;
    bool Cell_Matches(const Row& row, const Test_Field& f, const Records_Table& t, int r) const;
    bool Text_Matches(const Row& row, const Text_View& text) const;
    mutable QString text_;  // a decoded text under test
    mutable QByteArray folded_;  // a narrow text under test without its accents, lower-cased
    mutable const Records_Table* memo_table_ = nullptr;  // the table the outcomes by number are of
    mutable std::size_t memo_texts_ = 0;

    std::vector<Row> rows_;  // the usable rows, in order
    bool and_ = false;
    mutable QString buf_;  // lower-cased text of the value under test

    friend bool Compare_Criterion(const QString&, bool, qint32, const Value&, qint32, bool);
    friend Prepared_Criteria Prepare_Criteria(const Criteria&, const QString&, Record&);
    friend bool Record_Verdict(const Prepared_Criteria&, const Records_Table&, int);
};

// Once per search, after the code tables of the language are loaded.
Prepared_Criteria Prepare_Criteria(const Criteria& C, const QString& Lang, Record& Desc);

// Whether record r (1..R) is selected; false outside the table.
bool Record_Verdict(const Prepared_Criteria& P, const Records_Table& Table, int r);

// The marking steps of a search run: Selection_Mark (column 0) of rows 0..R emptied, then
// True/False per record; returns the number selected.
qint32 Mark_Selection(const Prepared_Criteria& P, Records_Table& Table);
// On the session's records, in its language.
qint32 Mark_Selection(Session& session, const Criteria& C);
