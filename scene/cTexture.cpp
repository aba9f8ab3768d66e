#include "cTexture.h"

#include <GL/glu.h>

#include <algorithm>

#include "image/image.h"

namespace {

// Windows' own OpenGL 1.1 renderer takes textures of at most 1024 pixels a
// side; images up to this size still load there, shrunk.
constexpr int kShrinkableSide = 8192;

std::string errorName(GLenum error) {
    switch (error) {
        case GL_INVALID_ENUM:
            return "GL_INVALID_ENUM";
        case GL_INVALID_VALUE:
            return "GL_INVALID_VALUE";
        case GL_INVALID_OPERATION:
            return "GL_INVALID_OPERATION";
        case GL_OUT_OF_MEMORY:
            return "GL_OUT_OF_MEMORY";
        default: {  // a GLU error from gluBuild2DMipmaps, or one OpenGL 1.1 does not name
            const GLubyte* text = gluErrorString(error);
            return text ? reinterpret_cast<const char*>(text) : "error " + std::to_string(error);
        }
    }
}

}  // namespace

bool cTexture::load(const char* path, GLenum format, GLint wrapS, GLint wrapT, GLint magFilter,
                    GLint minFilter, bool mipmaps, std::string* failure) {
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);

    // The file is decoded before the format is examined. Rows come padded to
    // 4 bytes, which the default unpack alignment reads correctly at any width.
    // Images larger than OpenGL takes, up to kShrinkableSide, are shrunk to fit.
    const int channels = format == GL_RGBA ? 4 : 3;
    image::Image picture;
    std::string error;
    if (!image::load(path, channels, std::max<int>(maxSide, kShrinkableSide), picture, error)) {
        if (failure) *failure = error;
        return false;
    }
    if (format != GL_RGB && format != GL_RGBA) {
        if (failure) *failure = "unsupported pixel format";
        return false;
    }

    width = picture.width;  // the image's own size, whatever the texture's
    height = picture.height;
    image::shrinkToFit(picture, maxSide);
    // Errors left by earlier calls are not this texture's. OpenGL keeps at most
    // one per kind, so a few reads clear them all.
    for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
    }
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    GLenum refusal = GL_NO_ERROR;
    if (mipmaps) {
        refusal = gluBuild2DMipmaps(GL_TEXTURE_2D, channels, picture.width, picture.height, format,
                                    GL_UNSIGNED_BYTE, picture.pixels.data());
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, channels, picture.width, picture.height, 0, format,
                     GL_UNSIGNED_BYTE, picture.pixels.data());
    }
    if (refusal == GL_NO_ERROR) refusal = glGetError();
    if (refusal != GL_NO_ERROR) {
        // A texture OpenGL did not take (out of memory, say) would draw white.
        glDeleteTextures(1, &id);
        id = 0;
        width = height = 0;
        if (failure) *failure = "OpenGL refused the texture (" + errorName(refusal) + ")";
        return false;
    }
    return true;  // the decoded pixels are released here, once OpenGL has its copy
}
