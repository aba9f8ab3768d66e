// The real program, started as a user would, seen through the X server:
// its window, its exit status and message, and its picture after a resize.
// GoogleTest comes before the X headers, whose macros (None, Bool) it cannot take.
#include <gtest/gtest.h>

#include "program.h"

#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <sstream>
#include <thread>

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

// The Sun as the window shows it about the window's middle: how far it reaches
// left, right, up and down, and how bright it is 60% of the way up and down
// (5 x 5 patch means).
struct Sun {
    int left = 0, right = 0, up = 0, down = 0;
    double top = 0, bottom = 0;
    std::string text() const {
        std::ostringstream out;
        out << "Sun radius left " << left << ", right " << right << ", up " << up << ", down "
            << down << "; brightness top " << top << ", bottom " << bottom;
        return out.str();
    }
};

Sun measureSun(const Picture& picture) {
    Sun sun;
    const int cx = picture.width / 2, cy = picture.height / 2;
    auto bright = [&](int x, int y) { return picture.at(x, y).maxChannel() > 20; };
    while (cx - sun.left - 1 >= 0 && bright(cx - sun.left - 1, cy)) ++sun.left;
    while (cx + sun.right + 1 < picture.width && bright(cx + sun.right + 1, cy)) ++sun.right;
    while (cy - sun.up - 1 >= 0 && bright(cx, cy - sun.up - 1)) ++sun.up;
    while (cy + sun.down + 1 < picture.height && bright(cx, cy + sun.down + 1)) ++sun.down;
    auto patch = [&](int y) {
        double sum = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) sum += picture.at(cx + dx, y + dy).maxChannel();
        return sum / 25;
    };
    sun.top = patch(cy - sun.up * 6 / 10);
    sun.bottom = patch(cy + sun.down * 6 / 10);
    return sun;
}

// The Earth passes beside and before the Sun and can lengthen or cut a run of
// bright pixels, so a picture is taken again until it matches, for a few
// seconds at most; `sun` is left with the last measurement.
bool eventually(Program& program, Sun& sun, const std::function<bool(const Sun&)>& check) {
    return poll(10, [&] {
        sun = measureSun(program.capture());
        return check(sun);
    });
}

// The Sun, in the middle of the window, is as wide as it is high at any aspect
// ratio: each half-width from the middle matches the half-height. The Earth can
// spoil one side for a while, never all four alike, and a wrong aspect ratio
// never shows the Sun round.
TEST(Program, ResizedWindowKeepsTheSunRound) {
    Program program(VELMORATH_SOURCE_DIR);
    const Window window = program.window();
    ASSERT_NE(window, 0u) << program.errors();
    program.waitForPicture();
    auto round = [](const Sun& s) {
        const int slack = std::max(2, s.up / 10);
        return s.up >= 10 && std::abs(s.left - s.up) <= slack &&
               std::abs(s.right - s.up) <= slack && std::abs(s.down - s.up) <= slack;
    };
    for (auto [width, height] : {std::pair{640, 480}, {1000, 500}, {500, 900}}) {
        XResizeWindow(program.display(), window, width, height);
        XSync(program.display(), False);
        program.settle();
        ASSERT_EQ(program.capture().width, width);
        Sun sun;
        EXPECT_TRUE(eventually(program, sun, round))
            << width << " x " << height << ": " << sun.text();
    }
}

class Keys : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(program.window(), 0u) << program.errors();
        program.waitForPicture();
    }
    Program program{VELMORATH_SOURCE_DIR};
};

