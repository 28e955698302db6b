// Test programs need a Qt application object for text codecs, files and widgets.
#include <gtest/gtest.h>
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#include <QTemporaryDir>
#include <QTranslator>
#include <memory>
using App = QApplication;

// Each test starts in English, whatever language the one before switched to, with settings
// of its own (the windows remember folders and the language): never the user's, never
// those the test before left.
struct Fresh_State_For_Each_Test : ::testing::EmptyTestEventListener {
    std::unique_ptr<QTemporaryDir> config;
    void OnTestStart(const ::testing::TestInfo&) override {
        config = std::make_unique<QTemporaryDir>();
        for (const char* v : {"XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"}) qunsetenv(v);
        qputenv("XDG_CONFIG_HOME", config->path().toLocal8Bit());
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        config.reset();
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
    App app(argc, argv);
#ifdef QT_WIDGETS_LIB
    ::testing::UnitTest::GetInstance()->listeners().Append(new Fresh_State_For_Each_Test);
#endif
    return RUN_ALL_TESTS();
}
