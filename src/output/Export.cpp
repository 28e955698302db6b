#include "output/Export.h"

#include "model/Session.h"
#include "output/Choose.h"
#include "output/LVPrint.h"
#include "search/Field_Sets.h"
#include "search/Result_Text.h"
#include "search/Selection_Items.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
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
    Frame3 = new QGroupBox(QStringLiteral("Destination"), this);
    ToPrint = new QPushButton(QStringLiteral("To Printer..."), Frame3);
    ToFile = new QPushButton(QStringLiteral("To File (csv format)..."), Frame3);
    ToClip = new QPushButton(QStringLiteral("To Clipboard"), Frame3);
    Frame2 = new QGroupBox(QStringLiteral("Fields"), this);
    for (size_t i = 0; i < OptFields.size(); ++i) OptFields[i] = new QRadioButton(Frame2);
    Custum_Select = new QPushButton(QStringLiteral("Select..."), Frame2);
    Frame1 = new QGroupBox(QStringLiteral("Format"), this);
    WithLbl = new QCheckBox(QStringLiteral("With Label"), Frame1);
    OptList = new QRadioButton(QStringLiteral("List"), Frame1);
    OptTab = new QRadioButton(QStringLiteral("Table"), Frame1);
    Status = new QLabel(this);
    Status->setObjectName(QStringLiteral("Status"));
    Status->setTextFormat(Qt::PlainText);
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    OptFields[3]->hide();
    for (QPushButton* b : {ToPrint, ToFile, ToClip, Custum_Select, cmdClose}) b->setAutoDefault(false);

    auto* destinations = new QVBoxLayout(Frame3);
    for (QPushButton* b : {ToPrint, ToFile, ToClip}) destinations->addWidget(b);
    destinations->addStretch(1);
    auto* sets = new QVBoxLayout(Frame2);
    for (QRadioButton* o : OptFields) sets->addWidget(o);
    // "Select..." just under "Custom", whose set it chooses.
    sets->addWidget(Custum_Select, 0, Qt::AlignLeft);
    sets->addStretch(1);
    auto* format = new QVBoxLayout(Frame1);
    format->addWidget(WithLbl);
    format->addSpacing(4);
    format->addWidget(OptList);
    format->addWidget(OptTab);
    format->addStretch(1);
    auto* frames = new QHBoxLayout;
    frames->addWidget(Frame3, 3);
    frames->addWidget(Frame2, 2);
    frames->addWidget(Frame1, 2);
    // Under the frames: what the last destination did, and Close.
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Status, 1);
    cmdClose->setMinimumWidth(Button_Width);
    bottom->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames, 1);
    layout->addLayout(bottom);
    // A long path in the status line is shortened, never widens the window.
    Status->setMinimumWidth(1);
    Status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    Run_Chooser = [](Choose& c) { return c.exec(); };
    connect(ToPrint, &QPushButton::clicked, this, &Export::ToPrint_Click);
    connect(ToFile, &QPushButton::clicked, this, &Export::ToFile_Click);
    connect(ToClip, &QPushButton::clicked, this, &Export::ToClip_Click);
    connect(Custum_Select, &QPushButton::clicked, this, &Export::Custum_Select_Click);
    for (int i = 0; i < 3; ++i)
        connect(OptFields[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this, i] { OptFields_Click(i); });
    connect(OptList, &QRadioButton::clicked, this, &Export::OptList_Click);
    connect(OptTab, &QRadioButton::clicked, this, &Export::OptTab_Click);
    connect(WithLbl, &QCheckBox::clicked, this, &Export::WithLbl_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

Export::~Export() { Form_Unload(); }

void Export::Form_Load() {
    unloaded_ = false;
    setWindowTitle(App_Title() + QStringLiteral(" Print/Export"));
    OptTab->setChecked(true);
    OptTab_Click();
    WithLbl->setChecked(true);
    const QStringList captions = Field_Sets_Captions();
    for (int i = 0; i < 3; ++i) {
        OptFields[static_cast<size_t>(i)]->setText(captions.value(i));
        OptFields[static_cast<size_t>(i)]->show();
    }
    OptFields[0]->setChecked(true);
    OptFields_Click(0);
    resize(std::max(Window_Width, minimumSizeHint().width()), minimumSizeHint().height());

    Init_Field_Sets();
    Columns = std::make_unique<Field>();
    Columns->Name = QStringLiteral("Columns");
    for (int c = 0; c < results_.Model.Columns(); ++c) Columns->Available.add(results_.Model.Heading(c));
    if (For_Printing) {
        OptList->setChecked(true);
        OptList_Click();
    }
    Refresh_Destinations();
    Add_Mnemonics(this);
}

void Export::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    Columns.reset();
}

