#include "shell/Welcome.h"

#include "model/App_Paths.h"
#include "model/Data_Cache.h"
#include "model/Session.h"
#include "model/Value.h"
#include "shell/Error_Window.h"
#include "shell/Sifa_Picture.h"
#include "winsupport/Default_App.h"
#include "winsupport/Interface_Language.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <thread>

namespace {

enum class Kind { Title, Ordinary, Indented, Link };
// Texts in both languages are translated to French alone; a paragraph in English whose
// French twin follows it is shown in English only.
struct Panel_Text {
    Kind kind;
    const char* text;
    bool english_only = false;
    bool start_up_only = false;  // not shown when the window loads the records again
};

const Panel_Text First_Panel[] = {
    {Kind::Title, "Sifa_Soft 0.6.2"},
    {Kind::Ordinary,
     QT_TRANSLATE_NOOP("Welcome",
                       "<b>Explore the Sifa recommendations</b><br><b>Explorer les recommandations Sifa</b>")},
    {Kind::Ordinary,
     "Sifa_Soft reads the table of recommendations gathered by the Sifa projects and helps you "
     "find the ones you need: combine up to three criteria, sort the matches, read a "
     "recommendation in full, and pass the result on as a CSV file or a workbook, through the clipboard or "
     "on paper.",
     true},
    {Kind::Ordinary,
     "Sifa_Soft lit la table des recommandations recueillies par les projets Sifa et vous aide "
     "à trouver celles qui vous intéressent : combinez jusqu'à trois critères, triez les "
     "réponses, lisez une recommandation en entier et transmettez le résultat en fichier CSV ou en classeur, "
     "par le presse-papiers ou sur papier."},
    {Kind::Ordinary,
     QT_TRANSLATE_NOOP("Welcome",
                       "The records are read at start-up; press Continue when you are ready. "
                       "/ Les fiches sont lues au démarrage ; cliquez sur Continue quand vous êtes prêt."),
     false, true},
};

const Panel_Text Second_Panel[] = {
    {Kind::Title, QT_TRANSLATE_NOOP("Welcome", "Documents and data / Documents et données")},
    {Kind::Ordinary,
     "The recommendations come from the workbook Sifa_table.xls (or .xlsx, .ods) beside the program; member "
     "states, emitter types, areas and recipient types are decoded with the code tables of "
     "Refs.dat.",
     true},
    {Kind::Ordinary,
     "Les recommandations proviennent du classeur Sifa_table.xls (ou .xlsx, .ods) placé à côté du programme ; "
     "États membres, types d'émetteur, domaines et types de destinataire sont décodés grâce "
     "aux tables de Refs.dat."},
    {Kind::Indented,
     QT_TRANSLATE_NOOP("Welcome",
                       "• User manual / Manuel utilisateur: searching, sorting, reading and exporting, step by "
                       "step / recherche, tri, lecture et export, pas à pas.")},
    {Kind::Indented,
     QT_TRANSLATE_NOOP("Welcome",
                       "• Synthesis / Synthèse, Rapport Final: the project's own documents, when they are placed "
                       "beside the program / les documents du projet, lorsqu'ils sont placés à côté du programme.")},
    {Kind::Ordinary, QT_TRANSLATE_NOOP("Welcome",
                                       "<i>The sample data delivered with the program is invented. "
                                       "Les données d'exemple livrées avec le programme sont inventées.</i>")},
    {Kind::Link, nullptr},  // the data folder
};

std::vector<Panel_Text> Panel_Texts(int index) {
    return index == 0 ? std::vector<Panel_Text>(std::begin(First_Panel), std::end(First_Panel))
                      : std::vector<Panel_Text>(std::begin(Second_Panel), std::end(Second_Panel));
}

// Pixels at 96 dpi, from the window as first drawn.
constexpr int Design_Width = 560, Least_Width = 400;
constexpr int Picture_Size = 73;
constexpr int Margin = 8;
// Ordinary texts keep Text_Indent from both sides of the panel; indented list texts
// List_Indent from the left, with List_Space more above each.
constexpr int Text_Indent = 23, List_Indent = 67, List_Space = 4;
constexpr int Least_Button_Width = 100, Least_Title_Width = 147, Percent_Width = 53;
// While the progress shows, the window grows by Grow_Total in steps of Grow_Step.
constexpr int Grow_Step = 8;
constexpr int Grow_Total = 40;

}  // namespace

Welcome::Welcome(Session& session, QWidget* parent) : Welcome(session, session.Records(), parent) {}

