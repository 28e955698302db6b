#include "search/Result_Model.h"

#include "model/Record_Description.h"
#include "model/Records_Table.h"
#include "model/Value.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <numeric>

// --- the record store ----------------------------------------------------------------

QString Result_Model::Stored_Text(qint32 record, qint32 field) {
    if (record < 1 || record > Records_Table.Row_Upper() || field < 1 || field > Records_Table.Col_Upper()) return {};
    return To_Text(Records_Table(record, field));
}

bool Result_Model::Stored_Number(qint32 record, qint32 field, double& number) {
    if (record < 1 || record > Records_Table.Row_Upper() || field < 1 || field > Records_Table.Col_Upper())
        return false;
    // Whole numbers of up to 15 digits read back exactly from their text, so they need
    // no parsing; others compare as their shown text reads, which rounds to 15 digits.
    const Value& v = Records_Table(record, field);
    switch (v.type()) {
    case VType::Integer:
    case VType::Long:
    case VType::Byte: number = To_Number(v).value_or(0); return true;
    case VType::Double: {
        const double d = To_Number(v).value_or(0.5);
        if (d != std::trunc(d) || std::fabs(d) >= 1e15) return false;
        number = d;
        return true;
    }
    default: return false;
    }
}

// --- loading -------------------------------------------------------------------------

Result_Model::Result_Model(QObject* parent) : QAbstractTableModel(parent) {}

void Result_Model::Load(std::vector<qint32> records, const QString& lang) {
    beginResetModel();
    ids_ = std::move(records);
    row_of_record_.clear();
    cols_.clear();
    Record* desc = Record_Description.get();
    const int N = desc ? desc->Count() : 0;
    for (int f = 1; f <= N; ++f) {
        const Champ* ch = desc->Get_Champs().Item(f);
        if (!ch || !ch->Shown_In(lang)) continue;
        Column c;
        c.Field = f;
        c.Heading = ch->Get_Libelle_In_Langue(lang);
        c.Text_Kind = Is_Text_Type(ch->Type());
        c.Coded = ch->Ref_Listes && Show_Code_Labels;
        if (c.Coded) {
            // Each distinct code of the column is looked up once.
            QHash<QString, quint32> index_of_code;
            c.Label_Of_Row.resize(ids_.size());
            for (size_t r = 0; r < ids_.size(); ++r) {
                const QString code = Stored_Text(ids_[r], f);
                auto it = index_of_code.constFind(code);
                if (it == index_of_code.constEnd()) {
                    it = index_of_code.insert(code, static_cast<quint32>(c.Labels.size()));
                    c.Labels.push_back(To_Text(ch->Get_Data(code, QStringLiteral("V"))));
                }
                c.Label_Of_Row[r] = *it;
            }
        }
        cols_.push_back(std::move(c));
    }
    endResetModel();
}

// --- reading ---------------------------------------------------------------------------

qint32 Result_Model::Record_At(int row) const {
    return row >= 0 && row < Records() ? ids_[static_cast<size_t>(row)] : 0;
}

int Result_Model::Row_Of(qint32 record) const {
    if (record < 1) return -1;
    if (row_of_record_.empty() && !ids_.empty()) {
        const qint32 top = *std::max_element(ids_.begin(), ids_.end());
        row_of_record_.assign(static_cast<size_t>(std::max(top, 0)) + 1, -1);
        for (size_t r = 0; r < ids_.size(); ++r)
            if (ids_[r] > 0) row_of_record_[static_cast<size_t>(ids_[r])] = static_cast<int>(r);
    }
    return static_cast<size_t>(record) < row_of_record_.size() ? row_of_record_[static_cast<size_t>(record)] : -1;
}

qint32 Result_Model::Field_At(int col) const {
    return col >= 0 && col < Columns() ? cols_[static_cast<size_t>(col)].Field : 0;
}

int Result_Model::Column_Of(qint32 field) const {
    for (int c = 0; c < Columns(); ++c)
        if (cols_[static_cast<size_t>(c)].Field == field) return c;
    return -1;
}

QString Result_Model::Heading(int col) const {
    return col >= 0 && col < Columns() ? cols_[static_cast<size_t>(col)].Heading : QString();
}

bool Result_Model::Is_Text_Column(int col) const {
    return col >= 0 && col < Columns() && cols_[static_cast<size_t>(col)].Text_Kind;
}

QString Result_Model::Text(int row, int col) const {
    if (row < 0 || row >= Records() || col < 0 || col >= Columns()) return {};
    const Column& c = cols_[static_cast<size_t>(col)];
    if (c.Coded) return c.Labels[c.Label_Of_Row[static_cast<size_t>(row)]];
    return Stored_Text(ids_[static_cast<size_t>(row)], c.Field);
}

