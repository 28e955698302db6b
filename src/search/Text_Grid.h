#pragma once
// A grid of text cells addressed by row and column from 0: what the code picker's list
// needs from a grid, without the painting. A view shows it
// through Text_Grid_Listener; everything else (sizes, pictures, merging, the current
// cell) is kept here so that the engine and its tests see the same grid the user does.
//
// Bad indexes never fail: reads give an empty text or a default, writes are ignored
// and answer false.
#include <QHash>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <vector>

// Cell and picture alignment; the numbers are those of the grid's property values.
enum class Grid_Alignment : quint8 {
    Left_Top,
    Left_Center,
    Left_Bottom,
    Center_Top,
    Center_Center,
    Center_Bottom,
    Right_Top,
    Right_Center,
    Right_Bottom,
    General,  // text left, numbers right, vertically centred
};

enum class Grid_Picture : quint8 { None, Ascending, Descending };

// Vertical merging only: horizontal neighbours are never merged.
enum class Grid_Merge : quint8 { Never, Free, Restrict_Rows, Restrict_Columns, Restrict_Both };

struct Grid_Font {
    QString Name = QStringLiteral("Sans Serif");
    double Size = 8.25;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;

    bool operator==(const Grid_Font&) const = default;
};

// What a view hears. While redraw is off, the grid keeps what changed and tells it in
// one go when redraw comes back on: Grid_Reset when the structure or the row order
// changed, otherwise Grid_Cells_Changed (the bounding box) and/or Grid_Layout_Changed,
// then Grid_Redraw_On. So a view must not trust the grid's sizes between two calls:
// it answers from the sizes it was last told and checks every index.
class Text_Grid_Listener {
public:
    virtual ~Text_Grid_Listener() = default;
    // Rows, columns or the order of rows changed, or every cell was cleared.
    virtual void Grid_Reset() {}
    // Texts of the cells in rows r1..r2, columns c1..c2 changed.
    virtual void Grid_Cells_Changed(int /*r1*/, int /*c1*/, int /*r2*/, int /*c2*/) {}
    // Widths, heights, alignment, font, merging, pictures, fixed rows or columns, first
    // visible row or column.
    virtual void Grid_Layout_Changed() {}
    // Current cell or selection moved; told at once, even with redraw off.
    virtual void Grid_Current_Changed() {}
    virtual void Grid_Redraw_On() {}
};

class Text_Grid {
public:
    static constexpr int Default_Col_Width = 960;  // twips
    static constexpr int Default_Row_Height = 240;  // twips

    Text_Grid();
    // A copy has the cells and settings, never the listener.
    Text_Grid(const Text_Grid& other);
    Text_Grid& operator=(const Text_Grid& other);
    ~Text_Grid() = default;

    void Set_Listener(Text_Grid_Listener* listener) { listener_ = listener; }
    Text_Grid_Listener* Listener() const { return listener_; }

    // Structure. Growing adds empty cells of default size; shrinking drops the last
    // rows or columns. Fixed counts and the current cell are kept within range.
    int Rows() const { return d_.rows; }
    bool Set_Rows(int rows);
    int Cols() const { return d_.cols; }
    bool Set_Cols(int cols);
    int Fixed_Rows() const { return d_.fixed_rows; }
    bool Set_Fixed_Rows(int n);
    int Fixed_Cols() const { return d_.fixed_cols; }
    bool Set_Fixed_Cols(int n);
    // Every cell's text and picture goes; sizes and settings stay.
    void Clear();

    // Cells.
    const QString& Text_Matrix(int row, int col) const;
    bool Set_Text_Matrix(int row, int col, const QString& text);
    bool Set_Text_Matrix(int row, int col, QString&& text);

    // Sizes in twips; width 0 hides a column (its cells keep their texts). A negative
    // size puts back the default.
    int Col_Width(int col) const;
    bool Set_Col_Width(int col, int twips);
    int Row_Height(int row) const;
    bool Set_Row_Height(int row, int twips);
    Grid_Alignment Col_Alignment(int col) const;
    bool Set_Col_Alignment(int col, Grid_Alignment a);
    const Grid_Font& Font() const { return d_.font; }
    void Set_Font(const Grid_Font& font);

