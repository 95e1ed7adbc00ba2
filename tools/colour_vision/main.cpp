// kessary_colour_vision: how far apart the seven groups' colours stand in the
// shipped tile faces, by their frames and by their inks, with normal colour
// vision and the three full colour blindnesses (see colour_vision.h for what
// is measured and how).
//
//   kessary_colour_vision [IMG_FOLDER]
//       reads the 42 tile faces from IMG_FOLDER (default dat/img) and prints
//       the tables in Markdown; exit status 1, with the shortfalls on standard
//       error, when a pair of groups stands closer than its bound.
//   kessary_colour_vision --docs DOCS_FOLDER [IMG_FOLDER]
//       the same, and writes the contact sheets colour-vision.png (the faces
//       as they are) and colour-vision-in-play.png (as they build up in play),
//       each with a panel per view, and puts the tables into
//       DOCS_FOLDER/colour-vision.md between its two marker lines.
//
// Run from the repository root. The same pictures give the same bytes.
#include <png.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "colour_vision.h"
#include "pictures/sheet_layout.h"
#include "render/picture_names.h"

namespace cv = colour_vision;

namespace {

constexpr int kExitShortfall = 1;
constexpr int kExitFailed = 2;

const char* const kTableBegin = "<!-- colour-vision tables: kessary_colour_vision --docs docs -->";
const char* const kTableEnd = "<!-- end of colour-vision tables -->";

// ---- reading and writing PNG files ------------------------------------------

bool readFace(const std::string& path, cv::Face& face) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        std::cerr << path << ": " << image.message << "\n";
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    face.width = int(image.width);
    face.height = int(image.height);
    face.rgba.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, face.rgba.data(), 0, nullptr)) {
        std::cerr << path << ": " << image.message << "\n";
        return false;
    }
    return true;
}

struct Sheet {
    int width, height;
    std::vector<unsigned char> rgb;  // sRGB, row after row
    unsigned char* at(int x, int y) { return &rgb[(std::size_t(y) * width + x) * 3]; }
};

bool writeSheet(const Sheet& sheet, const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(sheet.width);
    image.height = png_uint_32(sheet.height);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, sheet.rgb.data(), 0, nullptr)) {
        std::cerr << path << ": " << image.message << "\n";
        return false;
    }
    return true;
}

// ---- the contact sheets -------------------------------------------------------

constexpr int kFaceSize = 128;        // a face's picture
constexpr int kCell = kFaceSize / 2;  // a face on the sheet: every 2 x 2 pixels averaged
constexpr int kGap = 6;
constexpr int kMargin = 10;
constexpr int kLabelHeight = 22;  // a panel's name above it
constexpr int kColumns = kSheetColumns;
constexpr int kRows = kSheetFaceRows;
constexpr int kSheetWidth = 2 * kMargin + kColumns * kCell + (kColumns - 1) * kGap;
constexpr int kPanelHeight = kLabelHeight + 2 * kMargin + kRows * kCell + (kRows - 1) * kGap;

// In play a tile is drawn at 10 % opacity every frame, shaking by up to 5 of
// the 100 screen pixels it covers (6 of the picture's 128), under a 1 % white
// wash, so its picture builds up over a few hundred frames, blurred by the
// shake. The sheet shows the picture it settles to on average, which is also
// what the eye makes of sixty flickering frames a second: at each pixel, with
// a the tile's opacity there and t its colour (both over the shakes, which
// are even from -6 to 6 pixels either way), a frame turns the screen's s into
// (1 - a)((1 - wash) s + wash) + a t, so s settles where that gives s again.
// The screen blends its stored sRGB values, as GL does.
constexpr int kShake = 6;

// A cell's picture at face size, sRGB over white, 0..1 per component.
using Picture = std::vector<double>;

Picture overWhite(const cv::Face& face) {
    Picture picture(std::size_t(kFaceSize) * kFaceSize * 3);
    for (int i = 0; i < kFaceSize * kFaceSize; ++i) {
        const unsigned char* p = &face.rgba[std::size_t(i) * 4];
        const double alpha = p[3] / 255.0;
        for (int c = 0; c < 3; ++c) {
            picture[i * 3 + c] = 1.0 - alpha + alpha * p[c] / 255.0;
        }
    }
    return picture;
}

