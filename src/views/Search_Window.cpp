// The search window: its controls, opening, the search, the language and the buttons.
#include "views/Search_Window.h"

#include "model/App_Paths.h"
#include "model/Session.h"
#include "search/Criteria_Form.h"
#include "search/Result_Text.h"
#include "search/Value_Counts.h"
#include "views/Criteria_Rows.h"
#include "views/Output_Buttons.h"
#include "views/Result_View.h"
#include "winsupport/Default_App.h"
#include "winsupport/Interface_Language.h"
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
#include <QToolButton>

Search_Window::Search_Window(Session& session, QWidget* parent)
    : QWidget(parent), Session_In_Use(session), Results(session) {
    setObjectName(QStringLiteral("Search_Window"));
    setWindowTitle(QStringLiteral("Sifa_Soft"));
    Build_Controls();
    Build_Layout();
    Connect_Controls();
    Load();
}

Search_Window::~Search_Window() {
    Terminate();
    // The view shows Results.Model, which goes before the child widgets do.
    delete Result_Grid;
    Result_Grid = nullptr;
}

void Search_Window::Build_Controls() {
    Rows = new Criteria_Rows(
        Session_In_Use, [this](double n) { return Chars(n); }, Row_Height(), this);
    Rows->Leaves_Unchecked = [this](const QWidget* w) { return output_->Is_Close(w); };
    Combination = Named(new Sized<QGroupBox>(this), QStringLiteral("Combination"));
    Combine_With_And = Named(new QRadioButton(Combination), QStringLiteral("Combine_With_And"));
    Combine_With_Or = Named(new QRadioButton(Combination), QStringLiteral("Combine_With_Or"));
    Submit = Named(new Sized<QPushButton>(this), QStringLiteral("Submit"));
    Display_Options = Named(new Sized<QGroupBox>(this), QStringLiteral("Display_Options"));
    Adjust_Cell_Size_Box = Named(new QCheckBox(Display_Options), QStringLiteral("Adjust_Cell_Size_Box"));
    Multi_Key_Box = Named(new QCheckBox(Display_Options), QStringLiteral("Multi_Key_Box"));
    Language_Box = Named(new Drop_Down_List(Display_Options), QStringLiteral("Language_Box"));
    Build_Saved_Search_Controls();
    Build_Grid_Area();
    Set_Texts();
}

void Search_Window::Set_Texts() {
    Combination->setTitle(tr("Entries must match"));
    Combine_With_And->setText(tr("All active (And)"));
    Combine_With_Or->setText(tr("Any active (Or)"));
    Submit->setText(tr("Submit"));
    Display_Options->setTitle(tr("Display option"));
    Adjust_Cell_Size_Box->setText(tr("Adjust Cell Size"));
    Multi_Key_Box->setText(tr("Multi-Columns Sort"));
    Save_Search_Button->setText(tr("Save Search..."));
    Open_Search_Button->setText(tr("Open Search..."));
    Recent_Searches_Button->setText(tr("Recent"));
    Recent_Searches_Button->setAccessibleName(tr("Recent searches"));
    Result_Grid->setAccessibleName(tr("Records found"));
    output_->Set_Texts();
    Rows->Set_Texts();
}

void Search_Window::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() != QEvent::LanguageChange || !Submit) return;
    Set_Texts();
    Add_Mnemonics(this);
}

void Search_Window::Build_Grid_Area() {
    Result_Grid = Named(new Result_View(Results.Model, this), QStringLiteral("Result_Grid"));
    output_ = new Output_Buttons(this);
    Unwrapped_Measure_Label = Named(new QLabel(this), QStringLiteral("Unwrapped_Measure_Label"));
    Unwrapped_Measure_Label->hide();
}

void Search_Window::Connect_Controls() {
    Submit->installEventFilter(this);
    // The leave check runs before a click elsewhere in the window takes effect.
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w != Result_Grid && !Result_Grid->isAncestorOf(w)) w->installEventFilter(this);
    }
    Result_Grid->viewport()->installEventFilter(this);
    Result_Grid->installEventFilter(this);
    // Enter runs the search, whatever has the focus.
    Submit->setDefault(true);
    connect(Submit, &QPushButton::clicked, this, &Search_Window::Run_Search_Now);
    connect(Adjust_Cell_Size_Box, &QCheckBox::clicked, this, &Search_Window::Adjust_Cell_Size_Toggled);
    connect(Multi_Key_Box, &QCheckBox::clicked, this, &Search_Window::Sort_Mode_Toggled);
    connect(Language_Box, &QComboBox::currentIndexChanged, this, &Search_Window::Language_Changed);
    Language_Box->DropDown = [this] { Fit_Drop_Down_List(Language_Box, Height_Of(this)); };
    connect(output_, &Output_Buttons::Export_Clicked, this, &Search_Window::Open_Export);
    connect(output_, &Output_Buttons::Print_Clicked, this, &Search_Window::Open_Print);
    connect(output_, &Output_Buttons::Counts_Clicked, this, &Search_Window::Open_Counts);
    connect(output_, &Output_Buttons::Close_Clicked, this, &Search_Window::Close_Window);
    connect(output_, &Output_Buttons::Help_Clicked, this, &Search_Window::Open_Manual);
    Connect_Grid();
}

