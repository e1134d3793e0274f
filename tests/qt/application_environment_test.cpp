#include "platform/qt/application_environment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>

namespace {

// The test program prepared its environment before it made its application object.
TEST(ApplicationEnvironmentTest, ThePreparedEnvironmentRunsTheWebEngineWithoutOpenGL) {
    EXPECT_EQ(qgetenv("QT_QUICK_BACKEND"), "software");
    EXPECT_TRUE(qgetenv("QT_LOGGING_RULES").contains("qt.webenginecontext.info=false"));
}

TEST(ApplicationEnvironmentTest, TheSandboxIsOffOnlyForRoot) {
    if (geteuid() == 0) {
        EXPECT_EQ(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), "1");
    } else {
        EXPECT_FALSE(qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"));
    }
}

TEST(ApplicationEnvironmentTest, ARuntimeDirectoryIsMadePrivateWhenNoneIsSet) {
    const QByteArray before = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    platform::prepareToolkitEnvironment();
    const QByteArray made = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", before);

    ASSERT_FALSE(made.isEmpty());
    struct stat status {};
    ASSERT_EQ(stat(made.constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    EXPECT_EQ(status.st_uid, getuid());
}

TEST(ApplicationEnvironmentTest, WhatTheUserSetStays) {
    qputenv("QT_QUICK_BACKEND", "rhi");
    platform::prepareToolkitEnvironment();
    EXPECT_EQ(qgetenv("QT_QUICK_BACKEND"), "rhi");
    qputenv("QT_QUICK_BACKEND", "software");
}

}  // namespace
