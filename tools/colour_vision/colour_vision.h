// How far apart the tile groups' colours stand, as seen with normal colour
// vision and with the three full colour blindnesses, measured from the tile
// faces' own pixels. Standard library only: the picture test links it with
// SOIL's loader, the kessary_colour_vision tool with libpng.
//
// A view is a way of seeing a pixel: as it is, through the Machado, Oliveira
// and Fernandes (2009) simulation of protanopia, deuteranopia or tritanopia
// at severity 1.0 (applied in linear RGB: decode sRGB, multiply, clamp to
// 0..1, encode), or in greyscale (the pixel's luminance Y as a grey).
//
// The ink of a face is what a player sees of it besides its cream face: the
// mean colour, in linear light, of its opaque pixels that are not cream (the
// backing that shows as the tile's rim and thick lower edge, the outlines,
// the numeral or picture, the emblem). Where on the face a pixel stands does
// not count, only its colour. A group's ink pools the pixels of all its
// faces. Each pixel is seen in the view first and then averaged, so a view's
// ink is the mean of what that eye sees. Differences are CIEDE2000 between
// inks in CIELAB (D65 white, sRGB primaries).
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

// The groups whose tiles carry the numbers 1 to 4 or 1 to 9, and so can be
// mistaken for one another: the three suits, flowers and seasons.
struct Group {
    char letter;
    const char* name;
    int firstFace;  // index in the picture list, 0..41
    int faceCount;
    bool suit;
};
constexpr int kGroupCount = 5;
extern const std::array<Group, kGroupCount> kNumberedGroups;

// The bounds, in CIEDE2000 units, that every checked view keeps.
constexpr double kSuitBound = 30.0;      // between two suits
constexpr double kNumberedBound = 15.0;  // between any two numbered groups
double boundBetween(const Group& one, const Group& other);

// One tile face: straight 8-bit RGBA, row after row.
struct Face {
    std::string name;
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
};

struct GroupInk {
    Linear mean[kViewCount];
    Lab lab[kViewCount];
    long pixels = 0;  // ink pixels over all the group's faces
};

struct PairDifference {
    int one, other;  // indexes into kNumberedGroups
    double bound;
    double delta[kViewCount];  // CIEDE2000 between the two groups' inks
};

struct Measurement {
    std::array<GroupInk, kGroupCount> groups;
    std::vector<PairDifference> pairs;  // every pair of numbered groups, in order
};

// `faces` holds the 42 tile faces in the picture list's order.
Measurement measure(const std::vector<Face>& faces);

// One line per pair and checked view below its bound; empty when all hold.
std::vector<std::string> shortfalls(const Measurement& measurement);

// The tables in Markdown: the pairs' differences by view, then each group's
// ink (as sRGB hex and CIELAB L*) by view.
std::string markdownTables(const Measurement& measurement);

}  // namespace colour_vision
