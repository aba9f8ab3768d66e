// What the program does differently on each platform: freeglut_platform.cpp
// with x11_platform.cpp on Linux or win32_platform.cpp on Windows, and
// web_platform.cpp in a browser (CMake picks them).
#pragma once

#include <string>

#include "scene/cScene.h"

// Asks the driver to swap buffers once per display refresh, where it offers
// that (GLX_EXT_swap_control or GLX_MESA_swap_control on X11,
// WGL_EXT_swap_control on Windows; a browser draws once per displayed frame
// anyway). Needs the window's context current. Mesa's vblank_mode=0 still
// turns it off.
void syncToRefresh();

// Shows a start-up failure where a user will see it, besides the line on
// stderr: nothing more on X11, a message box on Windows, where a program
// started from Explorer has no console, and the page's text in a browser.
void showFailure(const std::string& text);

// Looks up an OpenGL function of the current context; null if missing.
GlFunction lookUpGl(const char* name);

// Switches between the window and the whole screen.
void toggleFullScreen();

// Ends the program with `status` (0, or -1 after a failed start). A desktop
// program exits at once. A web page has no process to end: the frames stop,
// the window's OpenGL context and its listeners are released, the page says
// so, and the call returns.
void quit(int status);
