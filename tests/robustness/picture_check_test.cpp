// The picture check against the hostile and the good pictures that
// make_pictures.py makes (ctest runs it first), and against the shipped ones.
#include <SOIL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/picture_check.h"
#include "render/texture_set.h"

namespace {

constexpr int kLargest = 4096;
const std::string kPictures = KESSARY_PICTURE_DIR;

std::vector<std::string> pathsIn(const std::string& folder) {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        paths.push_back(entry.path());
    }
    return paths;
}

// Each refusal comes within a second: none may wait on the file or spin.
TEST(PictureCheck, RefusesEveryBadFileFast) {
    std::vector<std::string> paths = pathsIn(kPictures + "/bad");
    ASSERT_GE(paths.size(), 20u);
    paths.insert(paths.end(), {"", kPictures + "/missing.png", "/dev/zero", "/dev/null"});
    for (const std::string& path : paths) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(pictureIsSafe(path.c_str(), kLargest)) << path;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << path;
    }
    EXPECT_FALSE(pictureIsSafe(nullptr, kLargest));
    EXPECT_FALSE(pictureBytesAreSafe(nullptr, 0, kLargest));
}

// Signature, checksums and end marker cover every byte: no prefix, no flipped bit passes.
TEST(PictureCheck, RefusesEveryPrefixAndEveryDamagedByte) {
    std::ifstream in(kPictures + "/good/many-chunks.png", std::ios::binary);
    std::vector<unsigned char> bytes(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>{});
    ASSERT_TRUE(pictureBytesAreSafe(bytes.data(), bytes.size(), kLargest));
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        EXPECT_FALSE(pictureBytesAreSafe(bytes.data(), at, kLargest)) << "first " << at;
        bytes[at] ^= 0x01;
        EXPECT_FALSE(pictureBytesAreSafe(bytes.data(), bytes.size(), kLargest)) << "flip " << at;
        bytes[at] ^= 0x01;
    }
}

// Every colour layout SOIL reads passes and SOIL reads it; so does every shipped picture.
TEST(PictureCheck, PassesGoodAndShippedPictures) {
    const std::vector<std::string> paths = pathsIn(kPictures + "/good");
    ASSERT_GE(paths.size(), 10u);
    for (const std::string& path : paths) {
        EXPECT_TRUE(pictureIsSafe(path.c_str(), kLargest)) << path;
        int width = 0, height = 0, channels = 0;
        unsigned char* pixels =
            SOIL_load_image(path.c_str(), &width, &height, &channels, SOIL_LOAD_AUTO);
        EXPECT_TRUE(pixels != nullptr && width > 0 && height > 0) << path;
        SOIL_free_image_data(pixels);
    }
    for (int k = 0; textureNames[k][0] != '\0'; ++k) {
        const std::string path = std::string(KESSARY_SOURCE_DIR) + "/dat/img/" + textureNames[k];
        EXPECT_TRUE(pictureIsSafe((path + ".png").c_str(), kLargest)) << path;
    }
}

// The limit is the caller's (the GL's may be smaller), on both sides.
TEST(PictureCheck, HonoursTheSizeLimit) {
    const std::string good = kPictures + "/good/";
    EXPECT_FALSE(pictureIsSafe((good + "widest.png").c_str(), 4095));   // 4096 x 1
    EXPECT_FALSE(pictureIsSafe((good + "tallest.png").c_str(), 4095));  // 1 x 4096
    EXPECT_TRUE(pictureIsSafe((good + "rgb.png").c_str(), 16));         // 16 x 16
    EXPECT_FALSE(pictureIsSafe((good + "rgb.png").c_str(), 15));
    EXPECT_FALSE(pictureIsSafe((good + "rgb.png").c_str(), -1));
}

}  // namespace
