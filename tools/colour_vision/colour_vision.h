// How far apart the seven tile groups' colours stand, as seen with normal
// colour vision and with the three full colour blindnesses, measured from the
// tile faces' own pixels. Standard library only: the picture test links it
// with SOIL's loader, the kessary_colour_vision tool with libpng.
//
// A view is a way of seeing a pixel: as it is, through the Machado, Oliveira
// and Fernandes (2009) simulation of protanopia, deuteranopia or tritanopia
// at severity 1.0 (applied in linear RGB: decode sRGB, multiply, clamp to
// 0..1, encode), or in greyscale (the pixel's luminance Y as a grey).
//
// Each group is measured two ways, both over the opaque pixels of its faces
// that are not cream paper. The ink is all of them: the backing that shows as
// the tile's rim and thick lower edge, the outlines, the numeral, letter or
// picture, the emblem. The frame is those of them that lie outside the paper
// on their row (left of a row's first cream pixel or right of its last, or
// anywhere on a row with no cream): the rim and bevel around the paper, which
// is what the eye takes in of a faint, shaking tile at a glance. Where inside
// the frame or the paper a pixel stands does not count, only its colour. A
// group pools the pixels of all its faces. Each pixel is seen in the view
// first and then averaged, in linear light, so a view's colour is the mean of
// what that eye sees. Differences are CIEDE2000 in CIELAB (D65 white, sRGB
// primaries).
#pragma once

#include <array>
#include <string>
#include <vector>

namespace colour_vision {

// Linear-light sRGB, each component 0..1.
struct Linear {
    double r, g, b;
};

// CIELAB, D65.
struct Lab {
    double L, a, b;
};

enum class View { kAsIs, kProtanopia, kDeuteranopia, kTritanopia, kGreyscale };
constexpr int kViewCount = 5;
constexpr int kCheckedViewCount = 4;  // the bounds hold in all views but greyscale
const char* viewName(View view);      // "as is", "protanopia", ...

double decodeSrgb(double encoded);  // 0..1 -> linear 0..1
double encodeSrgb(double linear);   // linear, clamped to 0..1 -> 0..1
Linear fromSrgb8(const unsigned char* rgb);
void toSrgb8(Linear colour, unsigned char* rgb);  // rounded to nearest
Linear see(Linear colour, View view);
Lab toLab(Linear colour);
double ciede2000(const Lab& one, const Lab& other);

// The face's cream, as the generator paints it (1.00, 0.98, 0.92).
constexpr unsigned char kCream[3] = {255, 250, 235};
constexpr int kCreamTolerance = 6;  // per channel: antialiased cream still counts as cream
// Opaque and not cream.
bool isInk(const unsigned char* rgba);

// The two ways a group's colour is measured.
enum class Measure { kFrame, kInk };
constexpr int kMeasureCount = 2;
const char* measureName(Measure measure);  // "frame", "ink"

// The seven groups: the three suits, dragons, winds, flowers and seasons.
struct Group {
    char letter;
    const char* name;
    int firstFace;  // index in the picture list, 0..41
    int faceCount;
    bool suit;
};
constexpr int kGroupCount = 7;
extern const std::array<Group, kGroupCount> kGroups;

// The bounds, in CIEDE2000 units, that both measures keep in every checked view.
constexpr double kSuitBound = 30.0;   // between two suits
constexpr double kGroupBound = 15.0;  // between any two groups
double boundBetween(const Group& one, const Group& other);

// One tile face: straight 8-bit RGBA, row after row.
struct Face {
    std::string name;
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
};

// One group's colour by one measure.
struct GroupColour {
    Linear mean[kViewCount];
    Lab lab[kViewCount];
    long pixels = 0;  // over all the group's faces
};

struct PairDifference {
    int one, other;  // indexes into kGroups
    double bound;
    double delta[kMeasureCount][kViewCount];  // CIEDE2000 between the two groups' colours
};

struct Measurement {
    std::array<GroupColour, kGroupCount> groups[kMeasureCount];
    std::vector<PairDifference> pairs;  // every pair of groups, in order
};

// `faces` holds the 42 tile faces in the picture list's order.
Measurement measure(const std::vector<Face>& faces);

// One line per pair, measure and checked view below its bound, as
// "a diamonds / b circles, frame, protanopia: 12.3 < 30.0"; empty when all hold.
std::vector<std::string> shortfalls(const Measurement& measurement);

// The tables in Markdown, a pair of them a measure: the pairs' differences by
// view, then each group's colour (as sRGB hex and CIELAB L*) by view.
std::string markdownTables(const Measurement& measurement);

}  // namespace colour_vision
