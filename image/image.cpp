#include "image.h"

#include "file.h"

#include <png.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

namespace image {
namespace {

bool isPng(const unsigned char* data, std::size_t size) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size >= sizeof kSignature && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

// libpng allocates a chunk's buffer from the length the chunk claims, before it
// finds the data missing, so a 50-byte file could cost gigabytes. Every chunk up
// to IEND must lie within the data before libpng sees it.
bool pngChunksFit(const unsigned char* data, std::size_t size) {
    for (std::size_t at = 8; at + 12 <= size;) {
        const std::uint32_t length = (std::uint32_t{data[at]} << 24) | (data[at + 1] << 16) |
                                     (data[at + 2] << 8) | data[at + 3];
        if (length > size - at - 12) return false;
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
        at += 12 + std::size_t{length};
    }
    return false;
}

// A JPEG starts with the SOI marker FF D8, followed by the next marker's FF.
bool isJpeg(const unsigned char* data, std::size_t size) {
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

// Checks the size a header claims, before a single pixel is allocated.
bool checkSize(long long width, long long height, int maxSide, std::string& error) {
    const std::string size = "(" + std::to_string(width) + " x " + std::to_string(height) + ")";
    if (width < 1 || height < 1) {
        error = "bad image size " + size;
        return false;
    }
    if (width > maxSide || height > maxSide || width * height > kMaxPixels) {
        error = "image too large " + size;
        return false;
    }
    return true;
}

void allocate(Image& out, int width, int height, int channels) {
    out.width = width;
    out.height = height;
    out.channels = channels;
    out.stride = paddedStride(width, channels);
    out.pixels.assign(out.stride * static_cast<std::size_t>(height), 0);
}

// Reduces 16-bit linear samples, as libpng reads them with PNG_IMAGE_FLAG_16BIT_sRGB
// (a 2.2 power), back to 8-bit gamma-encoded ones.
unsigned char encode(png_uint_16 linear) {
    static const std::vector<unsigned char> table = [] {
        std::vector<unsigned char> t(65536);
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = static_cast<unsigned char>(std::lround(255 * std::pow(i / 65535.0, 1 / 2.2)));
        return t;
    }();
    return table[linear];
}

// libpng's own reduction of interlaced 16-bit images to 8 bits mixes stale rows
// into the output (libpng issue 853), so 16-bit images are read as 16-bit linear
// light and reduced here. Linear RGB comes composited onto black; linear RGBA
// comes premultiplied, and is divided back out.
bool finishPng16(png_image& png, Image& out, std::string& error) {
    const int channels = out.channels;
    png.format = channels == 4 ? PNG_FORMAT_LINEAR_RGB_ALPHA : PNG_FORMAT_LINEAR_RGB;
    std::vector<png_uint_16> linear(PNG_IMAGE_SIZE(png) / sizeof(png_uint_16));
    if (!png_image_finish_read(&png, nullptr, linear.data(), 0, nullptr)) {
        error = png.message;
        return false;
    }
    const png_uint_16* in = linear.data();
    for (int y = 0; y < out.height; ++y) {
        unsigned char* row = &out.pixels[y * out.stride];
        for (int x = 0; x < out.width; ++x, in += channels) {
            unsigned char* pixel = row + x * channels;
            if (channels == 3) {
                for (int c = 0; c < 3; ++c) pixel[c] = encode(in[c]);
                continue;
            }
            const std::uint32_t alpha = in[3];
            for (int c = 0; c < 3 && alpha > 0; ++c) {
                const std::uint64_t straight = (in[c] * std::uint64_t{65535} + alpha / 2) / alpha;
                pixel[c] =
                    encode(static_cast<png_uint_16>(std::min<std::uint64_t>(straight, 65535)));
            }
            pixel[3] = static_cast<unsigned char>((alpha * 255 + 32767) / 65535);
        }
    }
    return true;
}

bool decodePng(const unsigned char* data, std::size_t size, int channels, int maxSide, Image& out,
               std::string& error) {
    if (!pngChunksFit(data, size)) {
        error = "truncated or corrupt PNG: a chunk runs past the end of the file";
        return false;
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    // Frees libpng's state on every path; freeing an already freed image is harmless.
    std::unique_ptr<png_image, void (*)(png_imagep)> guard(&png, png_image_free);

    // Only libpng's errors fail the load. Its warnings are about metadata it
    // ignores (a bad tIME, gAMA 0, a duplicate pHYs, a bad CRC in an ancillary
    // chunk it skips); the pixels are intact.
    if (!png_image_begin_read_from_memory(&png, data, size)) {
        error = png.message;
        return false;
    }
    if (!checkSize(png.width, png.height, maxSide, error)) return false;

    png.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;  // 16-bit files without gamma data are sRGB
    allocate(out, static_cast<int>(png.width), static_cast<int>(png.height), channels);
    if (png.format & PNG_FORMAT_FLAG_LINEAR) return finishPng16(png, out, error);

    png.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    // Alpha dropped for RGB output is composited onto black, not onto the buffer.
    const png_color black = {0, 0, 0};
    if (!png_image_finish_read(&png, &black, out.pixels.data(), static_cast<png_int_32>(out.stride),
                               nullptr)) {
        error = png.message;
        return false;
    }
    return true;
}

bool decodeJpeg(const unsigned char* data, std::size_t size, int channels, int maxSide, Image& out,
                std::string& error) {
    std::unique_ptr<void, int (*)(tjhandle)> decoder(tjInitDecompress(), tjDestroy);
    if (!decoder) {
        error = tjGetErrorStr2(nullptr);
        return false;
    }
    // The header call can succeed without setting the size (an SOI followed by
    // EOI), so the size starts at 0 and checkSize requires at least 1.
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(decoder.get(), data, size, &width, &height, &subsampling,
                            &colorspace) != 0) {
        error = tjGetErrorStr2(decoder.get());
        return false;
    }
    if (!checkSize(width, height, maxSide, error)) return false;
    if (colorspace == TJCS_CMYK || colorspace == TJCS_YCCK) {
        error = "CMYK JPEG images are not supported";
        return false;
    }

    allocate(out, width, height, channels);
    const int format = channels == 4 ? TJPF_RGBA : TJPF_RGB;
    if (tjDecompress2(decoder.get(), data, size, out.pixels.data(), width,
                      static_cast<int>(out.stride), height, format,
                      TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS) != 0) {
        error = tjGetErrorStr2(decoder.get());
        return false;
    }
    return true;
}

}  // namespace

std::size_t paddedStride(int width, int channels) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(channels) + 3) &
           ~std::size_t{3};
}