void Export::Init_Field_Sets() {
    const Field_Sets_T f = ::Init_Field_Sets(session_.Description(), session_.Language());
    Field_Sets = f.Sets;
    Column_Field = f.Column_Field;
    Column_Export.assign(Column_Field.size(), false);
}

int Export::Selected_Set() const {
    for (int i = 0; i < 3; ++i)
        if (OptFields[static_cast<size_t>(i)]->isChecked()) return i;
    return -1;
}

void Export::Make_Selection_Fields() {
    const int s = Selected_Set();
    if (s < 0) {
        Column_Export.assign(Column_Field.size(), false);
        return;
    }
    Column_Export = Field_Sets[static_cast<size_t>(s)];
}

void Export::Refresh_Destinations() {
    // A field set without any field would send empty lines without a word.
    const int s = Selected_Set();
    const bool any = s >= 0 && static_cast<size_t>(s) < Field_Sets.size() &&
                     std::find(Field_Sets[s].begin(), Field_Sets[s].end(), true) != Field_Sets[s].end();
    ToFile->setEnabled(any);
    ToClip->setEnabled(any);
    ToPrint->setEnabled(any && OptList->isChecked() && WithLbl->isChecked());
}

void Export::OptList_Click() {
    OptTab->setChecked(!OptList->isChecked());
    Refresh_Destinations();
}

void Export::OptTab_Click() {
    OptList->setChecked(!OptTab->isChecked());
    Refresh_Destinations();
}

void Export::WithLbl_Click() { Refresh_Destinations(); }

void Export::OptFields_Click(int Index) {
    if (Index < 0 || Index > 2) return;
    QRadioButton* clicked = OptFields[static_cast<size_t>(Index)];
    // A click always chooses its option; the group then lets the others go.
    if (!clicked->isChecked()) clicked->setChecked(true);
    for (int i = 0; i < 3; ++i)
        if (i != Index) OptFields[static_cast<size_t>(i)]->setChecked(!clicked->isChecked());
    Custum_Select->setEnabled(OptFields[2]->isChecked());
    Refresh_Destinations();
}

QString Export::Column_Label(int c) const {
    const int p = c < static_cast<int>(Column_Field.size()) ? Column_Field[static_cast<size_t>(c)] : 0;
    const Champ* f = p > 0 ? session_.Description().Get_Champs().Item(p) : nullptr;
    return f ? f->Get_Libelle_In_Langue(session_.Language()) : QString();
}

void Export::Custum_Select_Click() {
    if (!Columns) return;
    std::vector<bool>& custom = Field_Sets[2];
    Columns->DeSelectAll();
    for (int c = 1; c < static_cast<int>(custom.size()); ++c)
        if (custom[static_cast<size_t>(c)]) Columns->SelectItem(Column_Label(c));
    {
        Choose chooser(this);
        chooser.current_field = Columns.get();
        chooser.Form_Load();
        Run_Chooser(chooser);
    }
    for (int c = 1; c < static_cast<int>(custom.size()); ++c) {
        const QString label = Column_Label(c);
        custom[static_cast<size_t>(c)] = !label.isEmpty() && Columns->Selected.exists(label);
    }
    Refresh_Destinations();
}

