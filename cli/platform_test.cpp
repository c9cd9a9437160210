#include "cli/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tolvane::cli {
namespace {

// The console shows the UTF-8 output as UTF-8.
TEST(CliPlatform, ConsoleShowsUtf8) {
#ifdef _WIN32
    // Under a test runner the output goes to a pipe; the program is given a console of its own.
    if (GetConsoleOutputCP() == 0) {
        FreeConsole();
        AllocConsole();
        // Wine without a terminal gives no working console; CTest's cli_console_test runs
        // this test again under a pseudo-terminal.
        if (GetConsoleOutputCP() == 0 && !std::getenv("TOLVANE_REQUIRE_CONSOLE"))
            GTEST_SKIP() << "no working console without a terminal";
    }
    SetConsoleOutputCP(932);
    ASSERT_EQ(ConsoleOutputCodePage(), 932u);
#endif
    UseUtf8Console();
    EXPECT_EQ(ConsoleOutputCodePage(), 65001u);
}

// Arguments arrive in UTF-8 whatever the system's code page.
TEST(CliPlatform, ArgumentsInUtf8) {
    char program[] = "tolvane-cli";
    char* argv[] = {program};
    const std::vector<std::string> arguments = Utf8Arguments(1, argv);
    ASSERT_FALSE(arguments.empty());
#ifdef _WIN32
    // Taken from the command line of this process, not from argv.
    EXPECT_NE(arguments[0].find("cli_test"), std::string::npos) << arguments[0];
#else
    EXPECT_EQ(arguments, std::vector<std::string>{"tolvane-cli"});
#endif
}

}  // namespace
}  // namespace tolvane::cli
