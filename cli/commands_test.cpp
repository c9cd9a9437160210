#include "cli/commands.h"

#include <gtest/gtest.h>

namespace tolvane::cli {
namespace {
TEST(Cli, Placeholder) { SUCCEED(); }
}  // namespace
}  // namespace tolvane::cli
