#include "shell/Welcome.h"

#include "model/App_Paths.h"
#include "model/Data_Cache.h"
#include "model/Session.h"
#include "model/Value.h"
#include "shell/DisplayError.h"
#include "shell/Sifa_Picture.h"
#include "winsupport/Default_App.h"
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
struct Panel_Text {
    Kind kind;
    const char16_t* text;
};

const Panel_Text First_Panel[] = {
    {Kind::Title, u"Sifa_Soft 0.6.2"},
    {Kind::Ordinary, u"<b>Explore the Sifa recommendations</b><br><b>Explorer les recommandations Sifa</b>"},
    {Kind::Ordinary,
     u"Sifa_Soft reads the table of recommendations gathered by the Sifa projects and helps you "
     u"find the ones you need: combine up to three criteria, sort the matches, read a "
     u"recommendation in full, and pass the result on as a CSV file, through the clipboard or "
     u"on paper."},
    {Kind::Ordinary,
     u"Sifa_Soft lit la table des recommandations recueillies par les projets Sifa et vous aide "
     u"à trouver celles qui vous intéressent : combinez jusqu'à trois critères, triez les "
     u"réponses, lisez une recommandation en entier et transmettez le résultat en fichier CSV, "
     u"par le presse-papiers ou sur papier."},
    {Kind::Ordinary,
     u"The records are read at start-up; press Continue when you are ready. "
     u"/ Les fiches sont lues au démarrage ; cliquez sur Continue quand vous êtes prêt."},
};

const Panel_Text Second_Panel[] = {
    {Kind::Title, u"Documents and data / Documents et données"},
    {Kind::Ordinary,
     u"The recommendations come from the workbook Sifa_table.xls (or .xlsx, .ods) beside the program; member "
     u"states, emitter types, areas and recipient types are decoded with the code tables of "
     u"Refs.dat."},
    {Kind::Ordinary,
     u"Les recommandations proviennent du classeur Sifa_table.xls (ou .xlsx, .ods) placé à côté du programme ; "
     u"États membres, types d'émetteur, domaines et types de destinataire sont décodés grâce "
     u"aux tables de Refs.dat."},
    {Kind::Indented,
     u"• User manual / Manuel utilisateur: searching, sorting, reading and exporting, step by "
     u"step / recherche, tri, lecture et export, pas à pas."},
    {Kind::Indented,
     u"• Synthesis / Synthèse, Rapport Final: the project's own documents, when they are placed "
     u"beside the program / les documents du projet, lorsqu'ils sont placés à côté du programme."},
    {Kind::Ordinary,
     u"<i>The sample data delivered with the program is invented. "
     u"Les données d'exemple livrées avec le programme sont inventées.</i>"},
    {Kind::Link, nullptr},  // the data folder
};

const QColor Link_Colour(0, 0, 192);

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

