// Runs the tests inside one application object, on the offscreen platform unless the caller
// chose another (QT_QPA_PLATFORM=xcb under a virtual display, say).
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/qt/application_environment.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    platform::prepareToolkitEnvironment();
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
