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
    const auto read = [&](unsigned char* to, std::size_t most) -> long long {
        return _read(file.fd, to, static_cast<unsigned>(std::min<std::size_t>(most, INT_MAX)));
    };
    return readOpenFile(info.st_size, read, data, error);
}

}  // namespace image
