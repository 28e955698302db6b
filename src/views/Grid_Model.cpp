#include "views/Grid_Model.h"

#include "model/Value.h"

#include <algorithm>

Grid_Model::Grid_Model(Text_Grid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
    previous_ = grid_.Listener();
    grid_.Set_Listener(this);
    Take_Sizes();
}

Grid_Model::~Grid_Model() {
    if (grid_.Listener() == this) grid_.Set_Listener(previous_);
}

void Grid_Model::Take_Sizes() {
    fixed_rows_ = grid_.Fixed_Rows();
    rows_ = std::max(grid_.Rows() - fixed_rows_, 0);
    cols_ = grid_.Cols();
}

int Grid_Model::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int Grid_Model::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

Qt::Alignment Grid_Model::To_Qt_Alignment(Grid_Alignment a, const QString& text) {
    switch (a) {
    case Grid_Alignment::Left_Top: return Qt::AlignLeft | Qt::AlignTop;
    case Grid_Alignment::Left_Center: return Qt::AlignLeft | Qt::AlignVCenter;
    case Grid_Alignment::Left_Bottom: return Qt::AlignLeft | Qt::AlignBottom;
    case Grid_Alignment::Center_Top: return Qt::AlignHCenter | Qt::AlignTop;
    case Grid_Alignment::Center_Center: return Qt::AlignCenter;
    case Grid_Alignment::Center_Bottom: return Qt::AlignHCenter | Qt::AlignBottom;
    case Grid_Alignment::Right_Top: return Qt::AlignRight | Qt::AlignTop;
    case Grid_Alignment::Right_Center: return Qt::AlignRight | Qt::AlignVCenter;
    case Grid_Alignment::Right_Bottom: return Qt::AlignRight | Qt::AlignBottom;
    case Grid_Alignment::General: break;
    }
    return (Parse_Number(text) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

QVariant Grid_Model::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= cols_) return {};
    const int r = Grid_Row(index.row()), c = index.column();
    // Between a change and its notice the grid may be smaller than we were told.
    if (r >= grid_.Rows() || c >= grid_.Cols()) return {};
    switch (role) {
    case Qt::DisplayRole: return grid_.Text_Matrix(r, c);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(To_Qt_Alignment(grid_.Col_Alignment(c), grid_.Text_Matrix(r, c)));
    case Merged_Above_Role: return grid_.Merged_With_Above(r, c);
    case Picture_Role: return static_cast<int>(grid_.Cell_Picture(r, c));
    case Picture_Alignment_Role: return static_cast<int>(grid_.Cell_Picture_Alignment(r, c));
    case Grid_Row_Role: return r;
    default: return {};
    }
}

Qt::ItemFlags Grid_Model::flags(const QModelIndex& index) const {
    if (!index.isValid() || !rows_selectable_) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void Grid_Model::Set_Rows_Selectable(bool on) {
    if (on == rows_selectable_) return;
    rows_selectable_ = on;
    if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1), {});
}

void Grid_Model::Grid_Reset() {
    beginResetModel();
    Take_Sizes();
    endResetModel();
    emit Fixed_Cells_Changed();
    emit Layout_Changed();
}

void Grid_Model::Grid_Cells_Changed(int r1, int c1, int r2, int c2) {
    if (r1 < fixed_rows_) emit Fixed_Cells_Changed();
    // The row below may merge with a changed cell, or stop merging.
    const int m1 = std::max(r1 - fixed_rows_, 0), m2 = std::min(r2 + 1 - fixed_rows_, rows_ - 1);
    const int k1 = std::max(c1, 0), k2 = std::min(c2, cols_ - 1);
    if (m1 <= m2 && k1 <= k2) emit dataChanged(index(m1, k1), index(m2, k2));
}

void Grid_Model::Grid_Layout_Changed() {
    // Fixed rows are not model rows, so a new fixed count is a new set of rows.
    if (grid_.Fixed_Rows() != fixed_rows_) {
        beginResetModel();
        Take_Sizes();
        endResetModel();
        emit Fixed_Cells_Changed();
    }
    emit Layout_Changed();
}

void Grid_Model::Reset_Views() {
    beginResetModel();
    Take_Sizes();
    endResetModel();
}

void Grid_Model::Grid_Current_Changed() { emit Current_Changed(); }

void Grid_Model::Grid_Redraw_On() { emit Redraw_On(); }