Picture inPlay(const cv::Face& face) {
    constexpr double kShakes = (2 * kShake + 1) * (2 * kShake + 1);
    Picture screen(std::size_t(kFaceSize) * kFaceSize * 3);
    for (int y = 0; y < kFaceSize; ++y) {
        for (int x = 0; x < kFaceSize; ++x) {
            double a = 0.0, at[3] = {};  // sums over the shakes
            for (int dy = -kShake; dy <= kShake; ++dy) {
                for (int dx = -kShake; dx <= kShake; ++dx) {
                    const int sx = x - dx, sy = y - dy;
                    if (sx < 0 || sx >= kFaceSize || sy < 0 || sy >= kFaceSize) {
                        continue;
                    }
                    const unsigned char* p = &face.rgba[(std::size_t(sy) * kFaceSize + sx) * 4];
                    const double alpha = kTileAlpha * p[3] / 255.0;
                    a += alpha;
                    for (int c = 0; c < 3; ++c) {
                        at[c] += alpha * p[c] / 255.0;
                    }
                }
            }
            a /= kShakes;
            double* s = &screen[(std::size_t(y) * kFaceSize + x) * 3];
            for (int c = 0; c < 3; ++c) {
                s[c] = ((1.0 - a) * kWashAlpha + at[c] / kShakes) /
                       (1.0 - (1.0 - a) * (1.0 - kWashAlpha));
            }
        }
    }
    return screen;
}

// Lays a picture into a cell, each 2 x 2 block averaged in linear light.
void placeCell(Sheet& sheet, const Picture& picture, int left, int top) {
    for (int y = 0; y < kCell; ++y) {
        for (int x = 0; x < kCell; ++x) {
            double sum[3] = {};
            for (int dy = 0; dy < 2; ++dy) {
                for (int dx = 0; dx < 2; ++dx) {
                    const double* p =
                        &picture[(std::size_t(2 * y + dy) * kFaceSize + 2 * x + dx) * 3];
                    for (int c = 0; c < 3; ++c) {
                        sum[c] += cv::decodeSrgb(p[c]) / 4.0;
                    }
                }
            }
            cv::toSrgb8({sum[0], sum[1], sum[2]}, sheet.at(left + x, top + y));
        }
    }
}

// A tiny 5 x 7 pixel alphabet for the panels' names, a row a byte, the high
// bit of the five the left pixel.
struct Letter {
    char ch;
    unsigned char rows[7];
};
// clang-format off
const Letter kLetters[] = {
    {'a', {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F}}, {'c', {0x00, 0x00, 0x0E, 0x10, 0x10, 0x11, 0x0E}},
    {'d', {0x01, 0x01, 0x0D, 0x13, 0x11, 0x11, 0x0F}}, {'e', {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E}},
    {'g', {0x00, 0x0F, 0x11, 0x11, 0x0F, 0x01, 0x0E}}, {'i', {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E}},
    {'l', {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'n', {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11}},
    {'o', {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E}}, {'p', {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10}},
    {'r', {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}}, {'s', {0x00, 0x00, 0x0F, 0x10, 0x0E, 0x01, 0x1E}},
    {'t', {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06}}, {'u', {0x00, 0x00, 0x11, 0x11, 0x11, 0x13, 0x0D}},
    {'y', {0x00, 0x00, 0x11, 0x11, 0x0F, 0x01, 0x0E}}, {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}},
};
// clang-format on
constexpr int kLetterScale = 2;

void writeLabel(Sheet& sheet, const std::string& text, int left, int top) {
    for (char ch : text) {
        for (const Letter& letter : kLetters) {
            if (letter.ch != ch) {
                continue;
            }
            for (int row = 0; row < 7; ++row) {
                for (int column = 0; column < 5; ++column) {
                    if ((letter.rows[row] >> (4 - column) & 1) == 0) {
                        continue;
                    }
                    for (int k = 0; k < kLetterScale * kLetterScale; ++k) {
                        unsigned char* p = sheet.at(left + column * kLetterScale + k % kLetterScale,
                                                    top + row * kLetterScale + k / kLetterScale);
                        p[0] = p[1] = p[2] = 0x30;
                    }
                }
            }
        }
        left += 6 * kLetterScale;
    }
}

