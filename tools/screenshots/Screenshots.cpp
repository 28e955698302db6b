// Writes a PNG picture of every window of the program on the bundled sample data, for
// the manuals and the README, in English and again in French (names ending "_fr"):
//   sifa-screenshots [--data DIR] [--bad-cells WORKBOOK] [FOLDER]
// FOLDER defaults to the current one; DIR, the folder holding Refs.dat and the workbook,
// to the program's own, as for the program itself. --palette dark|high-contrast draws
// every window in a desktop palette of that kind, as a desktop theme would hand it over.
//
// Each window is built as the program builds it, driven into a state a user reaches
// through its handlers, laid out and grabbed. Message boxes go to the recording service,
// so nothing waits for a person; a window that never comes, or a picture that looks
// unpainted or has the wrong size, is reported and makes the exit status 1.
#include "Shot_Check.h"

#include "model/App_Paths.h"
#include "model/Code_Tables.h"
#include "model/Load_Records.h"
#include "model/Session.h"
#include "model/Value.h"
#include "output/Counts_Window.h"
#include "output/Export.h"
#include "output/Field_Chooser.h"
#include "search/Sorting.h"
#include "shell/Error_Window.h"
#include "shell/Start_Up.h"
#include "shell/Welcome.h"
#include "views/Code_Picker.h"
#include "views/Criteria_Rows.h"
#include "views/Record_Window.h"
#include "views/Result_View.h"
#include "views/Search_Window.h"
#include "views/Sort_Dialog.h"
#include "winsupport/Interface_Language.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <functional>
#include <memory>

// The one session this program works on.
static Session session;

namespace {

QDir Out;
QStringList Problems;
int Written = 0;
// The language of the pass: the windows' texts and the data both.
QString Lang = QStringLiteral("EN");

// A picture's file name in this pass: "export.png", "export_fr.png".
QString Shot(const char* name) {
    return QString::fromLatin1(name) +
           (Lang == QLatin1String("FR") ? QStringLiteral("_fr.png") : QStringLiteral(".png"));
}
// A field or operator as the lists of this pass's language name it.
QString In_Lang(const char* english, const char* french) {
    return QString::fromUtf8(Lang == QLatin1String("FR") ? french : english);
}

void Problem(const QString& text) {
    Problems << text;
    std::fprintf(stderr, "sifa-screenshots: %s\n", qPrintable(text));
}

// Lets the window take its size and paint, as it would on screen.
void Settle(QWidget* w) {
    w->show();
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(15);
    }
}

void Save(QWidget* w, const QString& name, const Shot_Limits& limits = {}) {
    Settle(w);
    const QImage picture = w->grab().toImage();
    const QString problem = Picture_Problem(picture, limits);
    if (!problem.isEmpty()) Problem(name + QStringLiteral(": ") + problem);
    if (!picture.save(Out.filePath(name), "PNG")) {
        Problem(name + QStringLiteral(": cannot be written to ") + Out.absolutePath());
        return;
    }
    ++Written;
    std::printf("%-18s %4d x %-4d\n", qPrintable(name), picture.width(), picture.height());
}

// Runs open(), which shows a modal window of type D and waits for it to close; act
// works on the window while it is up, and the window is then closed. False when no
// such window came (a modal window of another kind is closed after a while, so the
// run never hangs).
template <class D> bool While_Modal(const std::function<void()>& open, const std::function<void(D&)>& act) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* d = qobject_cast<D*>(modal)) {
            poll.stop();
            seen = true;
            act(*d);
            if (d->isVisible()) static_cast<QDialog*>(d)->reject();
        } else if (clock.elapsed() > 10000) {
            poll.stop();
            if (auto* other = qobject_cast<QDialog*>(modal)) other->reject();
        }
    });
    poll.start();
    open();
    poll.stop();
    return seen;
}

bool Choose_Entry(QComboBox* list, const QString& text) {
    const int k = list->findText(text);
    if (k < 0) {
        Problem(QStringLiteral("no entry \"%1\" in a list").arg(text));
        return false;
    }
    list->setCurrentIndex(k);
    return true;
}

// As a person picks from the list: the dialogs that act on "activated" see it too.
void Pick_Entry(QComboBox* list, const QString& text) {
    if (Choose_Entry(list, text)) emit list->activated(list->currentIndex());
}

int Field_Number(const char* name) { return session.Description().Fields().Number(QString::fromLatin1(name)); }

