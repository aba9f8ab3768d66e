// Velmorath: a textured Sun, Earth and Moon, animated in an OpenGL window.
#include <GL/glut.h>

#include <cstdlib>

#include "shell.h"

int main(int argc, char** argv) {
    glutInit(&argc, argv);  // takes out the options GLUT knows; the rest are ignored
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(640, 480);
    glutCreateWindow("Velmorath!");
    glutSetCursor(GLUT_CURSOR_NONE);
    syncToRefresh();  // draw at the display's rate, not thousands of frames a second

    if (!init()) std::exit(-1);

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(specialKeys);
    glutIdleFunc(idle);
    glutMainLoop();
    return 0;
}
