// Reading an image file on a web page, from the page's in-memory files: the
// single-file page carries its images inside, and the site's page fetches
// them before the program starts. Each read first gives the browser its turn
// (a yield, through Emscripten's Asyncify), so that start-up is a short task
// per image, read and decoded, instead of one long task that freezes the page.
#include <emscripten.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "image/file.h"

namespace image {

bool readFile(const char* path, std::vector<unsigned char>& data, std::string& error) {
    emscripten_sleep(0);
    struct stat info {};
    if (::stat(path, &info) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), std::fclose);
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    const auto read = [&](unsigned char* to, std::size_t most) -> long long {
        const std::size_t n = std::fread(to, 1, most, file.get());
        return n > 0 || !std::ferror(file.get()) ? static_cast<long long>(n) : -1;
    };
    return readOpenFile(info.st_size, read, data, error);
}

}  // namespace image
