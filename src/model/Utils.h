#pragma once
// Small value and text routines shared by the loaders, the search and the outputs.
#include "model/Value.h"

#include <QString>
#include <QStringList>

#include <functional>

bool Has_Any_Char(const QString& text, const QString& chars);
bool Is_Even(qint32 n);
// A range list ("1-4,8") element by element: a number or a range as the whole numbers it
// spans, any other element as its text. A bound past 32 bits or a range of 10,000
// numbers or more names nothing.
void Read_Range_List(const QString& rangeList, const std::function<void(qint64 from, qint64 to)>& span,
                     const std::function<void(const QString& element)>& text);
// The same, one element a number.
QStringList Expand_Range_List(const QString& rangeList);
QString Join_Filter(const QStringList& texts, const QString& separator);
