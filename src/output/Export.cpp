#include "output/Export.h"

#include "model/Session.h"
#include "output/Field_Chooser.h"
#include "output/List_Printer.h"
#include "output/Workbook_Export.h"
#include "search/Field_Sets.h"
#include "search/Name_Selection.h"
#include "search/Result_Text.h"
#include "search/Saved_Search.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
// The window as first drawn, in pixels at 96 dpi.
constexpr int Window_Width = 419;
constexpr int Button_Width = 81;
}  // namespace

Export::Export(const Session& session, Search_Results& results, QWidget* parent)
    : QDialog(parent), session_(session), results_(results) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Destination_Box = new QGroupBox(this);
    Print_Button = new QPushButton(Destination_Box);
    File_Button = new QPushButton(Destination_Box);
    Clip_Button = new QPushButton(Destination_Box);
    Field_Set_Box = new QGroupBox(this);
    for (size_t i = 0; i < Field_Set_Choice.size(); ++i) Field_Set_Choice[i] = new QRadioButton(Field_Set_Box);
    Custom_Button = new QPushButton(Field_Set_Box);
    Format_Box = new QGroupBox(this);
    With_Labels = new QCheckBox(Format_Box);
    As_List = new QRadioButton(Format_Box);
    As_Table = new QRadioButton(Format_Box);
    Status = new QLabel(this);
    Status->setObjectName(QStringLiteral("Status"));
    Status->setTextFormat(Qt::PlainText);
    Close_Button = new QPushButton(this);
    Field_Set_Choice[3]->hide();
    for (QPushButton* b : {Print_Button, File_Button, Clip_Button, Custom_Button, Close_Button})
        b->setAutoDefault(false);

    auto* destinations = new QVBoxLayout(Destination_Box);
    for (QPushButton* b : {Print_Button, File_Button, Clip_Button}) destinations->addWidget(b);
    destinations->addStretch(1);
    auto* sets = new QVBoxLayout(Field_Set_Box);
    for (QRadioButton* o : Field_Set_Choice) sets->addWidget(o);
    // "Select..." just under "Custom", whose set it chooses.
    sets->addWidget(Custom_Button, 0, Qt::AlignLeft);
    sets->addStretch(1);
    auto* format = new QVBoxLayout(Format_Box);
    format->addWidget(With_Labels);
    format->addSpacing(4);
    format->addWidget(As_List);
    format->addWidget(As_Table);
    format->addStretch(1);
    auto* frames = new QHBoxLayout;
    frames->addWidget(Destination_Box, 3);
    frames->addWidget(Field_Set_Box, 2);
    frames->addWidget(Format_Box, 2);
    // Under the frames: what the last destination did, and Close.
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Status, 1);
    Close_Button->setMinimumWidth(Button_Width);
    bottom->addWidget(Close_Button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames, 1);
    layout->addLayout(bottom);
    // A long path in the status line is shortened, never widens the window.
    Status->setMinimumWidth(1);
    Status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    Run_Field_Chooser = [](Field_Chooser& c) { return c.exec(); };
    connect(Print_Button, &QPushButton::clicked, this, &Export::Export_To_Printer);
    connect(File_Button, &QPushButton::clicked, this, &Export::Export_To_File);
    connect(Clip_Button, &QPushButton::clicked, this, &Export::Export_To_Clipboard);
    connect(Custom_Button, &QPushButton::clicked, this, &Export::Choose_Fields);
    for (int i = 0; i < 3; ++i)
        connect(Field_Set_Choice[static_cast<size_t>(i)], &QRadioButton::clicked, this,
                [this, i] { Field_Set_Chosen(i); });
    connect(As_List, &QRadioButton::clicked, this, &Export::List_Format_Chosen);
    connect(As_Table, &QRadioButton::clicked, this, &Export::Table_Format_Chosen);
    connect(With_Labels, &QCheckBox::clicked, this, &Export::With_Labels_Toggled);
    connect(Close_Button, &QPushButton::clicked, this, &QDialog::reject);
    Set_Texts();
}

