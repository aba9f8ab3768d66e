// Velmorath as installed (scripts/test-linux installs the Debian package, and
// again with cmake --install), started as a user starts it: from another
// folder, by the command line in VELMORATH_COMMAND, such as the menu entry's.
#include <gtest/gtest.h>

#include "program.h"

#include <cstdlib>
#include <sstream>
#include <string>

namespace {

TEST(InstalledProgram, DrawsAsThisBuildDoesFromAnyFolderAndEscapeEndsIt) {
    const char* line = std::getenv("VELMORATH_COMMAND");
    ASSERT_NE(line, nullptr) << "VELMORATH_COMMAND must name the installed command";
    std::vector<std::string> command;
    std::istringstream words(line);
    for (std::string word; words >> word;) command.push_back(word);

    const std::vector<Pixel> built = thisBuildsSun();
    fixtures::TempDir elsewhere;
    Program program(elsewhere.path, command);
    ASSERT_NE(program.window(), 0u) << program.errors();
    program.waitForPicture();
    // steadySun takes only a 640 x 480 window: any other gives a difference of 256.
    const auto [largest, differing] = difference(built, steadySun(program));
    EXPECT_EQ(largest, 0) << differing << " pixels of the Sun's square differ";
    program.key("Escape");
    EXPECT_EQ(program.wait(10), 0) << program.errors();
}

}  // namespace
