#pragma once
// The result of a search: the ids of the matching records in the order shown, with the
// fields of the language as columns. Everything that shows, sorts, copies, exports,
// prints or counts the result reads it here, by record id, never from a shown text.
//
// Rows and columns count from 0, as Qt's. The column numbers the sort dialog, the sort
// keys and the export's column choice use count from 1 (column c is model column c - 1).
//
// The record store is read in a few functions only (Stored_Text, Stored_Number,
// Stored_Text_Id), straight from its typed columns; code labels are resolved once per
// code when the result is loaded, texts decoded when a cell is asked for.
#include "model/Value.h"
#include "search/Text_Order.h"

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <vector>

class Records_Table;
class Session;

// How a column is ordered:
//  Text: by Text_Order of the shown texts (labels for coded fields);
//  Number: by number, or by date value for a text that reads as a date or a time of day;
//    cells that read as neither (empty ones included) come first, in text order;
//  Generic: numbers as one block, by value, where the digits begin among the texts (after
//    texts that begin with a blank, punctuation or "_", before those beginning with a
//    digit or a letter); texts by Text_Order.
// Every order is total on distinct texts and stable: rows whose cells are identical keep
// their previous order, whichever the direction.
enum class Sort_Rule : quint8 { Text, Number, Generic };

// What a heading shows of the order: an arrow, and the key's number when there are
// several keys (0 otherwise).
enum class Sort_Arrow : quint8 { None, Ascending, Descending };

class Result_Model : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role {
        Record_Role = Qt::UserRole + 1,  // int: the record id of the row (data)
        Merged_Above_Role,  // bool: shows the same text as the cell above (data)
        Arrow_Role,  // int: Sort_Arrow of the column (headerData)
        Key_Number_Role,  // int: the key number beside the arrow, 0 none (headerData)
    };

    struct Sort_Key {
        int Column = 0;  // model column
        bool Ascending = true;
    };

    explicit Result_Model(QObject* parent = nullptr);

    // A new result: the fields of the session's language as columns and these records
    // of its table, in this order. Arrows go.
    void Load(const Session& session, std::vector<qint32> records);
    // The table the records are of (an empty one before the first Load).
    const Records_Table& Table() const { return *records_; }
    // Coded fields show the labels of their codes (the session's choice at Load).
    bool Shows_Code_Labels() const { return show_labels_; }
    // The language of the columns.
    const QString& Language() const { return lang_; }

    int Records() const { return static_cast<int>(ids_.size()); }
    const std::vector<qint32>& Record_Ids() const { return ids_; }
    // 0 when there is no such row.
    qint32 Record_At(int row) const;
    // The row of a record, -1 when it is not in the result.
    int Row_Of(qint32 record) const;

    int Columns() const { return static_cast<int>(cols_.size()); }
    // The field shown in a column, 0 when none; the column of a field, -1 when not shown.
    qint32 Field_At(int col) const;
    int Column_Of(qint32 field) const;
    QString Heading(int col) const;
    // Data_Type of the field is a text kind (a code, a text): exported quoted.
    bool Is_Text_Column(int col) const;

    // Every text of the column has a Windows-1252 byte per character (no text is decoded
    // but those the record store could not keep as such bytes).
    bool Fits_Cp1252(int col) const;

    // The shown text of a cell ("" out of range).
    QString Text(int row, int col) const;
    // A cell as the store keeps it, for an export that writes numbers and dates as such;
    // a cell of a text or coded column is its shown text, as the CSV file has it.
    Value Cell_Value(int row, int col) const;
    // True when the cell shows the same text as the one above it.
    bool Same_As_Above(int row, int col) const;

    // Stable sorts; the sort values are computed once, before sorting.
    void Sort(int col, Sort_Rule rule, bool ascending);
    // By several keys, each by the Generic rule: key 1 first, ties by key 2, ...
    void Sort(const std::vector<Sort_Key>& keys);

    // Quick find: only these records of the result are rows, in the result's order; or
    // all of them again. A sort while narrowed orders the whole result, so that it keeps
    // its order when widened. A Load shows all.
    void Show_Only(const std::vector<qint32>& records);
    void Show_All();
    bool Narrowed() const { return narrowed_; }
    // The whole result, whatever is shown: its records, and the text of a cell by its
    // place in it.
    int Result_Records() const { return static_cast<int>(narrowed_ ? result_ids_.size() : ids_.size()); }
    const std::vector<qint32>& Result_Record_Ids() const { return narrowed_ ? result_ids_ : ids_; }
    QString Result_Text(int result_row, int col) const;
    // A coded column's label number of a cell of the whole result (-1 in other columns),
    // and the label of a number: each label is worked on once, not once per row.
    int Result_Label_Number(int result_row, int col) const;
    QString Label(int col, int label_number) const;
    // A text cell of the record store in a column without labels, where it lies, and its
    // number in the store's pool (texts met again are worked on once); false for any
    // other cell.
    bool Result_Stored_Text(int result_row, int col, Text_View& text, std::uint32_t& text_id) const;
    // Changes with every Load: what was worked out from an earlier result is stale.
    quint64 Load_Count() const { return loads_; }

    Sort_Arrow Arrow(int col) const;
    int Key_Number(int col) const;
    void Set_Arrow(int col, Sort_Arrow arrow, int key_number = 0);
    void Clear_Arrows();

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The sort value of a cell, as Sort compares them: Kind first, then Number (numbers),
    // then Key and Text. A whole number of the store has no Key nor Text: equal numbers
    // of the store are written alike.
    struct Sort_Value {
        Text_Order_Key Key;
        double Number = 0;
        QString Text;
        quint8 Kind = 0;  // Generic: 0 texts before the digits, 1 numbers, 2 other texts; Number: 1 numbers
        bool Stored_Number = false;
    };
    Sort_Value Sort_Value_Of(int row, int col, Sort_Rule rule) const;

