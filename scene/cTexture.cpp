#include "cTexture.h"

#include <GL/glu.h>

#include "image/image.h"

bool cTexture::load(const char* path, GLenum format, GLint wrapS, GLint wrapT, GLint magFilter,
                    GLint minFilter, bool mipmaps, std::string* failure) {
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);

    // The file is decoded before the format is examined. Rows come padded to
    // 4 bytes, which the default unpack alignment reads correctly at any width.
    const int channels = format == GL_RGBA ? 4 : 3;
    image::Image picture;
    std::string error;
    if (!image::load(path, channels, maxSide, picture, error)) {
        if (failure) *failure = error;
        return false;
    }
    if (format != GL_RGB && format != GL_RGBA) {
        if (failure) *failure = "unsupported pixel format";
        return false;
    }

    width = picture.width;
    height = picture.height;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    if (mipmaps) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, channels, width, height, format, GL_UNSIGNED_BYTE,
                          picture.pixels.data());
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, channels, width, height, 0, format, GL_UNSIGNED_BYTE,
                     picture.pixels.data());
    }
    return true;  // the decoded pixels are released here, once OpenGL has its copy
}
