#include "bad_inputs.h"

#include <jpeglib.h>
#include <png.h>
#include <sys/stat.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <filesystem>

namespace {

using fixtures::Bytes;

// A 64 x 32 picture of colour bands, so that a wrong row or channel shows.
std::vector<int> band(int x, int y) {
    return {x * 4, y < 16 ? 200 : 40, (x / 8) % 2 ? 255 : 0};
}

Bytes rgb(int width, int height) {
    return fixtures::pixels(width, height, 3, band);
}

// A grey progressive JPEG of 631 scans: each AC coefficient is sent in ten
// successive-approximation steps.
Bytes manyScans() {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = 16;
    cinfo.image_height = 16;
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    std::vector<jpeg_scan_info> scans = {{1, {0}, 0, 0, 0, 0}};
    for (int k = 1; k < 64; ++k)
        for (int al = 9; al >= 0; --al) scans.push_back({1, {0}, k, k, al == 9 ? 0 : al + 1, al});
    cinfo.scan_info = scans.data();
    cinfo.num_scans = static_cast<int>(scans.size());
    jpeg_start_compress(&cinfo, TRUE);
    unsigned char row[16];
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) row[x] = static_cast<unsigned char>(x * 16 + y);
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes file(out, out + size);
    free(out);
    return file;
}

// 16384 x 16384 RGB zeros: about 800 KB that would decode to 768 MB.
Bytes decompressionBomb() {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* bytes = static_cast<Bytes*>(png_get_io_ptr(p));
            bytes->insert(bytes->end(), data, data + n);
        },
        nullptr);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, 16384, 16384, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    Bytes row(16384 * 3, 0);
    for (int y = 0; y < 16384; ++y) png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<BadInput> makeAll() {
    const Bytes png = fixtures::png(64, 32, PNG_COLOR_TYPE_RGB, rgb(64, 32));
    const Bytes jpeg = fixtures::jpeg(64, 32, TJPF_RGB, rgb(64, 32), TJSAMP_420);
    Bytes palette, indices, trns;
    for (int i = 0; i < 8; ++i) {
        for (int c : band(i * 8, i < 4 ? 0 : 20)) palette.push_back(static_cast<unsigned char>(c));
        trns.push_back(i == 3 ? 0 : 255);
    }
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) indices.push_back(static_cast<unsigned char>(x / 8));
    const Bytes grey =
        fixtures::pixels(64, 32, 1, [](int x, int y) { return std::vector<int>{x * 3 + y}; });
    const Bytes rgba = fixtures::pixels(64, 32, 4, [](int x, int y) {
        std::vector<int> c = band(x, y);
        c.push_back(x < 32 || y < 8 ? 255 : 0);  // opaque, or fully transparent
        return c;
    });

    std::vector<BadInput> all = {
        {"zero bytes", "sun.png", {}},
        {"text", "sun.png", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e', '\n'}},
        {"FF D8 FF", "earth.jpg", {0xFF, 0xD8, 0xFF}},
        {"FF D8 FF D9", "earth.jpg", {0xFF, 0xD8, 0xFF, 0xD9}},
        {"truncated JPEG", "earth.jpg", Bytes(jpeg.begin(), jpeg.end() - 40)},
        {"truncated PNG", "sun.png", Bytes(png.begin(), png.begin() + png.size() / 2)},
        {"PNG cut after its header", "sun.png", Bytes(png.begin(), png.begin() + 33)},
        {"PNG with a bad IDAT CRC", "sun.png", fixtures::withBadIdatCrc(png)},
        {"PNG claiming 100000 x 100000", "sun.png", fixtures::withPngSize(png, 100000, 100000)},
        {"PNG decompression bomb", "sun.png", decompressionBomb()},
        {"JPEG claiming 65500 x 65500", "moon.jpg", fixtures::withJpegSize(jpeg, 65500, 65500)},
        {"JPEG of 631 scans", "moon.jpg", manyScans()},
        {"CMYK JPEG", "moon.jpg",
         fixtures::jpeg(16, 16, TJPF_CMYK, Bytes(16 * 16 * 4, 90), TJSAMP_444)},
        {"width 20000", "sun.png", fixtures::solidPng(20000, 2, {9, 99, 199})},
        {"directory", "sun.png", {}, BadInput::kDirectory},
        {"FIFO", "moon.jpg", {}, BadInput::kFifo},
        {"link to /dev/zero", "earth.jpg", {}, BadInput::kLinkToDevZero},
    };
    auto loads = [&](std::string name, std::string replaces, Bytes data) {
        all.push_back(
            {std::move(name), std::move(replaces), std::move(data), BadInput::kFile, true});
    };
    loads("progressive JPEG", "sun.png",
          fixtures::jpeg(64, 32, TJPF_RGB, rgb(64, 32), TJSAMP_444, TJFLAG_PROGRESSIVE));
    loads("grey JPEG", "sun.png", fixtures::jpeg(64, 32, TJPF_GRAY, grey, TJSAMP_GRAY));
    loads("palette PNG", "sun.png",
          fixtures::png(64, 32, PNG_COLOR_TYPE_PALETTE, indices, 8, false, palette));
    loads("palette PNG with tRNS", "sun.png",
          fixtures::png(64, 32, PNG_COLOR_TYPE_PALETTE, indices, 8, false, palette, trns));
    loads("grey PNG", "sun.png", fixtures::png(64, 32, PNG_COLOR_TYPE_GRAY, grey));
    loads("RGBA PNG", "sun.png", fixtures::png(64, 32, PNG_COLOR_TYPE_RGB_ALPHA, rgba));
    loads("16-bit PNG", "sun.png", fixtures::png(64, 32, PNG_COLOR_TYPE_RGB, rgb(64, 32), 16));
    loads("interlaced PNG", "sun.png",
          fixtures::png(64, 32, PNG_COLOR_TYPE_RGB, rgb(64, 32), 8, true));
    loads("interlaced 16-bit PNG", "sun.png",
          fixtures::png(64, 32, PNG_COLOR_TYPE_RGB, rgb(64, 32), 16, true));
    loads("PNG with a tIME of month 13", "sun.png",
          fixtures::withChunk(png, "tIME", {0x07, 0xEA, 13, 1, 0, 0, 0}));
    loads("PNG named .jpg", "earth.jpg", png);
    loads("JPEG named .png", "sun.png", jpeg);
    for (int width : {1, 3, 5, 641})
        loads("width " + std::to_string(width), "sun.png",
              fixtures::png(width, 32, PNG_COLOR_TYPE_RGB, rgb(width, 32)));
    return all;
}

}  // namespace

const std::vector<BadInput>& badInputs() {
    static const std::vector<BadInput> all = makeAll();
    return all;
}

void installBadInput(const BadInput& input, const std::string& dir) {
    namespace fs = std::filesystem;
    fs::create_directories(dir + "/img");
    for (const char* name : {"earth.jpg", "sun.png", "moon.jpg"})
        fs::copy_file(std::string(VELMORATH_SOURCE_DIR) + "/img/" + name, dir + "/img/" + name,
                      fs::copy_options::overwrite_existing);
    const std::string path = dir + "/img/" + input.replaces;
    fs::remove(path);
    switch (input.kind) {
        case BadInput::kFile:
            fixtures::writeFile(path, input.data);
            break;
        case BadInput::kDirectory:
            fs::create_directory(path);
            break;
        case BadInput::kFifo:
            mkfifo(path.c_str(), 0600);
            break;
        case BadInput::kLinkToDevZero:
            fs::create_symlink("/dev/zero", path);
            break;
    }
}
