#include "shell/Welcome.h"

#include "model/App_Paths.h"
#include "model/Data_Cache.h"
#include "model/Records_Table.h"
#include "model/Value.h"
#include "shell/DisplayError.h"
#include "shell/Sifa_Picture.h"
#include "winsupport/Default_App.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Twips.h"
#include "winsupport/Window_Utils.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

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

constexpr int Design_Width = 8400;
constexpr int Picture_Size = 1100;
constexpr int Margin = 120;
constexpr int Button_Height = 375;
constexpr int Grow_Step = 120;
constexpr int Grow_Total = 600;

}  // namespace

Welcome::Welcome(QWidget* parent) : QDialog(parent) {
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

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &Welcome::Timer1_Timer);
    Timer1->start();

    // Tall enough for the longer panel at the design width.
    const int width = Twips_To_Pixels_X(Design_Width, this);
    const int content = std::max(Panel_Content_Pixels(0, width), Panel_Content_Pixels(1, width));
    resize(width, content + Twips_To_Pixels_Y(Frame_Control_Twips(), this));
    setMinimumWidth(Twips_To_Pixels_X(6000, this));
    Add_Mnemonics(this);
}

QWidget* Welcome::Panel_Content(int index) const { return (index == 0 ? SifaReco : SifaReco2)->widget(); }

void Welcome::Build_Panel(int index) {
    QWidget* panel = Panel_Content(index);
    Picture1[index] = new QLabel(panel);
    Picture1[index]->setObjectName(QStringLiteral("Picture1"));
    Picture1[index]->setPixmap(Sifa_Picture(Twips_To_Pixels_X(Picture_Size, this)));

    const auto texts = index == 0 ? std::vector<Panel_Text>(std::begin(First_Panel), std::end(First_Panel))
                                  : std::vector<Panel_Text>(std::begin(Second_Panel), std::end(Second_Panel));
    for (const Panel_Text& t : texts) {
        auto* l = new QLabel(panel);
        l->setWordWrap(true);
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
        Panel_Labels[index] << l;
    }
}

int Welcome::Frame_Control_Twips() const { return Margin + Button_Height + Margin + Button_Height + Margin; }

int Welcome::Panel_Content_Twips(int index, int widthTwips) const {
    int y = Margin + Picture_Size + Margin;
    for (QLabel* l : Panel_Labels[index]) {
        const bool indented = l->property("kind").toInt() == static_cast<int>(Kind::Indented);
        if (indented) y += 60;
        const int w = Twips_To_Pixels_X(widthTwips - (indented ? 1340 : 680), this);
        y += Pixels_To_Twips_Y(l->heightForWidth(std::max(1, w)), this);
    }
    return y + Margin;
}

int Welcome::Panel_Content_Pixels(int index, int areaWidth) const {
    const int frame = 2 * (index == 0 ? SifaReco : SifaReco2)->frameWidth();
    return Twips_To_Pixels_Y(Panel_Content_Twips(index, Pixels_To_Twips_X(areaWidth - frame, this)), this) + frame;
}

