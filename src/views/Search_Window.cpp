// The search window: its controls, opening, the search, the language and the buttons.
#include "views/Search_Window.h"

#include "model/App_Paths.h"
#include "model/Session.h"
#include "search/Criteria_Form.h"
#include "search/Result_Text.h"
#include "search/Value_Counts.h"
#include "views/Criteria_Rows.h"
#include "views/Output_Buttons.h"
#include "views/Reload_Bar.h"
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
#include <QShortcut>
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
    Reload_Offer = Named(new Reload_Bar(this), QStringLiteral("Reload_Offer"));
    Reload_Offer->hide();
    Rows = new Criteria_Rows(
        Session_In_Use, [this](double n) { return Chars(n); }, Row_Height(), this);
    // Clear throws the value away: it need not pass its check first.
    Rows->Leaves_Unchecked = [this](const QWidget* w) { return output_->Is_Close(w) || w == Clear_Button; };
    Combination = Named(new Sized<QGroupBox>(this), QStringLiteral("Combination"));
    Combine_With_And = Named(new QRadioButton(Combination), QStringLiteral("Combine_With_And"));
    Combine_With_Or = Named(new QRadioButton(Combination), QStringLiteral("Combine_With_Or"));
    Submit = Named(new Sized<QPushButton>(this), QStringLiteral("Submit"));
    Display_Options = Named(new Sized<QGroupBox>(this), QStringLiteral("Display_Options"));
    Adjust_Cell_Size_Box = Named(new QCheckBox(Display_Options), QStringLiteral("Adjust_Cell_Size_Box"));
    Multi_Key_Box = Named(new QCheckBox(Display_Options), QStringLiteral("Multi_Key_Box"));
    Language_Box = Named(new Drop_Down_List(Display_Options), QStringLiteral("Language_Box"));
    Quick_Find_Box = Named(new Sized<QLineEdit>(this), QStringLiteral("Quick_Find_Box"));
    Quick_Find_Box->setClearButtonEnabled(true);
    Build_Saved_Search_Controls();
    Build_Grid_Area();
    // Made last so that the letters the other controls had stay theirs; the tab order
    // puts them in their places.
    Ignore_Accents_Box = Named(new QCheckBox(Combination), QStringLiteral("Ignore_Accents_Box"));
    Clear_Button = Named(new Sized<QPushButton>(this), QStringLiteral("Clear_Button"));
    setTabOrder(Combine_With_Or, Ignore_Accents_Box);
    setTabOrder(Ignore_Accents_Box, Submit);
    setTabOrder(Submit, Clear_Button);
    setTabOrder(Clear_Button, Adjust_Cell_Size_Box);
    // The saved-search buttons stand right of the rows: Tab reaches them after the rows.
    QWidget* last_of_rows = Rows;
    for (QWidget* w = Rows->nextInFocusChain(); w != Rows && Rows->isAncestorOf(w); w = w->nextInFocusChain())
        last_of_rows = w;
    setTabOrder(last_of_rows, Save_Search_Button);
    setTabOrder(Save_Search_Button, Open_Search_Button);
    setTabOrder(Open_Search_Button, Recent_Searches_Button);
    Set_Texts();
}

void Search_Window::Set_Texts() {
    Combination->setTitle(tr("Entries must match"));
    Combine_With_And->setText(tr("All active (And)"));
    Combine_With_Or->setText(tr("Any active (Or)"));
    Ignore_Accents_Box->setText(tr("Ignore accents"));
    Clear_Button->setText(tr("Clear"));
    Submit->setText(tr("Submit"));
    Display_Options->setTitle(tr("Display option"));
    Adjust_Cell_Size_Box->setText(tr("Adjust Cell Size"));
    Multi_Key_Box->setText(tr("Multi-Columns Sort"));
    Save_Search_Button->setText(tr("Save Search..."));
    Open_Search_Button->setText(tr("Open Search..."));
    Recent_Searches_Button->setText(tr("Recent"));
    Recent_Searches_Button->setAccessibleName(tr("Recent searches"));
    Result_Grid->setAccessibleName(tr("Records found"));
    Language_Box->setAccessibleName(tr("Language"));
    Quick_Find_Box->setAccessibleName(tr("Quick find"));
    Quick_Find_Box->setPlaceholderText(tr("Quick find (Ctrl+F)"));
    output_->Set_Texts();
    Reload_Offer->Set_Texts();
    Rows->Set_Texts();
}

