// The part of GLUT that Velmorath uses, on a web page: the window is the
// page's canvas with a WebGL 2 context, frames come from requestAnimationFrame,
// and keys from the page's key events and its buttons.
#include <GL/freeglut_std.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstring>

namespace {

const char* const kCanvas = "#canvas";

struct Window {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    double pixelRatio = 0;  // device pixels to the CSS pixel when the canvas was last sized
    bool open = false, redisplay = false;
    void (*display)() = nullptr;
    void (*reshape)(int, int) = nullptr;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    void (*special)(int, int, int) = nullptr;
    void (*idle)() = nullptr;
} window;

// JavaScript, kept from clang-format, which would take it for C++.
// clang-format off
EM_JS(void, setTitle, (const char* title), { document.title = UTF8ToString(title); });

EM_JS(void, showCursor, (bool shown),
      { document.querySelector('#canvas').style.cursor = shown ? 'default' : 'none'; });

EM_JS(bool, fullScreen, (), { return !!document.fullscreenElement; });

EM_JS(void, sayNoWebGl2, (), {
    const text = 'Velmorath needs WebGL 2, which this browser does not offer.';
    document.querySelector('main').dataset.state = 'failed';
    document.getElementById('status').textContent = text;
    console.error(text);
});

// The page shows the program running: the loading line goes, the buttons come on.
EM_JS(void, showRunning, (), {
    document.querySelector('main').dataset.state = 'running';
    document.getElementById('status').textContent = "";
    document.querySelectorAll('#keys button').forEach(button => button.disabled = false);
});

// Loses the context at once, which frees its textures and buffers.
EM_JS(void, releaseContext, (), {
    const gl = document.querySelector('#canvas').getContext('webgl2');
    const lose = gl && gl.getExtension('WEBGL_lose_context');
    if (lose) lose.loseContext();
});

// Tells the program the canvas's size in CSS pixels, as the page lays it out.
EM_JS(void, reportCanvasSize, (), {
    const box = document.querySelector('#canvas').getBoundingClientRect();
    _velmorathCanvasResized(box.width, box.height);
});

// Reports the canvas's size again whenever the layout changes it: a rotation,
// a resized window, full screen.
EM_JS(void, watchCanvasSize, (), {
    new ResizeObserver(reportCanvasSize).observe(document.querySelector('#canvas'));
});
// clang-format on

}  // namespace

// The canvas is `cssWidth` by `cssHeight` CSS pixels: its drawing buffer gets
// as many device pixels, rounded, and the program its new size.
extern "C" EMSCRIPTEN_KEEPALIVE void velmorathCanvasResized(double cssWidth, double cssHeight) {
    if (!window.open) return;
    window.pixelRatio = emscripten_get_device_pixel_ratio();
    const int width = static_cast<int>(std::lround(cssWidth * window.pixelRatio));
    const int height = static_cast<int>(std::lround(cssHeight * window.pixelRatio));
    emscripten_set_canvas_element_size(kCanvas, width, height);
    if (window.reshape) window.reshape(width, height);
    window.redisplay = true;
}

