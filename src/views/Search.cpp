// The search window: its controls, opening, the search, the language and the buttons.
#include "views/Search.h"

#include "model/App_Paths.h"
#include "model/Session.h"
#include "search/Criteria_Form.h"
#include "search/Result_Text.h"
#include "search/Value_Counts.h"
#include "views/Criteria_Rows.h"
#include "views/Output_Buttons.h"
#include "views/Result_View.h"
#include "winsupport/Default_App.h"
#include "winsupport/Window_Utils.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>

namespace {
template <class T> T* Named(T* w, const QString& name) {
    w->setObjectName(name);
    return w;
}
QString Indexed(const char* name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }
}  // namespace

Search::Search(Session& session, QWidget* parent) : QWidget(parent), Session_In_Use(session), Results(session) {
    setObjectName(QStringLiteral("Search"));
    setWindowTitle(QStringLiteral("Sifa_Soft"));
    Build_Controls();
    Build_Layout();
    Connect_Controls();
    Form_Load();
}

Search::~Search() {
    Form_Terminate();
    // The view shows Results.Model, which goes before the child widgets do.
    delete Data;
    Data = nullptr;
}

void Search::Build_Controls() {
    Rows = new Criteria_Rows(
        Session_In_Use, [this](double n) { return Chars(n); }, Row_Height(), this);
    Rows->Leaves_Unchecked = [this](const QWidget* w) { return output_->Is_Close(w); };
    Critere_Oper =
        Named(new Sized<QGroupBox>(QStringLiteral("Entries must match"), this), QStringLiteral("Critere_Oper"));
    Critere_Oper_And =
        Named(new QRadioButton(QStringLiteral("All active (And)"), Critere_Oper), QStringLiteral("Critere_Oper_And"));
    Critere_Oper_Or =
        Named(new QRadioButton(QStringLiteral("Any active (Or)"), Critere_Oper), QStringLiteral("Critere_Oper_Or"));
    Submit = Named(new Sized<QPushButton>(QStringLiteral("Submit"), this), QStringLiteral("Submit"));
    Frame1 = Named(new Sized<QGroupBox>(QStringLiteral("Display option"), this), QStringLiteral("Frame1"));
    CellAutoSize = Named(new QCheckBox(QStringLiteral("Adjust Cell Size"), Frame1), QStringLiteral("CellAutoSize"));
    AdvancedSort = Named(new QCheckBox(QStringLiteral("Multi-Columns Sort"), Frame1), QStringLiteral("AdvancedSort"));
    Choosen_Language = Named(new Drop_Down_List(Frame1), QStringLiteral("Choosen_Language"));
    Build_Grid_Area();
}

void Search::Build_Grid_Area() {
    Data = Named(new Result_View(Results.Model, this), QStringLiteral("Data"));
    output_ = new Output_Buttons(this);
    Hidden_Label_Without_WordWrap = Named(new QLabel(this), QStringLiteral("Hidden_Label_Without_WordWrap"));
    Hidden_Label_Without_WordWrap->hide();
}

void Search::Connect_Controls() {
    Submit->installEventFilter(this);
    // The leave check runs before a click elsewhere in the window takes effect.
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w != Data && !Data->isAncestorOf(w)) w->installEventFilter(this);
    }
    Data->viewport()->installEventFilter(this);
    Data->installEventFilter(this);
    // Enter runs the search, whatever has the focus.
    Submit->setDefault(true);
    connect(Submit, &QPushButton::clicked, this, &Search::Submit_Click);
    connect(CellAutoSize, &QCheckBox::clicked, this, &Search::CellAutoSize_Click);
    connect(AdvancedSort, &QCheckBox::clicked, this, &Search::AdvancedSort_Click);
    connect(Choosen_Language, &QComboBox::currentIndexChanged, this, &Search::Choosen_Language_Click);
    Choosen_Language->DropDown = [this] { Fit_Drop_Down_List(Choosen_Language, Height_Of(this)); };
    connect(output_, &Output_Buttons::Export_Clicked, this, &Search::cmdExport_Click);
    connect(output_, &Output_Buttons::Print_Clicked, this, &Search::cmdPrint_Click);
    connect(output_, &Output_Buttons::Counts_Clicked, this, &Search::cmdCounts_Click);
    connect(output_, &Output_Buttons::Close_Clicked, this, &Search::cmdClose_Click);
    connect(output_, &Output_Buttons::Help_Clicked, this, &Search::CmdHelp_Click);
    Connect_Grid();
}