bool decode(const unsigned char* data, std::size_t size, int channels, int maxSide, Image& out,
            std::string& error) {
    out = Image{};
    bool ok = false;
    if (channels != 3 && channels != 4) {
        error = "unsupported channel count " + std::to_string(channels);
    } else if (isPng(data, size)) {
        ok = decodePng(data, size, channels, maxSide, out, error);
    } else if (isJpeg(data, size)) {
        ok = decodeJpeg(data, size, channels, maxSide, out, error);
    } else {
        error = "unrecognised format";
    }
    if (!ok) out = Image{};  // never hand out a half-decoded image
    return ok;
}

void shrinkToFit(Image& img, int maxSide) {
    const int width = std::min(img.width, maxSide), height = std::min(img.height, maxSide);
    if (maxSide < 1 || (width == img.width && height == img.height)) return;
    Image out;
    allocate(out, width, height, img.channels);
    // The source pixels [first, last) along one side that make new pixel i of n.
    const auto span = [](int i, int n, int size) {
        return std::pair<int, int>(static_cast<int>(static_cast<long long>(i) * size / n),
                                   static_cast<int>(static_cast<long long>(i + 1) * size / n));
    };
    for (int y = 0; y < height; ++y) {
        const auto [top, bottom] = span(y, height, img.height);
        for (int x = 0; x < width; ++x) {
            const auto [left, right] = span(x, width, img.width);
            const long long count = static_cast<long long>(bottom - top) * (right - left);
            for (int c = 0; c < img.channels; ++c) {
                long long sum = 0;
                for (int sy = top; sy < bottom; ++sy)
                    for (int sx = left; sx < right; ++sx)
                        sum += img.pixels[sy * img.stride + sx * img.channels + c];
                out.pixels[y * out.stride + x * out.channels + c] =
                    static_cast<unsigned char>((sum + count / 2) / count);
            }
        }
    }
    img = std::move(out);
}

bool readOpenFile(long long bytes, const ReadSome& read, std::vector<unsigned char>& data,
                  std::string& error) {
    if (bytes == 0) {
        error = "empty file";
        return false;
    }
    if (static_cast<unsigned long long>(bytes) > kMaxFileBytes) {
        error = "file too large (" + std::to_string(bytes) + " bytes)";
        return false;
    }
    data.resize(static_cast<std::size_t>(bytes));
    std::size_t got = 0;
    while (got < data.size()) {
        const long long n = read(data.data() + got, data.size() - got);
        if (n < 0) {
            error = std::strerror(errno);
            return false;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    return true;
}

bool load(const char* path, int channels, int maxSide, Image& out, std::string& error) {
    out = Image{};
    if (path == nullptr) {
        error = "no file name";
        return false;
    }
    std::vector<unsigned char> data;
    return readFile(path, data, error) &&
           decode(data.data(), data.size(), channels, maxSide, out, error);
}

}  // namespace image
