#include "shell.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include <cstdio>

cScene gScene;

bool init() {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    gScene.setupLights();

    // Without this line, a user who starts the program from the wrong folder
    // would only see a window flash.
    std::string failure;
    if (!gScene.loadTextures(&failure)) {
        std::fprintf(stderr, "velmorath: %s\n", failure.c_str());
        return false;
    }
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
