#include "frame.h"

#include <GL/gl.h>

#include "app/shell.h"

std::vector<unsigned char> drawFrame(const cScene& start, int frame, int view) {
    gScene = start;
    gScene.setView(view);
    for (int i = 1; i < frame; ++i) gScene.advance();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gScene.render();
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::vector<unsigned char> pixels(static_cast<std::size_t>(viewport[2]) * viewport[3] * 4);
    glReadPixels(0, 0, viewport[2], viewport[3], GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}
