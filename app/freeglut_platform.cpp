// What Linux and Windows share: freeglut's window and OpenGL lookup, and a
// process to exit.
#include <GL/freeglut.h>

#include <cstdlib>

#include "platform.h"

GlFunction lookUpGl(const char* name) {
    return glutGetProcAddress(name);
}

// freeglut restores the window's earlier size and place on the way back.
void toggleFullScreen() {
    glutFullScreenToggle();
}

void quit(int status) {
    std::exit(status);
}
