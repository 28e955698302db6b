// Test programs need a Qt application object for text codecs, files and widgets.
#include <gtest/gtest.h>
#ifdef QT_WIDGETS_LIB
#include <QApplication>
using App = QApplication;
#else
#include <QCoreApplication>
using App = QCoreApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // No test needs a real screen; test discovery runs this program too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    return RUN_ALL_TESTS();
}