// One panel per view, top to bottom: the faces, then each view of them.
Sheet makeSheet(const std::vector<Picture>& pictures, const std::string& look) {
    Sheet plain{kSheetWidth, kPanelHeight,
                std::vector<unsigned char>(std::size_t(kSheetWidth) * kPanelHeight * 3, 255)};
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const int index = kSheetRows[row][column];
            if (index != kNone) {
                placeCell(plain, pictures[index], kMargin + column * (kCell + kGap),
                          kLabelHeight + kMargin + row * (kCell + kGap));
            }
        }
    }
    Sheet sheet{kSheetWidth, kPanelHeight * cv::kViewCount,
                std::vector<unsigned char>(
                    std::size_t(kSheetWidth) * kPanelHeight * cv::kViewCount * 3, 255)};
    for (int v = 0; v < cv::kViewCount; ++v) {
        const int top = v * kPanelHeight;
        for (int y = 0; y < kPanelHeight; ++y) {
            for (int x = 0; x < kSheetWidth; ++x) {
                const cv::Linear seen = cv::see(cv::fromSrgb8(plain.at(x, y)), cv::View(v));
                cv::toSrgb8(seen, sheet.at(x, top + y));
            }
        }
        writeLabel(sheet, look + ", " + cv::viewName(cv::View(v)), kMargin, top + kMargin);
        if (v > 0) {  // a hairline between the panels
            for (int x = kMargin; x < kSheetWidth - kMargin; ++x) {
                unsigned char* p = sheet.at(x, top);
                p[0] = p[1] = p[2] = 0xCC;
            }
        }
    }
    return sheet;
}

bool writeSheets(const std::vector<cv::Face>& faces, const std::string& folder) {
    std::vector<Picture> plain, played;
    for (const cv::Face& face : faces) {
        plain.push_back(overWhite(face));
        played.push_back(inPlay(face));
    }
    return writeSheet(makeSheet(plain, "tiles"), folder + "/colour-vision.png") &&
           writeSheet(makeSheet(played, "in play"), folder + "/colour-vision-in-play.png");
}

// ---- the Markdown page ------------------------------------------------------

bool putTables(const std::string& path, const std::string& tables) {
    std::ifstream in(path);
    if (!in) {
        std::cerr << path << ": cannot read it\n";
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    const std::string page = text.str();
    const std::size_t begin = page.find(kTableBegin);
    const std::size_t end = page.find(kTableEnd);
    if (begin == std::string::npos || end == std::string::npos || end < begin) {
        std::cerr << path << ": no marker lines\n  " << kTableBegin << "\n  " << kTableEnd << "\n";
        return false;
    }
    const std::size_t afterBegin = begin + std::string(kTableBegin).size();
    const std::string updated =
        page.substr(0, afterBegin) + "\n\n" + tables + "\n" + page.substr(end);
    std::ofstream out(path, std::ios::trunc);
    out << updated;
    return bool(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
    std::string images = "dat/img", docs;
    bool imagesGiven = false;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--docs" && k + 1 < argc && docs.empty()) {
            docs = argv[++k];
        } else if (!imagesGiven && !arg.empty() && arg[0] != '-') {
            images = arg;
            imagesGiven = true;
        } else {
            std::cerr << "usage: kessary_colour_vision [--docs DOCS_FOLDER] [IMG_FOLDER]\n";
            return kExitFailed;
        }
    }
    std::vector<cv::Face> faces(kTileFaceCount);
    for (int k = 0; k < kTileFaceCount; ++k) {
        faces[k].name = kPictureNames[k];
        if (!readFace(images + "/" + kPictureNames[k] + ".png", faces[k])) {
            return kExitFailed;
        }
        if (faces[k].width != kFaceSize || faces[k].height != kFaceSize) {
            std::cerr << kPictureNames[k] << ": not " << kFaceSize << " x " << kFaceSize << "\n";
            return kExitFailed;
        }
    }
    const cv::Measurement measurement = cv::measure(faces);
    const std::string tables = cv::markdownTables(measurement);
    std::cout << tables;
    if (!docs.empty() &&
        !(writeSheets(faces, docs) && putTables(docs + "/colour-vision.md", tables))) {
        return kExitFailed;
    }
    const std::vector<std::string> shortfalls = cv::shortfalls(measurement);
    for (const std::string& line : shortfalls) {
        std::cerr << "too close: " << line << "\n";
    }
    return shortfalls.empty() ? 0 : kExitShortfall;
}
