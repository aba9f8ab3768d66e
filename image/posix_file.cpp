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
    const auto read = [&](unsigned char* to, std::size_t most) -> long long {
        ssize_t n;
        do n = ::read(file.fd, to, most);
        while (n < 0 && errno == EINTR);
        return n;
    };
    return readOpenFile(info.st_size, read, data, error);
}

}  // namespace image