void Search::Form_Load() {
    Form_Loaded = false;
    // The language list; choosing its entry runs the language switch, without a search
    // since the window is not loaded yet.
    {
        const QSignalBlocker block(Choosen_Language);
        Choosen_Language->clear();
        Choosen_Language->addItem(QStringLiteral("EN"));
        Choosen_Language->addItem(QStringLiteral("FR"));
        Choosen_Language->setCurrentIndex(-1);
    }
    Session_In_Use.Set_Language(QStringLiteral("EN"));
    Choosen_Language->setCurrentIndex(0);
    Choosen_Language->show();

    Rows->Clear_Rows();

    Critere_Oper_And->setChecked(false);
    Critere_Oper_Or->setChecked(true);

    Apply_Grid_Font();
    Add_Mnemonics(this);

    const int n = std::max(Session_In_Use.Records().Col_Upper(), Session_In_Use.Description().Count());
    Results.Sort = Single_Field_Sort(n);

    // The initial query: every record whose year is not empty.
    Rows->Critere_Actif[0]->setChecked(true);
    Rows->Field[0]->setCurrentIndex(Rows->Field[0]->count() > 1 ? 1 : -1);
    Rows->Negation[0]->setChecked(true);
    Rows->Oper[0]->setCurrentIndex(Rows->Oper[0]->count() > 8 ? 8 : -1);

    Form_Loaded = true;
    Submit_Click();
}

void Search::Apply_Grid_Font() {
    // Text measured on the window has the result's metrics: the whole window uses the
    // result's font, as the controls were drawn for it.
    QFont f = font();
    f.setPointSizeF(Result_Font_Points);
    setFont(f);
    Hidden_Label_Without_WordWrap->setFont(Data->font());
    const QFontMetrics fm(Data->font());
    Default_Row_Height = fm.height() + 4;
    Default_Col_Width = 12 * fm.averageCharWidth();
    Data->Set_Uniform_Row_Height(Default_Row_Height);
}

Criteria Search::Read_Criteria() const {
    Criteria c;
    for (int i = 0; i < Nb_Rows; ++i) c.Rows[static_cast<size_t>(i)] = Rows->Read_Row(i);
    c.Critere_Oper_And = Critere_Oper_And->isChecked();
    return c;
}

QString Search::Criteria_Sentence() const {
    std::vector<Criterion_Text> rows;
    for (int i = 0; i < Nb_Rows; ++i) rows.push_back(Rows->Row_Text(i));
    return TexteSelectionCriteria(rows, Critere_Oper_And->isChecked());
}

void Search::Submit_Click() {
    Wait_Cursor wait;
    Results.AdvancedSort = AdvancedSort->isChecked();
    Data->Set_Word_Wrap(false);  // the new rows are one line high
    Run_Search(Session_In_Use, Results, Read_Criteria());
    Show_Count();
    content_widths_.clear();
    Size_Cells();
    Show_Top_Left();
    emit Result_Shown();
}

void Search::Show_Top_Left() {
    // A new result is read from its start, whatever part of the last one was shown.
    for (QScrollBar* bar : {Data->horizontalScrollBar(), Data->verticalScrollBar()})
        if (bar->value() != 0) bar->setValue(0);
}

void Search::Show_Count() { output_->Show_Count(Results.Nb_Records_Caption, Results.Output_Enabled); }

void Search::Choosen_Language_Click() {
    if (Choosen_Language->currentIndex() < 0) return;
    // The tables of the new language first, so that the value lists and descriptions
    // the rows rebuild below are already in that language.
    Session_In_Use.Set_Language(Choosen_Language->currentText());
    Rows->Init_Field_Fields();
    if (Form_Loaded) Submit_Click();
}

void Search::CmdHelp_Click() {
    const QString name = Session_In_Use.Language() == QLatin1String("FR")
                             ? QStringLiteral("Sifa_soft_manuel_v062_def_Fr.pdf")
                             : QStringLiteral("Sifa_soft_manual_V062_def_En.pdf");
    Open_With_Default_App(App_File(name));
}

void Search::cmdClose_Click() { close(); }

void Search::cmdExport_Click() { emit Export_Asked(false); }

void Search::cmdPrint_Click() { emit Export_Asked(true); }

void Search::cmdCounts_Click() {
    emit Counts_Asked(Counts_Opening_Field(Results, Field_Of_Col(Data->Current_Col()), Session_In_Use.Language()));
}

void Search::Form_Terminate() {
    if (terminated_) return;
    terminated_ = true;
}

void Search::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    Show_Top_Left();
}

void Search::closeEvent(QCloseEvent* e) {
    Form_Terminate();
    e->accept();
}

bool Search::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && Key_Event(watched, static_cast<QKeyEvent*>(e))) return true;
    if (Rows->Focus_Event(watched, e)) return true;
    return QWidget::eventFilter(watched, e);
}

bool Search::Key_Event(QObject* watched, QKeyEvent* e) {
    const int key = e->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == Data && e->matches(QKeySequence::Copy)) {
        Copy_Selection();
        return true;
    }
    if (e->modifiers() & ~Qt::KeypadModifier) return false;
    // In the result, Enter or Space opens the current record, as a click does.
    if (watched == Data) {
        if (!enter && key != Qt::Key_Space) return false;
        Open_Current_Record();
        return true;
    }
    if (!enter || !isAncestorOf(qobject_cast<QWidget*>(watched))) return false;
    // Enter on a button is that button; anywhere else it is Submit, once the value box
    // being left has passed its check.
    if (auto* button = qobject_cast<QPushButton*>(watched)) {
        button->click();
        return true;
    }
    const int row = Rows->Row_Of(QApplication::focusWidget());
    if (row >= 0 && !Rows->Leave_Check(row)) return true;
    Submit_Click();
    return true;
}
