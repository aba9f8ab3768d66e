// Names that Windows keeps for devices: NUL would read as an empty file and
// CON would wait for typing, so both must be refused unread.
#include "image_refusal.h"

namespace {

TEST_F(ImageRefusal, WindowsDevicesAreNotRegularFiles) {
    expectRefused("NUL", "not a regular file");
    // Windows opens the console and finds it no regular file; Wine without a
    // console fails to stat it. Either way it is refused at once.
    expectRefused("CON", "");
    expectRefused(dir.path + "\\missing.png", "No such file or directory");
}

}  // namespace
