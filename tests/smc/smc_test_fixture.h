#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/iokit.h"
#include "tests/support/scripted_machine.h"
#include "tests/support/scripted_smc.h"

namespace smc_testing {

// A machine with a scripted sensor controller driver, which a test wires in once it has set
// the driver's failures. Whatever the test did, no registry object or connection may be left.
class SMCTest : public ::testing::Test {
  protected:
    void wireDriver() { testing_support::installScriptedSMC(*machine, driver); }

    void TearDown() override { EXPECT_EQ(platform::IOObjectsInUse(), 0u); }

    std::shared_ptr<testing_support::ScriptedMachine> machine =
        std::make_shared<testing_support::ScriptedMachine>();
    std::shared_ptr<testing_support::ScriptedSMC> driver =
        std::make_shared<testing_support::ScriptedSMC>();
    testing_support::InstalledMachine installed{machine};
};

}  // namespace smc_testing
