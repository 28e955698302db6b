#pragma once
// Criterion rows, sort keys and field sets from the command line, resolved against
// the record description exactly as the search window would offer them.
#include "cli/Query_Options.h"
#include "search/Criteria.h"
#include "search/Criteria_Form.h"
#include "search/Result_Text.h"

#include <QString>
#include <optional>

struct Resolved_Criterion {
    Criterion_Row Row;
    Criterion_Text Text;
};

// The field list entry a criterion's FIELD names: a field name or a search label of
// the language, "*" for [Any fields]; nullopt and error set when the list has none.
std::optional<Field_Entry> Resolve_Field_Entry(Record& Desc, const QString& fieldName, const QString& lang,
                                               QString& error);

// [!]FIELD:OPERATOR[:VALUE]; nullopt and error set when the window would not allow it.
std::optional<Resolved_Criterion> Resolve_Criterion(Record& Desc, const QString& criterion, const QString& lang,
                                                    QString& error, bool ignore_accents = false);

// The field number shown in a result column: a field name or its label in the language.
std::optional<qint32> Resolve_Grid_Field(Record& Desc, const QString& name, const QString& lang, QString& error);
// The result column of a field number in the language, -1 when it is not shown.
int Grid_Column_Of(Record& Desc, qint32 field, const QString& lang);

// Short, All or Custom=RANGE.
std::optional<std::vector<bool>> Resolve_Fields(Record& Desc, const QString& fields, const QString& lang,
                                                QString& error);

// The saved search of o.Search_File gives the parts the other options leave open, as
// the options that say the same; "" when taken, otherwise what is wrong with it.
QString Take_Saved_Search(Session& session, Query_Options& o);
