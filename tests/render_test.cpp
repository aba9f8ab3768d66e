// Textures, lighting state, projection and rendered frames, against a real
// OpenGL context (Mesa's llvmpipe under Xvfb), read back with glGet* and
// glReadPixels.
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/shell.h"
#include "bad_inputs.h"
#include "gl_support.h"
#include "image/image.h"
#include "scene/cScene.h"
#include "web/frame.h"
#include "webgl/matrix.h"

namespace {

using fixtures::Rgb;

class GlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        openTestWindow();
        reshape(640, 480);
        glShadeModel(GL_SMOOTH);  // run in one process, tests share the context
    }
};

// ---- cTexture ----

std::vector<int> texel(int x, int y) {
    return {(x * 5) % 256, (y * 70) % 256, (x + y * 3) % 256};
}

TEST_F(GlTest, TextureHoldsTheImageAtAnOddWidthWithItsParameters) {
    fixtures::TempDir dir;
    const std::string path = dir.path + "/odd.png";
    fixtures::writeFile(path, fixtures::png(641, 3, 2, fixtures::pixels(641, 3, 3, texel)));

    cTexture texture;
    EXPECT_EQ(texture.getId(), 0u);
    ASSERT_TRUE(texture.load(path.c_str(), GL_RGB, GL_CLAMP_TO_EDGE, GL_REPEAT, GL_NEAREST,
                             GL_LINEAR, false));
    EXPECT_NE(texture.getId(), 0u);
    EXPECT_EQ(texture.getWidth(), 641);
    EXPECT_EQ(texture.getHeight(), 3);

    GLint value = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), texture.getId());
    const std::pair<GLenum, GLint> parameters[] = {{GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE},
                                                   {GL_TEXTURE_WRAP_T, GL_REPEAT},
                                                   {GL_TEXTURE_MAG_FILTER, GL_NEAREST},
                                                   {GL_TEXTURE_MIN_FILTER, GL_LINEAR}};
    for (auto [name, want] : parameters) {
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        EXPECT_EQ(value, want) << "parameter 0x" << std::hex << name;
    }
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, 641);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
    EXPECT_EQ(value, 3);  // the channel count, as given
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 4);  // the loader leaves the pixel-store state alone

    // Read back with the default pack alignment of 4: rows padded as decoded.
    const std::size_t stride = image::paddedStride(641, 3);
    std::vector<unsigned char> texels(stride * 3);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    int wrong = 0;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 641; ++x) {
            const unsigned char* p = &texels[y * stride + x * 3];
            if (std::vector<int>(p, p + 3) != texel(x, y) && ++wrong <= 5)
                ADD_FAILURE() << "texel " << x << "," << y << " is wrong";
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(GlTest, TextureKeepsAlphaForRgbaAndBuildsMipmapsWhenAsked) {
    fixtures::TempDir dir;
    const std::string path = dir.path + "/alpha.png";
    fixtures::writeFile(path, fixtures::png(4, 4, 6, fixtures::Bytes(4 * 4 * 4, 77)));

    cTexture texture;
    ASSERT_TRUE(texture.load(path.c_str(), GL_RGBA, GL_REPEAT, GL_REPEAT, GL_LINEAR,
                             GL_LINEAR_MIPMAP_LINEAR, true));
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
    EXPECT_EQ(value, 4);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &value);
    EXPECT_EQ(value, 1);  // the whole chain: 4, 2, 1
    unsigned char texels[4 * 4 * 4] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    EXPECT_TRUE(std::all_of(std::begin(texels), std::end(texels), [](int v) { return v == 77; }));
}

TEST_F(GlTest, TextureFailsWithoutCreatingATexture) {
    fixtures::TempDir dir;
    const std::string good = dir.path + "/good.png", big = dir.path + "/big.png";
    fixtures::writeFile(good, fixtures::solidPng(4, 4, {1, 2, 3}));
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    fixtures::writeFile(big,
                        fixtures::withPngSize(fixtures::solidPng(4, 4, {1, 2, 3}), maxSide + 1, 1));
    glBindTexture(GL_TEXTURE_2D, 0);

    const std::pair<std::string, GLenum> cases[] = {
        {good, GL_BGR}, {good, GL_LUMINANCE}, {dir.path + "/none.png", GL_RGB}, {big, GL_RGB}};
    for (const auto& [path, format] : cases) {
        cTexture texture;
        std::string failure;
        EXPECT_FALSE(texture.load(path.c_str(), format, GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR,
                                  false, &failure))
            << path;
        EXPECT_FALSE(failure.empty());
        EXPECT_EQ(texture.getId(), 0u);
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, 0) << path;
    }
}

