// The 46 committed pictures of dat/img/ and the application icons of
// dist/icons/: that SOIL loads each at its size with an alpha channel, that
// tiles stay readable when the game draws them at 10 % opacity, that icons sit
// whole inside their square, and, when the generator is built, that it still
// draws exactly the committed files (and sheets and icons), the same bytes on
// every run, and says so when it cannot write them.
#include <SOIL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kTileCount = 42;
constexpr int kTileSize = 128;
constexpr int kRewardSize = 512;
constexpr int kChannels = 4;        // RGBA, as the tests hold every picture
constexpr int kTileChannels = 4;    // tiles carry alpha for their margins
constexpr int kRewardChannels = 3;  // rewards are opaque: they hide the scene under them
constexpr std::uintmax_t kSizeBudget = 1536 * 1024;  // all 46 files together
constexpr double kPlayAlpha = 0.1;                   // a tile in hand or in the cursor column

const fs::path kRepo = KESSARY_SOURCE_DIR;

// The names in the game's load order, built from the groups and their sizes.
std::vector<std::string> pictureNames() {
    const std::pair<const char*, int> groups[] = {{"a", 9}, {"b", 9}, {"c", 9}, {"d", 3},
                                                  {"e", 4}, {"f", 4}, {"g", 4}, {"wench", 4}};
    std::vector<std::string> names;
    for (const auto& [prefix, count] : groups) {
        for (int k = 0; k < count; ++k) {
            names.push_back(prefix + std::to_string(k));
        }
    }
    return names;
}

struct Image {
    int width = 0, height = 0, channels = 0;
    std::vector<unsigned char> pixels;  // RGBA, first row at the top

    const unsigned char* at(int x, int y) const {
        return &pixels[(std::size_t(y) * width + x) * kChannels];
    }
    // Brightness after drawing the pixel at `alpha` over white, 0..255.
    double lumaOverWhite(int x, int y, double alpha) const {
        const unsigned char* p = at(x, y);
        double a = alpha * p[3] / 255.0;
        double luma = 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
        return 255.0 * (1.0 - a) + luma * a;
    }
};

// Loads through SOIL, which reports the file's own channel count, and hands
// back RGBA whatever the file holds.
Image loadPicture(const fs::path& path) {
    Image image;
    unsigned char* data =
        SOIL_load_image(path.c_str(), &image.width, &image.height, &image.channels, SOIL_LOAD_RGBA);
    if (data != nullptr) {
        image.pixels.assign(data, data + std::size_t(image.width) * image.height * kChannels);
        SOIL_free_image_data(data);
    }
    return image;
}

std::vector<char> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path committed(const std::string& name) {
    return kRepo / "dat/img" / (name + ".png");
}

// The sizes a desktop's icon theme asks for, and the committed files.
constexpr int kIconSizes[] = {48, 64, 128, 256};

std::string iconName(int size) {
    return "kessary-" + std::to_string(size) + ".png";
}

fs::path committedIcon(int size) {
    return kRepo / "dist/icons" / iconName(size);
}

// Reports the first pixel where two decoded pictures differ, or "" when equal.
std::string firstDifference(const Image& expected, const Image& actual) {
    if (expected.width != actual.width || expected.height != actual.height) {
        return "size " + std::to_string(actual.width) + "x" + std::to_string(actual.height);
    }
    for (std::size_t k = 0; k < expected.pixels.size(); ++k) {
        if (expected.pixels[k] != actual.pixels[k]) {
            std::size_t pixel = k / kChannels;
            return "pixel (" + std::to_string(pixel % expected.width) + ", " +
                   std::to_string(pixel / expected.width) + ") channel " +
                   std::to_string(k % kChannels);
        }
    }
    return "";
}

TEST(CommittedPictures, LoadThroughSoilAtTheirSizeWithAlpha) {
    std::vector<std::string> names = pictureNames();
    ASSERT_EQ(names.size(), 46u);
    for (std::size_t k = 0; k < names.size(); ++k) {
        SCOPED_TRACE(names[k]);
        Image image = loadPicture(committed(names[k]));
        ASSERT_FALSE(image.pixels.empty()) << SOIL_last_result();
        bool tile = k < kTileCount;
        EXPECT_EQ(image.width, tile ? kTileSize : kRewardSize);
        EXPECT_EQ(image.height, tile ? kTileSize : kRewardSize);
        EXPECT_EQ(image.channels, tile ? kTileChannels : kRewardChannels);
    }
}

TEST(CommittedPictures, StayWithinTheSizeBudget) {
    std::uintmax_t total = 0;
    for (const std::string& name : pictureNames()) {
        total += fs::file_size(committed(name));
    }
    EXPECT_LE(total, kSizeBudget);
}

// Tiles are portrait: clear margins at the sides, a solid face in the middle.
TEST(CommittedPictures, TilesHaveClearMarginsAndSolidFaces) {
    std::vector<std::string> names = pictureNames();
    for (int k = 0; k < kTileCount; ++k) {
        SCOPED_TRACE(names[k]);
        Image image = loadPicture(committed(names[k]));
        ASSERT_EQ(image.width, kTileSize);
        for (int y = 0; y < kTileSize; ++y) {
            ASSERT_EQ(image.at(4, y)[3], 0) << "left margin, row " << y;
            ASSERT_EQ(image.at(kTileSize - 5, y)[3], 0) << "right margin, row " << y;
        }
        EXPECT_EQ(image.at(kTileSize / 2, kTileSize / 2)[3], 255);
    }
}

