// What the program does differently on each window system: x11_platform.cpp
// on Linux, win32_platform.cpp on Windows (CMake picks one).
#pragma once

#include <string>

// Asks the driver to swap buffers once per display refresh, where it offers
// that (GLX_EXT_swap_control or GLX_MESA_swap_control on X11,
// WGL_EXT_swap_control on Windows). Needs the window's context current.
// Mesa's vblank_mode=0 still turns it off.
void syncToRefresh();

// Shows a start-up failure where a user will see it, besides the line on
// stderr: nothing more on X11, a message box on Windows, where a program
// started from Explorer has no console.
void showFailure(const std::string& text);
