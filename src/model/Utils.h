#pragma once
// Small value and text routines shared by the loaders, the search and the outputs.
#include "model/Value.h"

#include <QString>
#include <QStringList>

#include <functional>

Value Value_If_Null(const Value& value, const Value& dflt);
Value Double_Char(const Value& value, const QString& what);
QString Double_Quotes(const QString& text);
QString Quote_Value(const QString& text, bool force, const QString& specialChars);
bool Has_Any_Char(const QString& text, const QString& chars);
bool Is_Even(qint32 n);
// chars "" means blank, no-break space, CR and LF; the caller's variable receives that set.
QString Trim_Chars(const QString& text, QString& chars);
QString Trim_Chars(const QString& text);
// A range list ("1-4,8") element by element: a number or a range as the whole numbers it
// spans, any other element as its text. A bound past 32 bits or a range of 10,000
// numbers or more names nothing.
void Read_Range_List(const QString& rangeList, const std::function<void(qint64 from, qint64 to)>& span,
                     const std::function<void(const QString& element)>& text);
// The same, one element a number.
QStringList Expand_Range_List(const QString& rangeList);
QString Join_Filter(const QStringList& texts, const QString& separator);
void Split_At(qint32 occurrence, const QString& separator, const QString& text, QString& left, QString& right);
// Both "\" and "/" separate folders, so paths of either platform split the same way.
void Split_Path(const QString& path, QString& directory, QString& file);
void Split_Path(const QString& path, QString& directory, QString& file, QString& extension);
