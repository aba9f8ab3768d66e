// The web page's frames, which tests/web/page_test.mjs saves from each browser,
// against the frames the program draws here on llvmpipe at the same frame
// number, from the same camera, in the same lighting. Run by scripts/test-web.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "app/shell.h"
#include "gl_support.h"
#include "web/frame.h"

namespace {

// Each browser with the largest mean difference over the pixels both cover,
// and the share of them that may differ by more than 8 levels. Firefox, and
// Chromium through ANGLE's OpenGL back end, draw with Mesa's llvmpipe as the
// program does here: two rasterisers may filter textures differently in the
// last bits. SwiftShader, Chromium's own CPU fallback, also picks other texels
// where a texture is shrunk many times (the Earth's 2,048 texels across 24
// pixels); measured: a mean of up to 1.3 levels, and up to 3.7% of pixels.
struct Browser {
    const char* name;
    double mean, share;
};
const Browser kBrowsers[] = {
    {"chromium", 1, 0.005}, {"chromium-swiftshader", 2, 0.05}, {"firefox", 1, 0.005}};
// The lighting states in the order F7 reaches them, and the frames compared.
const char* const kLighting[] = {"start-up", "specular", "unlit"};
const int kFrames[] = {1, 5000};

TEST(WebPage, FramesMatchTheLinuxProgram) {
    openTestWindow();
    reshape(640, 480);
    char previous[4096];
    ASSERT_TRUE(getcwd(previous, sizeof previous));
    ASSERT_EQ(chdir(VELMORATH_SOURCE_DIR), 0);
    ASSERT_TRUE(init());
    ASSERT_EQ(chdir(previous), 0);
    const cScene start = gScene;
    for (int lighting = 0; lighting < 3; ++lighting) {
        if (lighting > 0) specialKeys(GLUT_KEY_F7, 0, 0);
        for (int view = 1; view <= 5; ++view)
            for (int frame : kFrames) {
                const std::vector<unsigned char> here = drawFrame(start, frame, view);
                for (const Browser& browser : kBrowsers) {
                    const std::string name = std::string(browser.name) + "/" + kLighting[lighting] +
                                             "-view" + std::to_string(view) + "-frame" +
                                             std::to_string(frame);
                    const fixtures::Bytes page =
                        fixtures::readFile(VELMORATH_WEB_FRAMES "/" + name + ".rgba");
                    ASSERT_EQ(page.size(), here.size()) << name << ": no frame from the page";
                    const FrameDifference d = compareFrames(page, here, 640, 8);
                    std::printf("%-36s %s\n", name.c_str(), d.text().c_str());
                    EXPECT_LT(d.mean, browser.mean) << name;
                    EXPECT_LE(d.over, d.covered * browser.share) << name;
                    EXPECT_EQ(d.offEdge, 0) << name;  // edges may differ by a pixel
                    if (view != 4 ||
                        frame != 1) {  // from inside the Sun, nothing is in sight at first
                        EXPECT_GT(d.covered, 100) << name << ": too little drawn";
                    }
                }
            }
    }
}

}  // namespace
