// The little solar system: the Sun, the Earth on its tilted, spinning axis and
// the Moon, their animation, the camera and the OpenGL lighting.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cTexture.h"

// Looks up an OpenGL function of the current context by name; null if missing.
using GlFunction = void (*)();
using GlLookup = GlFunction (*)(const char* name);

class cScene {
  public:
    cScene();
    virtual ~cScene();  // makes no OpenGL call: it runs at exit, maybe after the context

    // Depth test, culling, one point light and the black clear colour.
    void setupLights();
    // Loads the Earth, Sun and Moon textures from img/, stopping at the first
    // failure; `failure`, when given, then names the file and the reason.
    bool loadTextures(std::string* failure = nullptr);
    // Builds the three spheres once, before the first frame, and points
    // OpenGL's vertex, normal and texture-coordinate arrays at them: in buffers
    // when OpenGL is 1.5 or later and `lookup` finds the buffer functions,
    // otherwise in this object's memory, which must then stay where it is.
    // Like the textures, the buffers live until the process ends.
    void buildSpheres(GlLookup lookup);
    // Draws one frame onto the current modelview matrix, then advances.
    void render();
    // Moves the bodies on by one frame's steps.
    void advance();

    void speedUp();
    void slowDown();
    void setView(int newView) { view = newView; }  // 1 to 5; any other value: no camera

    int getView() const { return view; }
    float getMoonAngle() const { return moonAngle; }
    float getEarthAngle() const { return earthAngle; }
    float getEarthStep() const { return earthStep; }
    float getMoonStep() const { return moonStep; }
    float getEarthSpin() const { return earthSpin; }

    // A sphere vertex as OpenGL's vertex, normal and texture-coordinate arrays read it.
    struct Vertex {
        GLfloat x, y, z, nx, ny, nz, s, t;
    };

  private:
    void changeSpeed(double delta);

    int view;
    float moonAngle;   // degrees about the Earth, in the Earth's orbital frame
    float earthAngle;  // degrees about the Sun
    float earthStep;   // degrees per frame
    float moonStep;    // degrees per frame, always earthStep * 3
    cTexture sunTexture;
    cTexture earthTexture;
    cTexture moonTexture;
    float earthSpin;          // degrees about the Earth's own axis; never wrapped
    GLuint sphereBuffers[2];  // the spheres' vertices and their indices, in OpenGL's buffers
    // The same vertices and indices in client memory, drawn from when OpenGL
    // has no buffers (OpenGL 1.1); `firstIndex` is where the indices start,
    // either an offset into the index buffer (0) or an address.
    std::vector<Vertex> sphereVertices;
    std::vector<GLushort> sphereIndices;
    std::uintptr_t firstIndex;
};
