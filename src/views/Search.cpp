// The search window: its controls, opening, the search, the language and the buttons.
#include "views/Search.h"

#include "model/App_Paths.h"
#include "model/Session.h"
#include "search/Criteria_Form.h"
#include "search/Result_Text.h"
#include "search/Value_Counts.h"
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
    Build_Criteria_Rows();
    Build_Grid_Area();
}

void Search::Build_Criteria_Rows() {
    Lbl_Actif = Named(new QLabel(QStringLiteral("Active"), this), QStringLiteral("Lbl_Actif"));
    Lbl_Field = Named(new QLabel(QStringLiteral("Field"), this), QStringLiteral("Lbl_Field"));
    Lbl_Not = Named(new QLabel(QStringLiteral("Not"), this), QStringLiteral("Lbl_Not"));
    Lbl_Oper = Named(new QLabel(QStringLiteral("Operator"), this), QStringLiteral("Lbl_Oper"));
    Lbl_Value = Named(new QLabel(QStringLiteral("Value"), this), QStringLiteral("Lbl_Value"));
    for (int k = 0; k < 2; ++k) {
        Line1[k] = Named(new QFrame(this), Indexed("Line1", k));
        Line1[k]->setFrameShape(QFrame::HLine);
        Line1[k]->setFrameShadow(QFrame::Sunken);
    }
    for (int i = 0; i < Nb_Rows; ++i) {
        Critere_Actif[i] = Named(new QCheckBox(this), Indexed("Critere_Actif", i));
        Field[i] = Named(new Drop_Down_List(this), Indexed("Field", i));
        Negation[i] = Named(new QCheckBox(this), Indexed("Negation", i));
        Oper[i] = Named(new Drop_Down_List(this), Indexed("Oper", i));
        txtFields[i] = Named(new Sized<QLineEdit>(this), Indexed("txtFields", i));
        ListFields[i] = Named(new Drop_Down_List(this), Indexed("ListFields", i));
        lblDescription[i] = Named(new QLabel(this), Indexed("lblDescription", i));
        lblDescription[i]->setTextFormat(Qt::PlainText);
        Find_Ref[i] = Named(new QPushButton(QStringLiteral("?"), this), Indexed("Find_Ref", i));
        Find_Ref[i]->setToolTip(QStringLiteral("Choose a code from the table"));
        Find_Ref[i]->hide();
        ListFields[i]->hide();
        for (QComboBox* c : {static_cast<QComboBox*>(Field[i]), static_cast<QComboBox*>(Oper[i]),
                             static_cast<QComboBox*>(ListFields[i])})
            c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }
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
}

void Search::Build_Grid_Area() {
    Data = Named(new Result_View(Results.Model, this), QStringLiteral("Data"));
    output_ = new Output_Buttons(this);
    Hidden_Label_Without_WordWrap = Named(new QLabel(this), QStringLiteral("Hidden_Label_Without_WordWrap"));
    Hidden_Label_Without_WordWrap->hide();
}

