// Saved searches: "Save Search...", "Open Search..." and the searches used last. The file
// format and its checks are the engine's (search/Saved_Search.h); here the window reads its
// controls into a search, and puts an opened one back on them.
#include "views/Search_Window.h"

#include "model/Session.h"
#include "model/Utils.h"
#include "search/Result_Text.h"
#include "search/Saved_Search.h"
#include "views/Criteria_Rows.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QToolButton>

namespace {
const QString Recent_Key = QStringLiteral("Searches/Recent");
// Saved searches live apart from exports: their dialogs keep a folder of their own.
const QString Search_Files = QStringLiteral("Search");

QStringList Search_Filters() {
    return {Search_Window::tr("Saved searches"), QStringLiteral("*.sifasearch"), Search_Window::tr("All files"),
            QStringLiteral("*.*")};
}
}  // namespace

void Search_Window::Build_Saved_Search_Controls() {
    Save_Search_Button = Named(new Sized<QPushButton>(this), QStringLiteral("Save_Search_Button"));
    Open_Search_Button = Named(new Sized<QPushButton>(this), QStringLiteral("Open_Search_Button"));
    Recent_Searches_Button = Named(new QToolButton(this), QStringLiteral("Recent_Searches_Button"));
    Recent_Searches_Button->setPopupMode(QToolButton::InstantPopup);
    Recent_Searches_Button->setMenu(new QMenu(Recent_Searches_Button));
    connect(Recent_Searches_Button->menu(), &QMenu::aboutToShow, this, &Search_Window::Fill_Recent_Menu);
    connect(Save_Search_Button, &QPushButton::clicked, this, &Search_Window::Save_Search);
    connect(Open_Search_Button, &QPushButton::clicked, this, &Search_Window::Open_Search);
}

Saved_Search Search_Window::Current_Search() const {
    Record& desc = Session_In_Use.Description();
    Saved_Search s;
    s.Language = Session_In_Use.Language();
    s.Combine_With_And = Combine_With_And->isChecked();
    s.Field_Set = Results.Field_Set;
    for (int i = 0; i < Row_Count; ++i) {
        const Criterion_Row r = Rows->Read_Row(i);
        if (!r.Field || !r.Operator) continue;
        s.Rows.push_back({i + 1, r.Active, Saved_Field_Name(desc, *r.Field), Operator_Keyword(*r.Operator), r.Negation,
                          r.Value_Text});
    }
    const auto name = [&](int col) {
        const Field_Def* f = desc.Fields().Item(static_cast<int>(Field_Of_Col(col)));
        return f ? f->Name : QString();
    };
    if (Multi_Key_Box->isChecked()) {
        for (const qint32 k : Session_In_Use.Sort_Keys) {
            if (k == 0 || name(std::abs(k) - 1).isEmpty()) break;
            s.Sort_Keys.push_back({name(std::abs(k) - 1), k < 0});
        }
    } else {
        const qint32 f = Results.Sort.Sort_Field;
        const qint32 code = f > 0 && static_cast<size_t>(f) < Results.Sort.Sort_State.size()
                                ? Results.Sort.Sort_State[static_cast<size_t>(f)]
                                : 0;
        if (code >= 3 && code <= 6) s.Heading_Sort = Saved_Sort_Key{desc.Fields().Item(f)->Name, Is_Even(code)};
    }
    return s;
}

void Search_Window::Save_Search() {
    // A value being typed counts once it passes its check.
    const int row = Rows->Row_Of(focusWidget());
    if (row >= 0 && !Rows->Leave_Check(row)) return;
    const QString name =
        Show_Save_Dialog(this, tr("Save Search"), QStringLiteral("Search.sifasearch"), Search_Filters(), Search_Files);
    if (name.isEmpty()) return;
    const QString failure = Write_Output_File(name, Write_Saved_Search(Current_Search()));
    if (!failure.isEmpty()) {
        Message_Box(failure, Msg_Buttons::OK, Msg_Icon::Exclamation, QString(), this);
        return;
    }
    Remember_Search(name);
}

