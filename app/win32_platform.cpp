#include <windows.h>

#include <string>

#include "platform.h"

namespace {

// A WGL extension function of the current context, or null.
template <typename Function>
Function wglFunction(const char* name) {
    // Through void (*)(), the one function type that converts to any other unwarned.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(wglGetProcAddress(name)));
}

}  // namespace

void syncToRefresh() {
    const auto extensions = wglFunction<const char*(WINAPI*)()>("wglGetExtensionsStringEXT");
    const auto setInterval = wglFunction<BOOL(WINAPI*)(int)>("wglSwapIntervalEXT");
    if (!extensions || !setInterval) return;
    // Whether the space-separated list names the extension exactly.
    const std::string list = std::string(" ") + extensions() + " ";
    if (list.find(" WGL_EXT_swap_control ") != std::string::npos) setInterval(1);
}

void showFailure(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Velmorath", MB_OK | MB_ICONERROR);
}
