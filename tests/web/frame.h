// One frame drawn on demand, the same way natively and in the test page, so
// that the browser tests can compare the two.
#pragma once

#include <vector>

#include "scene/cScene.h"

// Draws frame `frame` (1 being the first) of the scene that starts as `start`,
// from camera `view`, into the back buffer of the current window, in the
// OpenGL lighting state of the moment, leaving gScene at that frame; returns
// the viewport's RGBA pixels, bottom row first, read back before any swap.
std::vector<unsigned char> drawFrame(const cScene& start, int frame, int view);
