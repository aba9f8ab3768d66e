// The OpenGL 1.1 and GLU calls that Velmorath makes, on WebGL 2, with OpenGL
// 1.1's fixed-function meaning: matrix stacks, one light (point or
// directional), colour material, specular highlights, smooth and flat shading,
// and textures modulated by the lighting, drawn by one GLSL ES 3.00 program
// that lights each vertex as OpenGL 1.1 does (its section 2.13).
//
// These definitions take the place of Emscripten's own at link time. Calls
// that WebGL 2 has unchanged (glBindTexture, glClear, glViewport, buffers,
// ...) are left to Emscripten; calls defined here that still need WebGL reach
// it through Emscripten's emscripten_gl... names.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <emscripten.h>

#include <array>
#include <cstring>

#include "matrix.h"

extern "C" {
void emscripten_glEnable(GLenum cap);
void emscripten_glDisable(GLenum cap);
GLboolean emscripten_glIsEnabled(GLenum cap);
GLenum emscripten_glGetError();
const GLubyte* emscripten_glGetString(GLenum name);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const void* pixels);
void emscripten_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);
}

namespace {

using webgl::Matrix;
using webgl::Vector;

// Attribute locations of the arrays OpenGL 1.1 calls vertex, normal and
// texture-coordinate arrays.
enum Attribute : GLuint { kPosition, kNormal, kTexCoord };

const char* const kVertexShader = R"(#version 300 es
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texCoord;
uniform mat4 modelview, projection;
uniform mat3 normalMatrix;
uniform bool lighting, light0;
uniform vec4 colour;           // the current colour, used unlit
uniform vec4 sceneColour;      // emission + ambient of the scene and the light; diffuse alpha
uniform vec4 lightPosition;    // eye coordinates; w = 0 for a directional light
uniform vec3 diffuse, specular;  // material × light
uniform float shininess;
out vec4 smoothColour;
flat out vec4 flatColour;
out vec2 uv;

void main() {
    vec4 eye = modelview * vec4(position, 1.0);
    gl_Position = projection * eye;
    uv = texCoord;
    vec4 c = colour;
    if (lighting) {
        c = sceneColour;
        if (light0) {
            // The infinite viewer: the half vector is taken with (0, 0, 1).
            vec3 n = normalMatrix * normal;
            vec3 toLight = normalize(lightPosition.xyz - eye.xyz * lightPosition.w);
            float facing = max(dot(n, toLight), 0.0);
            c.rgb += facing * diffuse;
            if (facing > 0.0) {
                float highlight = max(dot(n, normalize(toLight + vec3(0.0, 0.0, 1.0))), 0.0);
                c.rgb += (shininess == 0.0 ? 1.0 : pow(highlight, shininess)) * specular;
            }
        }
    }
    smoothColour = clamp(c, 0.0, 1.0);
    flatColour = smoothColour;  // a triangle's last vertex gives its flat colour, as in OpenGL
}
)";

const char* const kFragmentShader = R"(#version 300 es
precision highp float;
in vec4 smoothColour;
flat in vec4 flatColour;
in vec2 uv;
uniform bool flatShading, texturing;
uniform sampler2D image;
out vec4 fragment;

void main() {
    vec4 c = flatShading ? flatColour : smoothColour;
    fragment = texturing ? c * texture(image, uv) : c;  // GL_MODULATE
}
)";

// The program's uniforms, by name.
// clang-format off
enum Uniform {
    kModelview, kProjection, kNormalMatrix, kLighting, kLight0, kColour, kSceneColour,
    kLightPosition, kDiffuse, kSpecular, kShininess, kFlatShading, kTexturing, kImage, kUniforms
};
const char* const kUniformNames[kUniforms] = {
    "modelview", "projection", "normalMatrix", "lighting", "light0", "colour", "sceneColour",
    "lightPosition", "diffuse", "specular", "shininess", "flatShading", "texturing", "image"};
// clang-format on

struct Material {
    Vector ambient{0.2f, 0.2f, 0.2f, 1}, diffuse{0.8f, 0.8f, 0.8f, 1}, specular{0, 0, 0, 1},
        emission{0, 0, 0, 1};
    float shininess = 0;
};

struct Light {  // light 0's defaults
    Vector ambient{0, 0, 0, 1}, diffuse{1, 1, 1, 1}, specular{1, 1, 1, 1}, position{0, 0, 1, 0};
};