Welcome::Welcome(Session& session, Records_Table& into, QWidget* parent)
    : QDialog(parent), session_(session), into_(into), reloading_(&into != &session.Records()) {
    setObjectName(QStringLiteral("Welcome"));
    setWindowIcon(QIcon(Sifa_Picture(64)));

    // Each panel scrolls: on a small screen or at a large scale factor the window is cut
    // to the screen, and its last paragraphs must stay within reach.
    for (QScrollArea** slot : {&Presentation_Panel, &Documents_Panel}) {
        auto* area = new QScrollArea(this);
        area->setObjectName(slot == &Presentation_Panel ? QStringLiteral("Presentation_Panel")
                                                        : QStringLiteral("Documents_Panel"));
        area->setFrameShape(QFrame::StyledPanel);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // The texts wrap to the panel's width and the panel scrolls their height.
        area->setWidgetResizable(true);
        auto* content = new QWidget;
        // The texts read as a page: the palette's page colours, dark themes included.
        content->setAutoFillBackground(true);
        content->setBackgroundRole(QPalette::Base);
        area->setWidget(content);
        *slot = area;
    }
    Build_Panel(0);
    Build_Panel(1);

    Button_Row = new QFrame(this);
    Button_Row->setObjectName(QStringLiteral("Button_Row"));
    Main_Button = new QPushButton(Button_Row);
    Main_Button->setObjectName(QStringLiteral("Main_Button"));
    Main_Button->setDefault(true);
    connect(Main_Button, &QPushButton::clicked, this, &Welcome::Main_Button_Clicked);

    struct Doc {
        QPushButton** button;
        const char* name;
        const char* caption;
        const char* file;
    };
    const Doc docs[] = {
        {&User_Manual_EN, "User_Manual_EN", QT_TR_NOOP("User manual"), "Sifa_soft_manual_V062_def_En.pdf"},
        {&User_Manual_FR, "User_Manual_FR", "Manuel utilisateur", "Sifa_soft_manuel_v062_def_Fr.pdf"},
        {&User_Synth_EN, "User_Synth_EN", QT_TR_NOOP("Synthesis"), "Sifa_Synthes_v175_def_En.pdf"},
        {&User_Synth_FR, "User_Synth_FR", "Synthèse", "Sifa_Synthes_v175_def_Fr.pdf"},
        {&Final_report, "Final_report", "Rapport Final", "Sifa_RS_v175_def.pdf"},
    };
    for (const Doc& d : docs) {
        auto* b = new QPushButton(Button_Row);
        b->setProperty("caption", QByteArray(d.caption));
        b->setObjectName(QString::fromLatin1(d.name));
        b->setAutoDefault(false);
        b->hide();
        const QString file = QString::fromLatin1(d.file);
        connect(b, &QPushButton::clicked, this, [this, file] { Open_Document(file); });
        *d.button = b;
    }
    Korvan = new QLabel(Button_Row);
    Korvan->setObjectName(QStringLiteral("Korvan"));
    Korvan->setEnabled(false);

    Load_Status = new QLabel(Button_Row);
    Load_Status->setObjectName(QStringLiteral("Load_Status"));
    Load_Status->setTextFormat(Qt::PlainText);
    Load_Again = new QPushButton(Button_Row);
    Load_Again->setObjectName(QStringLiteral("Load_Again"));
    Load_Again->setAutoDefault(false);
    Load_Again->hide();
    connect(Load_Again, &QPushButton::clicked, this, &Welcome::Load_Again_Clicked);

    Progress_Title = new QLabel(Button_Row);
    Progress_Title->setObjectName(QStringLiteral("Progress_Title"));
    Progress_Bar = new QProgressBar(Button_Row);
    Progress_Bar->setObjectName(QStringLiteral("Progress_Bar"));
    Progress_Bar->setTextVisible(false);
    Percent = new QLabel(Button_Row);
    Percent->setObjectName(QStringLiteral("Percent"));
    Percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Progress_Title->hide();
    Progress_Bar->hide();
    Percent->hide();

    Documents_Panel->hide();

    // The name line is as high as the document buttons that take its place.
    Korvan->setMinimumHeight(User_Manual_EN->sizeHint().height());
    auto* documents = new QHBoxLayout;
    documents->addWidget(Korvan, 1);
    for (QPushButton* b : {User_Manual_EN, User_Manual_FR, User_Synth_EN, User_Synth_FR, Final_report})
        documents->addWidget(b, 1);
    auto* status = new QHBoxLayout;
    // A long status is cut, never widens the window; its tip holds it whole.
    Load_Status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status->addWidget(Load_Status, 1);
    for (QPushButton* b : {Load_Again, Main_Button}) {
        b->setMinimumWidth(Least_Button_Width);
        status->addWidget(b);
    }
    auto* progress = new QHBoxLayout;
    Progress_Title->setMinimumWidth(Least_Title_Width);
    Percent->setFixedWidth(Percent_Width);
    progress->addWidget(Progress_Title);
    progress->addWidget(Progress_Bar, 1);
    progress->addWidget(Percent);
    auto* controls = new QVBoxLayout(Button_Row);
    controls->setContentsMargins(Margin, Margin, Margin, Margin);
    controls->setSpacing(Margin);
    controls->addLayout(documents);
    controls->addLayout(status);
    controls->addLayout(progress);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Presentation_Panel, 1);
    layout->addWidget(Documents_Panel, 1);
    layout->addWidget(Button_Row);

    Start_Timer = new QTimer(this);
    Start_Timer->setObjectName(QStringLiteral("Start_Timer"));
    Start_Timer->setInterval(500);
    connect(Start_Timer, &QTimer::timeout, this, &Welcome::Start_Timer_Fired);
    Start_Timer->start();

    command_ = Idle_Command();
    Set_Texts();
    // Tall enough for the longer panel at the design width.
    const int content = std::max(Panel_Content_Height(0, Design_Width), Panel_Content_Height(1, Design_Width));
    resize(Design_Width, content + Button_Row->sizeHint().height());
    setMinimumWidth(Least_Width);
}

