#include "shell/Start_Up.h"

#include "model/App_Paths.h"
#include "model/Code_Tables.h"
#include "model/Record_Description.h"
#include "shell/DisplayError.h"
#include "winsupport/Message_Service.h"

void Init_Data_Model() {
    Build_Record_Description();
    Load_Code_Tables();
}

Start_Result Main() {
    Set_App_Title(QStringLiteral("Sifa_Soft"));
    Init_Data_Model();
    if (!Record_Description || Record_Description->Count() == 0) {
        Message_Box(QStringLiteral("No record description !!!!\r\nExit..."), Msg_Buttons::OK);
        return Start_Result::Ended;
    }
    QStringList errs;
    if (!Check_Code_Table_Versions(QStringLiteral("Country\nTypeEmet\nDomReco\nTypeDest"), QStringLiteral("EN\nFR"),
                                   QStringLiteral("EN"), errs, App_File(QStringLiteral("Refs.dat")))) {
        errs << QStringLiteral("Can't launch application... Exiting.");
        Show_Error_Window(errs);
        return Start_Result::Ended;
    }
    return Start_Result::Ended;
}