bool Result_Model::Same_As_Above(int row, int col) const {
    if (row < 1 || row >= Records() || col < 0 || col >= Columns()) return false;
    const Column& c = cols_[static_cast<size_t>(col)];
    if (c.Coded)
        return c.Label_Of_Row[static_cast<size_t>(row)] == c.Label_Of_Row[static_cast<size_t>(row) - 1] ||
               c.Labels[c.Label_Of_Row[static_cast<size_t>(row)]] ==
                   c.Labels[c.Label_Of_Row[static_cast<size_t>(row) - 1]];
    return Text(row, col) == Text(row - 1, col);
}

// --- arrows ----------------------------------------------------------------------------

Sort_Arrow Result_Model::Arrow(int col) const {
    return col >= 0 && col < Columns() ? cols_[static_cast<size_t>(col)].Arrow : Sort_Arrow::None;
}

int Result_Model::Key_Number(int col) const {
    return col >= 0 && col < Columns() ? cols_[static_cast<size_t>(col)].Key_Number : 0;
}

void Result_Model::Set_Arrow(int col, Sort_Arrow arrow, int key_number) {
    if (col < 0 || col >= Columns()) return;
    Column& c = cols_[static_cast<size_t>(col)];
    const quint8 number = static_cast<quint8>(std::clamp(key_number, 0, 255));
    if (c.Arrow == arrow && c.Key_Number == number) return;
    c.Arrow = arrow;
    c.Key_Number = number;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

void Result_Model::Clear_Arrows() {
    for (int c = 0; c < Columns(); ++c) Set_Arrow(c, Sort_Arrow::None);
}

// --- sorting ---------------------------------------------------------------------------

namespace {

QChar First_Significant(const QString& s) {
    for (const QChar c : s)
        if (!c.isSpace()) return c;
    return QChar();
}

// Parse_Number with a quick refusal of the texts that cannot be numbers.
std::optional<double> Text_Number(const QString& s) {
    if (!s.isEmpty() && s.size() <= 15) {
        double v = 0;
        bool plain = true;
        for (const QChar ch : s) {
            const char16_t u = ch.unicode();
            if (u < u'0' || u > u'9') {
                plain = false;
                break;
            }
            v = v * 10 + (u - u'0');
        }
        if (plain) return v;
    }
    const QChar c = First_Significant(s);
    if (c.isNull()) return std::nullopt;
    const char16_t u = c.unicode();
    if (!((u >= u'0' && u <= u'9') || u == u'+' || u == u'-' || u == u'.' || u == u',')) return std::nullopt;
    return Parse_Number(s);
}

std::optional<double> Text_Number_Or_Date(const QString& s) {
    if (auto n = Text_Number(s)) return n;
    const QChar c = First_Significant(s);
    if (c.isNull() || c.unicode() < u'0' || c.unicode() > u'9') return std::nullopt;
    return Parse_Date_Text(s);
}

constexpr quint8 Number_Kind = 1;

struct Sort_Item {
    const Result_Model::Sort_Value* value;
    int pos;  // place in the order being sorted: ties keep it
    int row;
};

// Everything but the full texts: most comparisons end here. -1, 0 or 1.
inline int Coarse_Compare(const Result_Model::Sort_Value& a, const Result_Model::Sort_Value& b) {
    if (a.Kind != b.Kind) return a.Kind < b.Kind ? -1 : 1;
    if (a.Kind == Number_Kind && a.Number != b.Number) return a.Number < b.Number ? -1 : 1;
    for (size_t i = 0; i < a.Key.Prefix.size(); ++i)
        if (a.Key.Prefix[i] != b.Key.Prefix[i]) return a.Key.Prefix[i] < b.Key.Prefix[i] ? -1 : 1;
    return 0;
}

template <bool Ascending> struct Coarse_Less {
    bool operator()(const Sort_Item& a, const Sort_Item& b) const {
        const int c = Ascending ? Coarse_Compare(*a.value, *b.value) : Coarse_Compare(*b.value, *a.value);
        return c != 0 ? c < 0 : a.pos < b.pos;
    }
};

template <bool Ascending> struct Fine_Less {
    bool operator()(const Sort_Item& a, const Sort_Item& b) const {
        const int c = Ascending ? Text_Order_Compare(a.value->Text, b.value->Text)
                                : Text_Order_Compare(b.value->Text, a.value->Text);
        return c != 0 ? c < 0 : a.pos < b.pos;
    }
};

bool Same_Text(const QString& a, const QString& b) {
    return a.size() == b.size() && (a.constData() == b.constData() || a == b);
}

template <bool Ascending> void Sort_Items(std::vector<Sort_Item>& items) {
    std::sort(items.begin(), items.end(), Coarse_Less<Ascending>());
    // Runs whose keys tie are ordered by their full texts, unless they hold one text
    // only (repeated labels, the usual case): those are in their previous order already.
    const auto n = items.size();
    for (size_t i = 0; i < n;) {
        size_t j = i + 1;
        while (j < n && Coarse_Compare(*items[i].value, *items[j].value) == 0) ++j;
        bool one_text = true;
        for (size_t k = i + 1; k < j && one_text; ++k) one_text = Same_Text(items[k].value->Text, items[i].value->Text);
        if (!one_text)
            std::sort(items.begin() + static_cast<std::ptrdiff_t>(i), items.begin() + static_cast<std::ptrdiff_t>(j),
                      Fine_Less<Ascending>());
        i = j;
    }
}

}  // namespace

Result_Model::Sort_Value Result_Model::Sort_Value_Of(int row, int col, Sort_Rule rule) const {
    Sort_Value v;
    if (row < 0 || row >= Records() || col < 0 || col >= Columns()) return v;
    const Column& c = cols_[static_cast<size_t>(col)];
    double number = 0;
    // A whole number of the store needs no text to compare by.
    const bool stored_number =
        rule != Sort_Rule::Text && !c.Coded && Stored_Number(ids_[static_cast<size_t>(row)], c.Field, number);
    v.Text = Text(row, col);
    v.Key = Text_Order_Key_Of(v.Text);
    switch (rule) {
    case Sort_Rule::Text: break;
    case Sort_Rule::Generic:
        if (stored_number) {
            v.Number = number;
            v.Kind = Number_Kind;
        } else if (const auto n = Text_Number(v.Text)) {
            v.Number = *n;
            v.Kind = Number_Kind;
        } else {
            v.Kind = Text_Order_Leads_Before_Digits(v.Key) ? 0 : 2;
        }
        break;
    case Sort_Rule::Number:
        if (stored_number) {
            v.Number = number;
            v.Kind = Number_Kind;
        } else if (const auto n = Text_Number_Or_Date(v.Text)) {
            v.Number = *n;
            v.Kind = Number_Kind;
        }
        break;
    }
    return v;
}

void Result_Model::Sort_Stable(int col, Sort_Rule rule, bool ascending, std::vector<int>& order) const {
    const size_t n = order.size();
    // Values once per row, in row order (the store is read in the order it was filled).
    std::vector<Sort_Value> values(n);
    for (size_t r = 0; r < n; ++r) values[r] = Sort_Value_Of(static_cast<int>(r), col, rule);
    std::vector<Sort_Item> items(n);
    for (size_t i = 0; i < n; ++i) items[i] = {&values[static_cast<size_t>(order[i])], static_cast<int>(i), order[i]};
    if (ascending)
        Sort_Items<true>(items);
    else
        Sort_Items<false>(items);
    for (size_t i = 0; i < n; ++i) order[i] = items[i].row;
}

void Result_Model::Apply_Order(const std::vector<int>& from) {
    bool moved = false;
    for (size_t i = 0; i < from.size() && !moved; ++i) moved = from[i] != static_cast<int>(i);
    if (!moved) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<qint32> ids(ids_.size());
    for (size_t i = 0; i < from.size(); ++i) ids[i] = ids_[static_cast<size_t>(from[i])];
    ids_.swap(ids);
    for (Column& c : cols_) {
        if (c.Label_Of_Row.empty()) continue;
        std::vector<quint32> labels(c.Label_Of_Row.size());
        for (size_t i = 0; i < from.size(); ++i) labels[i] = c.Label_Of_Row[static_cast<size_t>(from[i])];
        c.Label_Of_Row.swap(labels);
    }
    row_of_record_.clear();
    if (!before.isEmpty()) {
        std::vector<int> to(from.size());
        for (size_t i = 0; i < from.size(); ++i) to[static_cast<size_t>(from[i])] = static_cast<int>(i);
        QModelIndexList after;
        after.reserve(before.size());
        for (const QModelIndex& i : before) after << index(to[static_cast<size_t>(i.row())], i.column());
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void Result_Model::Sort(int col, Sort_Rule rule, bool ascending) {
    if (col < 0 || col >= Columns() || Records() < 2) return;
    std::vector<int> order(ids_.size());
    std::iota(order.begin(), order.end(), 0);
    Sort_Stable(col, rule, ascending, order);
    Apply_Order(order);
}

void Result_Model::Sort(const std::vector<Sort_Key>& keys) {
    if (Records() < 2) return;
    std::vector<int> order(ids_.size());
    std::iota(order.begin(), order.end(), 0);
    // The last key first: each stable sort keeps the order of the later keys within its ties.
    for (auto k = keys.rbegin(); k != keys.rend(); ++k)
        if (k->Column >= 0 && k->Column < Columns()) Sort_Stable(k->Column, Sort_Rule::Generic, k->Ascending, order);
    Apply_Order(order);
}

// --- Qt's model interface -----------------------------------------------------------------

int Result_Model::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Records(); }

int Result_Model::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Columns(); }

QVariant Result_Model::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row(), col = index.column();
    switch (role) {
    case Qt::DisplayRole: return Text(row, col);
    case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case Record_Role: return Record_At(row);
    case Merged_Above_Role: return Same_As_Above(row, col);
    default: return {};
    }
}

QVariant Result_Model::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole: return Heading(section);
    case Arrow_Role: return static_cast<int>(Arrow(section));
    case Key_Number_Role: return Key_Number(section);
    default: return {};
    }
}

Qt::ItemFlags Result_Model::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