// With a pixel-unpack buffer bound, glTexImage2D reads the pixel address as an
// offset far past the buffer's end and refuses the upload.
TEST_F(GlTest, TextureThatOpenGlRefusesFailsAndLeavesNoName) {
    fixtures::TempDir dir;
    const std::string path = dir.path + "/good.png";
    fixtures::writeFile(path, fixtures::solidPng(4, 4, {1, 2, 3}));
    auto textures = [] {
        int count = 0;
        for (GLuint name = 1; name < 4096; ++name) count += glIsTexture(name);
        return count;
    };
    const int before = textures();
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, buffer);
    glBufferData(GL_PIXEL_UNPACK_BUFFER, 16, nullptr, GL_STATIC_DRAW);
    const auto errorFromBefore = [] { glEnable(GL_DEPTH_TEST + 1); };  // GL_INVALID_ENUM

    for (bool mipmaps : {false, true}) {
        cTexture texture;
        std::string failure;
        errorFromBefore();
        EXPECT_FALSE(texture.load(path.c_str(), GL_RGB, GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR,
                                  mipmaps, &failure));
        EXPECT_EQ(failure, "OpenGL refused the texture (GL_INVALID_OPERATION)");
        EXPECT_EQ(texture.getId(), 0u);
        EXPECT_EQ(textures(), before) << "mipmaps " << mipmaps;
    }
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glDeleteBuffers(1, &buffer);

    cTexture texture;
    errorFromBefore();
    EXPECT_TRUE(
        texture.load(path.c_str(), GL_RGB, GL_REPEAT, GL_REPEAT, GL_LINEAR, GL_LINEAR, false));
    EXPECT_EQ(textures(), before + 1);
}

// ---- start-up state and projection ----

TEST_F(GlTest, StartUpLeavesTheSceneLitByOnePointLight) {
    cScene scene;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    scene.setupLights();
    for (GLenum cap : {GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_LIGHT0, GL_COLOR_MATERIAL})
        EXPECT_TRUE(glIsEnabled(cap)) << "capability 0x" << std::hex << cap;

    auto expect4 = [](const char* what, const GLfloat* got, std::vector<float> want) {
        for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(got[i], want[i]) << what << "[" << i << "]";
    };
    GLfloat v[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, v);
    expect4("global ambient", v, {0.2f, 0.2f, 0.2f, 1});
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, v);
    expect4("light diffuse", v, {0.8f, 0.8f, 0.8f, 1});
    glGetLightfv(GL_LIGHT0, GL_POSITION, v);
    expect4("light position", v, {0, 0, 0, 1});
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, v);
    expect4("material specular", v, {0, 0, 0, 1});
    glGetFloatv(GL_COLOR_CLEAR_VALUE, v);
    expect4("clear colour", v, {0, 0, 0, 1});
    glGetFloatv(GL_CURRENT_COLOR, v);
    expect4("current colour", v, {1, 1, 1, 1});

    const std::pair<GLenum, GLint> enums[] = {{GL_FRONT_FACE, GL_CCW},
                                              {GL_CULL_FACE_MODE, GL_BACK},
                                              {GL_COLOR_MATERIAL_FACE, GL_FRONT},
                                              {GL_COLOR_MATERIAL_PARAMETER, GL_AMBIENT_AND_DIFFUSE},
                                              {GL_SHADE_MODEL, GL_SMOOTH}};
    for (auto [name, want] : enums) {
        GLint got = 0;
        glGetIntegerv(name, &got);
        EXPECT_EQ(got, want) << "state 0x" << std::hex << name;
    }
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
}

