#include "model/File_Access.h"
#include "model/Session.h"
#include "shell/Start_Up.h"
#include "winsupport/Interface_Language.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Before Qt opens its own descriptors, one of which could take a closed output's number.
    Keep_Standard_Descriptors_Taken();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(true);
    Set_Interface_Language(Start_Interface_Language());
    // Everything the windows work on; it outlives them.
    Session session;
    if (Main(session) == Start_Result::Ended) return 0;
    return app.exec();
}