// Radii from the eye's distance to the Sun (radius 20) and a 579-pixel focal
// length; the Sun is lit from the world origin, above it as seen from below
// (view 2) and below it as seen from above (view 3).
TEST_F(Keys, FunctionKeysMoveTheCamera) {
    struct Case {
        const char* key;
        const char* expected;
        std::function<bool(const Sun&)> check;
    };
    const Case cases[] = {
        {"F3", "view 2: radius 27, lit at the top",
         [](const Sun& s) { return s.up >= 24 && s.up <= 31 && s.bottom < 0.6 * s.top; }},
        {"F4", "view 3: radius 27, lit at the bottom",
         [](const Sun& s) { return s.down >= 24 && s.down <= 31 && s.top < 0.6 * s.bottom; }},
        {"F6", "view 5: radius 58",
         [](const Sun& s) { return s.up >= 53 && s.up <= 63 && s.down >= 53 && s.down <= 63; }},
        {"F5", "view 4: inside the Sun, nothing in the middle",
         [](const Sun& s) { return s.up == 0 && s.down == 0 && s.top == 0; }},
        {"F2", "view 1: radius 19",
         [](const Sun& s) { return s.up >= 17 && s.up <= 22 && s.down >= 17 && s.down <= 22; }},
    };
    for (const Case& c : cases) {
        program.key(c.key);
        Sun sun;
        EXPECT_TRUE(eventually(program, sun, c.check))
            << c.key << " should show " << c.expected << "; seen: " << sun.text();
    }
}

TEST_F(Keys, F7TwiceDrawsUnlitAtFullBrightness) {
    program.key("F4");  // from above: the Sun's top is in its own shadow
    Sun sun;
    auto shaded = [](const Sun& s) { return s.down > 20 && s.top < 0.6 * s.bottom; };
    EXPECT_TRUE(eventually(program, sun, shaded)) << "start-up lighting; " << sun.text();
    program.key("F7");
    EXPECT_TRUE(eventually(program, sun, shaded)) << "specular mode; " << sun.text();
    program.key("F7");
    EXPECT_TRUE(eventually(
        program, sun,
        [](const Sun& s) { return s.down > 20 && s.top > 0.75 * s.bottom && s.top > 150; }))
        << "unlit; " << sun.text();
}

TEST(WindowManager, F1FillsTheScreenAndF1AgainBrings640x480Back) {
    WindowManager manager;
    ASSERT_TRUE(manager.running()) << "openbox did not start managing windows";
    Program program(VELMORATH_SOURCE_DIR);
    const Window window = program.window();
    ASSERT_NE(window, 0u) << program.errors();
    Display* x = program.display();
    auto placed = [&] {
        XWindowAttributes a{};
        XGetWindowAttributes(x, window, &a);
        int left = 0, top = 0;
        Window child = 0;
        XTranslateCoordinates(x, window, DefaultRootWindow(x), 0, 0, &left, &top, &child);
        return std::vector<int>{left, top, a.width, a.height};
    };
    program.key("F1");
    program.settle();
    const int screenWidth = DisplayWidth(x, DefaultScreen(x));
    const int screenHeight = DisplayHeight(x, DefaultScreen(x));
    EXPECT_EQ(placed(), (std::vector<int>{0, 0, screenWidth, screenHeight}));
    EXPECT_GT(measureSun(program.capture()).up, 19 * screenHeight / 480 - 3) << "projection";
    program.key("F1");
    program.settle();
    EXPECT_EQ(placed()[2], 640);
    EXPECT_EQ(placed()[3], 480);
}

TEST_F(Keys, EscapeExitsWithStatusZero) {
    program.key("Escape");
    EXPECT_EQ(program.wait(5), 0);
    EXPECT_EQ(program.errors(), "");
}

TEST_F(Keys, ClosingTheWindowExitsWithStatusZero) {
    program.close();
    EXPECT_EQ(program.wait(5), 0);
}

