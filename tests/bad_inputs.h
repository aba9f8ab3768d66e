// Files that stand in for one of the program's three images: broken, hostile,
// unusual and ordinary ones. Each either loads or makes the program exit 255.
#pragma once

#include <string>
#include <vector>

#include "fixtures.h"

struct BadInput {
    enum Kind { kFile, kDirectory, kFifo, kLinkToDevZero };
    std::string name;
    std::string replaces;  // "earth.jpg", "sun.png" or "moon.jpg"
    fixtures::Bytes data;
    Kind kind = kFile;
    bool loads = false;
};

// Every case; the large ones are made once per process.
const std::vector<BadInput>& badInputs();

// Makes `dir`/img hold the program's own images, with the case in place of one.
void installBadInput(const BadInput& input, const std::string& dir);
