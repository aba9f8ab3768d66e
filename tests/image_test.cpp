// The image layer on its own: formats, colour types, row padding, and the
// files and data it must refuse quickly and with a reason.
#include "image/image.h"

#include <gtest/gtest.h>
#include <png.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "fixtures.h"
#include "image/file.h"
#include "image_refusal.h"

using fixtures::Bytes;

namespace {

using Colour = std::vector<int>;

// A 4 x 2 picture: top row red, green, blue, grey 128; bottom row black,
// white, yellow, dark cyan.
const Colour kPicture[2][4] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {128, 128, 128}},
                               {{0, 0, 0}, {255, 255, 255}, {255, 255, 0}, {0, 90, 90}}};

Colour at(const image::Image& img, int x, int y) {
    const unsigned char* p = &img.pixels[y * img.stride + x * img.channels];
    return Colour(p, p + img.channels);
}

image::Image decodeOk(const Bytes& file, int channels = 3) {
    image::Image img;
    std::string error;
    EXPECT_TRUE(image::decode(file.data(), file.size(), channels, kNoLimit, img, error)) << error;
    return img;
}

// Every pixel of the 4 x 2 picture, in place and top row first.
void expectPicture(const image::Image& img) {
    ASSERT_EQ(img.width, 4);
    ASSERT_EQ(img.height, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(at(img, x, y), kPicture[y][x]) << x << "," << y;
}

Bytes pictureSamples(int channels) {
    return fixtures::pixels(4, 2, channels, [channels](int x, int y) {
        Colour c = kPicture[y][x];
        return channels == 1 ? Colour{c[0]} : c;
    });
}

TEST(ImageDecode, PngColourTypesAllGiveTheSameRgb) {
    expectPicture(decodeOk(fixtures::png(4, 2, PNG_COLOR_TYPE_RGB, pictureSamples(3))));
    // 16-bit samples without gamma data are read as sRGB, so 128 stays 128.
    expectPicture(decodeOk(fixtures::png(4, 2, PNG_COLOR_TYPE_RGB, pictureSamples(3), 16)));
    expectPicture(decodeOk(fixtures::png(4, 2, PNG_COLOR_TYPE_RGB, pictureSamples(3), 8, true)));

    Bytes palette, indices;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            for (int c : kPicture[y][x]) palette.push_back(static_cast<unsigned char>(c));
            indices.push_back(static_cast<unsigned char>(y * 4 + x));
        }
    expectPicture(
        decodeOk(fixtures::png(4, 2, PNG_COLOR_TYPE_PALETTE, indices, 8, false, palette)));

    // Opaque alpha changes nothing.
    Bytes rgba = fixtures::pixels(4, 2, 4, [](int x, int y) {
        Colour c = kPicture[y][x];
        c.push_back(255);
        return c;
    });
    expectPicture(decodeOk(fixtures::png(4, 2, PNG_COLOR_TYPE_RGB_ALPHA, rgba)));
}

TEST(ImageDecode, GreyPngGivesEqualChannels) {
    const Bytes grey = {0, 50, 128, 255, 255, 128, 50, 0};
    const image::Image img = decodeOk(fixtures::png(4, 2, PNG_COLOR_TYPE_GRAY, grey));
    ASSERT_EQ(img.width, 4);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(at(img, i % 4, i / 4), Colour(3, grey[i])) << i;
}

TEST(ImageDecode, TransparencyIsCompositedOntoBlackForRgbAndKeptForRgba) {
    // Pixel 0 opaque red, pixel 1 fully transparent white.
    const Bytes rgba = {255, 0, 0, 255, 255, 255, 255, 0};
    const Bytes file = fixtures::png(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, rgba);
    const image::Image rgb = decodeOk(file, 3);
    EXPECT_EQ(at(rgb, 0, 0), (Colour{255, 0, 0}));
    EXPECT_EQ(at(rgb, 1, 0), (Colour{0, 0, 0}));
    const image::Image kept = decodeOk(file, 4);
    EXPECT_EQ(kept.stride, 8u);
    EXPECT_EQ(at(kept, 0, 0), (Colour{255, 0, 0, 255}));
    EXPECT_EQ(at(kept, 1, 0)[3], 0);

    const Bytes grey = fixtures::png(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, {200, 255, 200, 0});
    EXPECT_EQ(at(decodeOk(grey), 0, 0), (Colour{200, 200, 200}));
    EXPECT_EQ(at(decodeOk(grey), 1, 0), (Colour{0, 0, 0}));

    const Bytes palette = {0, 0, 255, 255, 255, 0};
    const Bytes trns = {255, 0};  // entry 1 is transparent
    const Bytes paletted =
        fixtures::png(2, 1, PNG_COLOR_TYPE_PALETTE, {0, 1}, 8, false, palette, trns);
    EXPECT_EQ(at(decodeOk(paletted), 0, 0), (Colour{0, 0, 255}));
    EXPECT_EQ(at(decodeOk(paletted), 1, 0), (Colour{0, 0, 0}));
}