// What a player needs at a glance: every tile at 10 % opacity still carries a
// mark dark enough to read, and no two tiles look alike there.
TEST(CommittedPictures, TilesStayReadableAndDistinctAtTenPercent) {
    constexpr double kInkLuma = 236.0;  // black drawn at 10 % gives 229.5
    constexpr int kMinInkPixels = 600;  // the mark's ink alone, at 128 x 128
    // Inside the tile's light face, clear of its outline and coloured edge.
    constexpr int kFaceLeft = 24, kFaceRight = 104, kFaceTop = 14, kFaceBottom = 106;
    constexpr double kSeen = 4.0;  // luma steps that tell two pixels apart
    constexpr int kMinDifferentPixels = 300;

    std::vector<std::string> names = pictureNames();
    std::vector<std::vector<double>> looks(kTileCount);
    for (int k = 0; k < kTileCount; ++k) {
        Image image = loadPicture(committed(names[k]));
        ASSERT_EQ(image.width, kTileSize) << names[k];
        int ink = 0;
        for (int y = 0; y < kTileSize; ++y) {
            for (int x = 0; x < kTileSize; ++x) {
                looks[k].push_back(image.lumaOverWhite(x, y, kPlayAlpha));
                bool inFace = x >= kFaceLeft && x < kFaceRight && y >= kFaceTop && y < kFaceBottom;
                ink += inFace && looks[k].back() <= kInkLuma;
            }
        }
        EXPECT_GE(ink, kMinInkPixels) << names[k] << " fades away at 10 %";
    }
    for (int i = 0; i < kTileCount; ++i) {
        for (int j = i + 1; j < kTileCount; ++j) {
            int different = 0;
            for (std::size_t p = 0; p < looks[i].size(); ++p) {
                different += std::abs(looks[i][p] - looks[j][p]) >= kSeen;
            }
            EXPECT_GE(different, kMinDifferentPixels) << names[i] << " looks like " << names[j];
        }
    }
}

// Each group has its own colour: its tiles share the colour of the lower edge,
// and no two groups share it.
TEST(CommittedPictures, EachGroupHasItsOwnEdgeColour) {
    constexpr int kEdgeX = kTileSize / 2, kEdgeY = 118;  // in the thick lower edge
    const int groupStarts[] = {0, 9, 18, 27, 30, 34, 38, kTileCount};
    std::vector<std::string> names = pictureNames();
    std::vector<std::vector<unsigned char>> groupColours;
    for (int g = 0; g + 1 < int(std::size(groupStarts)); ++g) {
        std::vector<unsigned char> first;
        for (int k = groupStarts[g]; k < groupStarts[g + 1]; ++k) {
            Image image = loadPicture(committed(names[k]));
            ASSERT_EQ(image.width, kTileSize) << names[k];
            std::vector<unsigned char> colour(image.at(kEdgeX, kEdgeY),
                                              image.at(kEdgeX, kEdgeY) + 3);
            if (first.empty()) {
                first = colour;
            }
            EXPECT_EQ(colour, first) << names[k] << " strays from its group's colour";
        }
        for (const auto& other : groupColours) {
            EXPECT_NE(first, other) << names[groupStarts[g]] << " shares another group's colour";
        }
        groupColours.push_back(first);
    }
}

// An icon that touches its border has been cut off by its square; one without
// a solid middle is blank or washed out in the desktop's menu.
TEST(CommittedIcons, AreSquareAtEachSizeWithTheHandWhollyInside) {
    for (int size : kIconSizes) {
        SCOPED_TRACE(iconName(size));
        Image icon = loadPicture(committedIcon(size));
        ASSERT_FALSE(icon.pixels.empty()) << SOIL_last_result();
        ASSERT_EQ(icon.width, size);
        ASSERT_EQ(icon.height, size);
        EXPECT_EQ(icon.channels, kChannels);
        for (int k = 0; k < size; ++k) {
            ASSERT_EQ(icon.at(k, 0)[3], 0) << "top row, x " << k;
            ASSERT_EQ(icon.at(k, size - 1)[3], 0) << "bottom row, x " << k;
            ASSERT_EQ(icon.at(0, k)[3], 0) << "left column, y " << k;
            ASSERT_EQ(icon.at(size - 1, k)[3], 0) << "right column, y " << k;
        }
        int opaque = 0;
        for (int y = size / 4; y < 3 * size / 4; ++y) {
            for (int x = size / 4; x < 3 * size / 4; ++x) {
                opaque += icon.at(x, y)[3] == 255;
            }
        }
        EXPECT_EQ(opaque, size * size / 4) << "the middle of the icon is not solid";
    }
}

