#include "cScene.h"

#include <GL/glext.h>
#include <GL/glu.h>

#include <cmath>
#include <cstddef>
#include <cstdio>

namespace {

// Where each camera looks from and to; the up vector is always +y.
struct Camera {
    GLdouble eyeX, eyeY, eyeZ, centreX, centreY, centreZ;
};
const Camera kCameras[5] = {
    {10, 0, 300, 0, 0, -300},   // 1: in front, slightly to the side
    {10, -300, 0, 0, 0, -300},  // 2: from below
    {0, 300, 0, 0, 0, -300},    // 3: from above
    {0, 0, -300, 0, 0, 1000},   // 4: from the Sun's centre, looking back along +z
    {0, 0, -100, 0, 0, -300},   // 5: close to the Sun
};

const GLfloat kOrigin[4] = {0, 0, 0, 1};

// The spheres in the buffers, in order, and the radius of each.
enum Sphere { kSun, kEarth, kMoon };
const GLfloat kRadius[3] = {20, 12, 4};

constexpr int kSlices = 32, kStacks = 32;
constexpr int kIndicesPerSphere = kSlices * kStacks * 6;

using Vertex = cScene::Vertex;

// The vertices, normals and texture coordinates of gluSphere(radius, 32, 32)
// with GLU's default outward smooth normals, computed as GLU computes them:
// float sines and cosines, the poles pinned to a point, rows from +z (t = 1)
// down to -z (t = 0). GLU draws each row as a quad strip; each quad becomes
// the two triangles OpenGL splits it into, on the same diagonal and with the
// same last vertex, so the picture does not change.
void appendSphere(GLfloat radius, std::vector<Vertex>& vertices, std::vector<GLushort>& indices) {
    const double pi = 3.14159265358979323846;
    GLfloat sinSlice[kSlices + 1], cosSlice[kSlices + 1];
    GLfloat sinStack[kStacks + 1], cosStack[kStacks + 1];
    for (int i = 0; i < kSlices; ++i) {
        const GLfloat angle = static_cast<GLfloat>(2 * pi * i / kSlices);
        sinSlice[i] = static_cast<GLfloat>(std::sin(angle));
        cosSlice[i] = static_cast<GLfloat>(std::cos(angle));
    }
    sinSlice[kSlices] = sinSlice[0];
    cosSlice[kSlices] = cosSlice[0];
    for (int j = 0; j <= kStacks; ++j) {
        const GLfloat angle = static_cast<GLfloat>(pi * j / kStacks);
        sinStack[j] = static_cast<GLfloat>(std::sin(angle));
        cosStack[j] = static_cast<GLfloat>(std::cos(angle));
    }
    sinStack[0] = sinStack[kStacks] = 0;

    const GLushort first = static_cast<GLushort>(vertices.size());
    for (int j = 0; j <= kStacks; ++j) {
        const GLfloat ring = radius * sinStack[j], z = radius * cosStack[j];
        for (int i = 0; i <= kSlices; ++i)
            vertices.push_back({ring * sinSlice[i], ring * cosSlice[i], z,
                                sinSlice[i] * sinStack[j], cosSlice[i] * sinStack[j], cosStack[j],
                                1 - static_cast<GLfloat>(i) / kSlices,
                                1 - static_cast<GLfloat>(j) / kStacks});
    }
    for (int j = 0; j < kStacks; ++j)
        for (int i = 0; i < kSlices; ++i) {
            // The quad's corners in strip order: a, b on the lower ring, c, d next along.
            const GLushort a = first + (j + 1) * (kSlices + 1) + i,
                           b = first + j * (kSlices + 1) + i;
            const GLushort c = a + 1, d = b + 1;
            indices.insert(indices.end(), {a, b, d, c, a, d});
        }
}

// Draws one of the spheres, centred on the current origin, from the indices
// that start at `firstIndex`.
void drawSphere(std::uintptr_t firstIndex, Sphere sphere) {
    const std::uintptr_t offset = sphere * kIndicesPerSphere * sizeof(GLushort);
    glDrawElements(GL_TRIANGLES, kIndicesPerSphere, GL_UNSIGNED_SHORT,
                   reinterpret_cast<const void*>(firstIndex + offset));
}

// Whether the current context's OpenGL version is at least major.minor.
bool versionAtLeast(int major, int minor) {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int haveMajor = 0, haveMinor = 0;
    if (!version || std::sscanf(version, "%d.%d", &haveMajor, &haveMinor) != 2) return false;
    return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}

// Adds a step to an orbit angle; past 360 the angle starts again from exactly 0.
float stepAngle(float angle, float step) {
    const float next = angle + step;
    return next > 360 ? 0 : next;
}

// Copies the spheres into two new buffers, vertices then indices, and leaves
// them bound. Buffers are OpenGL 1.5: where the context is older (Windows' own
// OpenGL 1.1 renderer) or `lookup` misses a function, it makes none and
// returns false.
bool putInBuffers(GlLookup lookup, const std::vector<Vertex>& vertices,
                  const std::vector<GLushort>& indices, GLuint buffers[2]) {
    if (!lookup || !versionAtLeast(1, 5)) return false;
    const auto genBuffers = reinterpret_cast<PFNGLGENBUFFERSPROC>(lookup("glGenBuffers"));
    const auto bindBuffer = reinterpret_cast<PFNGLBINDBUFFERPROC>(lookup("glBindBuffer"));
    const auto bufferData = reinterpret_cast<PFNGLBUFFERDATAPROC>(lookup("glBufferData"));
    if (!genBuffers || !bindBuffer || !bufferData) return false;
    genBuffers(2, buffers);
    bindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    bufferData(GL_ARRAY_BUFFER, vertices.size() * sizeof(Vertex), vertices.data(), GL_STATIC_DRAW);
    bindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    bufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(GLushort), indices.data(),
               GL_STATIC_DRAW);
    return true;
}

}  // namespace

