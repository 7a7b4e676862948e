#pragma once

// The disk checks' tests: a scratch area whose folders stand for drives, and the
// message seam recording what the checks show.

#include "tests/support/messages_fake.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace disktest {

using Texts = std::vector<std::string>;

// That a failing check releases the start-up lock first is tested with a real lock
// in tests/data/errors_test.cpp.
class DiskChecks : public ::testing::Test {
protected:
    // A folder of the scratch area as a drive designation.
    std::string drive(const std::string& name) { return dir / name + "/"; }

    dn::test::ScriptedMessages msgs{dn::test::ScriptedMessages::Unanswered::Negative};
    dn::test::TempFolder dir;
};

} // namespace disktest