void Welcome::Set_Texts() {
    setWindowTitle(App_Title() + tr(" Welcome"));
    Presentation_Panel->setAccessibleName(tr("Presentation"));
    Documents_Panel->setAccessibleName(tr("Documents and data"));
    const bool french = Interface_Language() == QLatin1String("FR");
    for (int index = 0; index < 2; ++index) {
        const std::vector<Panel_Text> texts = Panel_Texts(index);
        for (size_t i = 0; i < texts.size() && i < static_cast<size_t>(Panel_Labels[index].size()); ++i) {
            QLabel* l = Panel_Labels[index][static_cast<int>(i)];
            if (texts[i].kind != Kind::Link) l->setText(tr(texts[i].text));
            l->setVisible(!(french && texts[i].english_only) && !(reloading_ && texts[i].start_up_only));
        }
    }
    for (QPushButton* b : {User_Manual_EN, User_Manual_FR, User_Synth_EN, User_Synth_FR, Final_report})
        b->setText(tr(b->property("caption").toByteArray().constData()));
    Korvan->setText(tr("Made by the Sifa_Soft developers"));
    Load_Again->setText(tr("Load again"));
    if (shown_outcome_) Show_Load_Status(*shown_outcome_);
    Set_Command_Caption(command_);
}

void Welcome::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::LanguageChange && Main_Button) Set_Texts();
}

QWidget* Welcome::Panel_Content(int index) const {
    return (index == 0 ? Presentation_Panel : Documents_Panel)->widget();
}

void Welcome::Build_Panel(int index) {
    QWidget* panel = Panel_Content(index);
    Panel_Picture[index] = new QLabel(panel);
    Panel_Picture[index]->setObjectName(QStringLiteral("Panel_Picture"));
    Panel_Picture[index]->setPixmap(Sifa_Picture(Picture_Size));
    auto* texts_layout = new QVBoxLayout(panel);
    texts_layout->setContentsMargins(0, Margin, 0, Margin);
    texts_layout->setSpacing(0);
    texts_layout->addWidget(Panel_Picture[index], 0, Qt::AlignHCenter);
    texts_layout->addSpacing(Margin);

    for (const Panel_Text& t : Panel_Texts(index)) {
        auto* l = new QLabel(panel);
        l->setWordWrap(true);
        // The panel's width, whatever the text (a long folder name is cut, not widening
        // the panel); the height the text takes at that width.
        QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        l->setSizePolicy(policy);
        l->setContentsMargins(0, 3, 0, 3);
        l->setProperty("kind", static_cast<int>(t.kind));
        l->setForegroundRole(QPalette::Text);
        if (t.kind == Kind::Title) {
            l->setObjectName(QStringLiteral("Ttl"));
            QFont f = l->font();
            f.setBold(true);
            f.setPointSizeF(f.pointSizeF() + 4);
            l->setFont(f);
            l->setAlignment(Qt::AlignHCenter);
        } else {
            l->setObjectName(QStringLiteral("txt"));
        }
        if (t.kind == Kind::Link) {
            l->setText(QStringLiteral(" ") + QDir::toNativeSeparators(App_Path()));
            l->setTextFormat(Qt::PlainText);
            l->setForegroundRole(QPalette::Link);
            QFont f = l->font();
            f.setUnderline(true);
            l->setFont(f);
            l->setCursor(Qt::PointingHandCursor);
            // Reached by Tab too, and opened by Enter or Space: shown in the selection's colours.
            l->setProperty("link", true);
            l->setFocusPolicy(Qt::StrongFocus);
            l->setBackgroundRole(QPalette::Highlight);
        }
        l->installEventFilter(this);
        const bool indented = t.kind == Kind::Indented;
        if (indented) texts_layout->addSpacing(List_Space);
        auto* row = new QHBoxLayout;
        row->setContentsMargins(indented ? List_Indent : Text_Indent, 0, Text_Indent, 0);
        row->addWidget(l);
        texts_layout->addLayout(row);
        Panel_Labels[index] << l;
    }
    // A panel higher than its texts keeps the room below them.
    texts_layout->addStretch(1);
}