// A matrix stack of OpenGL's smallest allowed depth, or more.
template <int Depth>
struct Stack {
    std::array<Matrix, Depth> matrices;
    int top = 0;
    Stack() { matrices[0] = webgl::kIdentity; }
};

struct State {
    Stack<32> modelview;
    Stack<4> projection;
    bool selectedProjection = false;
    bool lighting = false, light0 = false, colourMaterial = false, texturing = false;
    bool flatShading = false;
    GLenum colourMaterialFace = GL_FRONT_AND_BACK, colourMaterialMode = GL_AMBIENT_AND_DIFFUSE;
    Vector colour{1, 1, 1, 1}, sceneAmbient{0.2f, 0.2f, 0.2f, 1};
    Material front, back;
    Light light;
    GLenum error = GL_NO_ERROR;  // this layer's own, reported before WebGL's

    GLuint program = 0;
    GLint uniforms[kUniforms];  // their locations in the program
};

GLuint compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// The state, made with the program on first use: at start-up, from the first
// OpenGL call after the window's context exists, never in a frame.
State& state() {
    static State s = [] {
        State made;
        made.program = glCreateProgram();
        const GLuint vertex = compile(GL_VERTEX_SHADER, kVertexShader);
        const GLuint fragment = compile(GL_FRAGMENT_SHADER, kFragmentShader);
        glAttachShader(made.program, vertex);
        glAttachShader(made.program, fragment);
        glLinkProgram(made.program);
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        glUseProgram(made.program);
        for (int u = 0; u < kUniforms; ++u)
            made.uniforms[u] = glGetUniformLocation(made.program, kUniformNames[u]);
        glUniform1i(made.uniforms[kImage], 0);  // texture unit 0
        return made;
    }();
    return s;
}

void fail(GLenum error) {
    if (state().error == GL_NO_ERROR) state().error = error;
}

Matrix& current() {
    State& s = state();
    return s.selectedProjection ? s.projection.matrices[s.projection.top]
                                : s.modelview.matrices[s.modelview.top];
}

void multiplyCurrent(const Matrix& m) {
    current() = webgl::multiply(current(), m);
}

// The capabilities this layer keeps, or null for those WebGL has itself.
bool* capability(GLenum cap) {
    State& s = state();
    switch (cap) {
        case GL_LIGHTING:
            return &s.lighting;
        case GL_LIGHT0:
            return &s.light0;
        case GL_COLOR_MATERIAL:
            return &s.colourMaterial;
        case GL_TEXTURE_2D:
            return &s.texturing;
        default:
            return nullptr;
    }
}

Vector vector(const GLfloat* v) {
    return {v[0], v[1], v[2], v[3]};
}

// Whether glMaterial or glColorMaterial for `face` reaches material `m`.
bool onFace(GLenum face, const Material* m) {
    return face == GL_FRONT_AND_BACK || (face == GL_FRONT) == (m == &state().front);
}

// Sets one of a material's colours, or its shininess; false for a name
// OpenGL's materials do not have.
bool setMaterial(Material& m, GLenum name, const GLfloat* values) {
    switch (name) {
        case GL_AMBIENT:
            m.ambient = vector(values);
            return true;
        case GL_DIFFUSE:
            m.diffuse = vector(values);
            return true;
        case GL_AMBIENT_AND_DIFFUSE:
            m.ambient = m.diffuse = vector(values);
            return true;
        case GL_SPECULAR:
            m.specular = vector(values);
            return true;
        case GL_EMISSION:
            m.emission = vector(values);
            return true;
        case GL_SHININESS:
            m.shininess = values[0];
            return true;
        default:
            return false;
    }
}

// While colour material is on, the chosen material colours follow the current colour.
void trackColour() {
    State& s = state();
    if (!s.colourMaterial) return;
    for (Material* m : {&s.front, &s.back})
        if (onFace(s.colourMaterialFace, m)) setMaterial(*m, s.colourMaterialMode, s.colour.data());
}

