// Velmorath on a web page: the page shows failures and the end, the browser
// paces the frames and owns full screen, and OpenGL is the project's own
// OpenGL 1.1 layer on WebGL 2.
#define GL_GLEXT_PROTOTYPES
#include <GL/freeglut_std.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <emscripten.h>

#include <cstring>

#include "platform.h"

namespace {

// JavaScript, kept from clang-format, which would take it for C++.
// clang-format off
// Shows `text` in the picture's place, the page in `state` ("failed" or
// "ended"), and turns off the buttons, which have nothing left to press.
EM_JS(void, tellPage, (const char* text, const char* state), {
    document.querySelector('main').dataset.state = UTF8ToString(state);
    document.getElementById('status').textContent = UTF8ToString(text);
    document.querySelectorAll('#keys button').forEach(button => button.disabled = true);
});

EM_JS(void, toggleCanvasFullScreen, (), {
    if (document.fullscreenElement)
        document.exitFullscreen();
    else
        document.querySelector('#canvas').requestFullscreen().catch(() => {});
});
// clang-format on

}  // namespace

void syncToRefresh() {}  // requestAnimationFrame draws once per displayed frame

void showFailure(const std::string& text) {
    tellPage(text.c_str(), "failed");
}

// The buffer functions the scene looks up; WebGL 2 has them all.
GlFunction lookUpGl(const char* name) {
    const struct {
        const char* name;
        GlFunction function;
    } functions[] = {{"glGenBuffers", reinterpret_cast<GlFunction>(glGenBuffers)},
                     {"glBindBuffer", reinterpret_cast<GlFunction>(glBindBuffer)},
                     {"glBufferData", reinterpret_cast<GlFunction>(glBufferData)}};
    for (const auto& f : functions)
        if (std::strcmp(name, f.name) == 0) return f.function;
    return nullptr;
}

void toggleFullScreen() {
    toggleCanvasFullScreen();
}

void quit(int status) {
    glutDestroyWindow(glutGetWindow());
    if (status == 0) tellPage("Velmorath has ended. Reload the page to start it again.", "ended");
}
