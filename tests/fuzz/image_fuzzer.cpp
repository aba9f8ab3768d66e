// libFuzzer target for the image layer: any bytes must decode or fail cleanly,
// and a decoded image must be exactly what the texture upload will read.
#include <cstdint>
#include <cstdlib>

#include "image/image.h"

// Small enough that the fuzzer spends its time decoding, not zeroing buffers;
// the size limits themselves are unit-tested.
constexpr int kMaxSide = 1024;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (int channels : {3, 4}) {
        image::Image img;
        std::string error;
        const bool ok = image::decode(data, size, channels, kMaxSide, img, error);
        const bool consistent =
            ok ? img.width >= 1 && img.height >= 1 && img.width <= kMaxSide &&
                     img.height <= kMaxSide && img.channels == channels && img.stride % 4 == 0 &&
                     img.stride >= static_cast<std::size_t>(img.width) * channels &&
                     img.pixels.size() == img.stride * img.height
               : !error.empty() && img.pixels.empty() && img.width == 0;
        if (!consistent) std::abort();
    }
    return 0;
}
