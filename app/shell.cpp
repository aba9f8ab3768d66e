#include "shell.h"

#include <GL/freeglut_std.h>
#include <GL/glu.h>

#include <cstdio>

#include "platform.h"

cScene gScene;
bool gSpecularMode = false;
bool gWindowed = true;

namespace {

// F7: the first press and every other one after it turn on the specular mode,
// the others unlit flat drawing; the start-up lighting never comes back. The
// specular colours stay in OpenGL's state while lighting is off.
void switchLighting() {
    gSpecularMode = !gSpecularMode;
    if (gSpecularMode) {
        const GLfloat white[4] = {1, 1, 1, 1};
        const GLfloat direction[4] = {1, 1, 1, 0};  // replaced by render before any frame
        glShadeModel(GL_SMOOTH);
        glEnable(GL_COLOR_MATERIAL);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 20);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glLightfv(GL_LIGHT0, GL_SPECULAR, white);
        glLightfv(GL_LIGHT0, GL_POSITION, direction);
    } else {
        glShadeModel(GL_FLAT);
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_LIGHTING);
        glDisable(GL_LIGHT0);
    }
}

}  // namespace

void openWindow(int* argc, char** argv) {
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(640, 480);
    glutCreateWindow("Velmorath!");
    glutSetCursor(GLUT_CURSOR_NONE);
}

bool init() {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    gScene.setupLights();

    // Without this line, a user who starts the program from the wrong folder
    // would only see a window flash.
    std::string failure;
    if (!gScene.loadTextures(&failure)) {
        const std::string line = "velmorath: " + failure;
        std::fprintf(stderr, "%s\n", line.c_str());
        showFailure(line);
        return false;
    }
    gScene.buildSpheres(lookUpGl);
    return true;
}

void display() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();  // the modelview matrix: reshape and render both leave it selected
    gScene.render();
    glutSwapBuffers();
}

void reshape(int width, int height) {
    // A window of height 0 is taken as 1 high, so the projection stays finite.
    const double aspect = static_cast<double>(width) / (height > 0 ? height : 1);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, aspect, 0.1, 10000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Redraws at once, as fast as the buffer swap allows; every frame advances the animation.
void idle() {
    display();
}

void keyboard(unsigned char key, int, int) {
    switch (key) {
        case 27:  // Escape
            quit(0);
            break;
        case '+':
            gScene.speedUp();
            break;
        case '-':
            gScene.slowDown();
            break;
        default:
            break;
    }
}

void specialKeys(int key, int, int) {
    switch (key) {
        case GLUT_KEY_F1:
            toggleFullScreen();
            gWindowed = !gWindowed;
            break;
        case GLUT_KEY_F2:
        case GLUT_KEY_F3:
        case GLUT_KEY_F4:
        case GLUT_KEY_F5:
        case GLUT_KEY_F6:
            gScene.setView(key - GLUT_KEY_F2 + 1);
            break;
        case GLUT_KEY_F7:
            switchLighting();
            break;
        default:
            break;
    }
}