void Search::Connect_Controls() {
    for (int i = 0; i < Nb_Rows; ++i) {
        connect(Critere_Actif[i], &QCheckBox::toggled, this, [this, i] { Critere_Actif_Click(i); });
        connect(Field[i], &QComboBox::currentIndexChanged, this, [this, i] {
            if (!filling_fields_) Field_Click(i);
        });
        connect(Oper[i], &QComboBox::currentIndexChanged, this, [this, i] { Oper_Click(i); });
        connect(ListFields[i], &QComboBox::currentIndexChanged, this, [this, i] { ListFields_Click(i); });
        connect(txtFields[i], &QLineEdit::textChanged, this, [this, i] { txtFields_Change(i); });
        Field[i]->DropDown = [this, i] { Field_DropDown(i); };
        Oper[i]->DropDown = [this, i] { Oper_DropDown(i); };
        ListFields[i]->DropDown = [this, i] { ListFields_DropDown(i); };
        txtFields[i]->installEventFilter(this);
        for (QWidget* w : {static_cast<QWidget*>(Field[i]), static_cast<QWidget*>(Oper[i]),
                           static_cast<QWidget*>(Negation[i]), static_cast<QWidget*>(Critere_Actif[i])})
            w->installEventFilter(this);
    }
    Submit->installEventFilter(this);
    // The leave check runs before a click elsewhere in the window takes effect.
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w != Data && !Data->isAncestorOf(w)) w->installEventFilter(this);
    }
    Data->viewport()->installEventFilter(this);
    Data->installEventFilter(this);
    // Enter runs the search, whatever has the focus.
    Submit->setDefault(true);
    for (int i = 0; i < Nb_Rows; ++i)
        connect(Find_Ref[i], &QPushButton::clicked, this, [this, i] { Find_Ref_Click(i); });
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

    for (int i = 0; i < Nb_Rows; ++i) {
        {
            const QSignalBlocker block(Critere_Actif[i]);
            Critere_Actif[i]->setChecked(false);
        }
        Field[i]->setCurrentIndex(-1);
        Field[i]->setEnabled(false);
        Negation[i]->setChecked(false);
        Oper[i]->setCurrentIndex(-1);
        txtFields[i]->setText(QString());
        Critere_Actif_Click(i);
    }
    Critere_Actif[0]->setChecked(true);
    Field[0]->setEnabled(true);
    Init_Field_Fields();

    Critere_Oper_And->setChecked(false);
    Critere_Oper_Or->setChecked(true);

    Apply_Grid_Font();
    Add_Mnemonics(this);

    const int n = std::max(Session_In_Use.Records().Col_Upper(), Session_In_Use.Description().Count());
    Results.Sort = Single_Field_Sort(n);

    // The initial query: every record whose year is not empty.
    Critere_Actif[0]->setChecked(true);
    Field[0]->setCurrentIndex(Field[0]->count() > 1 ? 1 : -1);
    Negation[0]->setChecked(true);
    Oper[0]->setCurrentIndex(Oper[0]->count() > 8 ? 8 : -1);

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
    for (int i = 0; i < Nb_Rows; ++i) {
        Criterion_Row& r = c.Rows[static_cast<size_t>(i)];
        r.Critere_Actif = Critere_Actif[i]->isChecked();
        r.Field = Field_Item(i);
        r.Oper = Oper_Code(i);
        r.txtFields = txtFields[i]->text();
        r.Negation = Negation[i]->isChecked();
    }
    c.Critere_Oper_And = Critere_Oper_And->isChecked();
    return c;
}

QString Search::Criteria_Sentence() const {
    const Criteria criteria = Read_Criteria();
    std::vector<Criterion_Text> rows;
    for (int i = 0; i < Nb_Rows; ++i) {
        Criterion_Text t;
        t.Usable = criteria.Rows[static_cast<size_t>(i)].Usable();
        t.Field = Field[i]->currentText();
        t.Negation = Negation[i]->isChecked();
        t.Oper = Oper[i]->currentText();
        t.Oper_Code = Oper_Code(i).value_or(0);
        t.Description = lblDescription[i]->text();
        t.Value = txtFields[i]->text();
        rows.push_back(t);
    }
    return TexteSelectionCriteria(rows, criteria.Critere_Oper_And);
}

std::optional<qint32> Search::Field_Item(int Index) const {
    const QComboBox* f = Field[Index];
    if (f->currentIndex() < 0) return std::nullopt;
    return f->currentData().toInt();
}

std::optional<qint32> Search::Oper_Code(int Index) const {
    const QComboBox* o = Oper[Index];
    if (o->currentIndex() < 0) return std::nullopt;
    return o->currentData().toInt();
}

int Search::Row_Of(const QWidget* box) const {
    for (int i = 0; i < Nb_Rows; ++i)
        if (txtFields[i] == box) return i;
    return -1;
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
    Init_Field_Fields();
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
    if (Focus_Event(watched, e)) return true;
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
    const int row = Row_Of(QApplication::focusWidget());
    if (row >= 0 && !Leave_Check(row)) return true;
    Submit_Click();
    return true;
}
