// The keyboard callbacks: what each key does to the scene and to the OpenGL
// lighting, and that no other key does anything.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>

#include "app/shell.h"
#include "gl_support.h"

namespace {

// Everything a key may change: the scene's state and the lighting switches.
struct State {
    int view;
    float earthAngle, moonAngle, earthStep, moonStep, earthSpin;
    std::array<bool, 4> enabled;
    GLint shadeModel;
    bool specularMode;
    bool operator==(const State& o) const {
        return view == o.view && earthAngle == o.earthAngle && moonAngle == o.moonAngle &&
               earthStep == o.earthStep && moonStep == o.moonStep && earthSpin == o.earthSpin &&
               enabled == o.enabled && shadeModel == o.shadeModel && specularMode == o.specularMode;
    }
};

State now() {
    State s{gScene.getView(),
            gScene.getEarthAngle(),
            gScene.getMoonAngle(),
            gScene.getEarthStep(),
            gScene.getMoonStep(),
            gScene.getEarthSpin(),
            {},
            0,
            gSpecularMode};
    const GLenum caps[4] = {GL_LIGHTING, GL_LIGHT0, GL_COLOR_MATERIAL, GL_TEXTURE_2D};
    for (int i = 0; i < 4; ++i) s.enabled[i] = glIsEnabled(caps[i]);
    glGetIntegerv(GL_SHADE_MODEL, &s.shadeModel);
    return s;
}

class Keys : public ::testing::Test {
  protected:
    void SetUp() override {
        openTestWindow();
        gScene = cScene();
        gSpecularMode = false;
        glEnable(GL_TEXTURE_2D);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gScene.setupLights();
    }
};

TEST_F(Keys, PlusAndMinusChangeTheStepsByAHundredthEachTime) {
    const char presses[] = "++-+";
    for (const char* key = presses; *key; ++key) keyboard(*key, 0, 0);
    EXPECT_NEAR(gScene.getEarthStep(), 0.07, 1e-7);
    EXPECT_EQ(gScene.getMoonStep(), gScene.getEarthStep() * 3);

    // From the default, five minuses leave about -2.2e-10, not 0; a sixth gives -0.01.
    gScene = cScene();
    for (int i = 0; i < 5; ++i) keyboard('-', 0, 0);
    EXPECT_NEAR(gScene.getEarthStep(), -2.2e-10, 0.1e-10);
    EXPECT_NEAR(gScene.getMoonStep(), -6.7e-10, 0.1e-10);
    keyboard('-', 0, 0);
    EXPECT_NEAR(gScene.getEarthStep(), -0.01, 1e-7);
    // No bound in either direction.
    for (int i = 0; i < 1000; ++i) keyboard('+', 0, 0);
    EXPECT_NEAR(gScene.getEarthStep(), 9.99, 1e-3);
}

TEST_F(Keys, F2ToF6PickTheFiveCamerasWithoutAccumulating) {
    const int keys[] = {GLUT_KEY_F6, GLUT_KEY_F3, GLUT_KEY_F3, GLUT_KEY_F5,
                        GLUT_KEY_F4, GLUT_KEY_F2, GLUT_KEY_F2, GLUT_KEY_F6};
    const int views[] = {5, 2, 2, 4, 3, 1, 1, 5};
    for (int i = 0; i < 8; ++i) {
        specialKeys(keys[i], 0, 0);
        EXPECT_EQ(gScene.getView(), views[i]) << "key " << i;
    }
}

// F7 goes start-up lighting -> specular -> unlit -> specular; the start-up
// lighting never comes back.
TEST_F(Keys, F7SwitchesBetweenSpecularAndUnlitDrawing) {
    auto expectSpecularColours = [](const char* when) {
        GLfloat v[4];
        glGetMaterialfv(GL_FRONT, GL_SPECULAR, v);
        EXPECT_EQ(std::vector<float>(v, v + 4), std::vector<float>(4, 1)) << when;
        glGetMaterialfv(GL_BACK, GL_SPECULAR, v);
        EXPECT_EQ(std::vector<float>(v, v + 4), std::vector<float>(4, 1)) << when;
        glGetMaterialfv(GL_FRONT, GL_SHININESS, v);
        EXPECT_EQ(v[0], 20) << when;
        glGetLightfv(GL_LIGHT0, GL_SPECULAR, v);
        EXPECT_EQ(std::vector<float>(v, v + 4), std::vector<float>(4, 1)) << when;
    };
    const State startUp = now();
    for (int press = 1; press <= 3; ++press) {
        specialKeys(GLUT_KEY_F7, 0, 0);
        const State s = now();
        const bool specular = press != 2;
        const std::string when = "after F7 number " + std::to_string(press);
        EXPECT_EQ(gSpecularMode, specular) << when;
        EXPECT_EQ(s.enabled[0], specular) << when << ": lighting";
        EXPECT_EQ(s.enabled[1], specular) << when << ": light 0";
        EXPECT_EQ(s.enabled[2], specular) << when << ": colour material";
        EXPECT_TRUE(s.enabled[3]) << when << ": texturing";
        EXPECT_EQ(s.shadeModel, specular ? GL_SMOOTH : GL_FLAT) << when;
        expectSpecularColours(when.c_str());  // kept in state while unlit
        EXPECT_FALSE(s == startUp) << when;
    }
    // The directional position F7 sets, through the modelview matrix of the moment.
    GLfloat position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_EQ(std::vector<float>(position, position + 4), (std::vector<float>{1, 1, 1, 0}));
}

TEST_F(Keys, EveryOtherKeyDoesNothing) {
    gScene.setView(3);
    const State before = now();
    for (int key = 0; key < 256; ++key) {
        if (key == 27 || key == '+' || key == '-') continue;
        keyboard(static_cast<unsigned char>(key), 10, 20);
        EXPECT_TRUE(now() == before) << "character " << key;
    }
    // F8 to F12, the arrows, page keys, Home, End, Insert, and the keys freeglut
    // adds from 0x6D on (Num Lock, Begin, Delete, Shift, Ctrl, Alt, Super).
    for (int key = GLUT_KEY_F8; key <= 0x7F; ++key) {
        if (key > GLUT_KEY_F12 && key < GLUT_KEY_LEFT) continue;
        specialKeys(key, 10, 20);
        EXPECT_TRUE(now() == before) << "special key " << key;
    }
    EXPECT_TRUE(gWindowed);
}

}  // namespace
