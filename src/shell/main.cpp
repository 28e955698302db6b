#include "shell/Start_Up.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(true);
    if (Main() == Start_Result::Ended) return 0;
    return app.exec();
}
