#include "views/Select_Ref.h"

#include "model/Record_Description.h"
#include "model/Refs.h"
#include "views/Grid_Widget.h"
#include "winsupport/Twips.h"
#include "winsupport/Window_Utils.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>

namespace {
// Design geometry, twips.
constexpr int Inner_Width = 7560, Inner_Height = 3765;
constexpr int Code_Left = 0, Code_Width = 1035;
constexpr int Val_Left = 1080, Val_Width = 6495;
constexpr int Filter_Top = 0, Filter_Height = 285;
constexpr int List_Top = 300, List_Width = 7575, List_Height = 2595;
constexpr int Selected_Top = 2940;
constexpr int Button_Top = 3360, Button_Width = 1095, Button_Height = 315;
constexpr int Cancel_Left = 2520, Ok_Left = 3840;
constexpr int Heading_Rows = 1;  // "Code" and "Name" above the list
}  // namespace

Select_Ref::Select_Ref(QWidget* parent) : QDialog(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Code_Search = new QLineEdit(this);
    Code_Search->setObjectName(QStringLiteral("Code_Search"));
    Code_Search->setPlaceholderText(QStringLiteral("Code"));
    Code_Search->setToolTip(QStringLiteral("Shows the codes that contain this text"));
    Val_Search = new QLineEdit(this);
    Val_Search->setObjectName(QStringLiteral("Val_Search"));
    Val_Search->setPlaceholderText(QStringLiteral("Name"));
    Val_Search->setToolTip(QStringLiteral("Shows the codes whose name contains this text"));

    // Two columns under their headings; whole rows are chosen.
    list_grid_.Set_Fixed_Cols(0);
    list_grid_.Set_Rows(Heading_Rows);
    list_grid_.Set_Fixed_Rows(Heading_Rows);
    list_grid_.Set_Cols(2);
    list_grid_.Set_Text_Matrix(0, 0, QStringLiteral("Code"));
    list_grid_.Set_Text_Matrix(0, 1, QStringLiteral("Name"));
    List = new Grid_Widget(list_grid_, this);
    List->setObjectName(QStringLiteral("List"));
    List->Set_Selection_Mode(Grid_Selection_Mode::By_Row);
    // The two columns fill the list; the vertical bar only covers the labels' far end,
    // which a horizontal bar would not make easier to read.
    List->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    Code_Selected = new QLabel(this);
    Code_Selected->setObjectName(QStringLiteral("Code_Selected"));
    Val_Selected = new QLabel(this);
    Val_Selected->setObjectName(QStringLiteral("Val_Selected"));
    for (QLabel* l : {Code_Selected, Val_Selected}) l->setTextFormat(Qt::PlainText);
    Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    Ok = new QPushButton(QStringLiteral("Ok"), this);
    Ok->setObjectName(QStringLiteral("Ok"));
    // Enter takes the choice, Escape is Cancel (the dialog's own reject).
    Ok->setDefault(true);
    Cancel->setAutoDefault(false);

    Place_Twips(Code_Search, Code_Left, Filter_Top, Code_Width, Filter_Height);
    Place_Twips(Val_Search, Val_Left, Filter_Top, Val_Width, Filter_Height);
    Place_Twips(List, 0, List_Top, std::min(List_Width, Inner_Width), List_Height);
    Place_Twips(Code_Selected, Code_Left, Selected_Top, Code_Width, Filter_Height);
    Place_Twips(Val_Selected, Val_Left, Selected_Top, Val_Width, Filter_Height);
    Place_Twips(Cancel, Cancel_Left, Button_Top, Button_Width, Button_Height);
    Place_Twips(Ok, Ok_Left, Button_Top, Button_Width, Button_Height);
    resize(Twips_To_Pixels_X(Inner_Width, this), Twips_To_Pixels_Y(Inner_Height, this));
    setMinimumSize(Twips_To_Pixels_X(Ok_Left + Button_Width, this), Twips_To_Pixels_Y(Inner_Height, this));

    connect(Code_Search, &QLineEdit::textChanged, this, &Select_Ref::Code_Search_Change);
    connect(Val_Search, &QLineEdit::textChanged, this, &Select_Ref::Val_Search_Change);
    connect(List, &Grid_Widget::RowColChange, this, &Select_Ref::List_RowColChange);
    connect(List, &Grid_Widget::SelChange, this, &Select_Ref::List_SelChange);
    connect(List, &Grid_Widget::DblClick, this, &Select_Ref::List_DblClick);
    connect(Ok, &QPushButton::clicked, this, &Select_Ref::Ok_Click);
    for (QLineEdit* box : {Code_Search, Val_Search}) box->installEventFilter(this);
    Add_Mnemonics(this);
    connect(Cancel, &QPushButton::clicked, this, &Select_Ref::Cancel_Click);
}

Select_Ref::~Select_Ref() {
    if (loaded_ && !unloaded_) Form_Unload();
}

void Select_Ref::Form_Load() {
    loaded_ = true;
    unloaded_ = false;
    const QString current = Cur_Control ? Cur_Control->text() : QString();
    if (Cur_Champ) {
        setWindowTitle(QStringLiteral("Choose \"%1\"").arg(Cur_Champ->Get_Libelle_In_Langue(Current_Language)));
        only_value_ = Cur_Champ->Ref_Listes && Cur_Champ->Ref_Listes->Only_Value;
    }
    Code_Selected->setText(current);
    Val_Selected->setText(Cur_Champ ? To_Text(Cur_Champ->Get_Data(current, QStringLiteral("V"))) : QString());

    list_grid_.Set_Col_Width(0, only_value_ ? 0 : Code_Width);
    Code_Search->setVisible(!only_value_);
    Code_Selected->setVisible(!only_value_);

    // Both filters empty: the whole table.
    {
        const QSignalBlocker a(Code_Search), b(Val_Search);
        Code_Search->clear();
        Val_Search->clear();
    }
    Fill_Code_List();
    Form_Resize();
    c_est_ok = false;
    valeur_de_retour.clear();
}