// Hands the fixed-function state to the program, folded as far as a frame
// allows: the terms that do not depend on the vertex are summed here.
void prepareDraw() {
    State& s = state();
    const Material& m = s.front;  // back faces are culled, and two-sided lighting is off
    const Matrix& modelview = s.modelview.matrices[s.modelview.top];
    const GLint* at = s.uniforms;
    glUniformMatrix4fv(at[kModelview], 1, GL_FALSE, modelview.data());
    glUniformMatrix4fv(at[kProjection], 1, GL_FALSE,
                       s.projection.matrices[s.projection.top].data());
    glUniformMatrix3fv(at[kNormalMatrix], 1, GL_FALSE, webgl::normalMatrix(modelview).data());
    glUniform1i(at[kLighting], s.lighting);
    glUniform1i(at[kLight0], s.light0);
    glUniform4fv(at[kColour], 1, s.colour.data());
    GLfloat scene[4], diffuse[3], specular[3];
    for (int i = 0; i < 3; ++i) {
        scene[i] = m.emission[i] + m.ambient[i] * s.sceneAmbient[i] +
                   (s.light0 ? m.ambient[i] * s.light.ambient[i] : 0);
        diffuse[i] = m.diffuse[i] * s.light.diffuse[i];
        specular[i] = m.specular[i] * s.light.specular[i];
    }
    scene[3] = m.diffuse[3];
    glUniform4fv(at[kSceneColour], 1, scene);
    glUniform4fv(at[kLightPosition], 1, s.light.position.data());
    glUniform3fv(at[kDiffuse], 1, diffuse);
    glUniform3fv(at[kSpecular], 1, specular);
    glUniform1f(at[kShininess], m.shininess);
    glUniform1i(at[kFlatShading], s.flatShading);
    glUniform1i(at[kTexturing], s.texturing);
}

}  // namespace

extern "C" {

// ---- capabilities and errors ----

void glEnable(GLenum cap) {
    if (bool* kept = capability(cap)) {
        *kept = true;
        trackColour();
    } else {
        emscripten_glEnable(cap);
    }
}

void glDisable(GLenum cap) {
    if (bool* kept = capability(cap))
        *kept = false;
    else
        emscripten_glDisable(cap);
}

GLboolean glIsEnabled(GLenum cap) {
    if (const bool* kept = capability(cap)) return *kept;
    return emscripten_glIsEnabled(cap);
}

// WebGL's own error waits for the GPU to finish all it was asked to do; a
// large texture takes it tens of milliseconds. The page has its turns while
// it works (a fence tells when it is done), so the wait does not freeze it.
// Yielding needs Asyncify on the way from main: the program asks only at
// start-up, as it loads its textures, never in a frame.
GLenum glGetError() {
    const GLenum own = state().error;
    state().error = GL_NO_ERROR;
    if (own != GL_NO_ERROR) return own;
    const GLsync done = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    glFlush();
    while (glClientWaitSync(done, 0, 0) == GL_TIMEOUT_EXPIRED) emscripten_sleep(1);
    glDeleteSync(done);
    return emscripten_glGetError();
}

// The scene draws from buffers from OpenGL 1.5 on, and WebGL 2 can draw only
// from buffers; the other strings are WebGL's.
const GLubyte* glGetString(GLenum name) {
    if (name == GL_VERSION)
        return reinterpret_cast<const GLubyte*>("1.5 (OpenGL 1.1 fixed function on WebGL 2)");
    return emscripten_glGetString(name);
}

// ---- matrices ----

void glMatrixMode(GLenum mode) {
    if (mode == GL_MODELVIEW || mode == GL_PROJECTION)
        state().selectedProjection = mode == GL_PROJECTION;
    else
        fail(GL_INVALID_ENUM);
}

void glLoadIdentity() {
    current() = webgl::kIdentity;
}

void glPushMatrix() {
    State& s = state();
    const auto push = [](auto& stack) {
        if (stack.top + 1 == static_cast<int>(stack.matrices.size()))
            return fail(GL_STACK_OVERFLOW);
        stack.matrices[stack.top + 1] = stack.matrices[stack.top];
        ++stack.top;
    };
    if (s.selectedProjection)
        push(s.projection);
    else
        push(s.modelview);
}

void glPopMatrix() {
    State& s = state();
    int& top = s.selectedProjection ? s.projection.top : s.modelview.top;
    if (top == 0) return fail(GL_STACK_UNDERFLOW);
    --top;
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    multiplyCurrent(webgl::rotation(angle, x, y, z));
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    multiplyCurrent(webgl::translation(x, y, z));
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    multiplyCurrent(webgl::perspective(fovy, aspect, zNear, zFar));
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centreX, GLdouble centreY,
               GLdouble centreZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    multiplyCurrent(
        webgl::lookAt({eyeX, eyeY, eyeZ}, {centreX, centreY, centreZ}, {upX, upY, upZ}));
}

// ---- lighting ----

void glShadeModel(GLenum mode) {
    if (mode == GL_FLAT || mode == GL_SMOOTH)
        state().flatShading = mode == GL_FLAT;
    else
        fail(GL_INVALID_ENUM);
}

void glLightModelfv(GLenum name, const GLfloat* values) {
    if (name == GL_LIGHT_MODEL_AMBIENT)
        state().sceneAmbient = vector(values);
    else
        fail(GL_INVALID_ENUM);  // the local viewer and two-sided lighting are not kept
}

// Light 0's colours, and its position, taken through the modelview matrix of
// the moment. Spotlights and attenuation are not kept.
void glLightfv(GLenum light, GLenum name, const GLfloat* values) {
    State& s = state();
    if (light != GL_LIGHT0) return fail(GL_INVALID_ENUM);
    switch (name) {
        case GL_AMBIENT:
            s.light.ambient = vector(values);
            break;
        case GL_DIFFUSE:
            s.light.diffuse = vector(values);
            break;
        case GL_SPECULAR:
            s.light.specular = vector(values);
            break;
        case GL_POSITION:
            s.light.position =
                webgl::transform(s.modelview.matrices[s.modelview.top], vector(values));
            break;
        default:
            fail(GL_INVALID_ENUM);
    }
}

void glColorMaterial(GLenum face, GLenum mode) {
    if (mode == GL_SHININESS) return fail(GL_INVALID_ENUM);
    state().colourMaterialFace = face;
    state().colourMaterialMode = mode;
    trackColour();
}

void glMaterialfv(GLenum face, GLenum name, const GLfloat* values) {
    State& s = state();
    for (Material* m : {&s.front, &s.back})
        if (onFace(face, m) && !setMaterial(*m, name, values)) return fail(GL_INVALID_ENUM);
}

void glMaterialf(GLenum face, GLenum name, GLfloat value) {
    if (name != GL_SHININESS) return fail(GL_INVALID_ENUM);
    glMaterialfv(face, name, &value);
}

// ---- arrays and drawing ----

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    glVertexAttribPointer(kPosition, size, type, GL_FALSE, stride, pointer);
}

