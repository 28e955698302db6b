#pragma once
// The main window: three criterion rows over the records, the result grid with its
// count and output buttons, the language list and help.
//
// Each handler reads its controls, asks the engine (search/Criteria_Form.h, search/Search_Run.h, search/Sorting.h) and shows the
// answer. They are spread over four files by concern: Search_Window.cpp (opening, search,
// language, buttons), Search_Window_Grid.cpp (the grid under the mouse, cell sizing, sorting),
// Search_Window_Cell_Actions.cpp (the cell menu: quick filters, copying, counts) and
// Search_Window_Layout.cpp (geometry). The criterion rows (views/Criteria_Rows.h), the result
// view (views/Result_View.h) and the row of output buttons under it
// (views/Output_Buttons.h) are widgets of their own.
#include "search/Criteria.h"
#include "search/Search_Run.h"
#include "views/Cell_Fit.h"
#include "views/Sized_Controls.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QCompleter;
class QFrame;
class QKeyEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QModelIndex;
class QPushButton;
class QRadioButton;
class QSpacerItem;
class QToolButton;
class Criteria_Rows;
class Output_Buttons;
class Reload_Bar;
class Result_View;
struct Value_Entry;
struct Saved_Search;

class Search_Window : public QWidget {
    Q_OBJECT
public:
    static constexpr int Row_Count = Criterion_Row_Count;

    // Builds the controls and runs Load (which ends with the first search) on the
    // session's records; the language switch changes the session's language.
    explicit Search_Window(Session& session, QWidget* parent = nullptr);
    ~Search_Window() override;  // Terminate

    // ---------------------------------------------------------------- controls
    // Across the top, shown when the workbook changed on disk.
    Reload_Bar* Reload_Offer = nullptr;
    Criteria_Rows* Rows = nullptr;  // the three criterion rows under their headings
    QGroupBox* Combination = nullptr;
    QRadioButton* Combine_With_And = nullptr;
    QRadioButton* Combine_With_Or = nullptr;
    QCheckBox* Ignore_Accents_Box = nullptr;  // "Ignore accents", in the combination frame
    QPushButton* Submit = nullptr;
    QPushButton* Clear_Button = nullptr;  // under Submit
    QGroupBox* Display_Options = nullptr;
    QCheckBox* Adjust_Cell_Size_Box = nullptr;
    QCheckBox* Multi_Key_Box = nullptr;
    Drop_Down_List* Language_Box = nullptr;
    QLineEdit* Quick_Find_Box = nullptr;  // narrows the result shown (Ctrl+F)
    QPushButton* Save_Search_Button = nullptr;
    QPushButton* Open_Search_Button = nullptr;
    QToolButton* Recent_Searches_Button = nullptr;  // its menu: the searches used last
    Result_View* Result_Grid = nullptr;  // the view of Results.Model
    QLabel* Unwrapped_Measure_Label = nullptr;

    // ---------------------------------------------------------------- state
    Session& Session_In_Use;
    Search_Results Results;  // the records found, the sort state
    bool Loaded = false;
    bool Cache_Damage_Told = false;  // the user is told once
    QString Last_Tip_Cell;  // "row/col" of the cell whose tip is shown
    Hand_Widths Hand_Set_Widths;  // columns whose borders the user dragged
    // Sizes of a cell before any fitting, pixels, from the result's font.
    int Default_Col_Width = 64;
    int Default_Row_Height = 16;
    static constexpr double Result_Font_Points = 8.25;

    // What the search reads from the rows and the combination option.
    Criteria Read_Criteria() const;
    // The rows in words, as a printout's page header gives them.
    QString Criteria_Sentence() const;
    // ---------------------------------------------------------------- Search_Window.cpp
    void Load();
    void Run_Search_Now();
    // The three rows back as the window opens them.
    void Clear_Criteria();
    void Language_Changed();
    // The quick find text changed: the result shows only the records that show it.
    void Quick_Find_Changed();
    void Open_Manual();
    void Close_Window();
    void Open_Export();
    void Open_Print();
    void Open_Counts();
    // F5, "Reload" and the bar's button: once the value box being left has passed its
    // check, asks for the records to be loaded again.
    void Ask_Reload();
    void Terminate();

