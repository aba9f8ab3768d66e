#include "fixtures.h"

#include <png.h>
#include <turbojpeg.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fixtures {
namespace {

void append(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

std::size_t findChunk(const Bytes& file, const char* type) {
    for (std::size_t at = 8; at + 8 <= file.size();) {
        const std::size_t length = (std::size_t{file[at]} << 24) | (file[at + 1] << 16) |
                                   (file[at + 2] << 8) | file[at + 3];
        if (std::memcmp(&file[at + 4], type, 4) == 0) return at;
        at += 12 + length;
    }
    throw std::runtime_error(std::string("no chunk ") + type);
}

void putBigEndian(Bytes& file, std::size_t at, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        file[at + i] = static_cast<unsigned char>(value >> (8 * (bytes - 1 - i)));
}

}  // namespace

Bytes png(int width, int height, int colourType, const Bytes& samples, int bitDepth,
          bool interlaced, const Bytes& palette, const Bytes& trns) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng could not write the fixture");
    }
    png_set_write_fn(png, &out, append, nullptr);
    png_set_IHDR(png, info, width, height, bitDepth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(palette.data()),
                     static_cast<int>(palette.size() / 3));
    if (!trns.empty() && colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_tRNS(png, info, trns.data(), static_cast<int>(trns.size()), nullptr);
    } else if (!trns.empty()) {
        const int scale = bitDepth == 16 ? 257 : 1;
        png_color_16 colour{};
        colour.gray = colour.red = static_cast<png_uint_16>(trns[0] * scale);
        if (trns.size() == 3) {
            colour.green = static_cast<png_uint_16>(trns[1] * scale);
            colour.blue = static_cast<png_uint_16>(trns[2] * scale);
        }
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_write_info(png, info);

    const std::size_t rowSamples = samples.size() / height;
    const int bytesPerSample = bitDepth / 8;
    Bytes wide;  // 16-bit samples, big-endian, each 8-bit value repeated
    for (unsigned char s : samples) wide.insert(wide.end(), bytesPerSample, s);
    std::vector<png_bytep> rows;
    for (int y = 0; y < height; ++y) rows.push_back(&wide[y * rowSamples * bytesPerSample]);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes solidPng(int width, int height, Rgb colour, int bitDepth) {
    const std::vector<int> c = {colour.r, colour.g, colour.b};
    return png(width, height, PNG_COLOR_TYPE_RGB,
               pixels(width, height, 3, [&](int, int) { return c; }), bitDepth);
}

Bytes jpeg(int width, int height, int pixelFormat, const Bytes& samples, int subsampling,
           int flags) {
    tjhandle encoder = tjInitCompress();
    unsigned char* data = nullptr;
    unsigned long size = 0;
    const int pitch = width * tjPixelSize[pixelFormat];
    const int status = tjCompress2(encoder, samples.data(), width, pitch, height, pixelFormat,
                                   &data, &size, subsampling, 100, flags);
    Bytes out(data, data + size);
    tjFree(data);
    tjDestroy(encoder);
    if (status != 0) throw std::runtime_error("TurboJPEG could not write the fixture");
    return out;
}

Bytes withPngSize(Bytes file, unsigned width, unsigned height) {
    const std::size_t at = findChunk(file, "IHDR");
    putBigEndian(file, at + 8, width, 4);
    putBigEndian(file, at + 12, height, 4);
    putBigEndian(file, at + 21, static_cast<unsigned>(crc32(0, &file[at + 4], 17)), 4);
    return file;
}

Bytes withJpegSize(Bytes file, unsigned width, unsigned height) {
    for (std::size_t at = 2; at + 9 < file.size(); ++at)
        if (file[at] == 0xFF && (file[at + 1] == 0xC0 || file[at + 1] == 0xC2)) {
            putBigEndian(file, at + 5, height, 2);
            putBigEndian(file, at + 7, width, 2);
            return file;
        }
    throw std::runtime_error("no SOF marker");
}

Bytes withBadIdatCrc(Bytes file) {
    const std::size_t at = findChunk(file, "IDAT");
    const std::size_t length =
        (std::size_t{file[at]} << 24) | (file[at + 1] << 16) | (file[at + 2] << 8) | file[at + 3];
    file[at + 8 + length] ^= 0xFF;
    return file;
}

Bytes withBadIdatData(Bytes file) {
    const std::size_t at = findChunk(file, "IDAT");
    const std::size_t length =
        (std::size_t{file[at]} << 24) | (file[at + 1] << 16) | (file[at + 2] << 8) | file[at + 3];
    file[at + 8] = 0xFF;  // not a zlib stream's first byte
    putBigEndian(file, at + 8 + length,
                 static_cast<unsigned>(crc32(0, &file[at + 4], static_cast<uInt>(length + 4))), 4);
    return file;
}

Bytes withChunk(Bytes file, const std::string& type, const Bytes& data, bool goodCrc) {
    Bytes chunk(4, 0);
    putBigEndian(chunk, 0, static_cast<unsigned>(data.size()), 4);
    chunk.insert(chunk.end(), type.begin(), type.end());
    chunk.insert(chunk.end(), data.begin(), data.end());
    const unsigned crc =
        static_cast<unsigned>(crc32(0, &chunk[4], static_cast<uInt>(data.size() + 4)));
    chunk.resize(chunk.size() + 4);
    putBigEndian(chunk, chunk.size() - 4, goodCrc ? crc : ~crc, 4);
    file.insert(file.begin() + 33, chunk.begin(), chunk.end());  // 8 signature + 25 IHDR
    return file;
}

void writeFile(const std::string& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TempDir::TempDir() {
    namespace fs = std::filesystem;
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("velmorath-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {  // false if it was there already
            path = candidate.string();
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

}  // namespace fixtures