void Select_Ref::Code_Search_Change() { Fill_Code_List(); }
void Select_Ref::Val_Search_Change() { Fill_Code_List(); }

void Select_Ref::Fill_Code_List() {
    Filtered_Refs.reset();
    Filtered_Refs =
        Cur_Champ ? Cur_Champ->Get_List_Filtered(Code_Search->text(), Val_Search->text()) : std::make_shared<Refs>();
    // While the list is rebuilt its current row means nothing: the labels under the
    // list keep the last choice, which OK still writes when nothing passes the filters.
    filling_ = true;
    int found = -1;
    list_grid_.Set_Redraw(false);
    list_grid_.Set_Rows(Heading_Rows + Filtered_Refs->Count());
    list_grid_.Set_Col_Alignment(0, Grid_Alignment::Right_Center);
    list_grid_.Set_Col_Alignment(1, Grid_Alignment::Left_Center);
    const QString chosen = Code_Selected->text();
    int r = Heading_Rows;
    for (const Ref& ref : *Filtered_Refs) {
        list_grid_.Set_Text_Matrix(r, 0, ref.Cle());
        list_grid_.Set_Text_Matrix(r, 1, ref.Valeur);
        if (found < 0 && ref.Cle() == chosen) {
            found = r;
            list_grid_.Set_Row(r);
            list_grid_.Set_Col(0);
            list_grid_.Set_Col_Sel(1);
        }
        ++r;
    }
    list_grid_.Set_Redraw(true);
    // The row drawn as chosen is always the one the labels under the list show: none
    // when that code did not pass the filters.
    List->Set_Selection_Shown(found >= 0);
    filling_ = false;
    if (found >= 0) List_SelChange();
}

void Select_Ref::List_RowColChange() {
    if (filling_ || list_grid_.Rows() <= Heading_Rows) return;
    const int row = list_grid_.Row();
    if (row < Heading_Rows) return;
    Code_Selected->setText(list_grid_.Text_Matrix(row, 0));
    Val_Selected->setText(list_grid_.Text_Matrix(row, 1));
}

void Select_Ref::List_SelChange() {
    if (filling_ || list_grid_.Rows() <= Heading_Rows) return;
    const int row = std::max(list_grid_.Row_Sel(), Heading_Rows);
    if (list_grid_.Row() != row) list_grid_.Set_Row(row);
    if (list_grid_.Col() != 0) list_grid_.Set_Col(0);
    if (list_grid_.Row_Sel() != row) list_grid_.Set_Row_Sel(row);
    if (list_grid_.Col_Sel() != 1) list_grid_.Set_Col_Sel(1);
    // Four rows of the list above it, when there are as many.
    if (!List->Row_Is_Visible(row)) list_grid_.Set_Top_Row(std::max(row - 4, Heading_Rows));
}

void Select_Ref::List_DblClick() {
    List_RowColChange();
    Ok_Click();
}

void Select_Ref::Ok_Click() {
    const QString chosen = Code_Selected->text();
    if (!chosen.isEmpty() && Cur_Control && Cur_Control->text() != chosen) {
        Cur_Control->setText(chosen);
        valeur_de_retour = chosen;
        c_est_ok = true;
    }
    Unload_Window(QDialog::Accepted);
}

void Select_Ref::Cancel_Click() { Unload_Window(QDialog::Rejected); }

void Select_Ref::Unload_Window(int result) {
    if (!unloaded_) Form_Unload();
    QDialog::done(result);
}

void Select_Ref::Form_Unload() {
    Filtered_Refs.reset();
    Cur_Champ = nullptr;
    if (c_est_ok && Cur_Control) Cur_Control->setText(valeur_de_retour);
    Cur_Control = nullptr;
    unloaded_ = true;
}

void Select_Ref::Form_Resize() {
    if (resizing_) return;
    resizing_ = true;
    // Our width is the inner one: the platform's frame lies outside it.
    const int W = Pixels_To_Twips_X(width(), this);
    const int left = only_value_ ? 0 : Val_Left;
    const int w = std::max(W - left, 0);
    Place_Twips(Val_Search, left, Filter_Top, w, Filter_Height);
    Place_Twips(Val_Selected, left, Selected_Top, w, Filter_Height);
    list_grid_.Set_Col_Width(1, w);
    resizing_ = false;
}

bool Select_Ref::eventFilter(QObject* watched, QEvent* e) {
    // Down from a filter box goes into the list and chooses its row (the first one when
    // none is shown as chosen).
    if ((watched == Code_Search || watched == Val_Search) && e->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Down && list_grid_.Rows() > Heading_Rows) {
        if (!List->Selection_Shown()) {
            List->Set_Selection_Shown(true);
            list_grid_.Set_Row(Heading_Rows);
            list_grid_.Set_Col(0);
            list_grid_.Set_Col_Sel(1);
        }
        List_RowColChange();
        List_SelChange();
        List->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void Select_Ref::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    Form_Resize();
}

void Select_Ref::closeEvent(QCloseEvent* e) {
    // The close box is Cancel.
    if (!unloaded_ && loaded_) Form_Unload();
    QDialog::closeEvent(e);
}

void Select_Ref::reject() {
    if (!unloaded_ && loaded_) Form_Unload();
    QDialog::reject();
}
