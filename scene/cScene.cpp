#include "cScene.h"

#include <GL/glu.h>

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

// The display lists after `spheres`, and the radius each sphere is built with.
enum Sphere { kSun, kEarth, kMoon };
const GLdouble kRadius[3] = {20, 12, 4};

// Adds a step to an orbit angle; past 360 the angle starts again from exactly 0.
float stepAngle(float angle, float step) {
    const float next = angle + step;
    return next > 360 ? 0 : next;
}

}  // namespace

cScene::cScene()
    : view(1),
      moonAngle(0),
      earthAngle(0),
      earthStep(0.05f),
      moonStep(0.15f),
      earthSpin(0),
      spheres(0) {}

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

// GLU's textured spheres, 32 slices by 32 stacks, centred on the origin.
void cScene::buildSpheres() {
    spheres = glGenLists(3);
    GLUquadric* quadric = gluNewQuadric();
    gluQuadricTexture(quadric, GL_TRUE);
    for (int sphere : {kSun, kEarth, kMoon}) {
        glNewList(spheres + sphere, GL_COMPILE);
        gluSphere(quadric, kRadius[sphere], 32, 32);
        glEndList();
    }
    gluDeleteQuadric(quadric);
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
        glCallList(spheres + kSun);
        glLightfv(GL_LIGHT0, GL_POSITION, kOrigin);  // from here on, light from the Sun

        glBindTexture(GL_TEXTURE_2D, earthTexture.getId());
        glRotatef(earthAngle, 0, 1, 0);
        glTranslatef(105, 0, 0);
        glPushMatrix();
        {
            glRotatef(110, 110, 0, 0);  // tilts the texture's top (the -z pole) up
            glRotatef(earthSpin, 0, 0, 1);
            glCallList(spheres + kEarth);
        }
        glPopMatrix();

        glBindTexture(GL_TEXTURE_2D, moonTexture.getId());
        glRotatef(moonAngle, 0, 1, 0);
        glTranslatef(30, 0, 0);
        glCallList(spheres + kMoon);

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
