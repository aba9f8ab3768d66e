// Decodes PNG and JPEG files into 8-bit pixel rows that OpenGL can take as
// they are. No OpenGL here: the module is tested without a context.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace image {

// Files and images beyond these sizes are refused before any pixel is decoded.
constexpr std::size_t kMaxFileBytes = std::size_t{64} << 20;  // 64 MiB
constexpr long long kMaxPixels = 64LL << 20;                  // 64 Mpixels

// A decoded image. Rows go top row first, each padded to a multiple of 4 bytes,
// which is OpenGL's default unpack alignment: any width uploads correctly.
struct Image {
    int width = 0;
    int height = 0;
    int channels = 0;        // 3 (RGB) or 4 (RGBA)
    std::size_t stride = 0;  // bytes from one row to the next
    std::vector<unsigned char> pixels;
};

// Bytes per row for a width and channel count, rounded up to a multiple of 4.
std::size_t paddedStride(int width, int channels);

// Decodes PNG or JPEG data, recognised by its first bytes, into `channels`
// (3 or 4) channels per pixel. Alpha is composited onto black when 3 channels
// are asked for. Images wider or taller than `maxSide`, or with more than
// kMaxPixels pixels, are refused. On failure `error` says why.
bool decode(const unsigned char* data, std::size_t size, int channels, int maxSide, Image& out,
            std::string& error);

// Shrinks an image with a side over `maxSide` to fit, each side on its own, by
// averaging the pixels that fall into each new one.
void shrinkToFit(Image& img, int maxSide);

// Reads a regular file of at most kMaxFileBytes into memory and decodes it.
bool load(const char* path, int channels, int maxSide, Image& out, std::string& error);

}  // namespace image