void Welcome::Form_Resize() {
    const int W = Pixels_To_Twips_X(width(), this);
    const int H = Pixels_To_Twips_Y(height(), this);
    const int fc = Frame_Control_Twips() + grown_;
    const int panelH = std::max(0, H - fc);
    auto px = [this](int t) { return Twips_To_Pixels_X(t, this); };
    auto py = [this](int t) { return Twips_To_Pixels_Y(t, this); };

    for (int i = 0; i < 2; ++i) {
        QScrollArea* area = i == 0 ? SifaReco : SifaReco2;
        area->setGeometry(0, 0, width(), py(panelH));
        // The text is laid out on the width left beside the scroll bar when it needs one.
        const int frame = 2 * area->frameWidth();
        int inner = width() - frame;
        if (Panel_Content_Pixels(i, width()) > area->height()) inner -= area->verticalScrollBar()->sizeHint().width();
        const int CW = Pixels_To_Twips_X(inner, this);
        Picture1[i]->setGeometry(px((CW - Picture_Size) / 2), py(Margin), px(Picture_Size), py(Picture_Size));
        int y = Margin + Picture_Size + Margin;
        for (QLabel* l : Panel_Labels[i]) {
            const bool indented = l->property("kind").toInt() == static_cast<int>(Kind::Indented);
            if (indented) y += 60;
            const int left = indented ? 1000 : 340;
            const int w = std::max(1, px(CW - (indented ? 1340 : 680)));
            const int h = l->heightForWidth(w);
            l->setGeometry(px(left), py(y), w, h);
            y += Pixels_To_Twips_Y(h, this);
        }
        Panel_Content(i)->resize(inner, std::max(py(y + Margin), area->height() - frame));
    }

    Frame_Control->setGeometry(0, py(panelH), width(), py(fc));
    const int bh = std::max(py(Button_Height), Command1->sizeHint().height());
    const int row1 = py(Margin), row2 = row1 + bh + py(Margin);
    QPushButton* docs[] = {User_Manual_EN, User_Manual_FR, User_Synth_EN, User_Synth_FR, Final_report};
    const int gap = px(90);
    // Each button gets its caption's width and a fair share of what is left, so the longer
    // French caption is never cut.
    const int avail = width() - 2 * px(Margin) - 4 * gap;
    int hints[5], total = 0;
    for (int i = 0; i < 5; ++i) total += hints[i] = docs[i]->sizeHint().width();
    for (int i = 0, x = px(Margin); i < 5; ++i) {
        const int bw = total <= avail ? hints[i] + (avail - total) / 5 : hints[i] * avail / std::max(total, 1);
        docs[i]->setGeometry(x, row1, bw, bh);
        x += bw + gap;
    }
    Korvan->setGeometry(px(Margin), row1, width() - 2 * px(Margin), bh);
    const int cw = std::max(px(1500), Command1->sizeHint().width());
    Command1->setGeometry(width() - px(Margin) - cw, row2, cw, bh);
    const int aw = std::max(px(1500), Load_Again->sizeHint().width());
    Load_Again->setGeometry(Command1->x() - gap - aw, row2, aw, bh);
    const int status_right = (Load_Again->isHidden() ? Command1->x() : Load_Again->x()) - gap;
    Load_Status->setGeometry(px(Margin), row2, std::max(0, status_right - px(Margin)), bh);

    const int row3 = row2 + bh + py(Margin);
    const int titleW = std::max(px(2200), Barre_Titre->sizeHint().width());
    const int pctW = px(800);
    Barre_Titre->setGeometry(px(Margin), row3, titleW, bh);
    ProgressBar1->setGeometry(px(Margin) + titleW + gap, row3,
                              std::max(0, width() - 2 * px(Margin) - titleW - pctW - 2 * gap), bh);
    Percent->setGeometry(width() - px(Margin) - pctW, row3, pctW, bh);
}

void Welcome::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    Form_Resize();
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
    const Load_Outcome outcome = Load_Records(Files, *this);
    loading_ = false;
    Show_Load_Status(outcome);
    if (closePending_) {
        closePending_ = false;
        QDialog::reject();
    }
}

void Welcome::Show_Load_Status(Load_Outcome outcome) {
    const int records = Records_Table.Record_Count();
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
    Form_Resize();
}

void Welcome::Load_Again_Click() {
    Load_Again->hide();
    // The second panel offered to quit; loaded, it goes on.
    if (Plain_Caption(Command1->text()) == QLatin1String("Quit")) Set_Command_Caption(QStringLiteral("Continue"));
    Timer1_Timer();
}

void Welcome::Cache_Loaded() { Data_Loaded = true; }

void Welcome::Grow_To(int twips) {
    const int base = Pixels_To_Twips_Y(height(), this) - grown_;
    grown_ = twips;
    resize(width(), Twips_To_Pixels_Y(base + grown_, this));
    // A window as tall as the screen stays so: its panel gives up the room instead.
    Fit_To_Screen(this);
    Form_Resize();
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
    Import_Result r = Import_Workbook(path, &Cancel_Load, this);
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
    if (Barre_Titre->isHidden()) {
        Barre_Titre->show();
        Form_Resize();
    }
    // Opening a large workbook takes a moment: the caption must be on screen first.
    QCoreApplication::processEvents();
}

void Welcome::do_barre_init_val(int taille, const std::optional<QString>& Titre) {
    ProgressBar1->setMinimum(0);
    ProgressBar1->setValue(0);
    ProgressBar1->setMaximum(std::max(0, taille));
    Percent->setText(taille < 1 ? QString() : QStringLiteral("0%"));
    if (ProgressBar1->isHidden() || Percent->isHidden()) {
        ProgressBar1->show();
        Percent->show();
        Form_Resize();
    }
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
