#include "gl_support.h"

#include <GL/freeglut.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>

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

std::string FrameDifference::text() const {
    std::ostringstream out;
    out.precision(2);
    out << std::fixed << "mean difference " << mean << " over " << covered << " pixels both cover; "
        << over << " (" << (covered ? 100.0 * over / covered : 0)
        << "%) beyond the tolerance; largest " << largest << "; " << offEdge
        << " covered pixels off the other's edge";
    return out.str();
}

FrameDifference compareFrames(const std::vector<unsigned char>& a,
                              const std::vector<unsigned char>& b, int width, int tolerance) {
    FrameDifference d;
    const int pixels = static_cast<int>(std::min(a.size(), b.size()) / 4);
    const auto covered = [&](const std::vector<unsigned char>& f, int p) {
        return f[p * 4] || f[p * 4 + 1] || f[p * 4 + 2];
    };
    // Whether `p` or a pixel next to it is covered in `f`.
    const auto near = [&](const std::vector<unsigned char>& f, int p) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int x = p % width + dx, q = p + dy * width + dx;
                if (x >= 0 && x < width && q >= 0 && q < pixels && covered(f, q)) return true;
            }
        return false;
    };
    long sum = 0;
    for (int p = 0; p < pixels; ++p) {
        int most = 0, total = 0;
        for (int c = 0; c < 3; ++c) {
            const int difference = std::abs(a[p * 4 + c] - b[p * 4 + c]);
            most = std::max(most, difference);
            total += difference;
        }
        d.largest = std::max(d.largest, most);
        d.over += most > tolerance;
        if (covered(a, p) && covered(b, p)) {
            ++d.covered;
            sum += total;
        } else if ((covered(a, p) && !near(b, p)) || (covered(b, p) && !near(a, p))) {
            ++d.offEdge;
        }
    }
    d.mean = d.covered ? static_cast<double>(sum) / (3.0 * d.covered) : 0;
    return d;
}
