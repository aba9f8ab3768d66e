// What the test page has and the users' page has not: the program's state for
// the browser tests to read, and frames drawn on demand and read back in the
// task that draws them, before the browser clears the canvas.
#include <GL/freeglut_std.h>
#include <GL/gl.h>
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "app/shell.h"
#include "frame.h"

namespace {

cScene gStart;
std::vector<unsigned char> gPixels;
std::string gState;

}  // namespace

extern "C" {

// Keeps the scene as it is before its first frame: called once main has returned.
EMSCRIPTEN_KEEPALIVE void velmorathTestKeepStart() {
    gStart = gScene;
}

// Frame `frame` from camera `view` in the lighting of the moment, as RGBA rows
// from the bottom up; the running animation goes on from there.
EMSCRIPTEN_KEEPALIVE const unsigned char* velmorathTestFrame(int frame, int view) {
    gPixels = drawFrame(gStart, frame, view);
    return gPixels.data();
}

// Milliseconds per frame over `frames` frames drawn back to back, as the
// Linux frame benchmark measures them.
EMSCRIPTEN_KEEPALIVE double velmorathTestFrameCost(int frames) {
    const double start = emscripten_get_now();
    for (int i = 0; i < frames; ++i) display();
    unsigned char pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);  // waits for them all
    return (emscripten_get_now() - start) / frames;
}

// The program's state as JSON; "running" is false once it has ended.
EMSCRIPTEN_KEEPALIVE const char* velmorathTestState() {
    const bool running = glutGetWindow() != 0;
    GLint viewport[4] = {};
    if (running) glGetIntegerv(GL_VIEWPORT, viewport);
    char text[512];
    std::snprintf(text, sizeof text,
                  "{\"running\": %s, \"view\": %d, \"earthStep\": %.9g, \"moonStep\": %.9g, "
                  "\"earthSpin\": %.9g, \"specularMode\": %s, \"lighting\": %s, "
                  "\"viewport\": [%d, %d]}",
                  running ? "true" : "false", gScene.getView(), gScene.getEarthStep(),
                  gScene.getMoonStep(), gScene.getEarthSpin(), gSpecularMode ? "true" : "false",
                  running && glIsEnabled(GL_LIGHTING) ? "true" : "false", viewport[2], viewport[3]);
    gState = text;
    return gState.c_str();
}

}  // extern "C"