void Export::Set_Texts() {
    setWindowTitle(App_Title() + tr(" Print/Export"));
    Destination_Box->setTitle(tr("Destination"));
    Print_Button->setText(tr("To Printer..."));
    File_Button->setText(tr("To File..."));
    Clip_Button->setText(tr("To Clipboard"));
    Field_Set_Box->setTitle(tr("Fields"));
    // The engine names the sets in English; these are their shown names.
    static const char* const Set_Names[] = {QT_TR_NOOP("Short"), QT_TR_NOOP("All"), QT_TR_NOOP("Custom")};
    const QStringList captions = Field_Sets_Captions();
    for (size_t i = 0; i < 3; ++i) {
        const QString caption = captions.value(static_cast<int>(i));
        Field_Set_Choice[i]->setText(caption == QLatin1String(Set_Names[i]) ? tr(Set_Names[i]) : caption);
    }
    Custom_Button->setText(tr("Select..."));
    Format_Box->setTitle(tr("Format"));
    With_Labels->setText(tr("With Label"));
    As_List->setText(tr("List"));
    As_Table->setText(tr("Table"));
    Close_Button->setText(tr("Close"));
    if (Columns) Columns->Name = tr("Columns");
    Add_Mnemonics(this);
}

void Export::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::LanguageChange && Close_Button) Set_Texts();
}

Export::~Export() { Unload(); }

void Export::Load() {
    unloaded_ = false;
    As_Table->setChecked(true);
    Table_Format_Chosen();
    With_Labels->setChecked(true);
    for (QRadioButton* o : Field_Set_Choice) o->show();
    Field_Set_Choice[3]->hide();
    Field_Set_Choice[0]->setChecked(true);
    Field_Set_Chosen(0);
    resize(std::max(Window_Width, minimumSizeHint().width()), minimumSizeHint().height());

    Init_Field_Sets();
    // The set this search was exported with last, or that its saved file gives.
    const QString& set = results_.Field_Set;
    if (set.startsWith(QLatin1String("Custom="))) {
        const std::vector<bool> custom = Field_Set_From_Range(session_.Description(), set.mid(7), session_.Language());
        if (custom.size() == Set_Columns[2].size()) Set_Columns[2] = custom;
    }
    const int chosen = set == QLatin1String("All") ? 1 : set.startsWith(QLatin1String("Custom=")) ? 2 : 0;
    Field_Set_Choice[static_cast<size_t>(chosen)]->setChecked(true);
    Field_Set_Chosen(chosen);
    Columns = std::make_unique<Name_Selection>();
    Columns->Name = tr("Columns");
    for (int c = 0; c < results_.Model.Columns(); ++c) Columns->Available.add(results_.Model.Heading(c));
    if (For_Printing) {
        As_List->setChecked(true);
        List_Format_Chosen();
    }
    Refresh_Destinations();
    Set_Texts();
}

void Export::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    const int set = Selected_Set();
    if (set >= 0)
        results_.Field_Set = set == 0   ? QStringLiteral("Short")
                             : set == 1 ? QStringLiteral("All")
                                        : QStringLiteral("Custom=") + Field_Set_Range(Set_Columns[2], Column_Field);
    Columns.reset();
}

void Export::Init_Field_Sets() {
    const Field_Sets f = ::Init_Field_Sets(session_.Description(), session_.Language());
    Set_Columns = f.Sets;
    Column_Field = f.Column_Field;
    Column_Export.assign(Column_Field.size(), false);
}

int Export::Selected_Set() const {
    for (int i = 0; i < 3; ++i)
        if (Field_Set_Choice[static_cast<size_t>(i)]->isChecked()) return i;
    return -1;
}

void Export::Fill_Field_Choices() {
    const int s = Selected_Set();
    if (s < 0) {
        Column_Export.assign(Column_Field.size(), false);
        return;
    }
    Column_Export = Set_Columns[static_cast<size_t>(s)];
}

