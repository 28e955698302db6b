#include "shell/Start_Up.h"

#include "model/App_Paths.h"
#include "model/Code_Tables.h"
#include "model/Data_Cache.h"
#include "model/Session.h"
#include "output/Counts_Window.h"
#include "output/Export.h"
#include "search/Result_Text.h"
#include "shell/Error_Window.h"
#include "shell/Welcome.h"
#include "views/Record_Window.h"
#include "views/Search_Window.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Window_Settings.h"
#include "winsupport/Window_Utils.h"

#include <QCoreApplication>
#include <QTimer>

void Init_Data_Model(Session& session) { session.Load_Code_Tables(App_File(QStringLiteral("Refs.dat"))); }

namespace {

// The cache's columns are read as they are first needed, so a damaged one shows only
// then: its values show as empty, and the user has to know.
void Tell_If_Cache_Damaged(Search_Window* window) {
    if (window->Cache_Damage_Told || !window->Session_In_Use.Records().Damaged()) return;
    window->Cache_Damage_Told = true;
    Message_Box(Damaged_Cache_Text(), Msg_Buttons::OK, Msg_Icon::Exclamation, QString(), window);
}

}  // namespace

void Connect_Search_Window(Search_Window* window) {
    QObject::connect(window, &Search_Window::Export_Asked, window, [window](bool For_Printing) {
        Open_Export_Dialog(window->Session_In_Use, window->Results, window->Criteria_Sentence(),
                           Order_Sentence(window->Results, window->Session_In_Use.Sort_Keys), For_Printing, window);
    });
    QObject::connect(window, &Search_Window::Record_Asked, window, [window](int record) {
        Show_Record_Window(window->Session_In_Use, record, window, window->Result_Grid);
        Tell_If_Cache_Damaged(window);
    });
    QObject::connect(window, &Search_Window::Counts_Asked, window, [window](qint32 field) {
        Show_Counts_Window(window->Session_In_Use, window->Results, window, field);
    });
    QObject::connect(window, &Search_Window::Result_Shown, window, [window] {
        Refresh_Counts_Window(window);
        Tell_If_Cache_Damaged(window);
    });
    QObject::connect(window, &Search_Window::Reload_Asked, window, [window] { Reload_Records(window); });
}

bool Open_Search_Window(Session& session, const Workbook_State& loaded) {
    // Lives until the user closes it; closing the last window ends the program.
    auto* window = new Search_Window(session);
    Connect_Search_Window(window);
    Watch_Workbook(window, loaded);
    window->setAttribute(Qt::WA_DeleteOnClose);
    Remember_Window_Place(window);
    window->show();
    // Its first search ran before it could tell; told over the window, once it shows.
    QTimer::singleShot(0, window, [window] { Tell_If_Cache_Damaged(window); });
    return true;
}

Start_Result Main(Session& session) {
    Set_App_Title(QStringLiteral("Sifa_Soft"));
    Keep_Windows_On_Screen();
    Init_Data_Model(session);
    if (session.Description().Count() == 0) {
        Message_Box(QCoreApplication::translate("Start_Up", "No record description !!!!") + QStringLiteral("\r\n") +
                        QCoreApplication::translate("Start_Up", "Exit..."),
                    Msg_Buttons::OK);
        return Start_Result::Ended;
    }
    QStringList errs;
    if (!Check_Code_Tables_At_Start_Up(errs)) {
        Show_Error_Window(errs);
        return Start_Result::Ended;
    }
    bool cancelled = false;
    // Taken before the load: a workbook saved while it runs is offered for a reload.
    const Workbook_State loaded = Workbook_State_Now();
    {
        Welcome welcome(session);
        welcome.exec();
        cancelled = welcome.Load_Cancelled;
    }
    if (cancelled || session.Records().Record_Count() < 1) return Start_Result::Ended;
    return Open_Search_Window(session, loaded) ? Start_Result::Search_Window_Open : Start_Result::Ended;
}