private:
    struct Column {
        qint32 Field = 0;
        QString Heading;
        bool Coded = false;  // shows the labels of its codes
        bool Text_Kind = false;
        std::vector<QString> Labels;  // coded: each distinct label once
        std::vector<quint32> Label_Of_Row;  // coded: index into Labels, row by row
        Sort_Arrow Arrow = Sort_Arrow::None;
        quint8 Key_Number = 0;
    };

    // The only reads of the record store.
    QString Stored_Text(qint32 record, qint32 field) const;
    bool Stored_Number(qint32 record, qint32 field, double& number) const;
    // The pool number of a text cell's text, -1 for any other cell.
    qint64 Stored_Text_Id(qint32 record, qint32 field) const;
    bool In_Store(qint32 record, qint32 field) const;

    void Apply_Order(const std::vector<int>& from);
    // Puts the rows in the order `from` gives, without telling the views.
    void Permute_Rows(const std::vector<int>& from);
    // Orders the whole result by `order_rows` (given the rows 0..n-1, it puts them in order).
    template <class Order_Rows> void Order_Result(Order_Rows order_rows);
    // Narrowed: the result's arrays and the shown ones change places.
    void Swap_Result_And_Shown();
    // Narrowed: the shown rows again from the whole result and the kept records.
    void Fill_Shown_Rows();
    void Sort_Stable(int col, Sort_Rule rule, bool ascending, std::vector<int>& order) const;

    const Records_Table* records_;
    bool show_labels_ = true;
    QString lang_;
    std::vector<qint32> ids_;
    std::vector<Column> cols_;
    mutable std::vector<int> row_of_record_;  // built on first Row_Of after a change

    bool narrowed_ = false;
    // Narrowed: the whole result (ids and, by column, the label numbers of coded columns)
    // and, by record id, whether it is shown.
    std::vector<qint32> result_ids_;
    std::vector<std::vector<quint32>> result_labels_;
    std::vector<char> kept_;
    quint64 loads_ = 0;
};