// The OpenGL calls of the program's third frame, as apitrace records them
// when `launcher` starts it under apitrace.
std::vector<std::string> thirdFrame(const std::vector<std::string>& launcher = {}) {
    fixtures::TempDir dir;
    const std::string trace = dir.path + "/velmorath.trace", dump = dir.path + "/dump.txt";
    std::vector<std::string> command = launcher;
    for (const char* word : {"apitrace", "trace", "--output"}) command.push_back(word);
    command.push_back(trace);
    command.push_back(VELMORATH_EXE);
    {
        Program program(VELMORATH_SOURCE_DIR, command);
        EXPECT_NE(program.window(), 0u) << program.errors();
        program.waitForPicture();
        program.key("Escape");
        EXPECT_EQ(program.wait(10), 0) << program.errors();
    }
    const std::string dumping = "apitrace dump --color=never '" + trace + "' > '" + dump + "'";
    EXPECT_EQ(std::system(dumping.c_str()), 0);

    std::vector<std::string> frame;
    const fixtures::Bytes text = fixtures::readFile(dump);
    std::istringstream lines(std::string(text.begin(), text.end()));
    int swaps = 0;
    for (std::string line; std::getline(lines, line) && swaps < 3;) {
        const std::size_t call = line.find(' ');
        // apitrace adds calls of its own ("// fake") to record arrays in client memory.
        if (line.empty() || call == std::string::npos || line.find("// fake") != std::string::npos)
            continue;
        if (line.find("glXSwapBuffers", call) != std::string::npos)
            ++swaps;
        else if (swaps == 2)
            frame.push_back(line.substr(call + 1));
    }
    return frame;
}

// A whole frame as apitrace records it: the third frame, after two advances
// (Earth 0.1 degrees, Moon 0.3, spin 2). Textures were loaded Earth, Sun, Moon,
// so their names are 1, 2, 3; gluLookAt shows as its matrix and translation;
// each sphere is 6144 indices into the buffers built at start-up. Without
// buffers (Mesa made to report OpenGL 1.4) the indices come from the
// program's memory, and the frame is otherwise the same; OpenGL 1.5 has them.
TEST(Frame, IssuesItsOpenGlCallsInOrder) {
    const std::vector<std::string> expected = {
        "glClear(mask = GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT)",
        "glLoadIdentity()",
        "glMultMatrixf(m = {0.9998612, 0, 0.01666435, 0, 0, 1, -0, 0, -0.01666435, 0, 0.9998612, "
        "0, "
        "0, 0, 0, 1})",
        "glTranslated(x = -10, y = -0, z = -300)",
        "glMatrixMode(mode = GL_MODELVIEW)",
        "glPushMatrix()",
        "glLightfv(light = GL_LIGHT0, pname = GL_POSITION, params = {0, 0, 0, 1})",
        "glTranslatef(x = 0, y = 0, z = -300)",
        "glBindTexture(target = GL_TEXTURE_2D, texture = 2)",
        "glDrawElements(mode = GL_TRIANGLES, count = 6144, type = GL_UNSIGNED_SHORT, indices = "
        "NULL)",
        "glLightfv(light = GL_LIGHT0, pname = GL_POSITION, params = {0, 0, 0, 1})",
        "glBindTexture(target = GL_TEXTURE_2D, texture = 1)",
        "glRotatef(angle = 0.1, x = 0, y = 1, z = 0)",
        "glTranslatef(x = 105, y = 0, z = 0)",
        "glPushMatrix()",
        "glRotatef(angle = 110, x = 110, y = 0, z = 0)",
        "glRotatef(angle = 2, x = 0, y = 0, z = 1)",
        "glDrawElements(mode = GL_TRIANGLES, count = 6144, type = GL_UNSIGNED_SHORT, indices = "
        "0x3000)",
        "glPopMatrix()",
        "glBindTexture(target = GL_TEXTURE_2D, texture = 3)",
        "glRotatef(angle = 0.3, x = 0, y = 1, z = 0)",
        "glTranslatef(x = 30, y = 0, z = 0)",
        "glDrawElements(mode = GL_TRIANGLES, count = 6144, type = GL_UNSIGNED_SHORT, indices = "
        "0x6000)",
        "glPopMatrix()",
        "glFlush()",
        "glFlush()",  // freeglut's, before the swap
    };
    EXPECT_EQ(thirdFrame(), expected);
    EXPECT_EQ(thirdFrame({"env", "MESA_GL_VERSION_OVERRIDE=1.5"}), expected);

    std::vector<std::string> fromMemory = expected;
    for (std::string& call : fromMemory) {
        const std::size_t at = call.find("indices = ");
        if (at != std::string::npos) call = call.substr(0, at) + "indices = blob(12288))";
    }
    EXPECT_EQ(thirdFrame({"env", "MESA_GL_VERSION_OVERRIDE=1.4"}), fromMemory);
}

}  // namespace
