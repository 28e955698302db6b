#pragma once
// The adapter between a Text_Grid and Qt's item views.
#include "search/Text_Grid.h"

#include <QAbstractTableModel>
#include <vector>

// The adapter between a Text_Grid and Qt's views: model row i is grid row
// Fixed_Rows + i; fixed rows are not model rows. Sizes are those the grid last told.
class Grid_Model : public QAbstractTableModel, public Text_Grid_Listener {
    Q_OBJECT
public:
    enum Role {
        Merged_Above_Role = Qt::UserRole + 1,  // bool: shown as one cell with the row above
        Picture_Role,  // int: Grid_Picture
        Picture_Alignment_Role,  // int: Grid_Alignment
        Grid_Row_Role,  // int: the grid row of the index
    };

    // Takes the grid's listener place; gives it back when destroyed.
    explicit Grid_Model(Text_Grid& grid, QObject* parent = nullptr);
    ~Grid_Model() override;

    Text_Grid& Grid() const { return grid_; }
    // What the model last told its views.
    int Told_Rows() const { return rows_; }
    int Told_Cols() const { return cols_; }
    int Told_Fixed_Rows() const { return fixed_rows_; }
    int Grid_Row(int model_row) const { return model_row + fixed_rows_; }
    int Model_Row(int grid_row) const { return grid_row - fixed_rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Qt alignment of a Grid_Alignment; General puts numbers right, other texts left.
    static Qt::Alignment To_Qt_Alignment(Grid_Alignment a, const QString& text);

    // Tells the views to start again from the grid as it is now: their sections come
    // back at one size, cheaper than resizing most of 65,535 rows one by one.
    void Reset_Views();
    // false: the data rows can be neither chosen nor reached (no record in them).
    void Set_Rows_Selectable(bool on);

signals:
    // Sizes, fonts, fixed counts, merging, pictures or the scroll position changed.
    void Layout_Changed();
    // The grid's current cell or selection moved.
    void Current_Changed();
    // Texts of the fixed rows changed (the header repaints).
    void Fixed_Cells_Changed();
    // Redraw was switched back on.
    void Redraw_On();

private:
    // Text_Grid_Listener
    void Grid_Reset() override;
    void Grid_Cells_Changed(int r1, int c1, int r2, int c2) override;
    void Grid_Layout_Changed() override;
    void Grid_Current_Changed() override;
    void Grid_Redraw_On() override;

    void Take_Sizes();

    Text_Grid& grid_;
    Text_Grid_Listener* previous_ = nullptr;
    int rows_ = 0, cols_ = 0, fixed_rows_ = 0;
    bool rows_selectable_ = true;
};
