#pragma once
// The list printer: every record of the result grid as a block of "label: value" pairs
// on the lines of a fixed layout, word-wrapped to the page, records separated by a
// short rule, every page headed by the date, the page number, the report title and the
// search in words. All measures are millimetres on the output device.
#include "output/Print_Device.h"
#include "search/Result_Model.h"

#include <QColor>
#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QPrinter;
class QWidget;

class List_Printer {
public:
    List_Printer();
    ~List_Printer();
    List_Printer(const List_Printer&) = delete;
    List_Printer& operator=(const List_Printer&) = delete;

    // Set before Print_List.
    const Result_Model* Result = nullptr;
    QString Report_Title;
    QString Selection_Criteria;  // the search window's Criteria_Sentence_Of
    QString Order_By;  // and its Order_Sentence
    int Last_Row = -1;  // last record to print, counted from 1; -1: the result's last
    QString Language;  // "" : the language of the result
    QDate Print_Date;  // null: today
    QWidget* Parent = nullptr;  // of the dialogs and questions
    // Told when the job starts (once the set-up dialog is accepted: 0 done) and after each
    // page how many records of how many are printed; false stops the job (as the user's
    // stop: the document is cancelled, Print_List answers false).
    std::function<bool(int done, int total)> Progress;
    // Asked when a record (its place in the result, from 1) is too large for a page: true leaves it out and
    // goes on, false stops the job. Unset: left out.
    std::function<bool(int row)> Go_On_Without_Row;

    QColor Rule_Colour = Qt::black;
    double Gap = 1.0;
    qint16 Spacing = 1;

    // The printer the set-up dialog edits (copies, orientation).
    QPrinter& Printer();
    // Prints on this device instead of the printer (the set-up dialog is still shown).
    void Set_Output_Device(Print_Device* device) { test_device_ = device; }

    // preview: the pages go to a preview window instead of the printer. PrintType 2 is
    // the list; 1 (a table) is printed as the list too. PrintFormat 0..2 picks the
    // layout. False when the set-up dialog was cancelled or the job was stopped.
    bool Print_List(bool preview, int PrintType, int PrintFormat, const std::vector<bool>& Column_Export);
    // The job itself on a device, every copy with its pages numbered from 1.
    bool Print_Job(Print_Device& device, int copies, int PrintFormat, const std::vector<bool>& Column_Export);

    // One laid-out field: its label and value lines with their positions.
    struct Laid_Field {
        double Label_X = 0, Label_Y = 0;
        QStringList Label_Lines;
        double Value_X = 0, Value_Y = 0;
        QStringList Value_Lines;
    };
    // Lays out field Field_Position (1-based) of record Row (from 1), column Column (from 1), at
    // (PosX, PosY); LenX receives the next free X on the line, Field_Bottom the bottom of
    // the field. The table grows as needed.
    void Lay_Out_Field(int Row, int Column, int Field_Position, double PosX, double PosY, double& LenX,
                       double& Field_Bottom, std::vector<Laid_Field>& Table);

    struct Wrapped {
        QString Text;  // lines joined with LF
        double Width = 0;  // of the widest line
    };
    Wrapped Wrap_Text(const QString& text, double limit);

    // The record layouts, one per field set, tab separated; lines LF separated;
    // numbers are record-description positions, negative ones printed only when not empty.
    static QString Layouts();

private:
    void Copy_Grid_Font();
    void Set_Page_Geometry();
    void Measure_Columns(const std::vector<bool>& Column_Export);
    bool Print_Page_Header();
    bool Print_List_Header();
    bool Print_List_Page(int PrintFormat, const std::vector<bool>& Column_Export);
    bool Print_Centred_Block(const QString& text, int& lines);
    bool Print_Lines(double x, double y, const QStringList& lines);
    bool Selected(const std::vector<bool>& Column_Export, int col) const;
    int Last_Record_Row() const;
    // Row 0: the headings; column c is model column c - 1, row r model row r - 1.
    QString Cell(int row, int col) const;
    static QStringList Lines_Of(const QString& wrapped);
    QString Language_In_Use() const;

    std::unique_ptr<QPrinter> printer_;  // made when first needed: asking for it looks printers up
    Print_Device* test_device_ = nullptr;
    Print_Device* out_ = nullptr;

    double left_margin_ = 10, top_margin_ = 15;
    double bottom_limit_ = 0, right_limit_ = 0;
    double line_height_ = 0;
    double current_y_ = 0;
    int page_number_ = 1;
    int current_row_ = 1;
    bool go_on_ = true;
    std::vector<double> label_width_, value_width_;
    // "label:" of every column, made once per job: a long job prints it on every record.
    std::vector<QString> label_text_;
    std::vector<int> col_of_pos_, pos_of_col_;
};

// The question the windows ask for a record too large for a page.
QString Oversized_Row_Question(int row);