void Search_Window::Load() {
    Loaded = false;
    // The language list, on the interface's language; choosing its entry runs the
    // language switch, without a search since the window is not loaded yet.
    const QString lang = Interface_Language();
    {
        const QSignalBlocker block(Language_Box);
        Language_Box->clear();
        Language_Box->addItem(QStringLiteral("EN"));
        Language_Box->addItem(QStringLiteral("FR"));
        Language_Box->setCurrentIndex(-1);
    }
    Session_In_Use.Set_Language(lang);
    Language_Box->setCurrentIndex(Language_Box->findText(lang));
    Language_Box->show();

    Rows->Clear_Rows();

    Combine_With_And->setChecked(false);
    Combine_With_Or->setChecked(true);

    Apply_Grid_Font();
    Add_Mnemonics(this);

    const int n = std::max(Session_In_Use.Records().Col_Upper(), Session_In_Use.Description().Count());
    Results.Sort = Single_Field_Sort(n);

    // The initial query: every record whose year is not empty.
    Rows->Active[0]->setChecked(true);
    Rows->Field[0]->setCurrentIndex(Rows->Field[0]->count() > 1 ? 1 : -1);
    Rows->Negation[0]->setChecked(true);
    Rows->Operator[0]->setCurrentIndex(Rows->Operator[0]->count() > 8 ? 8 : -1);

    Loaded = true;
    Run_Search_Now();
}

void Search_Window::Apply_Grid_Font() {
    // Text measured on the window has the result's metrics: the whole window uses the
    // result's font, as the controls were drawn for it.
    QFont f = font();
    f.setPointSizeF(Result_Font_Points);
    setFont(f);
    Unwrapped_Measure_Label->setFont(Result_Grid->font());
    const QFontMetrics fm(Result_Grid->font());
    Default_Row_Height = fm.height() + 4;
    Default_Col_Width = 12 * fm.averageCharWidth();
    Result_Grid->Set_Uniform_Row_Height(Default_Row_Height);
}

Criteria Search_Window::Read_Criteria() const {
    Criteria c;
    for (int i = 0; i < Row_Count; ++i) c.Rows[static_cast<size_t>(i)] = Rows->Read_Row(i);
    c.Combine_With_And = Combine_With_And->isChecked();
    return c;
}

QString Search_Window::Criteria_Sentence() const {
    std::vector<Criterion_Text> rows;
    for (int i = 0; i < Row_Count; ++i) rows.push_back(Rows->Row_Text(i));
    return Criteria_Sentence_Of(rows, Combine_With_And->isChecked());
}

void Search_Window::Run_Search_Now() {
    Wait_Cursor wait;
    Results.Multi_Key_Box = Multi_Key_Box->isChecked();
    Result_Grid->Set_Word_Wrap(false);  // the new rows are one line high
    Run_Search(Session_In_Use, Results, Read_Criteria());
    Show_Count();
    content_widths_.clear();
    Size_Cells();
    Show_Top_Left();
    emit Result_Shown();
}

void Search_Window::Show_Top_Left() {
    // A new result is read from its start, whatever part of the last one was shown.
    for (QScrollBar* bar : {Result_Grid->horizontalScrollBar(), Result_Grid->verticalScrollBar()})
        if (bar->value() != 0) bar->setValue(0);
}

void Search_Window::Show_Count() { output_->Show_Count(Results.Count_Caption, Results.Output_Enabled); }

void Search_Window::Language_Changed() {
    if (Language_Box->currentIndex() < 0) return;
    // The tables of the new language first, so that the value lists and descriptions
    // the rows rebuild below are already in that language.
    const QString lang = Language_Box->currentText();
    // The windows' texts too (the count line and the field lists below included); kept
    // for the next start.
    Session_In_Use.Set_Language(lang);
    Set_Interface_Language(lang);
    if (Loaded) Remember_Interface_Language(lang);
    Rows->Fill_Field_Lists();
    if (Loaded) Run_Search_Now();
}

void Search_Window::Open_Manual() {
    const QString name = Session_In_Use.Language() == QLatin1String("FR")
                             ? QStringLiteral("Sifa_soft_manuel_v062_def_Fr.pdf")
                             : QStringLiteral("Sifa_soft_manual_V062_def_En.pdf");
    Open_With_Default_App(App_File(name));
}

void Search_Window::Close_Window() { close(); }

void Search_Window::Open_Export() { emit Export_Asked(false); }

void Search_Window::Open_Print() { emit Export_Asked(true); }

void Search_Window::Open_Counts() {
    emit Counts_Asked(
        Counts_Opening_Field(Results, Field_Of_Col(Result_Grid->Current_Col()), Session_In_Use.Language()));
}

void Search_Window::Terminate() {
    if (terminated_) return;
    terminated_ = true;
}

void Search_Window::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    Show_Top_Left();
}

void Search_Window::closeEvent(QCloseEvent* e) {
    Terminate();
    e->accept();
}

bool Search_Window::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && Key_Event(watched, static_cast<QKeyEvent*>(e))) return true;
    if (Rows->Focus_Event(watched, e)) return true;
    return QWidget::eventFilter(watched, e);
}

bool Search_Window::Key_Event(QObject* watched, QKeyEvent* e) {
    const int key = e->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == Result_Grid && e->matches(QKeySequence::Copy)) {
        Copy_Selection();
        return true;
    }
    if (e->modifiers() & ~Qt::KeypadModifier) return false;
    // In the result, Enter or Space opens the current record, as a click does.
    if (watched == Result_Grid) {
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
    Run_Search_Now();
    return true;
}