void Export::Refresh_Destinations() {
    // A field set without any field would send empty lines without a word.
    const int s = Selected_Set();
    const bool any = s >= 0 && static_cast<size_t>(s) < Set_Columns.size() &&
                     std::find(Set_Columns[s].begin(), Set_Columns[s].end(), true) != Set_Columns[s].end();
    File_Button->setEnabled(any);
    Clip_Button->setEnabled(any);
    Print_Button->setEnabled(any && As_List->isChecked() && With_Labels->isChecked());
}

void Export::List_Format_Chosen() {
    As_Table->setChecked(!As_List->isChecked());
    Refresh_Destinations();
}

void Export::Table_Format_Chosen() {
    As_List->setChecked(!As_Table->isChecked());
    Refresh_Destinations();
}

void Export::With_Labels_Toggled() { Refresh_Destinations(); }

void Export::Field_Set_Chosen(int Index) {
    if (Index < 0 || Index > 2) return;
    QRadioButton* clicked = Field_Set_Choice[static_cast<size_t>(Index)];
    // A click always chooses its option; the group then lets the others go.
    if (!clicked->isChecked()) clicked->setChecked(true);
    for (int i = 0; i < 3; ++i)
        if (i != Index) Field_Set_Choice[static_cast<size_t>(i)]->setChecked(!clicked->isChecked());
    Custom_Button->setEnabled(Field_Set_Choice[2]->isChecked());
    Refresh_Destinations();
}

QString Export::Column_Label(int c) const {
    const int p = c < static_cast<int>(Column_Field.size()) ? Column_Field[static_cast<size_t>(c)] : 0;
    const Field_Def* f = p > 0 ? session_.Description().Fields().Item(p) : nullptr;
    return f ? f->Label_In(session_.Language()) : QString();
}

void Export::Choose_Fields() {
    if (!Columns) return;
    std::vector<bool>& custom = Set_Columns[2];
    Columns->DeSelectAll();
    for (int c = 1; c < static_cast<int>(custom.size()); ++c)
        if (custom[static_cast<size_t>(c)]) Columns->SelectItem(Column_Label(c));
    {
        Field_Chooser chooser(this);
        chooser.Names = Columns.get();
        chooser.Load();
        Run_Field_Chooser(chooser);
    }
    for (int c = 1; c < static_cast<int>(custom.size()); ++c) {
        const QString label = Column_Label(c);
        custom[static_cast<size_t>(c)] = !label.isEmpty() && Columns->Selected.exists(label);
    }
    Refresh_Destinations();
}

void Export::Export_To_File() {
    Fill_Field_Choices();
    const QString name = Show_Save_Dialog(this, tr("Documents to create"), QString::fromLatin1(Suggested_File_Name),
                                          {tr("CSV Files"), QStringLiteral("*.csv"), tr("Excel workbook"),
                                           QStringLiteral("*.xlsx"), tr("All files"), QStringLiteral("*.*")},
                                          QStringLiteral("Export"));
    if (name.isEmpty()) return;
    QString selection_error, failure;
    int texts_cut = 0;
    {
        Wait_Cursor wait;
        if (Is_Workbook_Name(name)) {
            const Workbook_Request request{As_Table->isChecked(), With_Labels->isChecked(), Column_Export,
                                           Criteria_Text, Order_Text};
            failure = Write_Workbook_File(name, results_, request, &selection_error, &texts_cut);
        } else {
            failure = ::File_Button(name, results_, As_Table->isChecked(), With_Labels->isChecked(), Column_Export,
                                    &selection_error);
        }
    }
    if (!selection_error.isEmpty()) Message_Box(selection_error, Msg_Buttons::OK, Msg_Icon::None, QString(), this);
    if (!failure.isEmpty()) Message_Box(failure, Msg_Buttons::OK, Msg_Icon::Exclamation, QString(), this);
    if (failure.isEmpty() && texts_cut > 0)
        Message_Box(Texts_Cut_Warning(texts_cut), Msg_Buttons::OK, Msg_Icon::Exclamation, QString(), this);
    Show_Status(failure.isEmpty() ? tr("%1 written to %2").arg(Records_Text(), QDir::toNativeSeparators(name))
                                  : QString());
}

