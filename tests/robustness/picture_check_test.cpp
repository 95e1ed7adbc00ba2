// The picture check against hostile files, against good pictures of every
// layout SOIL reads, and against the pictures the game ships.
//
// The files come from make_pictures.py, run by ctest before these tests. A good
// picture must not only pass: SOIL must decode it to the same pixels as libpng,
// or the check would be letting through something SOIL gets wrong.
#include <SOIL.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/picture_check.h"
#include "render/texture_set.h"

namespace {

constexpr int kLargest = 4096;
constexpr double kFastSeconds = 1.0;  // a rejection must never wait on the file
const std::string kPictures = KESSARY_PICTURE_DIR;

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* item = readdir(dir)) {
            const std::string name = item->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        closedir(dir);
    }
    return names;
}

std::vector<unsigned char> contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool bytesPass(const std::vector<unsigned char>& bytes) {
    return pictureBytesAreSafe(bytes.data(), bytes.size(), kLargest);
}

TEST(PictureCheck, RefusesEveryBadFileFast) {
    const std::vector<std::string> names = namesIn(kPictures + "/bad");
    ASSERT_GE(names.size(), 40u) << "make_pictures.py has not run";
    double slowest = 0;
    for (const std::string& name : names) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(pictureIsSafe((kPictures + "/bad/" + name).c_str(), kLargest)) << name;
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took.count(), kFastSeconds) << name;
        slowest = std::max(slowest, took.count());
    }
    RecordProperty("slowest_rejection_ms", static_cast<int>(slowest * 1000));
}

TEST(PictureCheck, RefusesWhatIsNoFileAtAll) {
    EXPECT_FALSE(pictureIsSafe(nullptr, kLargest));
    EXPECT_FALSE(pictureIsSafe("", kLargest));
    EXPECT_FALSE(pictureIsSafe((kPictures + "/no-such-picture.png").c_str(), kLargest));
    EXPECT_FALSE(pictureIsSafe("/dev/zero", kLargest));  // endless
    EXPECT_FALSE(pictureIsSafe("/dev/null", kLargest));
    EXPECT_FALSE(pictureBytesAreSafe(nullptr, 0, kLargest));
}

// Every byte of a picture is covered by its signature, a checksum or the end
// marker, so no prefix and no single damaged byte may pass.
TEST(PictureCheck, RefusesEveryPrefixAndEveryDamagedByte) {
    const std::vector<unsigned char> whole = contentOf(kPictures + "/good/many-chunks.png");
    ASSERT_TRUE(bytesPass(whole));
    for (std::size_t length = 0; length < whole.size(); ++length) {
        EXPECT_FALSE(pictureBytesAreSafe(whole.data(), length, kLargest)) << "first " << length;
    }
    for (std::size_t at = 0; at < whole.size(); ++at) {
        std::vector<unsigned char> damaged = whole;
        damaged[at] ^= 0x01;
        EXPECT_FALSE(bytesPass(damaged)) << "bit flipped at " << at;
    }
}

TEST(PictureCheck, HonoursTheSizeLimitOnBothSides) {
    const std::string wide = kPictures + "/good/widest.png";   // 4096 x 1
    const std::string tall = kPictures + "/good/tallest.png";  // 1 x 4096
    EXPECT_TRUE(pictureIsSafe(wide.c_str(), 4096));
    EXPECT_FALSE(pictureIsSafe(wide.c_str(), 4095));
    EXPECT_TRUE(pictureIsSafe(tall.c_str(), 4096));
    EXPECT_FALSE(pictureIsSafe(tall.c_str(), 4095));
    const std::string small = kPictures + "/good/rgb.png";  // 16 x 16
    EXPECT_TRUE(pictureIsSafe(small.c_str(), 16));
    EXPECT_FALSE(pictureIsSafe(small.c_str(), 15));
    EXPECT_FALSE(pictureIsSafe(small.c_str(), 0));
    EXPECT_FALSE(pictureIsSafe(small.c_str(), -1));
}

// libpng's own reading of a picture, in the channel layout SOIL reports.
std::vector<unsigned char> decodedByLibpng(const std::vector<unsigned char>& bytes, int channels) {
    static const png_uint_32 kFormats[] = {0, PNG_FORMAT_GRAY, PNG_FORMAT_GA, PNG_FORMAT_RGB,
                                           PNG_FORMAT_RGBA};
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        return {};
    }
    image.format = kFormats[channels];
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        pixels.clear();
    }
    png_image_free(&image);
    return pixels;
}

TEST(PictureCheck, PassesGoodPicturesThatSoilDecodesFaithfully) {
    const std::vector<std::string> names = namesIn(kPictures + "/good");
    ASSERT_GE(names.size(), 10u) << "make_pictures.py has not run";
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string path = kPictures + "/good/" + name;
        ASSERT_TRUE(pictureIsSafe(path.c_str(), kLargest));
        const std::vector<unsigned char> bytes = contentOf(path);
        int width = 0, height = 0, channels = 0;
        unsigned char* soil =
            SOIL_load_image_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width,
                                        &height, &channels, SOIL_LOAD_AUTO);
        ASSERT_NE(soil, nullptr) << SOIL_last_result();
        ASSERT_TRUE(channels >= 1 && channels <= 4);
        const std::vector<unsigned char> reference = decodedByLibpng(bytes, channels);
        ASSERT_EQ(reference.size(), std::size_t(width) * height * channels);
        EXPECT_TRUE(std::equal(reference.begin(), reference.end(), soil));
        SOIL_free_image_data(soil);
    }
}

TEST(PictureCheck, PassesEveryShippedPicture) {
    const std::string folder = std::string(KESSARY_SOURCE_DIR) + "/dat/img";
    if (namesIn(folder).empty()) {
        GTEST_SKIP() << "dat/img holds no pictures yet";
    }
    for (int k = 0; textureNames[k][0] != '\0'; ++k) {
        const std::string path = folder + "/" + textureNames[k] + ".png";
        EXPECT_TRUE(pictureIsSafe(path.c_str(), kLargest)) << path;
    }
}

}  // namespace
