// Files that POSIX systems have and that must be refused unread: a FIFO would
// block an ordinary open, and /dev/zero never ends.
#include <sys/stat.h>
#include <unistd.h>

#include "image_refusal.h"

namespace {

TEST_F(ImageRefusal, PosixFilesThatAreNotRegular) {
    const std::string fifo = dir.path + "/fifo.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    expectRefused(fifo, "not a regular file");
    const std::string zero = dir.path + "/zero.jpg";
    ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
    expectRefused(zero, "not a regular file");
}

}  // namespace
