// The Windows program (velmorath.exe from the MinGW-w64 build) under Wine,
// seen through the X server as the Linux program is: its window, its picture
// beside the Linux program's, its exit status, its message and message box.
#include <gtest/gtest.h>

#include "program.h"

#include <algorithm>
#include <cstdlib>

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

// The Sun's square, 160 pixels a side about the middle of the window: in view 5
// it is 58 pixels in radius, and nothing but the Earth and the Moon ever move
// over it.
std::vector<Pixel> sunSquare(const Picture& picture) {
    std::vector<Pixel> square;
    if (picture.width != 640 || picture.height != 480) return square;
    for (int y = 160; y < 320; ++y)
        for (int x = 240; x < 400; ++x) square.push_back(picture.at(x, y));
    return square;
}

// The largest channel difference between two squares, and how many pixels differ.
std::pair<int, int> difference(const std::vector<Pixel>& a, const std::vector<Pixel>& b) {
    if (a.size() != b.size() || a.empty()) return {256, 0};
    int largest = 0, differing = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const int d = std::max(
            {std::abs(a[i].r - b[i].r), std::abs(a[i].g - b[i].g), std::abs(a[i].b - b[i].b)});
        largest = std::max(largest, d);
        differing += d > 0;
    }
    return {largest, differing};
}

// The Sun's square in view 5 (F6), once two pictures in a row agree: the Earth
// may pass in front of the Sun for a moment, never for long.
std::vector<Pixel> steadySun(Program& program) {
    program.key("F6");
    std::vector<Pixel> last, now;
    poll(20, [&] {
        last = std::move(now);
        now = sunSquare(program.capture());
        return !now.empty() && difference(last, now).first == 0;
    });
    return now;
}

TEST(WindowsProgram, DrawsTheSunAsTheLinuxProgramDoes) {
    std::vector<Pixel> linux;
    {
        Program program(VELMORATH_SOURCE_DIR);
        ASSERT_NE(program.window(), 0u) << program.errors();
        program.waitForPicture();
        linux = steadySun(program);
    }
    Program program(VELMORATH_SOURCE_DIR, {"wine", VELMORATH_WINDOWS_EXE});
    ASSERT_NE(program.window(30), 0u) << program.errors();
    program.waitForPicture();
    const std::vector<Pixel> windows = steadySun(program);
    const auto [largest, differing] = difference(linux, windows);
    EXPECT_LE(largest, 2) << differing << " pixels of the Sun's square differ";
    const int lit = static_cast<int>(
        std::count_if(linux.begin(), linux.end(), [](Pixel p) { return p.maxChannel() > 20; }));
    EXPECT_GT(lit, 9000);  // about pi * 58 * 58
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
