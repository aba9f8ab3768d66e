#include <windows.h>

#include <string>

#include "platform.h"

void syncToRefresh() {
    using GetExtensions = const char*(WINAPI*)();
    using SwapInterval = BOOL(WINAPI*)(int);
    const auto extensions =
        reinterpret_cast<GetExtensions>(wglGetProcAddress("wglGetExtensionsStringEXT"));
    const auto setInterval =
        reinterpret_cast<SwapInterval>(wglGetProcAddress("wglSwapIntervalEXT"));
    if (!extensions || !setInterval) return;
    // Whether the space-separated list names the extension exactly.
    const std::string list = std::string(" ") + extensions() + " ";
    if (list.find(" WGL_EXT_swap_control ") != std::string::npos) setInterval(1);
}

void showFailure(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Velmorath", MB_OK | MB_ICONERROR);
}