int Welcome::Panel_Content_Height(int index, int areaWidth) const {
    const QScrollArea* area = index == 0 ? Presentation_Panel : Documents_Panel;
    const int frame = 2 * area->frameWidth();
    return Panel_Content(index)->heightForWidth(std::max(1, areaWidth - frame)) + frame;
}

bool Welcome::eventFilter(QObject* watched, QEvent* e) {
    auto* l = qobject_cast<QLabel*>(watched);
    if (!l || l->objectName() != QLatin1String("txt")) return QDialog::eventFilter(watched, e);
    if (e->type() == QEvent::MouseButtonRelease) Link_Clicked(l);
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            Link_Clicked(l);
            return true;
        }
    }
    if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) {
        const bool focused = e->type() == QEvent::FocusIn;
        l->setAutoFillBackground(focused);
        l->setForegroundRole(focused ? QPalette::HighlightedText : QPalette::Link);
    }
    return QDialog::eventFilter(watched, e);
}

void Welcome::Link_Clicked(QLabel* label) {
    if (!label->property("link").toBool()) return;
    Message_Box(tr("Open") + label->text(), Msg_Buttons::OK, Msg_Icon::None, QString(), this);
}

void Welcome::Open_Document(const QString& fileName) { Open_With_Default_App(App_File(fileName)); }

void Welcome::Start_Timer_Fired() {
    Start_Timer->stop();
    loading_ = true;
    Load_Status->clear();
    const Load_Outcome outcome = Load_Records(into_, Files, *this);
    loading_ = false;
    Show_Load_Status(outcome);
    if (closePending_) {
        closePending_ = false;
        QDialog::reject();
    } else if (reloading_ && Records_Loaded) {
        // Nothing to read or choose here: the search window takes the records at once.
        accept();
    }
}

void Welcome::Show_Load_Status(Load_Outcome outcome) {
    shown_outcome_ = outcome;
    const int records = into_.Record_Count();
    QString text;
    if (reloading_ && !(Records_Loaded && records > 0))
        text = Load_Cancelled ? tr("Reload cancelled: the records in use are kept")
                              : tr("Reload failed: the records in use are kept");
    else if (Records_Loaded && records > 0)
        text = outcome == Load_Outcome::From_Cache
                   ? tr("%1 records loaded from the cache %2").arg(records).arg(QFileInfo(Files.Cache).fileName())
                   : tr("%1 records loaded from the workbook %2").arg(records).arg(QFileInfo(Files.Source).fileName());
    else if (Load_Cancelled)
        text = tr("Loading cancelled: no record loaded");
    else
        text = tr("No record loaded");
    Load_Status->setText(text);
    Load_Status->setToolTip(text);
    Load_Again->setVisible(!Records_Loaded);
}

void Welcome::Load_Again_Clicked() {
    Load_Again->hide();
    // The second panel offered to quit; loaded, it goes on.
    if (command_ == Command::Quit) Set_Command_Caption(Command::Continue);
    Start_Timer_Fired();
}

void Welcome::Cache_Loaded() { Records_Loaded = true; }

qint32 Welcome::Load_Cache(Records_Table& into, const Load_Files& files) {
    // A large cache takes a second or more to read: it is read on a thread of its own
    // while this window goes on painting and hears Cancel. Nothing reads the records
    // until the thread is done.
    const Command remembered = command_;
    Set_Command_Caption(Command::Cancel);
    Load_Cancelled = false;
    Start_Progress(0);
    qint32 rows = -1;
    QEventLoop wait;
    std::thread reader([&] {
        rows = Load_Data_Cache(into, files.Source, files.Code_Table, files.Cache);
        QMetaObject::invokeMethod(&wait, &QEventLoop::quit, Qt::QueuedConnection);
    });
    wait.exec();
    reader.join();
    Hide_Progress();
    Main_Button->setEnabled(true);
    if (Load_Cancelled) {
        // Read, but not wanted: the window offers to load again.
        into.Clear();
        Set_Command_Caption(Idle_Command());
        return -1;
    }
    Set_Command_Caption(remembered);
    return rows;
}

