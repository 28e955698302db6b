#pragma once
// The start-up sequence of the program.

void Init_Data_Model();

enum class Start_Result {
    Ended,               // the program ends now
    Search_Window_Open   // the search window is shown; the program lives while it is open
};

Start_Result Main();
