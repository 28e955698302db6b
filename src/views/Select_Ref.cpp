#include "views/Select_Ref.h"

#include "model/Refs.h"
#include "model/Session.h"
#include "winsupport/Window_Utils.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

namespace {
// The window as first drawn, in pixels at 96 dpi; the code column is as wide as the
// code filter above it.
constexpr int Window_Width = 504, Window_Height = 251;
constexpr int Code_Width = 69, Button_Width = 73;
}  // namespace

Select_Ref::Select_Ref(const Session& session, QWidget* parent) : QDialog(parent), session_(session) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Code_Search = new QLineEdit(this);
    Code_Search->setObjectName(QStringLiteral("Code_Search"));
    Code_Search->setPlaceholderText(QStringLiteral("Code"));
    Code_Search->setToolTip(QStringLiteral("Shows the codes that contain this text"));
    Code_Search->setFixedWidth(Code_Width);
    Val_Search = new QLineEdit(this);
    Val_Search->setObjectName(QStringLiteral("Val_Search"));
    Val_Search->setPlaceholderText(QStringLiteral("Name"));
    Val_Search->setToolTip(QStringLiteral("Shows the codes whose name contains this text"));

    // Two columns under their headings; whole rows are chosen, one at a time.
    List = new QTableWidget(0, 2, this);
    List->setObjectName(QStringLiteral("List"));
    List->setHorizontalHeaderLabels({QStringLiteral("Code"), QStringLiteral("Name")});
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->setSelectionBehavior(QAbstractItemView::SelectRows);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setTabKeyNavigation(false);
    List->setWordWrap(false);
    List->verticalHeader()->hide();
    List->verticalHeader()->setDefaultSectionSize(List->fontMetrics().height() + 4);
    List->horizontalHeader()->setHighlightSections(false);
    List->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    List->horizontalHeader()->setStretchLastSection(true);
    List->setColumnWidth(0, Code_Width);
    // The label column fills the list; a label longer than that ends in "..." and the
    // line under the list shows it whole.
    List->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    Code_Selected = new QLabel(this);
    Code_Selected->setObjectName(QStringLiteral("Code_Selected"));
    Code_Selected->setFixedWidth(Code_Width);
    Code_Selected->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Val_Selected = new QLabel(this);
    Val_Selected->setObjectName(QStringLiteral("Val_Selected"));
    for (QLabel* l : {Code_Selected, Val_Selected}) l->setTextFormat(Qt::PlainText);
    // A long label may be cut in its line: the window never widens for it.
    Val_Selected->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    Ok = new QPushButton(QStringLiteral("Ok"), this);
    Ok->setObjectName(QStringLiteral("Ok"));
    // Enter takes the choice, Escape is Cancel (the dialog's own reject).
    Ok->setDefault(true);
    Cancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {Cancel, Ok}) {
        b->setMinimumWidth(Button_Width);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(Code_Search, 0, 0);
    grid->addWidget(Val_Search, 0, 1);
    grid->addWidget(List, 1, 0, 1, 2);
    grid->addWidget(Code_Selected, 2, 0);
    grid->addWidget(Val_Selected, 2, 1);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
    resize(Window_Width, Window_Height);

    connect(Code_Search, &QLineEdit::textChanged, this, &Select_Ref::Code_Search_Change);
    connect(Val_Search, &QLineEdit::textChanged, this, &Select_Ref::Val_Search_Change);
    connect(List, &QTableWidget::currentCellChanged, this, &Select_Ref::List_RowColChange);
    connect(Ok, &QPushButton::clicked, this, &Select_Ref::Ok_Click);
    for (QLineEdit* box : {Code_Search, Val_Search}) box->installEventFilter(this);
    List->viewport()->installEventFilter(this);
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
        setWindowTitle(QStringLiteral("Choose \"%1\"").arg(Cur_Champ->Get_Libelle_In_Langue(session_.Language())));
        only_value_ = Cur_Champ->Ref_Listes && Cur_Champ->Ref_Listes->Only_Value;
    }
    Code_Selected->setText(current);
    Val_Selected->setText(Cur_Champ ? To_Text(Cur_Champ->Get_Data(current, QStringLiteral("V"))) : QString());

    // A table shown by labels only has no code to filter, list or show.
    List->setColumnHidden(0, only_value_);
    Code_Search->setVisible(!only_value_);
    Code_Selected->setVisible(!only_value_);

    // Both filters empty: the whole table.
    {
        const QSignalBlocker a(Code_Search), b(Val_Search);
        Code_Search->clear();
        Val_Search->clear();
    }
    Fill_Code_List();
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
    List->setUpdatesEnabled(false);
    List->clearSelection();
    List->setCurrentCell(-1, -1);
    List->setRowCount(Filtered_Refs->Count());
    const QString chosen = Code_Selected->text();
    int found = -1, r = 0;
    for (const Ref& ref : *Filtered_Refs) {
        auto* code = new QTableWidgetItem(ref.Cle());
        code->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* label = new QTableWidgetItem(ref.Valeur);
        label->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        List->setItem(r, 0, code);
        List->setItem(r, 1, label);
        if (found < 0 && ref.Cle() == chosen) found = r;
        ++r;
    }
    List->setUpdatesEnabled(true);
    filling_ = false;
    // The row drawn as chosen is always the one the labels under the list show: none
    // when that code did not pass the filters.
    if (found >= 0) Choose_Row(found);
}

void Select_Ref::Choose_Row(int row) {
    List->setCurrentCell(row, only_value_ ? 1 : 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // Four rows of the list above it, when there are as many.
    const QRect shown = List->viewport()->rect();
    const QRect at = List->visualRect(List->model()->index(row, 1));
    if (!shown.contains(at))
        List->scrollTo(List->model()->index(std::max(row - 4, 0), 1), QAbstractItemView::PositionAtTop);
}

void Select_Ref::List_RowColChange() {
    if (filling_) return;
    const int row = List->currentRow();
    if (row < 0 || row >= List->rowCount()) return;
    Code_Selected->setText(List->item(row, 0)->text());
    Val_Selected->setText(List->item(row, 1)->text());
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

bool Select_Ref::eventFilter(QObject* watched, QEvent* e) {
    // Down from a filter box goes into the list and chooses its row (the first one when
    // none is shown as chosen).
    if ((watched == Code_Search || watched == Val_Search) && e->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Down && List->rowCount() > 0) {
        Choose_Row(List->selectionModel()->hasSelection() ? List->currentRow() : 0);
        List_RowColChange();
        List->setFocus(Qt::OtherFocusReason);
        return true;
    }
    // A double click on a row takes that row, whatever came before it.
    if (watched == List->viewport() && e->type() == QEvent::MouseButtonDblClick) {
        const QModelIndex at = List->indexAt(static_cast<QMouseEvent*>(e)->position().toPoint());
        if (at.isValid()) {
            Choose_Row(at.row());
            List_DblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
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
