// The real program, started as a user would, seen through the X server:
// its window, its exit status and message, and its picture after a resize.
// GoogleTest comes before the X headers, whose macros (None, Bool) it cannot take.
#include <gtest/gtest.h>

#include "program.h"

#include <X11/extensions/Xfixes.h>

namespace {

TEST(Program, OpensItsCaptionedWindowAt100x100WithTheCursorHidden) {
    Program program(VELMORATH_SOURCE_DIR);
    const Window window = program.window();
    ASSERT_NE(window, 0u) << program.errors();
    program.waitForPicture();

    XWindowAttributes attributes{};
    XGetWindowAttributes(program.display(), window, &attributes);
    EXPECT_EQ(attributes.width, 640);
    EXPECT_EQ(attributes.height, 480);
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(program.display(), window, DefaultRootWindow(program.display()), 0, 0, &x,
                          &y, &child);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 100);

    // Over the window, the cursor's image is fully transparent.
    XWarpPointer(program.display(), None, window, 0, 0, 0, 0, 320, 100);
    XSync(program.display(), False);
    XFixesCursorImage* cursor = XFixesGetCursorImage(program.display());
    ASSERT_NE(cursor, nullptr);
    int visible = 0;
    for (int i = 0; i < cursor->width * cursor->height; ++i)
        visible += (cursor->pixels[i] >> 24) != 0;
    EXPECT_EQ(visible, 0) << cursor->width << " x " << cursor->height << " cursor";
    XFree(cursor);
    EXPECT_TRUE(program.running());
}

TEST(Program, WithoutItsImagesExits255NamingTheFile) {
    fixtures::TempDir empty;
    Program program(empty.path);
    EXPECT_EQ(program.wait(5), 255);
    EXPECT_EQ(program.errors(),
              "velmorath: cannot load texture img/earth.jpg: No such file or directory\n");
}

// The Sun, in the middle of the window, is as wide as it is high at any aspect ratio.
TEST(Program, ResizedWindowKeepsTheSunRound) {
    Program program(VELMORATH_SOURCE_DIR);
    const Window window = program.window();
    ASSERT_NE(window, 0u) << program.errors();
    program.waitForPicture();
    for (auto [width, height] : {std::pair{640, 480}, {1000, 500}, {500, 900}}) {
        XResizeWindow(program.display(), window, width, height);
        XSync(program.display(), False);
        program.settle();
        const Picture picture = program.capture();
        ASSERT_EQ(picture.width, width);
        const int cx = width / 2, cy = height / 2;
        auto bright = [&](int x, int y) { return picture.at(x, y).maxChannel() > 20; };
        ASSERT_TRUE(bright(cx, cy)) << "no Sun in the middle of " << width << " x " << height;
        int left = cx, right = cx, top = cy, bottom = cy;
        while (left > 0 && bright(left - 1, cy)) --left;
        while (right < width - 1 && bright(right + 1, cy)) ++right;
        while (top > 0 && bright(cx, top - 1)) --top;
        while (bottom < height - 1 && bright(cx, bottom + 1)) ++bottom;
        const double across = right - left + 1, down = bottom - top + 1;
        EXPECT_NEAR(across / down, 1.0, 0.1)
            << width << " x " << height << ": the Sun is " << across << " x " << down << " pixels";
    }
}

}  // namespace
