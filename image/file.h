// Reading an image file into memory: the one part of the image layer that each
// platform does its own way (posix_file.cpp, win32_file.cpp; CMake picks one).
#pragma once

#include <string>
#include <vector>

namespace image {

// Reads the regular file at `path` whole. Anything else (a directory, a device,
// a pipe), an empty file and one over kMaxFileBytes are refused unread. On
// failure `error` says why, in the same words on every platform.
bool readFile(const char* path, std::vector<unsigned char>& data, std::string& error);

// The size checks every platform makes once it knows the file's size.
bool checkFileSize(long long bytes, std::string& error);

}  // namespace image
