// Reading an image file into memory: the one part of the image layer that each
// platform does its own way (posix_file.cpp, win32_file.cpp; CMake picks one).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace image {

// Reads the regular file at `path` whole. Anything else (a directory, a device,
// a pipe), an empty file and one over kMaxFileBytes are refused unread. On
// failure `error` says why, in the same words on every platform.
bool readFile(const char* path, std::vector<unsigned char>& data, std::string& error);

// What every platform does once it has a regular file open and knows its size:
// refuses an empty file or one over kMaxFileBytes, then reads it through
// `read`, which returns how many bytes it read, 0 at the end, or -1 with errno
// set. A file that shrinks while it is read gives what was there.
using ReadSome = std::function<long long(unsigned char* to, std::size_t most)>;
bool readOpenFile(long long bytes, const ReadSome& read, std::vector<unsigned char>& data,
                  std::string& error);

}  // namespace image
