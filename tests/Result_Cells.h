#pragma once
// Results made by hand: a record description of one field per column, the records as
// texts (whole numbers of kind "4" stored as numbers, as the import stores them), loaded
// into a Result_Model in record order; and the model read back by column.
#include "model/Session.h"
#include "search/Result_Model.h"

#include <QStringList>
#include <memory>
#include <vector>

class Hand_Result {
public:
    // types[c] is the Data_Type of column c, headers[c] its heading.
    Hand_Result(const QStringList& types, const QStringList& headers, const std::vector<QStringList>& rows) {
        auto d = std::make_unique<Record>();
        for (int c = 0; c < types.size(); ++c) {
            Field_Def_Args a;
            a.Name = QStringLiteral("F%1").arg(c + 1);
            a.Data_Type = types[c];
            a.Label = headers.value(c);
            d->add(a);
        }
        session_ = std::make_unique<Session>(std::move(d));
        Records_Table& table = session_->Records();
        table.Resize(static_cast<int>(rows.size()), static_cast<int>(types.size()));
        std::vector<qint32> ids;
        for (size_t r = 0; r < rows.size(); ++r) {
            ids.push_back(static_cast<qint32>(r) + 1);
            for (int c = 0; c < rows[r].size(); ++c) {
                const QString& t = rows[r][c];
                bool whole = false;
                const int n = t.toInt(&whole);
                const bool number = types[c] == QLatin1String("4") && whole;
                table.Set(ids.back(), c + 1, t.isEmpty() ? Value() : number ? Value::Long(n) : Value::String(t));
            }
        }
        Model.Load(*session_, ids);
    }
    Hand_Result(const Hand_Result&) = delete;
    Hand_Result& operator=(const Hand_Result&) = delete;

    Result_Model Model;

private:
    std::unique_ptr<Session> session_;
};

// The texts of a column, row by row.
inline QStringList Column(const Result_Model& m, int col) {
    QStringList out;
    for (int r = 0; r < m.Records(); ++r) out << m.Text(r, col);
    return out;
}

// The record ids, row by row.
inline QStringList Ids(const Result_Model& m) {
    QStringList out;
    for (qint32 id : m.Record_Ids()) out << QString::number(id);
    return out;
}