// libpng's own reduction of 16-bit images to 8 bits mixes stale rows into
// interlaced ones. Interlaced or not, each kind must decode to the same pixels,
// and an opaque pixel to its 8-bit samples; a tRNS colour comes out clear.
TEST(ImageDecode, SixteenBitPngsDecodeTheSameInterlacedOrNot) {
    struct Kind {
        const char* name;
        int colourType, samples;
        Bytes trns;
    };
    const Kind kinds[] = {{"grey", PNG_COLOR_TYPE_GRAY, 1, {}},
                          {"grey+alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 2, {}},
                          {"RGB", PNG_COLOR_TYPE_RGB, 3, {}},
                          {"RGBA", PNG_COLOR_TYPE_RGB_ALPHA, 4, {}},
                          {"grey with tRNS", PNG_COLOR_TYPE_GRAY, 1, {40}},
                          {"RGB with tRNS", PNG_COLOR_TYPE_RGB, 3, {40, 80, 0}}};
    // A gradient with no blue; alpha falls from opaque at x = 0 to 7 at x = 31.
    auto colour = [](int x, int y) { return Colour{8 * x, 8 * y, 0}; };
    for (const Kind& kind : kinds) {
        const bool grey = kind.samples < 3, alpha = kind.samples % 2 == 0;
        const Bytes samples = fixtures::pixels(32, 32, kind.samples, [&](int x, int y) {
            Colour c = grey ? Colour{4 * x + 4 * y} : colour(x, y);
            if (alpha) c.push_back(255 - 8 * x);
            return c;
        });
        for (int channels : {3, 4}) {
            SCOPED_TRACE(std::string(kind.name) + ", " + std::to_string(channels) + " channels");
            const image::Image plain =
                decodeOk(fixtures::png(32, 32, kind.colourType, samples, 16, false, {}, kind.trns),
                         channels);
            const image::Image interlaced = decodeOk(
                fixtures::png(32, 32, kind.colourType, samples, 16, true, {}, kind.trns), channels);
            ASSERT_EQ(plain.pixels.size(), interlaced.pixels.size());
            int differing = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x) {
                    const Colour got = at(interlaced, x, y);
                    if (got != at(plain, x, y) && ++differing <= 3)
                        ADD_FAILURE() << "pixel " << x << "," << y << " differs";
                    const Colour want = grey ? Colour(3, 4 * x + 4 * y) : colour(x, y);
                    const bool clear =
                        !kind.trns.empty() && (grey ? 4 * x + 4 * y == 40 : x == 5 && y == 10);
                    if (clear) {
                        EXPECT_EQ(got[channels == 4 ? 3 : 0], 0) << x << "," << y;
                    } else if (!alpha || x == 0) {
                        for (int c = 0; c < 3; ++c)
                            EXPECT_NEAR(got[c], want[c], 1) << x << "," << y;
                    }
                }
            EXPECT_EQ(differing, 0);
        }
    }
}

// Warnings about metadata libpng ignores do not fail a PNG; errors in its
// image data still do, on every decode path: 8- and 16-bit, 3 and 4 channels.
TEST(ImageDecode, PngMetadataWarningsPassAndImageDataErrorsFail) {
    const Bytes pHYs = {0, 0, 11, 19, 0, 0, 11, 19, 1};
    for (int bitDepth : {8, 16}) {
        const Bytes good = fixtures::solidPng(8, 8, {30, 60, 90}, bitDepth);
        const struct {
            const char* name;
            Bytes file;
            bool loads;
        } cases[] = {
            {"tEXt with a bad CRC", fixtures::withChunk(good, "tEXt", {'C', 0, 'h', 'i'}, false),
             true},
            {"gAMA 0", fixtures::withChunk(good, "gAMA", {0, 0, 0, 0}), true},
            {"tIME month 13", fixtures::withChunk(good, "tIME", {0x07, 0xEA, 13, 1, 0, 0, 0}),
             true},
            {"pHYs twice",
             fixtures::withChunk(fixtures::withChunk(good, "pHYs", pHYs), "pHYs", pHYs), true},
            {"IDAT with a bad CRC", fixtures::withBadIdatCrc(good), false},
            {"IDAT data zlib refuses", fixtures::withBadIdatData(good), false},
        };
        for (const auto& c : cases)
            for (int channels : {3, 4}) {
                SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(bitDepth) + "-bit, " +
                             std::to_string(channels) + " channels");
                image::Image img;
                std::string error;
                EXPECT_EQ(
                    image::decode(c.file.data(), c.file.size(), channels, kNoLimit, img, error),
                    c.loads)
                    << error;
                if (!c.loads) continue;
                for (int i = 0; i < 3; ++i) EXPECT_NEAR(at(img, 7, 7)[i], 30 * (i + 1), 1);
            }
    }
}