void Export::Export_To_Clipboard() {
    Fill_Field_Choices();
    QString selection_error;
    {
        Wait_Cursor wait;
        const QString text =
            Clip_Text(results_, As_Table->isChecked(), With_Labels->isChecked(), Column_Export, &selection_error);
        QClipboard* clip = QGuiApplication::clipboard();
        clip->clear();
        if (!text.isEmpty()) clip->setText(text);
    }
    if (!selection_error.isEmpty()) Message_Box(selection_error, Msg_Buttons::OK, Msg_Icon::None, QString(), this);
    Show_Status(tr("%1 copied to the clipboard").arg(Records_Text()));
}

QString Export::Records_Text() const {
    const int n = results_.Result_Rows();
    return n == 1 ? tr("1 record") : tr("%1 records").arg(n);
}

void Export::Show_Status(const QString& text) {
    // A long path loses its middle, never its file name; the whole text is the tooltip.
    const int room = Status->isVisible() ? Status->width() : QWIDGETSIZE_MAX;
    Status->setText(Status->fontMetrics().elidedText(text, Qt::ElideMiddle, room));
    Status->setToolTip(text);
}

void Export::Export_To_Printer() {
    List_Printer printer;
    printer.Result = &results_.Model;
    printer.Report_Title = QString::fromLatin1(Report_Title);
    printer.Selection_Criteria = Criteria_Text;
    printer.Order_By = Order_Text;
    printer.Last_Row = results_.Result_Rows();
    printer.Parent = this;
    printer.Go_On_Without_Row = [this](int row) {
        return Message_Box(Oversized_Row_Question(row), Msg_Buttons::YesNo, Msg_Icon::Critical, QString(), this) ==
               Msg_Answer::Yes;
    };
    const int set = Selected_Set();
    if (set < 0) return;
    Fill_Field_Choices();
    // A long job shows how far it is and can be stopped; the windows stay painted. The
    // box is made when the job starts, never before the print dialog: its show timer runs
    // from its making, and once shown it would stand over that dialog and block it.
    std::unique_ptr<QProgressDialog> progress;
    printer.Progress = [this, &progress](int done, int total) {
        if (!progress) progress = Make_Print_Progress(total);
        progress->setMaximum(total);
        progress->setValue(done);
        QCoreApplication::processEvents();
        return !progress->wasCanceled();
    };
    if (Before_Print) Before_Print(printer);
    if (printer.Print_List(false, As_Table->isChecked() ? 1 : 2, set, Column_Export)) {
        const QString file = printer.Printer().outputFileName();
        Show_Status(file.isEmpty() ? tr("%1 sent to the printer").arg(Records_Text())
                                   : tr("%1 printed into %2").arg(Records_Text(), QDir::toNativeSeparators(file)));
    } else if (progress) {
        Show_Status(tr("Printing stopped: nothing printed"));
    }
}

std::unique_ptr<QProgressDialog> Export::Make_Print_Progress(int total) {
    auto progress = std::make_unique<QProgressDialog>(tr("Printing..."), tr("Cancel"), 0, total, this);
    progress->setWindowTitle(App_Title() + tr(" Print/Export"));
    progress->setMinimumWidth(progress->fontMetrics().horizontalAdvance(progress->windowTitle()) + 160);
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(Print_Progress_Delay_Ms);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    // Only a deliberate Cancel (the button, Escape) stops the job: an Enter meant for
    // another window must not reach it.
    auto* stop = new QPushButton(tr("Cancel"), progress.get());
    stop->setAutoDefault(false);
    progress->setCancelButton(stop);
    Add_Mnemonics(progress.get());
    return progress;
}

void Open_Export_Dialog(const Session& session, Search_Results& results, const QString& Criteria_Text,
                        const QString& Order_Text, bool For_Printing, QWidget* parent) {
    Export dialog(session, results, parent);
    dialog.For_Printing = For_Printing;
    dialog.Criteria_Text = Criteria_Text;
    dialog.Order_Text = Order_Text;
    dialog.Load();
    dialog.exec();
}