void Search_Window::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() != QEvent::LanguageChange || !Submit) return;
    Set_Texts();
    Add_Mnemonics(this);
    Label_Lists_For_Screen_Readers(this);
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
    connect(Clear_Button, &QPushButton::clicked, this, &Search_Window::Clear_Criteria);
    connect(Ignore_Accents_Box, &QCheckBox::toggled, this, [this](bool on) { Rows->Ignore_Accents = on; });
    connect(Adjust_Cell_Size_Box, &QCheckBox::clicked, this, &Search_Window::Adjust_Cell_Size_Toggled);
    connect(Multi_Key_Box, &QCheckBox::clicked, this, &Search_Window::Sort_Mode_Toggled);
    connect(Language_Box, &QComboBox::currentIndexChanged, this, &Search_Window::Language_Changed);
    connect(Quick_Find_Box, &QLineEdit::textChanged, this, &Search_Window::Quick_Find_Changed);
    Language_Box->DropDown = [this] { Fit_Drop_Down_List(Language_Box, Height_Of(this)); };
    connect(output_, &Output_Buttons::Export_Clicked, this, &Search_Window::Open_Export);
    connect(output_, &Output_Buttons::Print_Clicked, this, &Search_Window::Open_Print);
    connect(output_, &Output_Buttons::Counts_Clicked, this, &Search_Window::Open_Counts);
    connect(output_, &Output_Buttons::Close_Clicked, this, &Search_Window::Close_Window);
    connect(output_, &Output_Buttons::Help_Clicked, this, &Search_Window::Open_Manual);
    connect(output_, &Output_Buttons::Reload_Clicked, this, &Search_Window::Ask_Reload);
    connect(Reload_Offer, &Reload_Bar::Reload_Clicked, this, &Search_Window::Ask_Reload);
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this, &Search_Window::Ask_Reload);
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
    Ignore_Accents_Box->setChecked(false);
    Restore_Cell_Size_Choice();

    Apply_Grid_Font();
    Add_Mnemonics(this);
    Label_Lists_For_Screen_Readers(this);

    const int n = std::max(Session_In_Use.Records().Col_Upper(), Session_In_Use.Description().Count());
    Results.Sort = Single_Field_Sort(n);

    Rows->Set_Initial_Query();

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
    c.Ignore_Accents = Ignore_Accents_Box->isChecked();
    return c;
}

QString Search_Window::Criteria_Sentence() const {
    std::vector<Criterion_Text> rows;
    for (int i = 0; i < Row_Count; ++i) rows.push_back(Rows->Row_Text(i));
    return With_Quick_Find(Criteria_Sentence_Of(rows, Combine_With_And->isChecked()), Results.Quick_Find_Text);
}

void Search_Window::Run_Search_Now() {
    Wait_Cursor wait;
    Results.Multi_Key_Box = Multi_Key_Box->isChecked();
    Result_Grid->Set_Word_Wrap(false);  // the new rows are one line high
    Run_Search(Session_In_Use, Results, Read_Criteria());
    // A box that kept the focus has the new rows' texts ready too.
    if (Quick_Find_Box->hasFocus()) Results.Finder.Prepare(Results.Model);
    Show_Count();
    content_widths_.clear();
    Size_Cells();
    Show_Top_Left();
    emit Result_Shown();
}

void Search_Window::Clear_Criteria() {
    // The rows as the window opens; like any change of the rows, the result waits for
    // the next search.
    Rows->Clear_Rows();
    Rows->Set_Initial_Query();
    Rows->Field[0]->setFocus(Qt::OtherFocusReason);
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

void Search_Window::Quick_Find_Changed() {
    Apply_Quick_Find(Results, Quick_Find_Box->text());
    Show_Count();
    // The new rows are plain after the model's reset; fitted ones are fitted again.
    if (Adjust_Cell_Size_Box->isChecked()) Size_Cells();
    // An open counts window counts what is shown.
    emit Result_Shown();
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

void Search_Window::Ask_Reload() {
    // As Enter does: a value that does not pass stays to be mended first.
    const int row = Rows->Row_Of(QApplication::focusWidget());
    if (row >= 0 && !Rows->Leave_Check(row)) return;
    emit Reload_Asked();
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
    // The rows' texts are ready for quick find before the first letter is typed.
    if (watched == Quick_Find_Box && e->type() == QEvent::FocusIn) Results.Finder.Prepare(Results.Model);
    if (Rows->Focus_Event(watched, e)) return true;
    return QWidget::eventFilter(watched, e);
}

bool Search_Window::Key_Event(QObject* watched, QKeyEvent* e) {
    const int key = e->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (e->matches(QKeySequence::Find)) {
        Quick_Find_Box->setFocus(Qt::ShortcutFocusReason);
        Quick_Find_Box->selectAll();
        return true;
    }
    if (watched == Quick_Find_Box && !(e->modifiers() & ~Qt::KeypadModifier)) {
        // Escape empties the box (when empty, the key goes on as before); Enter goes to
        // the rows found rather than searching again.
        if (key == Qt::Key_Escape && !Quick_Find_Box->text().isEmpty()) {
            Quick_Find_Box->clear();
            return true;
        }
        if (enter) {
            Result_Grid->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
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