Welcome::Welcome(Session& session, QWidget* parent) : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("Welcome"));
    setWindowTitle(App_Title() + QStringLiteral(" Welcome"));
    setWindowIcon(QIcon(Sifa_Picture(64)));

    // Each panel scrolls: on a small screen or at a large scale factor the window is cut
    // to the screen, and its last paragraphs must stay within reach.
    for (QScrollArea** slot : {&SifaReco, &SifaReco2}) {
        auto* area = new QScrollArea(this);
        area->setObjectName(slot == &SifaReco ? QStringLiteral("SifaReco") : QStringLiteral("SifaReco2"));
        area->setFrameShape(QFrame::StyledPanel);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // The texts wrap to the panel's width and the panel scrolls their height.
        area->setWidgetResizable(true);
        auto* content = new QWidget;
        content->setAutoFillBackground(true);
        QPalette pal = content->palette();
        pal.setColor(QPalette::Window, QColor(252, 252, 255));
        content->setPalette(pal);
        area->setWidget(content);
        *slot = area;
    }
    Build_Panel(0);
    Build_Panel(1);

    Frame_Control = new QFrame(this);
    Frame_Control->setObjectName(QStringLiteral("Frame_Control"));
    Command1 = new QPushButton(QStringLiteral("Continue"), Frame_Control);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &Welcome::Command1_Click);

    struct Doc {
        QPushButton** button;
        const char* name;
        const char16_t* caption;
        const char* file;
    };
    const Doc docs[] = {
        {&User_Manual_EN, "User_Manual_EN", u"User manual", "Sifa_soft_manual_V062_def_En.pdf"},
        {&User_Manual_FR, "User_Manual_FR", u"Manuel utilisateur", "Sifa_soft_manuel_v062_def_Fr.pdf"},
        {&User_Synth_EN, "User_Synth_EN", u"Synthesis", "Sifa_Synthes_v175_def_En.pdf"},
        {&User_Synth_FR, "User_Synth_FR", u"Synthèse", "Sifa_Synthes_v175_def_Fr.pdf"},
        {&Final_report, "Final_report", u"Rapport Final", "Sifa_RS_v175_def.pdf"},
    };
    for (const Doc& d : docs) {
        auto* b = new QPushButton(QString::fromUtf16(d.caption), Frame_Control);
        b->setObjectName(QString::fromLatin1(d.name));
        b->setAutoDefault(false);
        b->hide();
        const QString file = QString::fromLatin1(d.file);
        connect(b, &QPushButton::clicked, this, [this, file] { Open_Document(file); });
        *d.button = b;
    }
    Korvan = new QLabel(QStringLiteral("Made by the Sifa_Soft developers"), Frame_Control);
    Korvan->setObjectName(QStringLiteral("Korvan"));
    Korvan->setEnabled(false);

    Load_Status = new QLabel(Frame_Control);
    Load_Status->setObjectName(QStringLiteral("Load_Status"));
    Load_Status->setTextFormat(Qt::PlainText);
    Load_Again = new QPushButton(QStringLiteral("Load again"), Frame_Control);
    Load_Again->setObjectName(QStringLiteral("Load_Again"));
    Load_Again->setAutoDefault(false);
    Load_Again->hide();
    connect(Load_Again, &QPushButton::clicked, this, &Welcome::Load_Again_Click);

    Barre_Titre = new QLabel(Frame_Control);
    Barre_Titre->setObjectName(QStringLiteral("Barre_Titre"));
    ProgressBar1 = new QProgressBar(Frame_Control);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    Percent = new QLabel(Frame_Control);
    Percent->setObjectName(QStringLiteral("Percent"));
    Percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Barre_Titre->hide();
    ProgressBar1->hide();
    Percent->hide();

    SifaReco2->hide();

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
    for (QPushButton* b : {Load_Again, Command1}) {
        b->setMinimumWidth(Least_Button_Width);
        status->addWidget(b);
    }
    auto* progress = new QHBoxLayout;
    Barre_Titre->setMinimumWidth(Least_Title_Width);
    Percent->setFixedWidth(Percent_Width);
    progress->addWidget(Barre_Titre);
    progress->addWidget(ProgressBar1, 1);
    progress->addWidget(Percent);
    auto* controls = new QVBoxLayout(Frame_Control);
    controls->setContentsMargins(Margin, Margin, Margin, Margin);
    controls->setSpacing(Margin);
    controls->addLayout(documents);
    controls->addLayout(status);
    controls->addLayout(progress);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(SifaReco, 1);
    layout->addWidget(SifaReco2, 1);
    layout->addWidget(Frame_Control);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &Welcome::Timer1_Timer);
    Timer1->start();

    Add_Mnemonics(this);
    // Tall enough for the longer panel at the design width.
    const int content = std::max(Panel_Content_Height(0, Design_Width), Panel_Content_Height(1, Design_Width));
    resize(Design_Width, content + Frame_Control->sizeHint().height());
    setMinimumWidth(Least_Width);
}

QWidget* Welcome::Panel_Content(int index) const { return (index == 0 ? SifaReco : SifaReco2)->widget(); }

