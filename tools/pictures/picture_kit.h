// The drawing kit shared by the picture generator: colours, rounded shapes,
// stars, and a small stroked alphabet for the numerals, wind letters and score
// bands. The glyphs are our own vector shapes rather than a system font, so the
// pictures come out the same on every machine that has the same cairo.
#pragma once

#include <cairo.h>

#include <string>

#include "render/picture_names.h"  // the game's own list: kPictureNames

constexpr double kPi = 3.14159265358979323846;

inline double radians(double degrees) {
    return degrees * kPi / 180.0;
}

struct Rgb {
    double r, g, b;
};

constexpr int kTileSize = 128;    // tile faces are square powers of two, shown at 100 x 100
constexpr int kRewardSize = 512;  // reward pictures, shown at 400 x 400

void setColour(cairo_t* cr, Rgb colour, double alpha = 1.0);
Rgb mix(Rgb a, Rgb b, double t);  // t = 0 gives a, t = 1 gives b

void roundedRectPath(cairo_t* cr, double x, double y, double w, double h, double radius);
void circlePath(cairo_t* cr, double cx, double cy, double r);
void starPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points,
              double turnDegrees);

// Fills the current path, then strokes its outline, and clears the path.
void fillAndOutline(cairo_t* cr, Rgb fill, Rgb outline, double outlineWidth);

// Stroked text whose glyph box is `height` tall, centred on centreX, its top
// at `top`. Only the characters of the alphabet are drawn ("0-9", "+", "-",
// " ", "E", "N", "S", "W"); others advance like a space.
double textWidth(const std::string& text, double height);
void strokeText(cairo_t* cr, const std::string& text, double centreX, double top, double height,
                double lineWidth, Rgb ink);
// The same text with a dark rim around every stroke, for text over pictures.
void strokeTextRimmed(cairo_t* cr, const std::string& text, double centreX, double top,
                      double height, double lineWidth, double rimWidth, Rgb ink, Rgb rim);

// A new transparent ARGB surface, size x size, and a context on it.
cairo_surface_t* newPicture(int size);

// Writes the surface as a PNG: RGB when every pixel is opaque, else straight
// RGBA. The same surface gives the same bytes on every run. False, with a
// message, when the file cannot be written.
bool writePng(cairo_surface_t* surface, const std::string& path);

// The pictures, drawn fresh on each call.
cairo_surface_t* drawTileFace(int index);      // 0..41, the tile of code index + 1
cairo_surface_t* drawRewardPicture(int band);  // 0..3, lowest score band first
// The same tile face drawn on `cr` as vectors, in a kTileSize square at the
// current origin: the caller's matrix may scale and turn it. Leaves the
// context's line settings changed; callers that go on drawing save and restore.
void paintTileFace(cairo_t* cr, int index);

// The application icon at each size a desktop asks for, written as
// kessary-<size>.png; false on failure.
constexpr int kIconSizeCount = 4;
extern const int kIconSizes[kIconSizeCount];  // 48, 64, 128, 256
cairo_surface_t* drawAppIcon(int size);
bool writeAppIcons(const std::string& folder);

// The two contact sheets from the 46 pictures in load order: at full opacity,
// and as a tile appears in play. Each is written as a PNG; false on failure.
bool writeContactSheets(cairo_surface_t* const pictures[kPictureCount], const std::string& folder);