void Welcome::Grow_To(int pixels) {
    const int base = height() - grown_;
    grown_ = pixels;
    resize(width(), base + grown_);
    // A window as tall as the screen stays so: its panel gives up the room instead.
    Fit_To_Screen(this);
    QCoreApplication::processEvents();
}

void Welcome::Before_Import() {
    for (int t = 0; t <= Grow_Total; t += Grow_Step) Grow_To(t);
}

void Welcome::After_Import() {
    for (int t = grown_; t >= 0; t -= Grow_Step) Grow_To(t);
}

bool Welcome::Import(const QString& source, Records_Table&) { return Import_Workbook_File(source); }

bool Welcome::Import_Workbook_File(const QString& path) {
    const Command remembered = command_;
    Set_Command_Caption(Command::Cancel);
    Load_Cancelled = false;
    Import_Result r = Import_Workbook(session_, path, &Load_Cancelled, this, &into_);
    Main_Button->setEnabled(true);
    if (r.Cancelled) {
        Set_Command_Caption(Idle_Command());
        return false;
    }
    if (r.Rows > 0) {
        Set_Command_Caption(remembered);
        Records_Loaded = true;
    } else {
        Set_Command_Caption(Idle_Command());
    }
    if (!r.Errs.isEmpty()) Show_Error_Window(r.Errs, this);
    return r.Success();
}

void Welcome::Main_Button_Clicked() {
    if (command_ == Command::Cancel) {
        Load_Cancelled = true;
        Main_Button->setEnabled(false);
        return;
    }
    // A reload that did not load keeps the records in use: the window only closes.
    if (command_ == Command::Close) {
        reject();
        return;
    }
    if (Documents_Panel->isHidden()) {
        Documents_Panel->show();
        Presentation_Panel->hide();
        Korvan->hide();
        for (QPushButton* b : {User_Manual_EN, User_Manual_FR, User_Synth_EN, User_Synth_FR, Final_report}) b->show();
        if (!Records_Loaded) Set_Command_Caption(Command::Quit);
        return;
    }
    accept();
}

void Welcome::Set_Command_Caption(Command command) {
    command_ = command;
    Main_Button->setText(command == Command::Cancel  ? tr("Cancel")
                         : command == Command::Quit  ? tr("Quit")
                         : command == Command::Close ? tr("Close")
                                                     : tr("Continue"));
    Add_Mnemonics(this);
}

void Welcome::reject() {
    // Closing while the workbook is read cancels it; the window closes once the reader stops.
    if (loading_) {
        Load_Cancelled = true;
        closePending_ = true;
        Main_Button->setEnabled(false);
        return;
    }
    QDialog::reject();
}

QString Welcome::Percent_Text(int progress_value, int maximum) {
    if (maximum <= 0) return {};
    return QString::number(Round_Half_Even(progress_value * 100.0 / maximum)) + QLatin1Char('%');
}

void Welcome::Show_Progress_Title(const std::optional<QString>& progress_title) {
    if (progress_title) Progress_Title->setText(*progress_title);
    Progress_Title->show();
    // Opening a large workbook takes a moment: the caption must be on screen first.
    QCoreApplication::processEvents();
}

void Welcome::Start_Progress(int progress_total, const std::optional<QString>& progress_title) {
    Progress_Bar->setMinimum(0);
    Progress_Bar->setValue(0);
    Progress_Bar->setMaximum(std::max(0, progress_total));
    Percent->setText(progress_total < 1 ? QString() : QStringLiteral("0%"));
    Progress_Bar->show();
    Percent->show();
    Show_Progress_Title(progress_title.value_or(QString()));
}

void Welcome::Show_Progress(int progress_value, const std::optional<QString>& progress_title) {
    // A bar that only says it is busy (the number of records not known yet) would be painted
    // again at once for each record.
    if (Progress_Bar->maximum() > 0) {
        Progress_Bar->setValue(progress_value);
        Percent->setText(Percent_Text(progress_value, Progress_Bar->maximum()));
    }
    if (progress_title) Progress_Title->setText(*progress_title);
    QCoreApplication::processEvents();
}

void Welcome::Hide_Progress() {
    Progress_Bar->hide();
    Percent->hide();
    Progress_Title->hide();
}
