// The program's start-up routine and its GLUT callbacks, with the global scene
// they all share.
#pragma once

#include "platform.h"
#include "scene/cScene.h"

extern cScene gScene;
// What F7 last switched to: true for the specular mode, false for unlit
// drawing. False at start, when the start-up lighting is in use.
extern bool gSpecularMode;
// False while F1 has the window filling the screen.
extern bool gWindowed;

// Initialises GLUT with the command line (it takes out the options it knows)
// and opens the program's window: double-buffered RGB with depth, 640 x 480
// at (100, 100), captioned "Velmorath!", the cursor hidden over it.
void openWindow(int* argc, char** argv);

// Start-up OpenGL state, the textures and the spheres. On failure prints one
// line on stderr naming the file and the reason, shows it as the platform
// shows failures, and returns false.
bool init();

void display();
void reshape(int width, int height);
void idle();

// Escape quits, plus and minus change the orbital speed; other characters do nothing.
void keyboard(unsigned char key, int x, int y);
// F1 toggles full screen, F2 to F6 pick the camera, F7 switches the lighting.
void specialKeys(int key, int x, int y);
