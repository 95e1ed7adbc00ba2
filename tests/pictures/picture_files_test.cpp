// The committed pictures of dat/img/, loaded through SOIL's loader (which gives
// the pixels the game's own reading does, as tests/robustness shows): sizes no
// GL has to resample, all 46 within their budget, and every tile
// readable and unlike any other at the opacity the game draws it with.
// (redraw_test.sh checks that the generator still draws them.)
#include <SOIL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "render/picture_names.h"

namespace fs = std::filesystem;

// Tiles are RGBA with clear side margins and a solid face; rewards are opaque, as
// they hide the scene. At 10 % over white every tile shows a dark mark, unlike any other.
TEST(CommittedPictures, LoadAtTheirSizesAndTilesStayReadableAtTenPercent) {
    constexpr int kTileSize = 128, kRewardSize = 512;
    constexpr std::uintmax_t kSizeBudget = 1536 * 1024;  // all 46 files together
    constexpr double kPlayAlpha = 0.1;                   // a tile in hand or in the cursor column
    constexpr double kInkLuma = 236.0;                   // black drawn at 10 % gives 229.5
    constexpr int kMinInkPixels = 600;                   // the mark's ink alone, at 128 x 128
    // Inside the tile's light face, clear of its outline and coloured edge.
    constexpr int kFaceLeft = 24, kFaceRight = 104, kFaceTop = 14, kFaceBottom = 106;
    constexpr double kSeen = 4.0;             // luma steps that tell two pixels apart
    constexpr int kMinDifferentPixels = 300;  // of them, between any two tiles

    std::vector<std::pair<std::string, std::vector<double>>> tiles;  // luma at 10 % over white
    std::uintmax_t bytes = 0;
    for (int k = 0; k < kPictureCount; ++k) {
        const std::string name = kPictureNames[k] + std::string(".png");
        SCOPED_TRACE(name);
        const fs::path path = fs::path(KESSARY_SOURCE_DIR) / "dat/img" / name;
        bytes += fs::file_size(path);
        // SOIL reports the file's own channel count and hands back RGBA.
        int width = 0, height = 0, channels = 0;
        unsigned char* data =
            SOIL_load_image(path.string().c_str(), &width, &height, &channels, SOIL_LOAD_RGBA);
        ASSERT_NE(data, nullptr) << SOIL_last_result();
        const std::vector<unsigned char> rgba(data, data + width * height * 4);
        SOIL_free_image_data(data);
        const bool reward = k >= kTileFaceCount;
        ASSERT_EQ(width, reward ? kRewardSize : kTileSize);
        EXPECT_EQ(height, width);
        EXPECT_EQ(channels, reward ? 3 : 4);
        if (reward) {
            continue;
        }
        std::vector<double>& look = tiles.emplace_back(name, std::vector<double>()).second;
        int ink = 0;
        for (int i = 0; i < kTileSize * kTileSize; ++i) {
            const int x = i % kTileSize, y = i / kTileSize;
            const unsigned char* p = &rgba[i * 4];
            const double a = kPlayAlpha * p[3] / 255.0;
            look.push_back(255.0 * (1.0 - a) + (0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2]) * a);
            ink += x >= kFaceLeft && x < kFaceRight && y >= kFaceTop && y < kFaceBottom &&
                   look.back() <= kInkLuma;
            ASSERT_TRUE((x != 4 && x != kTileSize - 5) || p[3] == 0) << "margin, row " << y;
        }
        EXPECT_EQ(rgba[(kTileSize / 2 * kTileSize + kTileSize / 2) * 4 + 3], 255);
        EXPECT_GE(ink, kMinInkPixels) << "fades away at 10 %";
    }
    EXPECT_EQ(tiles.size(), 42u);
    EXPECT_LE(bytes, kSizeBudget);
    for (auto i = tiles.begin(); i != tiles.end(); ++i) {
        for (auto j = i + 1; j != tiles.end(); ++j) {
            int different = 0;
            for (std::size_t p = 0; p < i->second.size(); ++p) {
                different += std::abs(i->second[p] - j->second[p]) >= kSeen;
            }
            EXPECT_GE(different, kMinDifferentPixels) << i->first << " looks like " << j->first;
        }
    }
}