// An image too large for OpenGL shrinks, each side on its own, to averages of
// the pixels it covered; one that fits stays as it is.
TEST(ImageDecode, ShrinkToFitAveragesThePixelsEachNewOneCovers) {
    image::Image img = decodeOk(fixtures::png(4, 2, PNG_COLOR_TYPE_RGB, pictureSamples(3)));
    // Four columns into three: the last new pixel takes the remainder, blue and grey.
    image::Image uneven = img;
    image::shrinkToFit(uneven, 3);
    ASSERT_EQ(uneven.width, 3);
    EXPECT_EQ(at(uneven, 2, 0), (Colour{64, 64, 192}));
    image::shrinkToFit(img, 4);
    expectPicture(img);
    image::shrinkToFit(img, 2);
    ASSERT_EQ(img.width, 2);
    ASSERT_EQ(img.height, 2);
    EXPECT_EQ(img.stride, 8u);
    EXPECT_EQ(at(img, 0, 0), (Colour{128, 128, 0}));   // red and green
    EXPECT_EQ(at(img, 1, 0), (Colour{64, 64, 192}));   // blue and grey 128
    EXPECT_EQ(at(img, 1, 1), (Colour{128, 173, 45}));  // yellow and dark cyan
    image::shrinkToFit(img, 1);
    EXPECT_EQ(at(img, 0, 0), (Colour{112, 123, 91}));  // all eight
}

// JPEG is lossy: blocks of one colour, 8 pixels square, come back within a few levels.
TEST(ImageDecode, JpegKindsGiveTheRightColoursTopRowFirst) {
    const Colour quadrants[2][2] = {{{255, 0, 0}, {0, 255, 0}}, {{0, 0, 255}, {255, 255, 255}}};
    const Bytes samples =
        fixtures::pixels(16, 16, 3, [&](int x, int y) { return quadrants[y / 8][x / 8]; });
    for (int flags : {0, TJFLAG_PROGRESSIVE}) {
        const image::Image img =
            decodeOk(fixtures::jpeg(16, 16, TJPF_RGB, samples, TJSAMP_444, flags));
        ASSERT_EQ(img.width, 16);
        ASSERT_EQ(img.height, 16);
        for (int qy = 0; qy < 2; ++qy)
            for (int qx = 0; qx < 2; ++qx) {
                const Colour got = at(img, qx * 8 + 4, qy * 8 + 4);
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(got[c], quadrants[qy][qx][c], 3)
                        << "flags " << flags << " " << qx << qy;
            }
    }

    const Bytes grey =
        fixtures::pixels(8, 16, 1, [](int, int y) { return Colour{y < 8 ? 30 : 220}; });
    const image::Image img = decodeOk(fixtures::jpeg(8, 16, TJPF_GRAY, grey, TJSAMP_GRAY));
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(at(img, 4, 4)[c], 30, 3);
        EXPECT_NEAR(at(img, 4, 12)[c], 220, 3);
    }
}

// Rows are padded to 4 bytes with zeros, and every pixel is where it belongs.
TEST(ImageDecode, OddWidthsArePaddedToFourBytes) {
    auto colourAt = [](int x, int y) { return Colour{x % 256, (y * 40) % 256, (x * 3 + y) % 256}; };
    for (int width : {1, 3, 5, 641}) {
        const image::Image img = decodeOk(
            fixtures::png(width, 3, PNG_COLOR_TYPE_RGB, fixtures::pixels(width, 3, 3, colourAt)));
        ASSERT_EQ(img.width, width);
        EXPECT_EQ(img.stride % 4, 0u);
        EXPECT_EQ(img.stride, (width * 3 + 3) / 4 * 4u);
        ASSERT_EQ(img.pixels.size(), img.stride * 3);
        for (int y = 0; y < 3; ++y) {
            for (int x : {0, width / 2, width - 1})
                EXPECT_EQ(at(img, x, y), colourAt(x, y))
                    << "width " << width << " at " << x << "," << y;
            for (std::size_t pad = width * 3; pad < img.stride; ++pad)
                EXPECT_EQ(img.pixels[y * img.stride + pad], 0) << "width " << width;
        }

        const Bytes flat = fixtures::pixels(width, 8, 3, [](int, int) {
            return Colour{10, 200, 90};
        });
        const image::Image jpeg = decodeOk(fixtures::jpeg(width, 8, TJPF_RGB, flat, TJSAMP_444));
        ASSERT_EQ(jpeg.width, width);
        EXPECT_EQ(jpeg.stride, img.stride);
        EXPECT_NEAR(at(jpeg, width - 1, 7)[1], 200, 3) << "width " << width;
    }
}

