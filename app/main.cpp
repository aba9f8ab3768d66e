// Velmorath: a textured Sun, Earth and Moon, animated in an OpenGL window.
#include <GL/freeglut_std.h>

#include "platform.h"
#include "shell.h"

int main(int argc, char** argv) {
    openWindow(&argc, argv);  // arguments GLUT does not know are ignored
    syncToRefresh();          // draw at the display's rate, not thousands of frames a second

    if (!init()) {
        quit(-1);
        return -1;  // where quit returns: a web page has no process to end
    }

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(specialKeys);
    glutIdleFunc(idle);
    glutMainLoop();
    return 0;
}
