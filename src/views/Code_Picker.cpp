#include "views/Code_Picker.h"

#include "model/Code_Table.h"
#include "model/Session.h"
#include "winsupport/Window_Utils.h"

#include <QCloseEvent>
#include <QEvent>
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

Code_Picker::Code_Picker(const Session& session, QWidget* parent) : QDialog(parent), session_(session) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Code_Filter = new QLineEdit(this);
    Code_Filter->setObjectName(QStringLiteral("Code_Filter"));
    Code_Filter->setFixedWidth(Code_Width);
    Label_Filter = new QLineEdit(this);
    Label_Filter->setObjectName(QStringLiteral("Label_Filter"));

    // Two columns under their headings; whole rows are chosen, one at a time.
    Code_List = new QTableWidget(0, 2, this);
    Code_List->setObjectName(QStringLiteral("Code_List"));
    Code_List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Code_List->setSelectionBehavior(QAbstractItemView::SelectRows);
    Code_List->setSelectionMode(QAbstractItemView::SingleSelection);
    Code_List->setTabKeyNavigation(false);
    Code_List->setWordWrap(false);
    Code_List->verticalHeader()->hide();
    Code_List->verticalHeader()->setDefaultSectionSize(Code_List->fontMetrics().height() + 4);
    Code_List->horizontalHeader()->setHighlightSections(false);
    Code_List->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    Code_List->horizontalHeader()->setStretchLastSection(true);
    Code_List->setColumnWidth(0, Code_Width);
    // The label column fills the list; a label longer than that ends in "..." and the
    // line under the list shows it whole.
    Code_List->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    Chosen_Code_Label = new QLabel(this);
    Chosen_Code_Label->setObjectName(QStringLiteral("Chosen_Code_Label"));
    Chosen_Code_Label->setFixedWidth(Code_Width);
    Chosen_Code_Label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Chosen_Label_Label = new QLabel(this);
    Chosen_Label_Label->setObjectName(QStringLiteral("Chosen_Label_Label"));
    for (QLabel* l : {Chosen_Code_Label, Chosen_Label_Label}) l->setTextFormat(Qt::PlainText);
    // A long label may be cut in its line: the window never widens for it.
    Chosen_Label_Label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Cancel = new QPushButton(this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    Ok = new QPushButton(this);
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
    grid->addWidget(Code_Filter, 0, 0);
    grid->addWidget(Label_Filter, 0, 1);
    grid->addWidget(Code_List, 1, 0, 1, 2);
    grid->addWidget(Chosen_Code_Label, 2, 0);
    grid->addWidget(Chosen_Label_Label, 2, 1);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
    resize(Window_Width, Window_Height);

    connect(Code_Filter, &QLineEdit::textChanged, this, &Code_Picker::Code_Filter_Edited);
    connect(Label_Filter, &QLineEdit::textChanged, this, &Code_Picker::Label_Filter_Edited);
    connect(Code_List, &QTableWidget::currentCellChanged, this, &Code_Picker::Row_Changed);
    connect(Ok, &QPushButton::clicked, this, &Code_Picker::Accept);
    for (QLineEdit* box : {Code_Filter, Label_Filter}) box->installEventFilter(this);
    Code_List->viewport()->installEventFilter(this);
    Set_Texts();
    connect(Cancel, &QPushButton::clicked, this, &Code_Picker::Cancel_Picking);
}

void Code_Picker::Set_Texts() {
    Code_Filter->setPlaceholderText(tr("Code"));
    Code_Filter->setToolTip(tr("Shows the codes that contain this text"));
    Label_Filter->setPlaceholderText(tr("Name"));
    Label_Filter->setToolTip(tr("Shows the codes whose name contains this text"));
    Code_List->setHorizontalHeaderLabels({tr("Code"), tr("Name")});
    Code_Filter->setAccessibleName(tr("Code"));
    Label_Filter->setAccessibleName(tr("Name"));
    Code_List->setAccessibleName(tr("Codes"));
    Cancel->setText(tr("Cancel"));
    Ok->setText(tr("Ok"));
    if (Coded_Field) setWindowTitle(tr("Choose \"%1\"").arg(Coded_Field->Label_In(session_.Language())));
    Add_Mnemonics(this);
}

void Code_Picker::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::LanguageChange && Ok) Set_Texts();
}

Code_Picker::~Code_Picker() {
    if (loaded_ && !unloaded_) Unload();
}

