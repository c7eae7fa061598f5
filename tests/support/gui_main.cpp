// The entry point of the window tests: a QApplication around the GoogleTest run, offscreen
// unless QT_QPA_PLATFORM names another platform (QT_QPA_PLATFORM=xcb under xvfb-run runs the
// same tests on an X server).
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
