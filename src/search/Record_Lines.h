#pragma once
// One record as the detail window shows it: label and value of each field of the
// language, coded values as their labels.
#include "model/Value.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

class Session;

struct Record_Line {
    QString Label;  // the field's label followed by ": "
    QString Value;
    QUrl Link;  // the web address a link field holds; empty otherwise
};

// The web address a text is, whole: "http://", "https://" or "www." and no blank.
QUrl Web_Address(const QString& text);

// In the session's language. nullopt when the number is not numeric, names no record or there is no field.
std::optional<QList<Record_Line>> Record_Lines(const Session& session, const Value& recordNumber);