void Welcome::Build_Panel(int index) {
    QWidget* panel = Panel_Content(index);
    Picture1[index] = new QLabel(panel);
    Picture1[index]->setObjectName(QStringLiteral("Picture1"));
    Picture1[index]->setPixmap(Sifa_Picture(Picture_Size));
    auto* texts_layout = new QVBoxLayout(panel);
    texts_layout->setContentsMargins(0, Margin, 0, Margin);
    texts_layout->setSpacing(0);
    texts_layout->addWidget(Picture1[index], 0, Qt::AlignHCenter);
    texts_layout->addSpacing(Margin);

    const auto texts = index == 0 ? std::vector<Panel_Text>(std::begin(First_Panel), std::end(First_Panel))
                                  : std::vector<Panel_Text>(std::begin(Second_Panel), std::end(Second_Panel));
    for (const Panel_Text& t : texts) {
        auto* l = new QLabel(panel);
        l->setWordWrap(true);
        // The panel's width, whatever the text (a long folder name is cut, not widening
        // the panel); the height the text takes at that width.
        QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        l->setSizePolicy(policy);
        l->setContentsMargins(0, 3, 0, 3);
        l->setProperty("kind", static_cast<int>(t.kind));
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
            QPalette pal = l->palette();
            pal.setColor(QPalette::WindowText, Link_Colour);
            l->setPalette(pal);
            QFont f = l->font();
            f.setUnderline(true);
            l->setFont(f);
            l->setCursor(Qt::PointingHandCursor);
        } else {
            l->setText(QString::fromUtf16(t.text));
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
    const QScrollArea* area = index == 0 ? SifaReco : SifaReco2;
    const int frame = 2 * area->frameWidth();
    return Panel_Content(index)->heightForWidth(std::max(1, areaWidth - frame)) + frame;
}

bool Welcome::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease) {
        if (auto* l = qobject_cast<QLabel*>(watched); l && l->objectName() == QLatin1String("txt")) txt_Click(l);
    }
    return QDialog::eventFilter(watched, e);
}

void Welcome::txt_Click(QLabel* label) {
    if (label->palette().color(QPalette::WindowText) != Link_Colour) return;
    Message_Box(QStringLiteral("Open") + label->text(), Msg_Buttons::OK, Msg_Icon::None, QString(), this);
}

void Welcome::Open_Document(const QString& fileName) { Open_With_Default_App(App_File(fileName)); }

void Welcome::Timer1_Timer() {
    Timer1->stop();
    loading_ = true;
    Load_Status->clear();
    const Load_Outcome outcome = Load_Records(session_, Files, *this);
    loading_ = false;
    Show_Load_Status(outcome);
    if (closePending_) {
        closePending_ = false;
        QDialog::reject();
    }
}

void Welcome::Show_Load_Status(Load_Outcome outcome) {
    const int records = session_.Records().Record_Count();
    QString text;
    if (Data_Loaded && records > 0)
        text = outcome == Load_Outcome::From_Cache ? QStringLiteral("%1 records loaded from the cache %2")
                                                         .arg(records)
                                                         .arg(QFileInfo(Files.Cache).fileName())
                                                   : QStringLiteral("%1 records loaded from the workbook %2")
                                                         .arg(records)
                                                         .arg(QFileInfo(Files.Source).fileName());
    else if (Cancel_Load)
        text = QStringLiteral("Loading cancelled: no record loaded");
    else
        text = QStringLiteral("No record loaded");
    Load_Status->setText(text);
    Load_Status->setToolTip(text);
    Load_Again->setVisible(!Data_Loaded);
}

void Welcome::Load_Again_Click() {
    Load_Again->hide();
    // The second panel offered to quit; loaded, it goes on.
    if (Plain_Caption(Command1->text()) == QLatin1String("Quit")) Set_Command_Caption(QStringLiteral("Continue"));
    Timer1_Timer();
}

void Welcome::Cache_Loaded() { Data_Loaded = true; }