void Search_Window::Open_Search() {
    const QString name =
        Show_File_Dialog(this, 1, tr("Open Search"), Last_Folder(Search_Files), QString(), Search_Filters());
    if (name.isEmpty()) return;
    Remember_Folder(QFileInfo(name).absolutePath(), Search_Files);
    Open_Search_File(name);
}

bool Search_Window::Open_Search_File(const QString& path) {
    auto read = Read_Saved_Search_File(path);
    std::optional<Saved_Search_Problem> problem;
    std::optional<Resolved_Search> search;
    if (const auto* p = std::get_if<Saved_Search_Problem>(&read)) {
        problem = *p;
    } else {
        auto resolved = Resolve_Saved_Search(Session_In_Use, std::get<Saved_Search>(read));
        if (const auto* p = std::get_if<Saved_Search_Problem>(&resolved))
            problem = *p;
        else
            search = std::get<Resolved_Search>(resolved);
    }
    if (problem) {
        Message_Box(tr("The search cannot be opened: %1").arg(Saved_Search_Problem_Text(*problem)), Msg_Buttons::OK,
                    Msg_Icon::Exclamation, QString(), this, QDir::toNativeSeparators(path));
        return false;
    }
    Remember_Search(path);

    // The language first: the field lists and value lists follow it.
    Language_Box->setCurrentIndex(Language_Box->findText(search->Language));
    Rows->Clear_Rows();
    for (int i = 0; i < Row_Count; ++i) {
        const Criterion_Row& r = search->Rows.Rows[static_cast<size_t>(i)];
        if (r.Field) Rows->Fill_Row(i, r);
        Rows->Active[i]->setChecked(r.Active);
    }
    Combine_With_And->setChecked(search->Rows.Combine_With_And);
    Combine_With_Or->setChecked(!search->Rows.Combine_With_And);

    Multi_Key_Box->setChecked(search->Multi_Key);
    Session_In_Use.Sort_Keys = search->Keys;
    Results.Sort =
        Single_Field_Sort(std::max(Session_In_Use.Records().Col_Upper(), Session_In_Use.Description().Count()));
    if (search->Heading_Field > 0)
        Set_Heading_Order(Results.Sort, Session_In_Use.Description(), search->Heading_Field,
                          search->Heading_Descending);
    Results.Model.Clear_Arrows();
    Results.Field_Set = std::get<Saved_Search>(read).Field_Set;
    Run_Search_Now();
    return true;
}

QStringList Search_Window::Recent_Searches() {
    return QSettings(Settings_Path(), QSettings::IniFormat).value(Recent_Key).toStringList();
}

void Search_Window::Remember_Search(const QString& path) {
    const QString file = QFileInfo(path).absoluteFilePath();
    QStringList recent = Recent_Searches();
    recent.removeAll(file);
    recent.prepend(file);
    QSettings(Settings_Path(), QSettings::IniFormat).setValue(Recent_Key, recent.mid(0, Recent_Search_Count));
}

void Search_Window::Fill_Recent_Menu() {
    QMenu* menu = Recent_Searches_Button->menu();
    menu->clear();
    const QStringList recent = Recent_Searches();
    if (recent.isEmpty()) menu->addAction(tr("No recent search"))->setEnabled(false);
    for (const QString& file : recent) {
        QAction* a = menu->addAction(QFileInfo(file).fileName());
        a->setToolTip(QDir::toNativeSeparators(file));
        connect(a, &QAction::triggered, this, [this, file] {
            if (QFileInfo(file).isFile()) {
                Open_Search_File(file);
                return;
            }
            QStringList kept = Recent_Searches();
            kept.removeAll(file);
            QSettings(Settings_Path(), QSettings::IniFormat).setValue(Recent_Key, kept);
            Message_Box(
                tr("The search \"%1\" no longer exists; it is taken off the list.").arg(QFileInfo(file).fileName()),
                Msg_Buttons::OK, Msg_Icon::Exclamation, QString(), this, QDir::toNativeSeparators(file));
        });
    }
}