    // ---------------------------------------------------------------- Search_Window_Grid.cpp
    // The mouse rests over a cell that holds a text: its tip.
    void Show_Cell_Tip(int row, int col);
    // A press and release on one cell: its record opens (not with Shift or Ctrl, which
    // widen the selection).
    void Cell_Clicked(const QModelIndex& index);
    // A click on the heading of a column: it sorts, or opens the sort dialog.
    void Heading_Clicked(int col);
    // The user set a column's width by dragging its border.
    void Data_Column_Resized(int col);
    void Sort_Mode_Toggled();
    void Adjust_Cell_Size_Toggled();
    // "Adjust Cell Size" as the user left it last time.
    void Restore_Cell_Size_Choice();
    // Fits cells to their texts: every column (none given), or the rows to the wrapped
    // texts of column Only_Col. No column is made wider than the grid shows; widths set
    // by hand are kept.
    void Resize_Cell(std::optional<int> Only_Col = std::nullopt);
    // The sizes of a new result, or of "Adjust Cell Size" just changed: fitted to the
    // texts when ticked, otherwise rows of one line and columns sharing the grid's width.
    void Size_Cells();
    // Columns not set by hand share the grid's free width by their texts' widths.
    void Share_Free_Width();

    // ---------------------------------------------------------------- Search_Window_Cell_Actions.cpp
    // The menu of a cell (row -1: of a heading); the caller shows it and owns it.
    QMenu* Build_Cell_Menu(int row, int col, QWidget* parent);
    void Data_Context_Menu(int row, int col, QPoint global);
    // The first inactive criterion row gets "Equal" (Exclude: NOT "Equal") to the cell's
    // stored value, and the search runs; a message says why when it cannot.
    void Filter_From_Cell(int row, int col, bool Exclude);
    // The selected cells, with their headings, as the clipboard export writes them.
    void Copy_Selection();
    // The field shown in a column of the result, 0 when none.
    qint32 Field_Of_Col(int col) const;

    // ---------------------------------------------------------------- Search_Window_Saved.cpp
    // The search on screen as a file keeps it.
    Saved_Search Current_Search() const;
    void Save_Search();
    void Open_Search();
    // The file is checked whole before anything changes: a message names what is wrong
    // and the window stays as it was (false). Otherwise the search goes on the controls
    // and runs.
    bool Open_Search_File(const QString& path);
    // The searches saved or opened last, newest first.
    static QStringList Recent_Searches();
    static constexpr int Recent_Search_Count = 8;
    // The menu of Recent_Searches_Button, filled as it opens.
    void Fill_Recent_Menu();

    // ---------------------------------------------------------------- Search_Window_Layout.cpp
    // Height in pixels of a widget (the window: the room its drop-down lists may take).
    int Height_Of(const QWidget* w) const;

signals:
    // What the other windows answer; the program connects them where it is assembled.
    void Export_Asked(bool For_Printing);
    void Record_Asked(int record);
    // The counts of a field's values are asked for (field 0: none in particular).
    void Counts_Asked(qint32 field);
    // A search has filled the result grid.
    void Result_Shown();
    // The records are to be loaded again; whoever does it then runs the search again.
    void Reload_Asked();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    bool Key_Event(QObject* watched, QKeyEvent* e);
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void Build_Controls();
    void Build_Saved_Search_Controls();
    void Remember_Search(const QString& path);
    // Every caption in the interface's language.
    void Set_Texts();
    void Build_Grid_Area();
    void Connect_Controls();
    void Build_Layout();
    // The metrics the layout counts in, and a width of n average characters in pixels.
    QFontMetrics Layout_Metrics() const;
    int Chars(double n) const;
    int Row_Height() const;
    // The window's first size: as drawn, within the screen.
    void Fit_To_Screen();
    void Apply_Grid_Font();
    void Show_Count();
    void Connect_Grid();
    void Open_Record_Of_Row(int row);
    // The record of the grid's current row, as Enter or Space asks.
    void Open_Current_Record();
    // A new result starts at its first column.
    void Show_Top_Left();

    Output_Buttons* output_ = nullptr;  // Close, Export..., Print..., Counts..., the count, Help
    std::vector<int> content_widths_;  // pixels by column, per result; empty until asked
    bool terminated_ = false;
};
