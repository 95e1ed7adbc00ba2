// The seven groups stay apart in the committed pictures for colour-blind
// players too: by their frames and by their inks, two suits at least 30
// CIEDE2000 apart and any two groups at least 15, as seen normally and with
// protanopia, deuteranopia and tritanopia (the Machado 2009 simulation at
// full severity). What is measured is in
// tools/colour_vision/colour_vision.h; the colour science is checked here
// against published numbers first, and the check against a repaint that
// would undo it.
#include <SOIL.h>
#include <gtest/gtest.h>

#include <algorithm>
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

constexpr int kSquare = 30;
const unsigned char kBlack[3] = {0, 0, 0};

// 42 faces, each cream but for a 30-pixel square of its group's colour (sRGB
// 0..255) with its top left corner at (left, top), and with a `border` of
// black pixels all round.
std::vector<cv::Face> squareFaces(const unsigned char (*colours)[3], int left, int top,
                                  int border = 0) {
    std::vector<cv::Face> faces(kTileFaceCount, cv::Face{"", kSize, kSize, {}});
    for (int g = 0; g < cv::kGroupCount; ++g) {
        const cv::Group& group = cv::kGroups[g];
        for (int k = group.firstFace; k < group.firstFace + group.faceCount; ++k) {
            for (int i = 0; i < kSize * kSize; ++i) {
                const int x = i % kSize, y = i / kSize;
                const bool square =
                    x >= left && x < left + kSquare && y >= top && y < top + kSquare;
                const bool rim = std::min({x, y, kSize - 1 - x, kSize - 1 - y}) < border;
                const unsigned char* rgb = rim ? kBlack : square ? colours[g] : cv::kCream;
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

// A face's ink is its colour wherever it stands on the paper; its frame is
// what lies outside the paper on each row: a square touching the left edge,
// a rim, not a square on the paper. The check catches the classic palette,
// whose red and green suits are one olive to a deuteranope, and the gold
// dragons against the orange seasons.
TEST(ColourVision, InkIsTheSameWhereverItStandsFramesLieOutsideThePaper) {
    const unsigned char classic[cv::kGroupCount][3] = {{217, 31, 36}, {31, 92, 219}, {26, 158, 56},
                                                       {240, 158, 0}, {0, 153, 163}, {158, 51, 204},
                                                       {250, 128, 15}};
    const cv::Measurement top = cv::measure(squareFaces(classic, 10, 10));
    const cv::Measurement bottom = cv::measure(squareFaces(classic, 80, 90));
    const cv::Measurement edge = cv::measure(squareFaces(classic, 0, 50));
    const cv::Measurement rimmed = cv::measure(squareFaces(classic, 50, 50, 3));
    constexpr auto kFrame = int(cv::Measure::kFrame), kInk = int(cv::Measure::kInk);
    constexpr long kSquarePixels = kSquare * kSquare, kRimPixels = kSize * kSize - 122 * 122;
    for (int g = 0; g < cv::kGroupCount; ++g) {
        const long faces = cv::kGroups[g].faceCount;
        EXPECT_EQ(top.groups[kInk][g].pixels, kSquarePixels * faces);
        EXPECT_EQ(top.groups[kFrame][g].pixels, 0L);
        EXPECT_EQ(edge.groups[kFrame][g].pixels, kSquarePixels * faces);
        EXPECT_EQ(rimmed.groups[kFrame][g].pixels, kRimPixels * faces);
        EXPECT_EQ(rimmed.groups[kInk][g].pixels, (kRimPixels + kSquarePixels) * faces);
        EXPECT_NEAR(rimmed.groups[kFrame][g].lab[0].L, 0.0, 1e-9);
        for (int v = 0; v < cv::kViewCount; ++v) {
            EXPECT_DOUBLE_EQ(top.groups[kInk][g].lab[v].L, bottom.groups[kInk][g].lab[v].L);
            EXPECT_DOUBLE_EQ(top.groups[kInk][g].lab[v].L, edge.groups[kFrame][g].lab[v].L);
        }
    }
    int caught = 0;
    for (const std::string& line : cv::shortfalls(edge)) {
        caught += line.rfind("a diamonds / c bamboo, frame, deuteranopia", 0) == 0;
        caught += line.rfind("a diamonds / c bamboo, ink, deuteranopia", 0) == 0;
        caught += line.rfind("d dragons / g seasons, frame, protanopia", 0) == 0;
    }
    EXPECT_EQ(caught, 3) << cv::markdownTables(edge);
}

TEST(CommittedPictures, GroupsStayApartInEveryColourVision) {
    std::vector<cv::Face> faces(kTileFaceCount);
    for (int k = 0; k < kTileFaceCount; ++k) {
        cv::Face& face = faces[k];
        face.name = kPictureNames[k];
        const std::filesystem::path path =
            std::filesystem::path(KESSARY_SOURCE_DIR) / "dat/img" / (face.name + ".png");
        int channels = 0;
        unsigned char* data = SOIL_load_image(path.string().c_str(), &face.width, &face.height,
                                              &channels, SOIL_LOAD_RGBA);
        ASSERT_NE(data, nullptr) << path << ": " << SOIL_last_result();
        face.rgba.assign(data, data + std::size_t(face.width) * face.height * 4);
        SOIL_free_image_data(data);
    }
    const cv::Measurement measurement = cv::measure(faces);
    for (int g = 0; g < cv::kGroupCount; ++g) {  // a rim: thousands of pixels a face
        for (int m = 0; m < cv::kMeasureCount; ++m) {
            EXPECT_GT(measurement.groups[m][g].pixels, 2000L * cv::kGroups[g].faceCount)
                << cv::kGroups[g].name << ", " << cv::measureName(cv::Measure(m));
        }
    }
    const std::vector<std::string> shortfalls = cv::shortfalls(measurement);
    for (const std::string& line : shortfalls) {
        ADD_FAILURE() << "too close: " << line;
    }
    EXPECT_TRUE(shortfalls.empty()) << cv::markdownTables(measurement);
}