void Export::ToFile_Click() {
    Make_Selection_Fields();
    const QString name = Show_Save_Dialog(
        this, QStringLiteral("Documents to create"), QString::fromLatin1(Suggested_File_Name),
        {QStringLiteral("CSV Files"), QStringLiteral("*.csv"), QStringLiteral("All files"), QStringLiteral("*.*")});
    if (name.isEmpty()) return;
    QString selection_error, failure;
    {
        Wait_Cursor wait;
        failure = ::ToFile(name, results_, OptTab->isChecked(), WithLbl->isChecked(), Column_Export, &selection_error);
    }
    if (!selection_error.isEmpty()) Message_Box(selection_error, Msg_Buttons::OK, Msg_Icon::None, QString(), this);
    if (!failure.isEmpty()) Message_Box(failure, Msg_Buttons::OK, Msg_Icon::Exclamation, QString(), this);
    Show_Status(failure.isEmpty() ? Records_Text() + QStringLiteral(" written to ") + QDir::toNativeSeparators(name)
                                  : QString());
}

void Export::ToClip_Click() {
    Make_Selection_Fields();
    QString selection_error;
    {
        Wait_Cursor wait;
        const QString text =
            Clip_Text(results_, OptTab->isChecked(), WithLbl->isChecked(), Column_Export, &selection_error);
        QClipboard* clip = QGuiApplication::clipboard();
        clip->clear();
        if (!text.isEmpty()) clip->setText(text);
    }
    if (!selection_error.isEmpty()) Message_Box(selection_error, Msg_Buttons::OK, Msg_Icon::None, QString(), this);
    Show_Status(Records_Text() + QStringLiteral(" copied to the clipboard"));
}

QString Export::Records_Text() const {
    const int n = results_.Result_Rows();
    return n == 1 ? QStringLiteral("1 record") : QStringLiteral("%1 records").arg(n);
}

void Export::Show_Status(const QString& text) {
    // A long path loses its middle, never its file name; the whole text is the tooltip.
    const int room = Status->isVisible() ? Status->width() : QWIDGETSIZE_MAX;
    Status->setText(Status->fontMetrics().elidedText(text, Qt::ElideMiddle, room));
    Status->setToolTip(text);
}

void Export::ToPrint_Click() {
    LVPrint printer;
    printer.Result = &results_.Model;
    printer.ReportTitle = QString::fromLatin1(Report_Title);
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
    Make_Selection_Fields();
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
    if (printer.PrintList(false, OptTab->isChecked() ? 1 : 2, set, Column_Export)) {
        const QString file = printer.Printer().outputFileName();
        Show_Status(file.isEmpty()
                        ? Records_Text() + QStringLiteral(" sent to the printer")
                        : Records_Text() + QStringLiteral(" printed into ") + QDir::toNativeSeparators(file));
    } else if (progress) {
        Show_Status(QStringLiteral("Printing stopped: nothing printed"));
    }
}

std::unique_ptr<QProgressDialog> Export::Make_Print_Progress(int total) {
    auto progress =
        std::make_unique<QProgressDialog>(QStringLiteral("Printing..."), QStringLiteral("Cancel"), 0, total, this);
    progress->setWindowTitle(App_Title() + QStringLiteral(" Print/Export"));
    progress->setMinimumWidth(progress->fontMetrics().horizontalAdvance(progress->windowTitle()) + 160);
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(Print_Progress_Delay_Ms);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    // Only a deliberate Cancel (the button, Escape) stops the job: an Enter meant for
    // another window must not reach it.
    auto* stop = new QPushButton(QStringLiteral("Cancel"), progress.get());
    stop->setAutoDefault(false);
    progress->setCancelButton(stop);
    return progress;
}

void Open_Export_Dialog(const Session& session, Search_Results& results, const QString& Criteria_Text,
                        const QString& Order_Text, bool For_Printing, QWidget* parent) {
    Export dialog(session, results, parent);
    dialog.For_Printing = For_Printing;
    dialog.Criteria_Text = Criteria_Text;
    dialog.Order_Text = Order_Text;
    dialog.Form_Load();
    dialog.exec();
}