namespace {

EM_BOOL frame(double, void*) {
    if (!window.open) return EM_FALSE;
    // The pixel ratio changes with zoom or a move to another screen, which
    // need not change the layout, nor tell a page so in every browser.
    if (emscripten_get_device_pixel_ratio() != window.pixelRatio) reportCanvasSize();
    if (window.idle) {
        window.idle();
    } else if (window.redisplay && window.display) {
        window.redisplay = false;
        window.display();
    }
    return EM_TRUE;
}

// The special-key codes GLUT gives the keys that are not characters.
struct SpecialKey {
    const char* name;
    int code;
};
const SpecialKey kSpecialKeys[] = {
    {"F1", GLUT_KEY_F1},          {"F2", GLUT_KEY_F2},          {"F3", GLUT_KEY_F3},
    {"F4", GLUT_KEY_F4},          {"F5", GLUT_KEY_F5},          {"F6", GLUT_KEY_F6},
    {"F7", GLUT_KEY_F7},          {"F8", GLUT_KEY_F8},          {"F9", GLUT_KEY_F9},
    {"F10", GLUT_KEY_F10},        {"F11", GLUT_KEY_F11},        {"F12", GLUT_KEY_F12},
    {"ArrowLeft", GLUT_KEY_LEFT}, {"ArrowUp", GLUT_KEY_UP},     {"ArrowRight", GLUT_KEY_RIGHT},
    {"ArrowDown", GLUT_KEY_DOWN}, {"PageUp", GLUT_KEY_PAGE_UP}, {"PageDown", GLUT_KEY_PAGE_DOWN},
    {"Home", GLUT_KEY_HOME},      {"End", GLUT_KEY_END},        {"Insert", GLUT_KEY_INSERT},
};

// The keys Velmorath gives a meaning. While it runs, the browser's own uses
// of them (help on F1, reload on F5, focus on F6, caret browsing on F7) are
// cancelled.
const char* const kProgramKeys[] = {"Escape", "+", "-", "F1", "F2", "F3", "F4", "F5", "F6", "F7"};

bool programKey(const char* key) {
    for (const char* own : kProgramKeys)
        if (std::strcmp(key, own) == 0) return true;
    return false;
}

// Hands a key, by the DOM's name for it, to the keyboard callback (characters,
// Escape) or the special-key callback (GLUT's codes); other keys go nowhere.
void press(const char* key) {
    if (!window.open) return;
    unsigned char character = 0;
    if (key[0] > 0 && key[1] == 0) character = static_cast<unsigned char>(key[0]);
    if (std::strcmp(key, "Escape") == 0) character = 27;
    if (character != 0 && window.keyboard) return window.keyboard(character, 0, 0);
    for (const SpecialKey& special : kSpecialKeys)
        if (std::strcmp(key, special.name) == 0 && window.special)
            return window.special(special.code, 0, 0);
}

EM_BOOL keyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    // Keys with Ctrl, Alt or Meta are the browser's shortcuts. In full
    // screen, Escape is the browser's too: it leaves full screen.
    if (event->ctrlKey || event->altKey || event->metaKey) return EM_FALSE;
    if (std::strcmp(event->key, "Escape") == 0 && fullScreen()) return EM_FALSE;
    const bool own = programKey(event->key);
    press(event->key);
    return own;  // true cancels the browser's own action
}

}  // namespace

// What the page's buttons call: a press of the key they are named for.
extern "C" EMSCRIPTEN_KEEPALIVE void velmorathPress(const char* key) {
    press(key);
}

void glutInit(int*, char**) {}
void glutInitDisplayMode(unsigned int) {}  // the context is always double-buffered RGB with depth
void glutInitWindowPosition(int, int) {}   // the page places the canvas
void glutInitWindowSize(int, int) {}       // and lays it out, 640 x 480 at most

// The canvas's WebGL 2 context, without the WebGL extensions Emscripten would
// switch on by default: the program uses none, and each costs start-up time.
// The page may have made the context already, before it was first shown, with
// the same attributes; this then takes it over. Once it has the context, the
// program yields: the browser gets its turn before the start-up's next steps
// (the shaders, the images).
int glutCreateWindow(const char* title) {
    setTitle(title);
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;  // an opaque window
    attributes.antialias = EM_FALSE;
    attributes.majorVersion = 2;
    attributes.enableExtensionsByDefault = EM_FALSE;
    window.context = emscripten_webgl_create_context(kCanvas, &attributes);
    if (window.context <= 0) {
        sayNoWebGl2();
        return 0;
    }
    emscripten_webgl_make_context_current(window.context);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, keyDown);
    window.open = true;
    watchCanvasSize();
    emscripten_sleep(0);
    return 1;
}

// Ends the window: no more frames or key events, and its OpenGL context and
// everything in it released.
void glutDestroyWindow(int) {
    if (!window.open) return;
    window.open = false;
    emscripten_html5_remove_all_event_listeners();
    releaseContext();
    emscripten_webgl_destroy_context(window.context);
}

int glutGetWindow() {
    return window.open ? 1 : 0;
}

void glutSetCursor(int cursor) {
    showCursor(cursor != GLUT_CURSOR_NONE);
}

void glutDisplayFunc(void (*callback)()) {
    window.display = callback;
}
void glutReshapeFunc(void (*callback)(int, int)) {
    window.reshape = callback;
}
void glutKeyboardFunc(void (*callback)(unsigned char, int, int)) {
    window.keyboard = callback;
}
void glutSpecialFunc(void (*callback)(int, int, int)) {
    window.special = callback;
}
void glutIdleFunc(void (*callback)()) {
    window.idle = callback;
}
void glutPostRedisplay() {
    window.redisplay = true;
}
void glutSwapBuffers() {}  // the browser shows the canvas once the frame's callback returns

// Shows the program running, tells it the window's size and starts the
// frames, then returns: the page keeps running without main.
void glutMainLoop() {
    if (!window.open) return;
    showRunning();
    reportCanvasSize();
    emscripten_request_animation_frame_loop(frame, nullptr);
}
