// What the tests that need OpenGL share: one GLUT window with its context, the
// scene's images made as plain colours, and pixel probes.
#pragma once

#include <GL/gl.h>

#include <string>
#include <vector>

#include "fixtures.h"

// Opens the test process's window, the program's own but for its caption, on
// first use; its context stays current.
void openTestWindow();

// Writes img/sun.png (red), img/earth.jpg (texture top half green, bottom half
// yellow; PNG data under the .jpg name) and img/moon.jpg (blue) under `dir`.
void writeSceneImages(const std::string& dir);

class cScene;
// Loads the scene's textures from `dir`/img.
bool loadSceneFrom(cScene& scene, const std::string& dir);
// Loads the scene's images from a fresh set made under a temporary folder.
bool loadSceneImages(cScene& scene);

fixtures::Rgb readPixel(int x, int y);

// A pixel probe: expected colour within a tolerance per channel. Failures are
// reported with both colours and do not stop the test, so every probe reports.
void probe(const char* what, double x, double y, fixtures::Rgb expected, int tolerance);

// How two frames of RGBA pixels, `width` wide, differ. Over all pixels: the
// largest channel difference, and how many pixels differ by more than
// `tolerance` in some channel. Over the pixels both cover (not black): how
// many, and their mean channel difference. And how many pixels one frame
// covers that the other leaves black with no covered pixel next to it: shapes
// apart by more than an edge pixel.
struct FrameDifference {
    int largest = 0, over = 0, covered = 0, offEdge = 0;
    double mean = 0;
    std::string text() const;
};
FrameDifference compareFrames(const std::vector<unsigned char>& a,
                              const std::vector<unsigned char>& b, int width, int tolerance);
