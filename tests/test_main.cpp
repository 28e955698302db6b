// Test programs need a Qt application object for text codecs, files and widgets.
#include <gtest/gtest.h>
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTranslator>
using App = QApplication;

// Each test starts in English, whatever language the one before switched to, and with no
// settings kept by the one before (a window's place, a column's width).
struct English_After_Each_Test : ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        if (const QString config = qEnvironmentVariable("XDG_CONFIG_HOME"); !config.isEmpty())
            QDir(config + QStringLiteral("/Sifa_Soft")).removeRecursively();
    }
};
#else
#include <QCoreApplication>
using App = QCoreApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // No test needs a real screen; test discovery runs this program too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef QT_WIDGETS_LIB
    // The windows remember the folder and the language last used: never in the user's own
    // settings.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
#endif
    App app(argc, argv);
#ifdef QT_WIDGETS_LIB
    ::testing::UnitTest::GetInstance()->listeners().Append(new English_After_Each_Test);
#endif
    return RUN_ALL_TESTS();
}