void Code_Picker::Load() {
    loaded_ = true;
    unloaded_ = false;
    const QString current = Target_Box ? Target_Box->text() : QString();
    if (Coded_Field) {
        setWindowTitle(tr("Choose \"%1\"").arg(Coded_Field->Label_In(session_.Language())));
        only_value_ = Coded_Field->Codes && Coded_Field->Codes->Only_Value;
    }
    Chosen_Code_Label->setText(current);
    Chosen_Label_Label->setText(Coded_Field ? To_Text(Coded_Field->Label_Of(current)) : QString());

    // A table shown by labels only has no code to filter, list or show.
    Code_List->setColumnHidden(0, only_value_);
    Code_Filter->setVisible(!only_value_);
    Chosen_Code_Label->setVisible(!only_value_);

    // Both filters empty: the whole table.
    {
        const QSignalBlocker a(Code_Filter), b(Label_Filter);
        Code_Filter->clear();
        Label_Filter->clear();
    }
    Fill_Code_List();
    Code_Chosen = false;
    Chosen_Code.clear();
}

void Code_Picker::Code_Filter_Edited() { Fill_Code_List(); }
void Code_Picker::Label_Filter_Edited() { Fill_Code_List(); }

void Code_Picker::Fill_Code_List() {
    Filtered_Codes.reset();
    Filtered_Codes = Coded_Field ? Coded_Field->Codes_Containing(Code_Filter->text(), Label_Filter->text())
                                 : std::make_shared<Code_Table>();
    // While the list is rebuilt its current row means nothing: the labels under the
    // list keep the last choice, which OK still writes when nothing passes the filters.
    filling_ = true;
    Code_List->setUpdatesEnabled(false);
    Code_List->clearSelection();
    Code_List->setCurrentCell(-1, -1);
    Code_List->setRowCount(Filtered_Codes->Count());
    const QString chosen = Chosen_Code_Label->text();
    int found = -1, r = 0;
    for (const Code_Entry& ref : *Filtered_Codes) {
        auto* code = new QTableWidgetItem(ref.Code());
        code->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* label = new QTableWidgetItem(ref.Label);
        label->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Code_List->setItem(r, 0, code);
        Code_List->setItem(r, 1, label);
        if (found < 0 && ref.Code() == chosen) found = r;
        ++r;
    }
    Code_List->setUpdatesEnabled(true);
    filling_ = false;
    // The row drawn as chosen is always the one the labels under the list show: none
    // when that code did not pass the filters.
    if (found >= 0) Choose_Row(found);
}

void Code_Picker::Choose_Row(int row) {
    Code_List->setCurrentCell(row, only_value_ ? 1 : 0,
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // Four rows of the list above it, when there are as many.
    const QRect shown = Code_List->viewport()->rect();
    const QRect at = Code_List->visualRect(Code_List->model()->index(row, 1));
    if (!shown.contains(at))
        Code_List->scrollTo(Code_List->model()->index(std::max(row - 4, 0), 1), QAbstractItemView::PositionAtTop);
}

void Code_Picker::Row_Changed() {
    if (filling_) return;
    const int row = Code_List->currentRow();
    if (row < 0 || row >= Code_List->rowCount()) return;
    Chosen_Code_Label->setText(Code_List->item(row, 0)->text());
    Chosen_Label_Label->setText(Code_List->item(row, 1)->text());
}

void Code_Picker::Row_Double_Clicked() {
    Row_Changed();
    Accept();
}

void Code_Picker::Accept() {
    const QString chosen = Chosen_Code_Label->text();
    if (!chosen.isEmpty() && Target_Box && Target_Box->text() != chosen) {
        Target_Box->setText(chosen);
        Chosen_Code = chosen;
        Code_Chosen = true;
    }
    Unload_Window(QDialog::Accepted);
}

void Code_Picker::Cancel_Picking() { Unload_Window(QDialog::Rejected); }

void Code_Picker::Unload_Window(int result) {
    if (!unloaded_) Unload();
    QDialog::done(result);
}

void Code_Picker::Unload() {
    Filtered_Codes.reset();
    Coded_Field = nullptr;
    if (Code_Chosen && Target_Box) Target_Box->setText(Chosen_Code);
    Target_Box = nullptr;
    unloaded_ = true;
}

bool Code_Picker::eventFilter(QObject* watched, QEvent* e) {
    // Down from a filter box goes into the list and chooses its row (the first one when
    // none is shown as chosen).
    if ((watched == Code_Filter || watched == Label_Filter) && e->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Down && Code_List->rowCount() > 0) {
        Choose_Row(Code_List->selectionModel()->hasSelection() ? Code_List->currentRow() : 0);
        Row_Changed();
        Code_List->setFocus(Qt::OtherFocusReason);
        return true;
    }
    // A double click on a row takes that row, whatever came before it.
    if (watched == Code_List->viewport() && e->type() == QEvent::MouseButtonDblClick) {
        const QModelIndex at = Code_List->indexAt(static_cast<QMouseEvent*>(e)->position().toPoint());
        if (at.isValid()) {
            Choose_Row(at.row());
            Row_Double_Clicked();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void Code_Picker::closeEvent(QCloseEvent* e) {
    // The close box is Cancel.
    if (!unloaded_ && loaded_) Unload();
    QDialog::closeEvent(e);
}

void Code_Picker::reject() {
    if (!unloaded_ && loaded_) Unload();
    QDialog::reject();
}