TEST_F(GlTest, InitLoadsTheImagesOrNamesTheFileThatFailed) {
    fixtures::TempDir dir;
    char previous[4096];
    ASSERT_TRUE(getcwd(previous, sizeof previous));
    ASSERT_EQ(chdir(dir.path.c_str()), 0);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(init());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "velmorath: cannot load texture img/earth.jpg: No such file or directory\n");

    writeSceneImages(dir.path);
    fixtures::writeFile("img/sun.png", {'n', 'o', 'p', 'e'});
    testing::internal::CaptureStderr();
    EXPECT_FALSE(init());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "velmorath: cannot load texture img/sun.png: unrecognised format\n");

    writeSceneImages(dir.path);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(init());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    ASSERT_EQ(chdir(previous), 0);
}

TEST_F(GlTest, ReshapeFollowsTheWindowAndSurvivesHeightZero) {
    GLdouble m[16];
    GLint viewport[4], mode = 0;
    reshape(800, 400);
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[5] / m[0], 2.0, 1e-6);  // aspect 800 / 400
    EXPECT_NEAR(m[5], 1 / std::tan(22.5 * M_PI / 180), 1e-6);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 400);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    reshape(640, 0);
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    for (double x : m) EXPECT_TRUE(std::isfinite(x));
    EXPECT_NEAR(m[5] / m[0], 640.0, 1e-3);  // taken as 1 pixel high
}

// ---- rendered frames ----