TEST_F(ImageRefusal, FilesThatAreNotImages) {
    expectRefused(dir.path + "/missing.png", "No such file or directory");
    expectRefused(file("empty.png", {}), "empty file");
    expectRefused(file("text.jpg", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}), "unrecognised format");
    expectRefused(dir.path, "not a regular file");
    // Refused by its size alone; the sparse file costs no disk space.
    const std::string big = file("big.png", goodPng);
    std::filesystem::resize_file(big, image::kMaxFileBytes + 1);
    expectRefused(big, "file too large (67108865 bytes)");
}

TEST_F(ImageRefusal, BrokenPngAndJpegData) {
    expectRefused(file("half.png", Bytes(goodPng.begin(), goodPng.begin() + goodPng.size() / 2)),
                  "");
    expectRefused(file("header.png", Bytes(goodPng.begin(), goodPng.begin() + 33)), "");
    expectRefused(file("crc.png", fixtures::withBadIdatCrc(goodPng)), "");
    // A chunk claiming 1.6 GB in a 46-byte file: refused before libpng allocates for it.
    Bytes claim(goodPng.begin(), goodPng.begin() + 33);
    for (unsigned char c : Bytes{0x61, 0x63, 0x54, 0x4C, 'i', 'T', 'X', 't', 'I', 'D', 'A', 'T'})
        claim.push_back(c);
    expectRefused(file("claim.png", claim), "a chunk runs past the end");
    expectRefused(file("half.jpg", Bytes(goodJpeg.begin(), goodJpeg.begin() + goodJpeg.size() / 2)),
                  "");
    expectRefused(file("cut.jpg", Bytes(goodJpeg.begin(), goodJpeg.end() - 40)), "Premature end");
    expectRefused(file("soi.jpg", {0xFF, 0xD8, 0xFF}), "");
    expectRefused(file("soi-eoi.jpg", {0xFF, 0xD8, 0xFF, 0xD9}), "");
    const Bytes cmyk(16 * 16 * 4, 100);
    expectRefused(file("cmyk.jpg", fixtures::jpeg(16, 16, TJPF_CMYK, cmyk, TJSAMP_444)), "CMYK");
}

TEST_F(ImageRefusal, OversizedImagesBeforeDecoding) {
    expectRefused(file("huge.png", fixtures::withPngSize(goodPng, 100000, 100000)),
                  "image too large (100000 x 100000)");
    expectRefused(file("huge.jpg", fixtures::withJpegSize(goodJpeg, 65500, 65500)),
                  "image too large (65500 x 65500)");
    // Within any side limit, but over the pixel cap.
    expectRefused(file("bomb.png", fixtures::withPngSize(goodPng, 16384, 16384)),
                  "image too large (16384 x 16384)");
    expectRefused(file("wide.png", goodPng), "image too large (64 x 64)", 32);
    expectRefused(file("wide.jpg", goodJpeg), "image too large (64 x 64)", 63);
    expectRefused(file("over.png", fixtures::withPngSize(goodPng, 8193, 8192)), "image too large");
    // At the caps themselves the size is no reason to refuse: these fail for their data.
    expectRefused(file("side.png", fixtures::withPngSize(goodPng, 64, 65)), "Not enough image data",
                  65);
    expectRefused(file("cap.png", fixtures::withPngSize(goodPng, 8192, 8192)),
                  "Not enough image data");
}

// The read loop every platform shares: a file that shrinks while it is read
// gives what was there, a failing read fails, and the size cap holds to the byte.
TEST(ImageFile, ReadingStopsAtTheEndAndAtAnError) {
    const struct {
        long long bytes;
        std::vector<long long> reads;  // what each read returns; -1 fails with EIO
        std::size_t got;
        std::string error;
    } cases[] = {{100, {10, 0}, 10, ""},
                 {20, {15, 5}, 20, ""},
                 {100, {10, -1}, 0, std::strerror(EIO)},
                 {image::kMaxFileBytes, {0}, 0, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        std::size_t call = 0;
        const auto read = [&](unsigned char* to, std::size_t most) -> long long {
            if (call == c.reads.size()) ADD_FAILURE() << "read again after the end or an error";
            const long long n = call < c.reads.size() ? c.reads[call++] : -1;
            errno = EIO;
            std::fill_n(to, std::min<long long>(std::max(n, 0LL), most), 7);
            return n;
        };
        std::vector<unsigned char> data;
        std::string error;
        EXPECT_EQ(image::readOpenFile(c.bytes, read, data, error), c.error.empty()) << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        if (c.error.empty()) {
            EXPECT_EQ(data, std::vector<unsigned char>(c.got, 7));
        }
    }
}

}  // namespace