// The red dragon in front is what tells the icon apart in a menu: strong red
// in its middle at every size, not only where there is room for detail.
TEST(CommittedIcons, ShowTheRedDragonAtEverySize) {
    constexpr int kMinRedShare = 15;  // percent of the middle ninth
    for (int size : kIconSizes) {
        SCOPED_TRACE(iconName(size));
        Image icon = loadPicture(committedIcon(size));
        ASSERT_EQ(icon.width, size);
        int red = 0, all = 0;
        for (int y = size / 3; y < 2 * size / 3; ++y) {
            for (int x = size / 3; x < 2 * size / 3; ++x) {
                const unsigned char* p = icon.at(x, y);
                red += p[0] > 180 && p[1] < 80 && p[2] < 80;
                ++all;
            }
        }
        EXPECT_GE(100 * red, kMinRedShare * all);
    }
}

#ifdef KESSARY_PICTURE_TOOL

// A fresh folder under the system's temporary folder, removed at the end.
struct TempFolder {
    fs::path path;
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "kessary-pictures-XXXXXX").string();
        path = mkdtemp(pattern.data()) != nullptr ? fs::path(pattern) : fs::path();
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

// Runs the generator with the given arguments; its exit status, or -1.
int runGenerator(const std::string& arguments) {
    std::string command =
        std::string("'") + KESSARY_PICTURE_TOOL + "' " + arguments + " > /dev/null 2>&1";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

class PictureGenerator : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        firstRun = new TempFolder;
        firstStatus = runGenerator(quoted(firstRun->path / "img"));
    }
    static void TearDownTestSuite() { delete firstRun; }

    static TempFolder* firstRun;
    static int firstStatus;
};

TempFolder* PictureGenerator::firstRun = nullptr;
int PictureGenerator::firstStatus = -1;

TEST_F(PictureGenerator, RedrawsTheCommittedPicturesPixelForPixel) {
    ASSERT_EQ(firstStatus, 0);
    for (const std::string& name : pictureNames()) {
        Image drawn = loadPicture(firstRun->path / "img" / (name + ".png"));
        ASSERT_FALSE(drawn.pixels.empty()) << name << " was not written";
        EXPECT_EQ(firstDifference(loadPicture(committed(name)), drawn), "")
            << name << " no longer matches the committed picture; rerun kessary_pictures";
    }
}

TEST_F(PictureGenerator, WritesByteIdenticalFilesOnEveryRun) {
    ASSERT_EQ(firstStatus, 0);
    TempFolder second;
    ASSERT_EQ(runGenerator(quoted(second.path)), 0);
    for (const std::string& name : pictureNames()) {
        EXPECT_EQ(fileBytes(firstRun->path / "img" / (name + ".png")),
                  fileBytes(second.path / (name + ".png")))
            << name;
    }
}

TEST_F(PictureGenerator, RedrawsTheCommittedContactSheets) {
    TempFolder sheets;
    ASSERT_EQ(runGenerator("--sheets " + quoted(sheets.path)), 0);
    for (const char* sheet : {"pictures.png", "pictures-in-game.png"}) {
        Image drawn = loadPicture(sheets.path / sheet);
        ASSERT_FALSE(drawn.pixels.empty()) << sheet << " was not written";
        EXPECT_EQ(firstDifference(loadPicture(kRepo / "docs" / sheet), drawn), "") << sheet;
    }
}

TEST_F(PictureGenerator, RedrawsTheCommittedIconsTheSameOnEveryRun) {
    TempFolder first, second;
    ASSERT_EQ(runGenerator("--icons " + quoted(first.path)), 0);
    ASSERT_EQ(runGenerator("--icons " + quoted(second.path)), 0);
    for (int size : kIconSizes) {
        std::string name = iconName(size);
        Image drawn = loadPicture(first.path / name);
        ASSERT_FALSE(drawn.pixels.empty()) << name << " was not written";
        EXPECT_EQ(firstDifference(loadPicture(committedIcon(size)), drawn), "")
            << name << " no longer matches the committed icon; rerun kessary_pictures --icons";
        EXPECT_EQ(fileBytes(first.path / name), fileBytes(second.path / name)) << name;
    }
}

// A folder that cannot be made (its parent is a file) must fail the run, not
// report success with nothing written; a mistyped option must not draw at all.
TEST_F(PictureGenerator, FailsLoudlyWhenItCannotWriteOrIsMisused) {
    TempFolder scratch;
    fs::path blocker = scratch.path / "a-file";
    std::ofstream(blocker) << "not a folder";
    EXPECT_EQ(runGenerator(quoted(blocker / "img")), 1);
    EXPECT_EQ(runGenerator("--sheets " + quoted(blocker / "docs")), 1);
    EXPECT_EQ(runGenerator("--icons " + quoted(blocker / "icons")), 1);

    fs::path target = scratch.path / "unused";
    EXPECT_EQ(runGenerator("--sheet " + quoted(target)), 2);
    EXPECT_EQ(runGenerator(quoted(target) + " " + quoted(target)), 2);
    EXPECT_EQ(runGenerator("--icons --sheets " + quoted(target)), 2);
    EXPECT_FALSE(fs::exists(target));
}

#endif  // KESSARY_PICTURE_TOOL

}  // namespace