// A search window as the program opens it after the welcome window: in the pass's
// language, the initial query run.
std::unique_ptr<Search_Window> Open_Search() {
    Set_Interface_Language(Lang);
    session.Sort_Keys = {0, 0, 0, 0};
    session.Set_Language(QString());
    session.Load_Code_Tables(App_File(QStringLiteral("Refs.dat")));
    auto s = std::make_unique<Search_Window>(session);
    Connect_Search_Window(s.get());
    s->show();
    QApplication::setActiveWindow(s.get());
    s->activateWindow();
    Settle(s.get());
    return s;
}

// Sets criterion row `row` as a person would: tick, field, operator, value.
void Set_Row(Search_Window& s, int row, const QString& field, const QString& oper, const QString& value) {
    const auto r = static_cast<size_t>(row);
    if (!s.Rows->Active[r]->isChecked()) s.Rows->Active[r]->click();
    if (s.Rows->Negation[r]->isChecked()) s.Rows->Negation[r]->click();
    Choose_Entry(s.Rows->Field[r], field);
    Choose_Entry(s.Rows->Operator[r], oper);
    s.Rows->Value_Text[r]->setText(value);
}

// Clicks a heading, as the mouse does.
void Click_Header(Search_Window& s, int field) {
    const int col = s.Results.Model.Column_Of(field);
    QHeaderView* header = s.Result_Grid->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(col) + header->sectionSize(col) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void Welcome_Shots() {
    Set_Interface_Language(Lang);
    Welcome w(session);
    w.Start_Timer->stop();
    Settle(&w);
    w.Start_Timer_Fired();  // loads the records (imports the workbook when there is no cache)
    if (!w.Records_Loaded) Problem(QStringLiteral("the welcome window loaded no record"));
    Save(&w, Shot("welcome_1"));
    w.Main_Button_Clicked();
    Save(&w, Shot("welcome_2"));
}

void Search_Shots() {
    {
        auto s = Open_Search();
        Save(s.get(),
             Lang == QLatin1String("FR") ? QStringLiteral("search_start_fr.png") : QStringLiteral("search_en.png"));
    }
    {
        auto s = Open_Search();
        Click_Header(*s, Field_Number("Year"));
        Save(s.get(), Shot("search_sorted"));
    }
    // The two criteria in French: once, in the English pass, as the user switches.
    if (Lang == QLatin1String("FR")) return;
    {
        auto s = Open_Search();
        Choose_Entry(s->Language_Box, QStringLiteral("FR"));
        Set_Row(*s, 0, QStringLiteral("Domaine de la reco"), QStringLiteral("Egal"), QStringLiteral("H"));
        Set_Row(*s, 1, QStringLiteral("Année"), QStringLiteral("Supérieur"), QStringLiteral("2005"));
        s->Combine_With_And->click();
        QTest::mouseClick(s->Submit, Qt::LeftButton);
        Save(s.get(), QStringLiteral("search_fr.png"));
    }
}

// The cell menu over an area of the first record, and the counts of the areas in
// English, then of the emitter types of the French coordinators in French.
void Counts_Shots() {
    {
        auto s = Open_Search();
        const int col = s->Results.Model.Column_Of(Field_Number("DomReco1"));
        std::unique_ptr<QMenu> menu(s->Build_Cell_Menu(0, col, s.get()));
        menu->popup(s->Result_Grid->viewport()->mapToGlobal(s->Result_Grid->Cell_Rect(0, col).center()));
        Save(menu.get(), Shot("cell_menu"));
        menu->hide();
        Counts_Window* w = Show_Counts_Window(session, s->Results, s.get(), Field_Number("DomReco1"));
        Save(w, Lang == QLatin1String("FR") ? QStringLiteral("counts_areas_fr.png") : QStringLiteral("counts_en.png"));
    }
    if (Lang == QLatin1String("FR")) return;
    {
        auto s = Open_Search();
        Choose_Entry(s->Language_Box, QStringLiteral("FR"));
        Set_Row(*s, 1, QStringLiteral("EM du porteur"), QStringLiteral("Egal"), QStringLiteral("FR"));
        s->Combine_With_And->click();
        QTest::mouseClick(s->Submit, Qt::LeftButton);
        Counts_Window* w = Show_Counts_Window(session, s->Results, s.get(), Field_Number("Dest1"));
        Save(w, QStringLiteral("counts_fr.png"));
    }
}

void Picker_Shot() {
    auto s = Open_Search();
    Set_Row(*s, 1, In_Lang("MS of coordinator", "EM du porteur"), In_Lang("Equal", "Egal"), QStringLiteral("DE"));
    s->Rows->Value_Text[1]->setFocus(Qt::MouseFocusReason);
    Settle(s.get());
    // The picker button stands beside the box of a coded row.
    const bool seen = While_Modal<Code_Picker>(
        [&] {
            if (s->Rows->Picker_Button[1]->isVisible())
                QTest::mouseClick(s->Rows->Picker_Button[1], Qt::LeftButton);
            else
                s->Rows->Open_Code_Picker(1);
        },
        [](Code_Picker& p) {
            // The box's code is the selected row; scroll it into view as the user sees it.
            p.Code_List->scrollTo(p.Code_List->model()->index(p.Code_List->currentRow(), 1),
                                  QAbstractItemView::PositionAtCenter);
            Save(&p, Shot("code_picker"));
        });
    if (!seen) Problem(QStringLiteral("the code picker did not open"));
}

void Sort_Dialog_Shot() {
    auto s = Open_Search();
    s->Multi_Key_Box->click();
    const bool seen =
        While_Modal<Sort_Dialog>([&] { Click_Header(*s, Field_Number("Year")); },
                                 [](Sort_Dialog& d) {
                                     Pick_Entry(d.Key_Column[0], In_Lang("MS of coordinator", "EM du porteur"));
                                     Pick_Entry(d.Key_Column[1], In_Lang("Year", "Année"));
                                     d.Key_Order[3]->click();  // the second key descending
                                     Save(&d, Shot("sort_dialog"));
                                 });
    if (!seen) Problem(QStringLiteral("the sort dialog did not open"));
}

void Export_Shots() {
    auto s = Open_Search();
    QPushButton* button = s->findChild<QPushButton*>(QStringLiteral("Export_Button"));
    const bool seen = While_Modal<Export>([&] { QTest::mouseClick(button, Qt::LeftButton); },
                                          [](Export& e) {
                                              e.Field_Set_Choice[0]->click();  // "Short"
                                              Save(&e, Shot("export"));
                                              e.Field_Set_Choice[2]->click();  // "Custom"
                                              e.Run_Field_Chooser = [](Field_Chooser& c) {
                                                  // A few fields picked one by one.
                                                  for (int row : {4, 2, 0}) {
                                                      c.Available->clearSelection();
                                                      if (row < c.Available->count()) {
                                                          c.Available->item(row)->setSelected(true);
                                                          QTest::mouseClick(c.Select, Qt::LeftButton);
                                                      }
                                                  }
                                                  c.Available->clearSelection();
                                                  if (c.Available->count() > 3) c.Available->item(3)->setSelected(true);
                                                  Save(&c, Shot("field_chooser"));
                                                  return static_cast<int>(QDialog::Rejected);
                                              };
                                              QTest::mouseClick(e.Custom_Button, Qt::LeftButton);
                                          });
    if (!seen) Problem(QStringLiteral("the export dialog did not open"));
}

// The record with the longest English text, so that its values wrap.
int Long_Record() {
    const int text = Field_Number("RecoEN");
    int best = 1, longest = -1;
    for (int r = 1; r <= session.Records().Record_Count(); ++r) {
        const int n = static_cast<int>(To_Text(session.Records()(r, text)).size());
        if (n > longest) longest = n, best = r;
    }
    return best;
}

void Record_Shots() {
    auto s = Open_Search();
    if (!Show_Record_Window(session, Long_Record(), s.get()) || !Current_Record_Window()) {
        Problem(QStringLiteral("the record window did not open"));
        return;
    }
    Record_Window* w = Current_Record_Window();
    w->resize(450, 400);
    Save(w, Shot("record_narrow"), {{440, 390}, {460, 410}});
    w->resize(1000, 700);
    Save(w, Shot("record_wide"), {{990, 690}, {1010, 710}});
    w->close();  // deletes itself
}

// Last: the refused workbook replaces the records. The problem lines are written in the
// language of the import.
void Error_Shot(const QString& badWorkbook) {
    Set_Interface_Language(Lang);
    bool cancel = false;
    const Import_Result r = Import_Workbook(session, badWorkbook, &cancel, nullptr);
    if (r.Errs.isEmpty()) {
        Problem(QStringLiteral("%1 gave no refused cell").arg(badWorkbook));
        return;
    }
    const bool seen = While_Modal<Error_Window>([&] { Show_Error_Window(r.Errs); },
                                                [](Error_Window& d) { Save(&d, Shot("error_window")); });
    if (!seen) Problem(QStringLiteral("the error window did not open"));
}

// A dark desktop theme's palette, and a high-contrast one (white and yellow on black).
QPalette Desktop_Palette(const QString& kind) {
    const bool high = kind == QLatin1String("high-contrast");
    const QColor back = high ? QColor(0, 0, 0) : QColor(45, 45, 48), page = high ? QColor(0, 0, 0) : QColor(30, 30, 30);
    const QColor text = high ? QColor(255, 255, 255) : QColor(230, 230, 230);
    QPalette p(text, back, high ? QColor(255, 255, 255) : QColor(90, 90, 95),
               high ? QColor(200, 200, 200) : QColor(20, 20, 20), high ? QColor(255, 255, 255) : QColor(70, 70, 75),
               text, text, page, back);
    p.setColor(QPalette::Button, back);
    p.setColor(QPalette::Midlight, high ? QColor(255, 255, 255) : QColor(65, 65, 70));
    p.setColor(QPalette::AlternateBase, high ? QColor(0, 0, 0) : QColor(40, 40, 44));
    p.setColor(QPalette::Highlight, high ? QColor(26, 235, 255) : QColor(47, 101, 202));
    p.setColor(QPalette::HighlightedText, high ? QColor(0, 0, 0) : QColor(255, 255, 255));
    p.setColor(QPalette::Link, high ? QColor(255, 255, 0) : QColor(110, 180, 255));
    p.setColor(QPalette::ToolTipBase, back);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, high ? QColor(200, 200, 200) : QColor(150, 150, 150));
    const QColor off = high ? QColor(63, 242, 63) : QColor(128, 128, 128);
    for (QPalette::ColorRole r : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, r, off);
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The pictures show the windows as a first start does: the settings the user's own
    // runs kept (window places, column widths, the language) are neither read nor changed.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    QString folder = QStringLiteral("."), badWorkbook = QStringLiteral(SIFA_BAD_CELLS_WORKBOOK);
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--data") && i + 1 < args.size()) {
            Set_App_Path(args.at(++i));
        } else if (a == QLatin1String("--bad-cells") && i + 1 < args.size()) {
            badWorkbook = args.at(++i);
        } else if (a == QLatin1String("--palette") && i + 1 < args.size() &&
                   QStringList{"dark", "high-contrast"}.contains(args.at(i + 1))) {
            QApplication::setStyle(QStringLiteral("Fusion"));
            QApplication::setPalette(Desktop_Palette(args.at(++i)));
        } else if (a.startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr,
                         "usage: sifa-screenshots [--data DIR] [--bad-cells WORKBOOK] "
                         "[--palette dark|high-contrast] [FOLDER]\n");
            return 2;
        } else {
            folder = a;
        }
    }
    Out.setPath(folder);
    if (!Out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "sifa-screenshots: cannot create %s\n", qPrintable(Out.absolutePath()));
        return 1;
    }
    // A run that hangs on an unexpected window ends instead.
    QTimer::singleShot(180000, [] {
        std::fprintf(stderr, "sifa-screenshots: a window never closed\n");
        std::_Exit(1);
    });

    // The program's folder holds Refs.dat and the workbook, as beside the program.
    auto recorder = std::make_unique<Recording_Message_Service>();
    Recording_Message_Service* messages = recorder.get();
    Install_Message_Service(std::move(recorder));
    Set_App_Title(QStringLiteral("Sifa_Soft"));
    // As in the program: no window larger than the screen (a large scale factor).
    Keep_Windows_On_Screen();
    Init_Data_Model(session);

    for (const char* lang : {"EN", "FR"}) {
        Lang = QString::fromLatin1(lang);
        Welcome_Shots();
        if (session.Records().Record_Count() < 1) {
            Problem(QStringLiteral("no record loaded from %1").arg(App_Path()));
            return 1;
        }
        Search_Shots();
        Counts_Shots();
        Picker_Shot();
        Sort_Dialog_Shot();
        Export_Shots();
        Record_Shots();
    }
    for (const char* lang : {"EN", "FR"}) {
        Lang = QString::fromLatin1(lang);
        Error_Shot(badWorkbook);
    }

    for (const auto& m : messages->shown)
        std::fprintf(stderr, "sifa-screenshots: message shown: %s\n", qPrintable(m.text));
    std::printf("%d pictures in %s\n", Written, qPrintable(Out.absolutePath()));
    return Problems.isEmpty() ? 0 : 1;
}
