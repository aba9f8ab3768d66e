// Small images made in memory for the tests, with libpng and TurboJPEG, plus
// file helpers. Nothing here touches OpenGL.
#pragma once

#include <string>
#include <vector>

namespace fixtures {

using Bytes = std::vector<unsigned char>;

struct Rgb {
    int r, g, b;
};

// Packed rows (no padding) of `channels` bytes per pixel, where pixel (x, y) of
// the picture has colour colourAt(x, y), y = 0 being the top row.
template <typename F>
Bytes pixels(int width, int height, int channels, F colourAt) {
    Bytes out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::vector<int> c = colourAt(x, y);
            for (int i = 0; i < channels; ++i) out.push_back(static_cast<unsigned char>(c[i]));
        }
    return out;
}

// A PNG through libpng's full writer: any colour type, bit depth 8 or 16 (the
// 16-bit samples are the 8-bit ones repeated), optional Adam7 interlacing. For
// palette images `samples` holds indices and `palette` RGB triples; `trns`
// holds the palette's alpha values, or for grey and RGB images the 8-bit
// samples of the one transparent colour.
Bytes png(int width, int height, int colourType, const Bytes& samples, int bitDepth = 8,
          bool interlaced = false, const Bytes& palette = {}, const Bytes& trns = {});

// An RGB PNG of one colour, 8 or 16 bits deep.
Bytes solidPng(int width, int height, Rgb colour, int bitDepth = 8);

// A JPEG from TurboJPEG; `pixelFormat` is a TJPF_ value, `flags` TJFLAG_ values.
Bytes jpeg(int width, int height, int pixelFormat, const Bytes& samples, int subsampling,
           int flags = 0);

// The same PNG or JPEG claiming another size in its header (IHDR CRC redone).
Bytes withPngSize(Bytes file, unsigned width, unsigned height);
Bytes withJpegSize(Bytes file, unsigned width, unsigned height);
// A PNG whose first IDAT chunk has a wrong CRC.
Bytes withBadIdatCrc(Bytes file);
// A PNG whose first IDAT chunk holds data zlib refuses, under a correct CRC.
Bytes withBadIdatData(Bytes file);
// A PNG with a chunk added right after IHDR, its CRC correct or not.
Bytes withChunk(Bytes file, const std::string& type, const Bytes& data, bool goodCrc = true);

void writeFile(const std::string& path, const Bytes& data);
Bytes readFile(const std::string& path);

// A new empty directory under the system's temporary directory, removed with
// everything in it when the object goes.
struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string path;
};

}  // namespace fixtures
