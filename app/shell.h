// The program's start-up routine and its GLUT callbacks, with the global scene
// they all share.
#pragma once

#include "scene/cScene.h"

extern cScene gScene;

// Start-up OpenGL state and the textures. On failure prints one line on stderr
// naming the file and the reason, and returns false.
bool init();

void display();
void reshape(int width, int height);
void idle();
