#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "file.h"

namespace image {
namespace {

// Closes a C runtime file descriptor when it goes out of scope.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) _close(fd);
    }
};

}  // namespace

bool readFile(const char* path, std::vector<unsigned char>& data, std::string& error) {
    // Windows will not open a directory at all ("Permission denied"); name it
    // as POSIX systems do.
    struct _stat64 info {};
    if (_stat64(path, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFDIR) {
        error = "not a regular file";
        return false;
    }
    // Binary mode: text mode would turn CR LF into LF inside the image data.
    const FileDescriptor file{_open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT)};
    if (file.fd < 0 || _fstat64(file.fd, &info) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if ((info.st_mode & _S_IFMT) != _S_IFREG) {  // a device such as NUL or CON, or a pipe
        error = "not a regular file";
        return false;
    }
    if (!checkFileSize(info.st_size, error)) return false;

    data.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (got < data.size()) {
        const unsigned chunk =
            static_cast<unsigned>(std::min<std::size_t>(data.size() - got, INT_MAX));
        const int n = _read(file.fd, data.data() + got, chunk);
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
