// The main of the window tests: one application object for the whole run,
// created before any test makes a widget.
#include <QApplication>
#include <gtest/gtest.h>

// One-time allocations of the system's font configuration library, made when
// Qt first lays out text; they are not ours and live until the process ends.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv) {
    // Offscreen unless told otherwise, also when ctest only lists the tests.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
