#include "platform/qt/single_instance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "tests/qt/wait_for.h"

namespace {

using platform::SingleInstance;

class SingleInstanceTest : public testing::Test {
  protected:
    QTemporaryDir directory;
    QString name = directory.filePath("quelmarn-test");
};

TEST_F(SingleInstanceTest, WithNoneRunningThereIsNoOneToHandOverTo) {
    EXPECT_FALSE(SingleInstance(name).handOver());
}

TEST_F(SingleInstanceTest, ALaterStartAsksTheRunningOneToReopen) {
    SingleInstance running(name);
    int reopened = 0;
    ASSERT_TRUE(running.listen([&] { ++reopened; }));

    EXPECT_TRUE(SingleInstance(name).handOver());
    EXPECT_TRUE(waitFor([&] { return reopened == 1; }));
    EXPECT_TRUE(SingleInstance(name).handOver());
    EXPECT_TRUE(waitFor([&] { return reopened == 2; }));
}

TEST_F(SingleInstanceTest, TheSocketOfADeadInstanceIsTakenOver) {
    QFile stale(name);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    SingleInstance next(name);
    ASSERT_FALSE(next.handOver());
    EXPECT_TRUE(next.listen([] {}));
}

TEST(SingleInstanceNameTest, IsThisUsersInTheSessionsRuntimeDirectory) {
    const QString name = SingleInstance::sessionName();
    EXPECT_TRUE(name.endsWith(QStringLiteral("/quelmarn-%1").arg(getuid())));
    EXPECT_TRUE(name.startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR")));
}

}  // namespace
