// Draws the picture that Velmorath's icon is made from: the Earth and the
// Moon of the first frame, seen from close by on the Sun's side, lit and
// textured as the program draws them, on a transparent background. Writes
// 1024 x 1024 RGBA pixels, bottom row first, on stdout; scripts/make-icons
// turns them into the icons. Run it from the repository root, where img/ is,
// on an X display.
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>
#include <vector>

#include "app/shell.h"

int main(int argc, char** argv) {
    const int size = 1024;
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_ALPHA | GLUT_DEPTH);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(size, size);
    glutCreateWindow("Velmorath icon");
    if (!init()) return 1;
    reshape(size, size);

    glClearColor(0, 0, 0, 0);  // the spheres are opaque, and only they cover the background
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    // Up and to the Sun's side of the Earth (at x = 105), the Moon beyond it.
    gluLookAt(55, 22, -250, 116, 3, -300, 0, 1, 0);
    gScene.setView(0);  // no camera of the scene's own: the one above stays
    gScene.render();

    std::vector<unsigned char> pixels(static_cast<std::size_t>(size) * size * 4);
    glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return std::fwrite(pixels.data(), 1, pixels.size(), stdout) == pixels.size() ? 0 : 1;
}
