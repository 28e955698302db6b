#pragma once
// The start-up sequence of the program.
#include "shell/Reload.h"

class Session;

// The code tables of the program's folder, both languages, into the session.
void Init_Data_Model(Session& session);

enum class Start_Result {
    Ended,  // the program ends now
    Search_Window_Open  // the search window is shown; the program lives while it is open
};

class Search_Window;
// Lets a search window open the export dialog, the record window and the counts window,
// and load its records again.
void Connect_Search_Window(Search_Window* window);

// Shows the search window on the session's records (not modally), which were read from
// `loaded`; false when it cannot. The session outlives the window.
bool Open_Search_Window(Session& session, const Workbook_State& loaded);

// The whole start on the session, which the caller keeps while the program runs.
Start_Result Main(Session& session);
