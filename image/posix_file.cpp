#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "file.h"

namespace image {
namespace {

// Closes a file descriptor when it goes out of scope.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

bool readFile(const char* path, std::vector<unsigned char>& data, std::string& error) {
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; the file
    // type is checked on the open descriptor, so nothing can swap it in between.
    const FileDescriptor file{::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
    struct stat info {};
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }
    if (!checkFileSize(info.st_size, error)) return false;

    data.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(file.fd, data.data() + got, data.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = std::strerror(errno);
            return false;
        }
        if (n == 0) break;  // the file shrank while being read: decode what is there
        got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    return true;
}

}  // namespace image
