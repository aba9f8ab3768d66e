// The scene's animation arithmetic, which needs no OpenGL context.
#include "scene/cScene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void advance(cScene& scene, long frames) {
    for (long i = 0; i < frames; ++i) scene.advance();
}

TEST(SceneAnimation, StartsFromItsDefaults) {
    const cScene scene;
    EXPECT_EQ(scene.getView(), 1);
    EXPECT_EQ(scene.getEarthAngle(), 0.0f);
    EXPECT_EQ(scene.getMoonAngle(), 0.0f);
    EXPECT_EQ(scene.getEarthSpin(), 0.0f);
    EXPECT_EQ(scene.getEarthStep(), 0.05f);
    EXPECT_EQ(scene.getMoonStep(), 0.15f);
}

// Past 360 an angle drops to exactly 0, the excess lost: the Earth first at
// the 7,201st advance, the Moon at the 2,401st.
TEST(SceneAnimation, OrbitsWrapToZeroJustPast360) {
    cScene scene;
    advance(scene, 2400);
    EXPECT_GT(scene.getMoonAngle(), 359.9f);
    EXPECT_LE(scene.getMoonAngle(), 360.0f);
    advance(scene, 1);
    EXPECT_EQ(scene.getMoonAngle(), 0.0f);

    advance(scene, 7200 - 2401);
    EXPECT_GT(scene.getEarthAngle(), 359.9f);
    EXPECT_LE(scene.getEarthAngle(), 360.0f);
    advance(scene, 1);
    EXPECT_EQ(scene.getEarthAngle(), 0.0f);
    advance(scene, 1);
    EXPECT_EQ(scene.getEarthAngle(), 0.05f);
    // Landing on exactly 360 is not past it: the angle stays.
    scene = cScene();
    advance(scene, 496);
    scene.speedUp();
    scene.speedUp();
    advance(scene, 1360);
    EXPECT_EQ(scene.getMoonAngle(), 360.0f);
}

TEST(SceneAnimation, SpinGrowsByOneUntilFloatSaturatesAt2To24) {
    cScene scene;
    advance(scene, 1000);
    EXPECT_EQ(scene.getEarthSpin(), 1000.0f);  // never wrapped at 360
    advance(scene, (1L << 24) - 1 - 1000);
    EXPECT_EQ(scene.getEarthSpin(), 16777215.0f);
    advance(scene, 10);
    EXPECT_EQ(scene.getEarthSpin(), 16777216.0f);
}

// Five minuses leave a step of about -2e-10, not 0: too small to move an angle
// that is not close to 0, so the orbits stand still. A sixth runs them backwards,
// below 0 without any wrap.
TEST(SceneAnimation, FiveSlowDownsStopTheOrbitsAndASixthReversesThem) {
    cScene scene;
    advance(scene, 100);
    const float earth = scene.getEarthAngle(), moon = scene.getMoonAngle();
    for (int i = 0; i < 5; ++i) scene.slowDown();
    EXPECT_LT(scene.getEarthStep(), 0.0f);
    EXPECT_NEAR(scene.getEarthStep(), -2.2e-10, 0.1e-10);
    EXPECT_NEAR(scene.getMoonStep(), -6.7e-10, 0.1e-10);
    advance(scene, 1000);
    EXPECT_EQ(scene.getEarthAngle(), earth);
    EXPECT_EQ(scene.getMoonAngle(), moon);
    EXPECT_EQ(scene.getEarthSpin(), 1100.0f);  // the spin ignores the speed

    scene.slowDown();
    EXPECT_NEAR(scene.getEarthStep(), -0.01f, 1e-6);
    EXPECT_NEAR(scene.getMoonStep(), -0.03f, 1e-6);
    advance(scene, 1000);
    EXPECT_NEAR(scene.getEarthAngle(), earth - 10, 0.01);
    EXPECT_NEAR(scene.getMoonAngle(), moon - 30, 0.01);
    EXPECT_LT(scene.getEarthAngle(), 0.0f);
}

}  // namespace
