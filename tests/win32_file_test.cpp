// Names that Windows keeps for devices: NUL would read as an empty file and
// CON would wait for typing, so both must be refused unread.
#include "image_refusal.h"

namespace {

TEST_F(ImageRefusal, WindowsDevicesAreNotRegularFiles) {
    expectRefused("NUL", "not a regular file");
    expectRefused("CON", "");
    expectRefused(dir.path + "\\missing.png", "No such file or directory");
}

}  // namespace
