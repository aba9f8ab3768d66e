// The Windows program (velmorath.exe from the MinGW-w64 build) under Wine,
// seen through the X server as the Linux program is: its window, its picture
// beside the Linux program's, its exit status, its message and message box.
#include <gtest/gtest.h>

#include "program.h"

#include <string>

namespace {

TEST(WindowsProgram, OpensItsCaptionedWindowAt640x480) {
    Program program(VELMORATH_SOURCE_DIR, {"wine", VELMORATH_WINDOWS_EXE});
    const Window window = program.window(30);
    ASSERT_NE(window, 0u) << program.errors();
    XWindowAttributes attributes{};
    XGetWindowAttributes(program.display(), window, &attributes);
    EXPECT_EQ(attributes.width, 640);
    EXPECT_EQ(attributes.height, 480);
    program.key("Escape");
    EXPECT_EQ(program.wait(10), 0) << program.errors();
}

TEST(WindowsProgram, DrawsTheSunAsTheLinuxProgramDoes) {
    const std::vector<Pixel> linux = thisBuildsSun();
    Program program(VELMORATH_SOURCE_DIR, {"wine", VELMORATH_WINDOWS_EXE});
    ASSERT_NE(program.window(30), 0u) << program.errors();
    program.waitForPicture();
    const std::vector<Pixel> windows = steadySun(program);
    const auto [largest, differing] = difference(linux, windows);
    EXPECT_LE(largest, 2) << differing << " pixels of the Sun's square differ";
}

TEST(WindowsProgram, WithoutItsImagesExits255WithItsLineAndAMessageBox) {
    fixtures::TempDir empty;
    Program program(empty.path, {"wine", VELMORATH_WINDOWS_EXE});
    // Wine's freeglut writes lines of its own on stderr at start-up.
    const std::string line =
        "velmorath: cannot load texture img/earth.jpg: No such file or directory";
    ASSERT_TRUE(poll(30, [&] { return program.errors().find(line) != std::string::npos; }))
        << program.errors();
    ASSERT_NE(program.window(30, "Velmorath"), 0u) << "no message box";
    EXPECT_TRUE(program.running()) << "the program must wait for the message box";
    program.key("Return");
    EXPECT_EQ(program.wait(10), 255);
}

}  // namespace