void glNormalPointer(GLenum type, GLsizei stride, const void* pointer) {
    glVertexAttribPointer(kNormal, 3, type, GL_FALSE, stride, pointer);
}

void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    glVertexAttribPointer(kTexCoord, size, type, GL_FALSE, stride, pointer);
}

void glEnableClientState(GLenum array) {
    switch (array) {
        case GL_VERTEX_ARRAY:
            return glEnableVertexAttribArray(kPosition);
        case GL_NORMAL_ARRAY:
            return glEnableVertexAttribArray(kNormal);
        case GL_TEXTURE_COORD_ARRAY:
            return glEnableVertexAttribArray(kTexCoord);
        default:
            fail(GL_INVALID_ENUM);
    }
}

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    prepareDraw();
    emscripten_glDrawElements(mode, count, type, indices);
}

// ---- textures ----

// OpenGL 1.1 takes a channel count as the internal format; WebGL names it.
void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const void* pixels) {
    if (internalFormat == 3) internalFormat = GL_RGB;
    if (internalFormat == 4) internalFormat = GL_RGBA;
    emscripten_glTexImage2D(target, level, internalFormat, width, height, border, format, type,
                            pixels);
}

GLint gluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format,
                        GLenum type, const void* data) {
    glTexImage2D(target, 0, components, width, height, 0, format, type, data);
    glGenerateMipmap(target);
    return 0;
}

const GLubyte* gluErrorString(GLenum error) {
    const char* text = "unknown error";
    switch (error) {
        case GL_NO_ERROR:
            text = "no error";
            break;
        case GL_INVALID_ENUM:
            text = "invalid enumerant";
            break;
        case GL_INVALID_VALUE:
            text = "invalid value";
            break;
        case GL_INVALID_OPERATION:
            text = "invalid operation";
            break;
        case GL_STACK_OVERFLOW:
            text = "stack overflow";
            break;
        case GL_STACK_UNDERFLOW:
            text = "stack underflow";
            break;
        case GL_OUT_OF_MEMORY:
            text = "out of memory";
            break;
    }
    return reinterpret_cast<const GLubyte*>(text);
}

}  // extern "C"