struct Vec {
    double x, y, z;
    Vec operator+(Vec o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec operator-(Vec o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec operator*(double k) const { return {x * k, y * k, z * k}; }
    double dot(Vec o) const { return x * o.x + y * o.y + z * o.z; }
    Vec unit() const { return *this * (1 / std::sqrt(dot(*this))); }
};

// The camera of each view: eye and centre (up is +y); index 0 stands for a view
// number outside 1 to 5, which leaves the camera at the origin looking down -z.
const Vec kEyes[6][2] = {{{0, 0, 0}, {0, 0, -1}},       {{10, 0, 300}, {0, 0, -300}},
                         {{10, -300, 0}, {0, 0, -300}}, {{0, 300, 0}, {0, 0, -300}},
                         {{0, 0, -300}, {0, 0, 1000}},  {{0, 0, -100}, {0, 0, -300}}};

struct Body {
    const char* name;
    Vec centre;
    double radius;
    Vec light;  // where the light was when the body was drawn
};
// The first frame: every body at angle 0. The Sun is lit from the world origin,
// the Earth and the Moon from the Sun's centre.
const Body kBodies[] = {{"Sun", {0, 0, -300}, 20, {0, 0, 0}},
                        {"Earth", {105, 0, -300}, 12, {0, 0, -300}},
                        {"Moon", {135, 0, -300}, 4, {0, 0, -300}}};
// The Earth's texture top (the -z pole of its sphere) after the 110-degree tilt.
const Vec kEarthTop = {0, std::sin(110 * M_PI / 180), -std::cos(110 * M_PI / 180)};

// The web page's own OpenGL 1.1 matrices against this OpenGL's: the projection
// that reshape(640, 480) made, every kind of transform a frame makes, from
// each camera, and light 0's position taken to eye coordinates.
TEST_F(GlTest, WebLayerMatricesAreOpenGlsOwn) {
    const auto expectNear = [](const webgl::Matrix& ours, GLenum matrix, const char* what) {
        webgl::Matrix theirs;
        glGetFloatv(matrix, theirs.data());
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(ours[i], theirs[i], 1e-4 * (1 + std::abs(theirs[i])))
                << what << " [" << i << "]";
    };
    expectNear(webgl::perspective(45, 640.0 / 480, 0.1, 10000), GL_PROJECTION_MATRIX, "projection");
    for (const Vec* camera : kEyes) {
        const Vec eye = camera[0], centre = camera[1];
        glLoadIdentity();
        gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0, 1, 0);
        webgl::Matrix ours =
            webgl::lookAt({eye.x, eye.y, eye.z}, {centre.x, centre.y, centre.z}, {0, 1, 0});
        expectNear(ours, GL_MODELVIEW_MATRIX, "camera");
        const GLfloat position[4] = {1, 2, 3, 1};
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        GLfloat eyePosition[4];
        glGetLightfv(GL_LIGHT0, GL_POSITION, eyePosition);
        const webgl::Vector transformed = webgl::transform(ours, {1, 2, 3, 1});
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(transformed[i], eyePosition[i], 1e-3) << "light";
        glRotatef(37.5f, 0, 1, 0);
        glTranslatef(105, 0, 0);
        glRotatef(110, 110, 0, 0);
        glRotatef(33, 0, 0, 1);
        for (const webgl::Matrix& m :
             {webgl::rotation(37.5f, 0, 1, 0), webgl::translation(105, 0, 0),
              webgl::rotation(110, 110, 0, 0), webgl::rotation(33, 0, 0, 1)})
            ours = webgl::multiply(ours, m);
        expectNear(ours, GL_MODELVIEW_MATRIX, "the Earth's frame");
        // A turn and a shift leave normals as the upper 3 x 3 takes them.
        const std::array<float, 9> normals = webgl::normalMatrix(ours);
        for (int i = 0; i < 9; ++i)
            EXPECT_NEAR(normals[i], ours[i / 3 * 4 + i % 3], 1e-5) << "normals";
    }
}

class FirstFrame : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        scene.setupLights();
        glEnable(GL_TEXTURE_2D);
    }

    // The first frame of a new scene, seen from `view`.
    void draw(int view) {
        scene = cScene();
        ASSERT_TRUE(loadSceneImages(scene));
        scene.buildSpheres(lookUpGl);
        scene.setView(view);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        scene.render();
    }

    // Window coordinates of a world point under the camera of `view`.
    Vec project(int view, Vec p) {
        GLdouble model[16], projection[16];
        GLint viewport[4];
        const Vec* camera = kEyes[view >= 1 && view <= 5 ? view : 0];
        glPushMatrix();
        glLoadIdentity();
        gluLookAt(camera[0].x, camera[0].y, camera[0].z, camera[1].x, camera[1].y, camera[1].z, 0,
                  1, 0);
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glPopMatrix();
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        Vec w{};
        gluProject(p.x, p.y, p.z, model, projection, viewport, &w.x, &w.y, &w.z);
        return w;
    }

    // Probes each body where it faces the camera, and for larger discs also
    // toward the light and toward its top and bottom, expecting the lit texture
    // colour: ambient 0.2 plus diffuse 0.8 times the cosine to the light.
    int probeBodies(int view) {
        const Vec eye = kEyes[view >= 1 && view <= 5 ? view : 0][0];
        int probes = 0;
        for (const Body& body : kBodies) {
            const Vec facing = (eye - body.centre).unit();
            // Radius on screen: 579 pixels is the focal length for 480 rows at 45 degrees.
            const double pixels = body.radius / (eye - body.centre).dot(facing) * 579;
            std::vector<Vec> normals = {facing};
            if (pixels > 10) {
                normals.push_back((facing + (body.light - body.centre).unit() * 0.5).unit());
                normals.push_back((facing + Vec{0, 1, 0}).unit());  // 45 degrees up
                normals.push_back((facing + Vec{0, -1, 0}).unit());
            }
            for (Vec n : normals) {
                const Vec point = body.centre + n * body.radius;
                const Vec w = project(view, point);
                if (w.x < 5 || w.x > 635 || w.y < 5 || w.y > 475 || w.z > 1) continue;
                const double lit =
                    std::min(1.0, 0.2 + 0.8 * std::max(0.0, n.dot((body.light - point).unit())));
                Rgb colour{0, 0, 255};
                if (body.name[0] == 'S') colour = {255, 0, 0};
                if (body.name[0] == 'E') {
                    const double up = n.dot(kEarthTop);
                    if (std::abs(up) < 0.3) continue;  // near the texture's middle row
                    colour = up > 0 ? Rgb{0, 255, 0} : Rgb{255, 255, 0};
                }
                const std::string what = "view " + std::to_string(view) + ": " + body.name;
                probe(what.c_str(), w.x, w.y,
                      {int(colour.r * lit + 0.5), int(colour.g * lit + 0.5),
                       int(colour.b * lit + 0.5)},
                      16);
                ++probes;
            }
        }
        return probes;
    }

    void probeSky(int view) {
        const std::string what = "view " + std::to_string(view) + ": sky";
        for (auto [x, y] : {std::pair{5, 5}, {634, 5}, {5, 474}, {634, 474}, {320, 440}})
            probe(what.c_str(), x, y, {0, 0, 0}, 0);
    }

    cScene scene;
};

