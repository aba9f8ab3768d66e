#include "gl_support.h"

#include <GL/freeglut.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include <cmath>

#include "app/shell.h"
#include "scene/cScene.h"

namespace {

// Keeps Mesa's drivers loaded until the process ends. Mesa unloads them while
// the process exits, before LeakSanitizer reports what the never-destroyed
// context leaves behind; loaded, their frames have names the suppressions match.
void keepDriversLoaded() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "_dri.so"))
                dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

}  // namespace

void openTestWindow() {
    static bool open = false;
    if (open) return;
    int argc = 1;
    char name[] = "velmorath-test";
    char* argv[] = {name, nullptr};
    openWindow(&argc, argv);
    glutSetWindowTitle("velmorath-test");  // the end-to-end tests look for the program's caption
    keepDriversLoaded();
    open = true;
}

void writeSceneImages(const std::string& dir) {
    mkdir((dir + "/img").c_str(), 0755);
    fixtures::writeFile(dir + "/img/sun.png", fixtures::solidPng(64, 32, {255, 0, 0}));
    fixtures::writeFile(dir + "/img/moon.jpg", fixtures::solidPng(64, 32, {0, 0, 255}));
    fixtures::writeFile(
        dir + "/img/earth.jpg",
        fixtures::png(
            64, 32, 2 /* RGB */, fixtures::pixels(64, 32, 3, [](int, int y) {
                return y < 16 ? std::vector<int>{0, 255, 0} : std::vector<int>{255, 255, 0};
            })));
}

bool loadSceneFrom(cScene& scene, const std::string& dir) {
    char previous[4096];
    if (!getcwd(previous, sizeof previous) || chdir(dir.c_str()) != 0) return false;
    std::string failure;
    const bool ok = scene.loadTextures(&failure);
    EXPECT_TRUE(ok) << failure;
    return chdir(previous) == 0 && ok;
}

bool loadSceneImages(cScene& scene) {
    fixtures::TempDir dir;
    writeSceneImages(dir.path);
    return loadSceneFrom(scene, dir.path);
}

fixtures::Rgb readPixel(int x, int y) {
    unsigned char p[4] = {};
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

void probe(const char* what, double x, double y, fixtures::Rgb expected, int tolerance) {
    const int px = static_cast<int>(std::floor(x)), py = static_cast<int>(std::floor(y));
    const fixtures::Rgb got = readPixel(px, py);
    const bool near = std::abs(got.r - expected.r) <= tolerance &&
                      std::abs(got.g - expected.g) <= tolerance &&
                      std::abs(got.b - expected.b) <= tolerance;
    EXPECT_TRUE(near) << what << " at (" << px << ", " << py << "): expected (" << expected.r
                      << ", " << expected.g << ", " << expected.b << ") +-" << tolerance
                      << ", observed (" << got.r << ", " << got.g << ", " << got.b << ")";
}