qint32 Welcome::Load_Cache(Session& session, const Load_Files& files) {
    // A large cache takes a second or more to read: it is read on a thread of its own
    // while this window goes on painting and hears Cancel. Nothing reads the records
    // until the thread is done.
    const QString remembered = Command1->text();
    Set_Command_Caption(QStringLiteral("Cancel"));
    Cancel_Load = false;
    do_barre_init_val(0);
    qint32 rows = -1;
    QEventLoop wait;
    std::thread reader([&] {
        rows = Load_Data_Cache(session.Records(), files.Source, files.Refs, files.Cache);
        QMetaObject::invokeMethod(&wait, &QEventLoop::quit, Qt::QueuedConnection);
    });
    wait.exec();
    reader.join();
    do_barre_hide_all();
    Command1->setEnabled(true);
    if (Cancel_Load) {
        // Read, but not wanted: the window offers to load again.
        session.Records().Clear();
        Set_Command_Caption(QStringLiteral("Continue"));
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

bool Welcome::Import(const QString& source) { return Do_Loading_Excel(source); }

bool Welcome::Do_Loading_Excel(const QString& path) {
    const QString remembered = Command1->text();
    Set_Command_Caption(QStringLiteral("Cancel"));
    Cancel_Load = false;
    Import_Result r = Import_Workbook(session_, path, &Cancel_Load, this);
    Command1->setEnabled(true);
    if (r.Cancelled) {
        Set_Command_Caption(QStringLiteral("Continue"));
        return false;
    }
    if (r.Rows > 0) {
        Set_Command_Caption(remembered);
        Data_Loaded = true;
    } else {
        Set_Command_Caption(QStringLiteral("Continue"));
    }
    if (!r.Errs.isEmpty()) Show_Error_Window(r.Errs, this);
    return r.Success();
}

void Welcome::Command1_Click() {
    if (Plain_Caption(Command1->text()) == QLatin1String("Cancel")) {
        Cancel_Load = true;
        Command1->setEnabled(false);
        return;
    }
    if (SifaReco2->isHidden()) {
        SifaReco2->show();
        SifaReco->hide();
        Korvan->hide();
        for (QPushButton* b : {User_Manual_EN, User_Manual_FR, User_Synth_EN, User_Synth_FR, Final_report}) b->show();
        if (!Data_Loaded) Set_Command_Caption(QStringLiteral("Quit"));
        return;
    }
    accept();
}

void Welcome::Set_Command_Caption(const QString& caption) {
    Command1->setText(caption);
    Add_Mnemonics(this);
}

void Welcome::reject() {
    // Closing while the workbook is read cancels it; the window closes once the reader stops.
    if (loading_) {
        Cancel_Load = true;
        closePending_ = true;
        Command1->setEnabled(false);
        return;
    }
    QDialog::reject();
}

QString Welcome::Percent_Text(int Niveau, int maximum) {
    if (maximum <= 0) return {};
    return QString::number(Round_Half_Even(Niveau * 100.0 / maximum)) + QLatin1Char('%');
}

void Welcome::do_barre_titre_visible(const std::optional<QString>& Titre) {
    if (Titre) Barre_Titre->setText(*Titre);
    Barre_Titre->show();
    // Opening a large workbook takes a moment: the caption must be on screen first.
    QCoreApplication::processEvents();
}

void Welcome::do_barre_init_val(int taille, const std::optional<QString>& Titre) {
    ProgressBar1->setMinimum(0);
    ProgressBar1->setValue(0);
    ProgressBar1->setMaximum(std::max(0, taille));
    Percent->setText(taille < 1 ? QString() : QStringLiteral("0%"));
    ProgressBar1->show();
    Percent->show();
    do_barre_titre_visible(Titre.value_or(QString()));
}

void Welcome::do_barre_affiche(int Niveau, const std::optional<QString>& Titre) {
    ProgressBar1->setValue(Niveau);
    if (ProgressBar1->maximum() > 0) Percent->setText(Percent_Text(Niveau, ProgressBar1->maximum()));
    if (Titre) Barre_Titre->setText(*Titre);
    QCoreApplication::processEvents();
}

void Welcome::do_barre_hide_all() {
    ProgressBar1->hide();
    Percent->hide();
    Barre_Titre->hide();
}