TEST_F(FirstFrame, DefaultViewShowsAllThreeBodiesAtAngleZero) {
    draw(1);
    // Four probes on the Sun, three on the Earth (the one toward the Sun lies on
    // the texture's middle row), one on the small Moon.
    EXPECT_EQ(probeBodies(1), 4 + 3 + 1);
    probeSky(1);
    // The Sun sits at the middle of the window; the Earth to its right, its top green.
    probe("view 1: Sun in the middle", 320, 240, {255, 0, 0}, 16);
    EXPECT_EQ(scene.getEarthAngle(), 0.05f);  // advanced only after drawing
    EXPECT_EQ(scene.getEarthSpin(), 1.0f);

    // The frame leaves the camera transform on the modelview matrix.
    GLdouble after[16], camera[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    glLoadIdentity();
    gluLookAt(10, 0, 300, 0, 0, -300, 0, 1, 0);
    glGetDoublev(GL_MODELVIEW_MATRIX, camera);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(after[i], camera[i], 1e-9) << i;
}

TEST_F(FirstFrame, EachCameraShowsTheBodiesFromItsPlace) {
    for (int view : {2, 3, 5, 0}) {
        draw(view);
        EXPECT_GE(probeBodies(view), 3) << "view " << view;
        probeSky(view);
    }
}

// From the Sun's centre, culling hides the inside of its sphere, and at angle 0
// the Earth and the Moon are beside the eye, out of sight: a black frame.
TEST_F(FirstFrame, ViewFromInsideTheSunIsBlackAtFirst) {
    draw(4);
    std::vector<unsigned char> frame(640 * 480 * 4);
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    int lit = 0;
    for (std::size_t i = 0; i < frame.size(); i += 4)
        lit += frame[i] || frame[i + 1] || frame[i + 2];
    EXPECT_EQ(lit, 0);
}

}  // namespace

