// One image file turned into one OpenGL 2D texture.
#pragma once

#include <GL/gl.h>

#include <string>

class cTexture {
  public:
    // Decodes the image at `path` and uploads it as a new texture, which stays
    // bound to GL_TEXTURE_2D. `format` is GL_RGB or GL_RGBA; the wrap and filter
    // values go to glTexParameteri unchanged. Needs a current OpenGL context.
    // On failure, including an upload that OpenGL refuses, returns false, leaves
    // no texture behind and, when `failure` is given, stores the reason in it.
    bool load(const char* path, GLenum format, GLint wrapS, GLint wrapT, GLint magFilter,
              GLint minFilter, bool mipmaps, std::string* failure = nullptr);

    GLuint getId() const { return id; }
    GLint getWidth() const { return width; }
    GLint getHeight() const { return height; }

  private:
    // The texture name is never deleted: it lives as long as the process.
    GLuint id = 0;
    GLint width = 0;
    GLint height = 0;
};