cScene::cScene()
    : view(1),
      moonAngle(0),
      earthAngle(0),
      earthStep(0.05f),
      moonStep(0.15f),
      earthSpin(0),
      sphereBuffers{0, 0},
      firstIndex(0) {}

cScene::~cScene() = default;

void cScene::setupLights() {
    const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    const GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};

    glEnable(GL_DEPTH_TEST);
    glFrontFace(GL_CCW);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, kOrigin);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glClearColor(0, 0, 0, 1);
}

bool cScene::loadTextures(std::string* failure) {
    struct Entry {
        cTexture& texture;
        const char* path;
    };
    const Entry entries[3] = {
        {earthTexture, "img/earth.jpg"},
        {sunTexture, "img/sun.png"},
        {moonTexture, "img/moon.jpg"},
    };
    for (const Entry& entry : entries) {
        std::string why;
        if (!entry.texture.load(entry.path, GL_RGB, GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR,
                                false, &why)) {
            if (failure) *failure = std::string("cannot load texture ") + entry.path + ": " + why;
            return false;
        }
    }
    return true;
}

void cScene::buildSpheres(GlLookup lookup) {
    sphereVertices.clear();
    sphereIndices.clear();
    for (GLfloat radius : kRadius) appendSphere(radius, sphereVertices, sphereIndices);

    std::uintptr_t vertexBase = reinterpret_cast<std::uintptr_t>(sphereVertices.data());
    firstIndex = reinterpret_cast<std::uintptr_t>(sphereIndices.data());
    if (putInBuffers(lookup, sphereVertices, sphereIndices, sphereBuffers)) {
        vertexBase = firstIndex = 0;  // offsets into the buffers from here on
        sphereVertices = {};
        sphereIndices = {};
    }
    const auto at = [&](std::size_t offset) {
        return reinterpret_cast<const void*>(vertexBase + offset);
    };
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), at(offsetof(Vertex, x)));
    glNormalPointer(GL_FLOAT, sizeof(Vertex), at(offsetof(Vertex, nx)));
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), at(offsetof(Vertex, s)));
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
}

void cScene::render() {
    if (view >= 1 && view <= 5) {
        const Camera& c = kCameras[view - 1];
        gluLookAt(c.eyeX, c.eyeY, c.eyeZ, c.centreX, c.centreY, c.centreZ, 0, 1, 0);
    }
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    {
        glLightfv(GL_LIGHT0, GL_POSITION, kOrigin);  // light at the world origin
        glTranslatef(0, 0, -300);

        glBindTexture(GL_TEXTURE_2D, sunTexture.getId());
        drawSphere(firstIndex, kSun);
        glLightfv(GL_LIGHT0, GL_POSITION, kOrigin);  // from here on, light from the Sun

        glBindTexture(GL_TEXTURE_2D, earthTexture.getId());
        glRotatef(earthAngle, 0, 1, 0);
        glTranslatef(105, 0, 0);
        glPushMatrix();
        {
            glRotatef(110, 110, 0, 0);  // tilts the texture's top (the -z pole) up
            glRotatef(earthSpin, 0, 0, 1);
            drawSphere(firstIndex, kEarth);
        }
        glPopMatrix();

        glBindTexture(GL_TEXTURE_2D, moonTexture.getId());
        glRotatef(moonAngle, 0, 1, 0);
        glTranslatef(30, 0, 0);
        drawSphere(firstIndex, kMoon);

        advance();
    }
    glPopMatrix();
    glFlush();
}

void cScene::advance() {
    moonAngle = stepAngle(moonAngle, moonStep);
    earthAngle = stepAngle(earthAngle, earthStep);
    // Added in double and stored as float: from 2^24 on the sum rounds back and
    // the spin stops, which is accepted.
    earthSpin = static_cast<float>(static_cast<double>(earthSpin) + 1.0);
}

void cScene::speedUp() {
    changeSpeed(0.01);
}

void cScene::slowDown() {
    changeSpeed(-0.01);
}

// Steps are unbounded: they may reach about zero or go negative (orbits backwards).
void cScene::changeSpeed(double delta) {
    earthStep = static_cast<float>(earthStep + delta);
    moonStep = earthStep * 3;
}