namespace {

// The first frame with the textures in `dir`/img, from `view`; unlit and
// flat-shaded, as after F7 twice, when `lit` is false. The spheres come from
// buffers, or with a null `lookup` from client memory, as on OpenGL 1.1.
std::vector<unsigned char> firstFrame(const std::string& dir, int view, bool lit = true,
                                      GlLookup lookup = lookUpGl) {
    glBindBuffer(GL_ARRAY_BUFFER, 0);  // as a context without buffers has it
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    cScene scene;
    scene.setupLights();
    glEnable(GL_TEXTURE_2D);
    glShadeModel(lit ? GL_SMOOTH : GL_FLAT);
    if (!lit) glDisable(GL_LIGHTING);
    EXPECT_TRUE(loadSceneFrom(scene, dir));
    scene.buildSpheres(lookup);
    return drawFrame(scene, 1, view);
}

// ImageMagick converts each image that loads to 8-bit RGB, transparency on
// black; the program must draw the converted copy and the original alike.
TEST_F(GlTest, EveryUnusualImageThatLoadsDrawsLikeItsPlainRgbCopy) {
    for (const BadInput& input : badInputs()) {
        if (!input.loads) continue;
        SCOPED_TRACE(input.name);
        fixtures::TempDir original, plain;
        installBadInput(input, original.path);
        const std::string source = original.path + "/img/" + input.replaces;
        const std::string copy = plain.path + "/plain.png";
        const std::string convert = "convert '" + source +
                                    "' -background black -alpha remove -alpha off -depth 8 "
                                    "-type TrueColor PNG24:'" +
                                    copy + "'";
        ASSERT_EQ(std::system(convert.c_str()), 0) << convert;
        BadInput converted = input;
        converted.data = fixtures::readFile(copy);
        installBadInput(converted, plain.path);

        const int view = input.replaces == "sun.png" ? 5 : 1;  // the body large on screen
        const std::vector<unsigned char> a = firstFrame(original.path, view);
        const FrameDifference d = compareFrames(a, firstFrame(plain.path, view), 640, 2);
        EXPECT_EQ(d.over, 0) << d.text();
        EXPECT_GT(d.covered, 300) << d.text();
    }
}

const char* gMissing = "";  // the one buffer function lookUpGlMissing does not find
GlFunction lookUpGlMissing(const char* name) {
    return std::strcmp(name, gMissing) == 0 ? nullptr : lookUpGl(name);
}

// Without buffers (OpenGL 1.1), or with any of their functions missing, the
// spheres come from client memory, and every camera's frame is the one the
// buffers give, lit or not.
TEST_F(GlTest, SpheresWithoutBuffersDrawWhatBuffersDraw) {
    for (bool lit : {true, false})
        for (int view = 1; view <= 5; ++view) {
            const auto buffers = firstFrame(VELMORATH_SOURCE_DIR, view, lit);
            for (const char* missing : {"", "glGenBuffers", "glBindBuffer", "glBufferData"}) {
                gMissing = missing;
                const auto client = firstFrame(VELMORATH_SOURCE_DIR, view, lit,
                                               *missing ? lookUpGlMissing : nullptr);
                GLint bound = -1;
                glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
                EXPECT_EQ(bound, 0) << "view " << view << ", without " << missing;
                EXPECT_TRUE(buffers == client)
                    << "view " << view << (lit ? ", lit" : ", unlit") << ", without " << missing;
            }
        }
}

// The first frame drawn the plain way, with a GLU quadric for every sphere.
std::vector<unsigned char> quadricFrame(const std::string& dir, int view) {
    cTexture sun, earth, moon;
    for (auto [texture, name] :
         {std::pair{&earth, "earth.jpg"}, {&sun, "sun.png"}, {&moon, "moon.jpg"}})
        EXPECT_TRUE(texture->load((dir + "/img/" + name).c_str(), GL_RGB, GL_REPEAT, GL_REPEAT,
                                  GL_LINEAR, GL_LINEAR, false));
    auto sphere = [](GLdouble radius) {
        GLUquadric* quadric = gluNewQuadric();
        gluQuadricTexture(quadric, GL_TRUE);
        gluSphere(quadric, radius, 32, 32);
        gluDeleteQuadric(quadric);
    };
    const GLfloat origin[4] = {0, 0, 0, 1};
    const Vec* camera = kEyes[view];
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(camera[0].x, camera[0].y, camera[0].z, camera[1].x, camera[1].y, camera[1].z, 0, 1,
              0);
    glPushMatrix();
    glLightfv(GL_LIGHT0, GL_POSITION, origin);
    glTranslatef(0, 0, -300);
    glBindTexture(GL_TEXTURE_2D, sun.getId());
    sphere(20);
    glLightfv(GL_LIGHT0, GL_POSITION, origin);
    glBindTexture(GL_TEXTURE_2D, earth.getId());
    glTranslatef(105, 0, 0);
    glPushMatrix();
    glRotatef(110, 110, 0, 0);
    sphere(12);
    glPopMatrix();
    glBindTexture(GL_TEXTURE_2D, moon.getId());
    glTranslatef(30, 0, 0);
    sphere(4);
    glPopMatrix();
    std::vector<unsigned char> frame(640 * 480 * 4);
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    return frame;
}

// The spheres built once into buffers draw what GLU's quadrics draw: from every
// camera, lit, and unlit with flat shading. Splitting GLU's quads into triangles
// ourselves may round a channel here and there differently, by one level.
TEST_F(GlTest, SpheresFromBuffersDrawWhatGluQuadricsDraw) {
    for (bool lit : {true, false}) {
        for (int view = 1; view <= 5; ++view) {
            const std::vector<unsigned char> ours = firstFrame(VELMORATH_SOURCE_DIR, view, lit);
            const FrameDifference d =
                compareFrames(ours, quadricFrame(VELMORATH_SOURCE_DIR, view), 640, 0);
            EXPECT_LE(d.largest, 1) << "view " << view << (lit ? ", lit" : ", unlit");
            EXPECT_LT(d.over, 10) << "view " << view << (lit ? ", lit" : ", unlit");
        }
    }
}

}  // namespace
