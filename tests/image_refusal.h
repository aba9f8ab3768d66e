// Files the image layer must refuse: each fails with a reason, leaves no
// image behind, and returns at once (a hang or a huge allocation here would
// stall or kill the test).
#pragma once

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <string>

#include "fixtures.h"
#include "image/image.h"

constexpr int kNoLimit = 1 << 20;

class ImageRefusal : public ::testing::Test {
  protected:
    void expectRefused(const std::string& path, const std::string& reason, int maxSide = kNoLimit) {
        for (int channels : {3, 4}) {  // RGB and RGBA decode along different paths
            image::Image img;
            img.width = 7;
            std::string error;
            EXPECT_FALSE(image::load(path.c_str(), channels, maxSide, img, error)) << path;
            EXPECT_FALSE(error.empty()) << path;
            EXPECT_NE(error.find(reason), std::string::npos) << path << ": '" << error << "'";
            EXPECT_EQ(img.width, 0);
            EXPECT_TRUE(img.pixels.empty());
        }
    }
    std::string file(const std::string& name, const fixtures::Bytes& data) {
        const std::string path = dir.path + "/" + name;
        fixtures::writeFile(path, data);
        return path;
    }
    fixtures::TempDir dir;
    fixtures::Bytes goodPng = fixtures::solidPng(64, 64, {1, 2, 3});
    fixtures::Bytes goodJpeg =
        fixtures::jpeg(64, 64, TJPF_RGB, fixtures::Bytes(64 * 64 * 3, 128), TJSAMP_420);
};
