// The picture check against the hostile and the good pictures that
// make_pictures.py makes (ctest runs it first), and against the shipped ones:
// it refuses the bad, and for the good gives exactly the pixels SOIL's own
// loader decodes from the same file, so reading once changed no texture.
#include <SOIL.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/picture_check.h"
#include "render/picture_names.h"

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
    Picture picture;
    for (const std::string& path : paths) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(readPicture(path.c_str(), kLargest, picture)) << path;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << path;
    }
    EXPECT_FALSE(readPicture(nullptr, kLargest, picture));
    EXPECT_FALSE(decodePicture(nullptr, 0, kLargest, picture));
}

// Room for bytes that end right where an unreadable page begins, so that reading
// one byte past them crashes the test rather than reading on unseen.
class GuardedBytes {
  public:
    explicit GuardedBytes(std::size_t most)
        : page_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))),
          mapped_((most / page_ + 2) * page_),
          base_(static_cast<unsigned char*>(
              mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0))) {
        guard_ = base_ + mapped_ - page_;
        mprotect(guard_, page_, PROT_NONE);
    }
    ~GuardedBytes() { munmap(base_, mapped_); }
    // The first `size` of `bytes`, placed against the guard page.
    const unsigned char* place(const std::vector<unsigned char>& bytes, std::size_t size) {
        return static_cast<unsigned char*>(std::memcpy(guard_ - size, bytes.data(), size));
    }

  private:
    std::size_t page_, mapped_;
    unsigned char *base_, *guard_;
};

// Signature, checksums and end marker cover every byte: no prefix, no flipped bit passes,
// and no prefix is read past its end (a chunk walk trusting a length cut short would).
TEST(PictureCheck, RefusesEveryPrefixAndEveryDamagedByte) {
    std::ifstream in(kPictures + "/good/many-chunks.png", std::ios::binary);
    std::vector<unsigned char> bytes(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>{});
    Picture picture;
    ASSERT_TRUE(decodePicture(bytes.data(), bytes.size(), kLargest, picture));
    GuardedBytes guarded(bytes.size());
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        EXPECT_FALSE(decodePicture(guarded.place(bytes, at), at, kLargest, picture))
            << "first " << at;
        bytes[at] ^= 0x01;
        EXPECT_FALSE(decodePicture(bytes.data(), bytes.size(), kLargest, picture)) << "flip " << at;
        bytes[at] ^= 0x01;
    }
}

// What the game hands SOIL for the file at `path` (read into `picture`) is what
// SOIL's loader decodes from it: the same size and bytes. The loader's channel
// count is `soilReports`, which is the picture's own but for a transparent colour.
void expectSoilsPixels(const std::string& path, Picture& picture, int channels, int soilReports) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(readPicture(path.c_str(), kLargest, picture));
    int width = 0, height = 0, reported = 0;
    unsigned char* soil = SOIL_load_image(path.c_str(), &width, &height, &reported, SOIL_LOAD_AUTO);
    ASSERT_NE(soil, nullptr) << SOIL_last_result();
    const std::vector<unsigned char> pixels(soil, soil + std::size_t(width) * height * channels);
    SOIL_free_image_data(soil);
    EXPECT_EQ(picture.channels, channels);
    EXPECT_EQ(reported, soilReports);
    EXPECT_TRUE(picture.width == width && picture.height == height);
    EXPECT_TRUE(picture.pixels == pixels) << "the pixels differ";
}

// Every colour layout the game takes, and every shipped picture. One Picture
// serves all, as at start-up, so a picture cannot keep anything of the last.
TEST(PictureCheck, GivesThePixelsSOILsLoaderDecodesForGoodAndShippedPictures) {
    // clang-format off
    struct { const char* name; int channels; int soilReports; } const good[] = {
        {"grey.png",          1, 1},
        {"grey-alpha.png",    2, 2},
        {"rgb.png",           3, 3},
        {"rgba.png",          4, 4},
        {"palette.png",       3, 3},  // a palette becomes its colours
        {"palette-alpha.png", 4, 4},  // and their alpha, opaque past the alpha list
        {"grey-key.png",      2, 1},  // a transparent colour becomes alpha: the loader decodes
        {"rgb-key.png",       4, 3},  // the same bytes, but reports one channel too few
        {"rgb-key-magenta.png", 4, 3},
        {"filtered.png",      4, 4},  // every row filter
        {"many-chunks.png",   3, 3},
        {"widest.png",        1, 1},
        {"tallest.png",       4, 4},
        {"link-to-rgb.png",   3, 3},
    };
    // clang-format on
    ASSERT_EQ(pathsIn(kPictures + "/good").size(), std::size(good)) << "a good picture untested";
    Picture picture;
    for (const auto& row : good) {
        expectSoilsPixels(kPictures + "/good/" + row.name, picture, row.channels, row.soilReports);
    }
    for (int k = 0; k < kPictureCount; ++k) {
        const int channels = k < kTileFaceCount ? 4 : 3;  // tiles have clear margins
        expectSoilsPixels(std::string(KESSARY_SOURCE_DIR) + "/dat/img/" + kPictureNames[k] + ".png",
                          picture, channels, channels);
    }
}

// The limit is the caller's (the GL's may be smaller), on both sides.
TEST(PictureCheck, HonoursTheSizeLimit) {
    const std::string good = kPictures + "/good/";
    Picture picture;
    EXPECT_FALSE(readPicture((good + "widest.png").c_str(), 4095, picture));   // 4096 x 1
    EXPECT_FALSE(readPicture((good + "tallest.png").c_str(), 4095, picture));  // 1 x 4096
    EXPECT_TRUE(readPicture((good + "rgb.png").c_str(), 16, picture));         // 16 x 16
    EXPECT_FALSE(readPicture((good + "rgb.png").c_str(), 15, picture));
    EXPECT_FALSE(readPicture((good + "rgb.png").c_str(), -1, picture));
}

}  // namespace
