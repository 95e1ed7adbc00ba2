// The numbered groups (the three suits, flowers, seasons) stay apart in the
// committed pictures for colour-blind players too: the inks of two suits at
// least 30 CIEDE2000 apart, of any two numbered groups at least 15, as seen
// normally and with protanopia, deuteranopia and tritanopia (the Machado 2009
// simulation at full severity). What is measured is in
// tools/colour_vision/colour_vision.h; the colour science is checked here
// against published numbers first, and the check against a repaint that
// would undo it.
#include <SOIL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "colour_vision.h"
#include "render/picture_names.h"

namespace cv = colour_vision;

namespace {

// Sharma, Wu and Dalal (2005), "The CIEDE2000 color-difference formula:
// implementation notes, supplementary test data, and mathematical
// observations": pairs 1, 2, 7, 13 to 15 (the hue wrap), 17, 19, 25 and 34.
struct SharmaPair {
    cv::Lab one, other;
    double delta;
};
// clang-format off
const SharmaPair kSharma[] = {
    {{50.0000,   2.6772, -79.7751}, {50.0000,   0.0000, -82.7485},  2.0425},
    {{50.0000,   3.1571, -77.2803}, {50.0000,   0.0000, -82.7485},  2.8615},
    {{50.0000,   0.0000,   0.0000}, {50.0000,  -1.0000,   2.0000},  2.3669},
    {{50.0000,   2.4900,  -0.0010}, {50.0000,  -2.4900,   0.0009},  7.1792},
    {{50.0000,   2.4900,  -0.0010}, {50.0000,  -2.4900,   0.0010},  7.1792},
    {{50.0000,   2.4900,  -0.0010}, {50.0000,  -2.4900,   0.0011},  7.2195},
    {{50.0000,   2.5000,   0.0000}, {73.0000,  25.0000, -18.0000}, 27.1492},
    {{50.0000,   2.5000,   0.0000}, {58.0000,  24.0000,  15.0000}, 19.4535},
    {{60.2574, -34.0099,  36.2677}, {60.4626, -34.1751,  39.4387},  1.2644},
    {{22.7233,  20.0904, -46.6940}, {23.0331,  14.9730, -42.5619},  2.0373},
};
// clang-format on

constexpr int kSize = 128;

// 42 faces, each numbered one cream but for a 30-pixel square of its group's ink
// (sRGB 0..255) with its top left corner at (left, top); the honours, which are
// not measured, stay empty.
std::vector<cv::Face> squareFaces(const unsigned char (*colours)[3], int left, int top) {
    std::vector<cv::Face> faces(kTileFaceCount, cv::Face{"", kSize, kSize, {}});
    for (int g = 0; g < cv::kGroupCount; ++g) {
        const cv::Group& group = cv::kNumberedGroups[g];
        for (int k = group.firstFace; k < group.firstFace + group.faceCount; ++k) {
            for (int i = 0; i < kSize * kSize; ++i) {
                const int x = i % kSize, y = i / kSize;
                const bool ink = x >= left && x < left + 30 && y >= top && y < top + 30;
                const unsigned char* rgb = ink ? colours[g] : cv::kCream;
                faces[k].rgba.insert(faces[k].rgba.end(), {rgb[0], rgb[1], rgb[2], 255});
            }
        }
    }
    return faces;
}

}  // namespace

