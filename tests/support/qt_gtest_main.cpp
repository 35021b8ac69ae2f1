// Entry of every Qt test: the test's environment, one QApplication for the whole
// run, then GoogleTest.
#include <QApplication>
#include <gtest/gtest.h>

namespace {
void SetDefault(const char* name, const char* value) {
    if (!qEnvironmentVariableIsSet(name))
        qputenv(name, value);
}

// Qt only logs a timer it refuses to start, and that timer never fires: the test that
// asked for it fails, by name, instead of passing with a line in its output.
QtMessageHandler qtHandler = nullptr;
void FailOnRefusedTimer(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("Timers cannot have negative")))
        ADD_FAILURE() << text.toStdString();
    qtHandler(type, context, text);
}
} // namespace

int main(int argc, char** argv) {
    SetDefault("QT_QPA_PLATFORM", LUMIVOX_TEST_PLATFORM);
    SetDefault("QT_SCALE_FACTOR", "1");
    SetDefault("QT_FONT_DPI", "96");
    SetDefault("FONTCONFIG_FILE", LUMIVOX_TEST_FONTS); // results never depend on the host's fonts
    SetDefault("LUMIVOX_SOURCE_DIR", LUMIVOX_TEST_SOURCE_DIR);
    SetDefault("LUMIVOX_BINARY_DIR", LUMIVOX_TEST_BINARY_DIR);
    qtHandler = qInstallMessageHandler(FailOnRefusedTimer);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
