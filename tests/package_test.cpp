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
    const Window window = program.window();
    ASSERT_NE(window, 0u) << program.errors();
    XWindowAttributes attributes{};
    XGetWindowAttributes(program.display(), window, &attributes);
    EXPECT_EQ(attributes.width, 640);
    EXPECT_EQ(attributes.height, 480);
    program.waitForPicture();
    const auto [largest, differing] = difference(built, steadySun(program));
    EXPECT_EQ(largest, 0) << differing << " pixels of the Sun's square differ";
    program.key("Escape");
    EXPECT_EQ(program.wait(10), 0) << program.errors();
}

}  // namespace