    // Current cell and selection. Setting the row or column also moves the selection
    // end there, as the grid control does.
    int Row() const { return d_.row; }
    bool Set_Row(int row);
    int Col() const { return d_.col; }
    bool Set_Col(int col);
    int Row_Sel() const { return d_.row_sel; }
    bool Set_Row_Sel(int row);
    int Col_Sel() const { return d_.col_sel; }
    bool Set_Col_Sel(int col);
    // First scrollable row and column shown (fixed rows and columns are always shown).
    int Top_Row() const { return d_.top_row; }
    bool Set_Top_Row(int row);
    int Left_Col() const { return d_.left_col; }
    bool Set_Left_Col(int col);

    // Geometry from the sizes and the scroll position, in twips from the grid's
    // top-left corner (inside its border). Col_Pos of a column scrolled out to the left
    // is negative. Col_At/Row_At: the column or row at that distance, -1 when none.
    int Col_Pos(int col) const;
    int Row_Pos(int row) const;
    int Col_At(int x) const;
    int Row_At(int y) const;

    // Redraw switch; see Text_Grid_Listener.
    bool Redraw() const { return d_.redraw; }
    void Set_Redraw(bool on);

    // Merging of vertically neighbouring cells with identical text.
    Grid_Merge Merge_Cells() const { return d_.merge; }
    void Set_Merge_Cells(Grid_Merge mode);
    bool Merge_Col(int col) const;
    bool Set_Merge_Col(int col, bool on);
    // True when the view shows (row, col) as one cell with (row - 1, col): merging on
    // for the grid (any mode but Never and Restrict_Rows) and the column, the same text,
    // both rows fixed or both not. Restrict_Both also asks that the cell on the left,
    // if any, is merged with the one above it.
    bool Merged_With_Above(int row, int col) const;

    // Pictures per cell (the sort arrows of the header row) and their alignment.
    Grid_Picture Cell_Picture(int row, int col) const;
    bool Set_Cell_Picture(int row, int col, Grid_Picture p);
    Grid_Alignment Cell_Picture_Alignment(int row, int col) const;
    bool Set_Cell_Picture_Alignment(int row, int col, Grid_Alignment a);
    // A number drawn beside the picture (the key number of a multi-column order); 0 none.
    int Cell_Picture_Number(int row, int col) const;
    bool Set_Cell_Picture_Number(int row, int col, int n);

private:
    struct Cell_Pic {
        Grid_Picture picture = Grid_Picture::None;
        Grid_Alignment alignment = Grid_Alignment::Left_Center;
        quint8 number = 0;
    };
    enum Pending : quint8 { Pending_Reset = 1, Pending_Cells = 2, Pending_Layout = 4 };

    bool Valid_Row(int row) const { return row >= 0 && row < d_.rows; }
    bool Valid_Col(int col) const { return col >= 0 && col < d_.cols; }
    QString& Cell(int row, int col) { return d_.columns[col][d_.order[row]]; }
    const QString& Cell(int row, int col) const { return d_.columns[col][d_.order[row]]; }
    static quint64 Pic_Key(int row, int col) { return static_cast<quint64>(row) << 32 | static_cast<quint32>(col); }
    void Keep_In_Range();
    void Changed_Reset();
    void Changed_Cells(int r1, int c1, int r2, int c2);
    void Changed_Layout();
    void Changed_Current();
    void Compact_Rows();

    struct Data {
        int rows = 0, cols = 0, fixed_rows = 0, fixed_cols = 0;
        // Column by column, each indexed by a row's slot; order gives the slot of each
        // row, so that a sort moves numbers, not texts.
        std::vector<std::vector<QString>> columns;
        std::vector<int> order;
        std::vector<int> col_width, row_height;
        std::vector<Grid_Alignment> col_alignment;
        std::vector<bool> merge_col;
        QHash<quint64, Cell_Pic> pictures;
        Grid_Font font;
        int row = 0, col = 0, row_sel = 0, col_sel = 0, top_row = 0, left_col = 0;
        bool redraw = true;
        Grid_Merge merge = Grid_Merge::Never;
        // What changed while redraw was off.
        quint8 pending = 0;
        int pr1 = 0, pc1 = 0, pr2 = -1, pc2 = -1;
    };
    Data d_;
    Text_Grid_Listener* listener_ = nullptr;
};