// CIEDE2000 against Sharma's pairs, CIELAB against sRGB red and white, and the
// simulations against what each blindness is known for: red and green meet for
// protanopes and deuteranopes, blue and green for tritanopes.
TEST(ColourVision, MatchesPublishedNumbersAndWhatEachBlindnessJoins) {
    for (const SharmaPair& pair : kSharma) {
        EXPECT_NEAR(cv::ciede2000(pair.one, pair.other), pair.delta, 1e-4);
        EXPECT_NEAR(cv::ciede2000(pair.other, pair.one), pair.delta, 1e-4);
    }
    const cv::Lab red = cv::toLab({1, 0, 0}), white = cv::toLab({1, 1, 1});
    EXPECT_NEAR(red.L, 53.24, 0.01);
    EXPECT_NEAR(red.a, 80.09, 0.01);
    EXPECT_NEAR(red.b, 67.20, 0.01);
    EXPECT_NEAR(white.L + std::abs(white.a) + std::abs(white.b), 100.0, 0.02);

    // Protanopes see red darker, so the green it meets is a darker one.
    const unsigned char red8[3] = {200, 40, 40}, green[3] = {60, 140, 40},
                        darkGreen[3] = {64, 89, 31}, blue[3] = {40, 90, 200},
                        teal[3] = {30, 150, 120};
    auto delta = [](const unsigned char* one, const unsigned char* other, cv::View view) {
        return cv::ciede2000(cv::toLab(cv::see(cv::fromSrgb8(one), view)),
                             cv::toLab(cv::see(cv::fromSrgb8(other), view)));
    };
    EXPECT_LT(delta(red8, green, cv::View::kDeuteranopia), 15.0);
    EXPECT_GT(delta(red8, green, cv::View::kTritanopia), 40.0);
    EXPECT_LT(delta(red8, darkGreen, cv::View::kProtanopia), 10.0);
    EXPECT_LT(delta(blue, teal, cv::View::kTritanopia), 20.0);
    EXPECT_GT(delta(blue, teal, cv::View::kDeuteranopia), 30.0);
}

// A face's ink is its colour wherever it stands; the check catches the
// classic palette, whose red and green suits are one olive to a deuteranope.
TEST(ColourVision, InkIsTheSameWhereverItStandsAndTheCheckCatchesRedAgainstGreen) {
    const unsigned char classic[cv::kGroupCount][3] = {
        {217, 31, 36}, {31, 92, 219}, {26, 158, 56}, {158, 51, 204}, {250, 128, 15}};
    const cv::Measurement top = cv::measure(squareFaces(classic, 10, 10));
    const cv::Measurement bottom = cv::measure(squareFaces(classic, 80, 90));
    for (int g = 0; g < cv::kGroupCount; ++g) {
        EXPECT_EQ(top.groups[g].pixels, 900L * cv::kNumberedGroups[g].faceCount);
        for (int v = 0; v < cv::kViewCount; ++v) {
            EXPECT_DOUBLE_EQ(top.groups[g].lab[v].L, bottom.groups[g].lab[v].L);
        }
    }
    bool redGreenCaught = false;
    for (const std::string& line : cv::shortfalls(top)) {
        redGreenCaught |= line.rfind("a diamonds / c bamboo, deuteranopia", 0) == 0;
    }
    EXPECT_TRUE(redGreenCaught) << cv::markdownTables(top);
}

TEST(CommittedPictures, NumberedGroupsStayApartInEveryColourVision) {
    std::vector<cv::Face> faces(kTileFaceCount);
    for (int k = 0; k < kTileFaceCount; ++k) {
        cv::Face& face = faces[k];
        face.name = kPictureNames[k];
        const std::filesystem::path path =
            std::filesystem::path(KESSARY_SOURCE_DIR) / "dat/img" / (face.name + ".png");
        int channels = 0;
        unsigned char* data =
            SOIL_load_image(path.c_str(), &face.width, &face.height, &channels, SOIL_LOAD_RGBA);
        ASSERT_NE(data, nullptr) << path << ": " << SOIL_last_result();
        face.rgba.assign(data, data + std::size_t(face.width) * face.height * 4);
        SOIL_free_image_data(data);
    }
    const cv::Measurement measurement = cv::measure(faces);
    for (int g = 0; g < cv::kGroupCount; ++g) {  // a mark, a rim: thousands of pixels a face
        EXPECT_GT(measurement.groups[g].pixels, 2000L * cv::kNumberedGroups[g].faceCount)
            << cv::kNumberedGroups[g].name;
    }
    const std::vector<std::string> shortfalls = cv::shortfalls(measurement);
    for (const std::string& line : shortfalls) {
        ADD_FAILURE() << "too close: " << line;
    }
    EXPECT_TRUE(shortfalls.empty()) << cv::markdownTables(measurement);
}
