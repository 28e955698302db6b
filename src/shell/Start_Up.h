#pragma once
// The start-up sequence of the program.

void Init_Data_Model();

enum class Start_Result {
    Ended,  // the program ends now
    Search_Window_Open  // the search window is shown; the program lives while it is open
};

class Search;
// Lets a search window open the export dialog, the record window and the counts window.
void Connect_Search_Window(Search* window);

// Shows the search window on the loaded records (not modally); false when it cannot.
bool Open_Search_Window();

// initDataModel: the model builder; tests hand in their own to reach the failure paths.
Start_Result Main(void (*initDataModel)() = Init_Data_Model);
