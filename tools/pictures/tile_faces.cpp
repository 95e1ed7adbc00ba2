// The 42 tile faces. The game draws a tile at only 5 to 18 percent opacity,
// shaking, over a white screen, so every face is built for that: a backing in
// its group's colour that shows as the tile's thick lower edge, an outline,
// and one big dark mark. Suit tiles (a, b, c) carry a numeral over a large
// emblem whose outline alone tells the suit; winds carry a big letter over a
// compass; flowers and seasons a big picture over a smaller index; the three
// dragons, the most valuable group, a gold backing and one seal each.
//
// The seven groups' colours are chosen to stay apart for colour-blind players
// too (docs/colour-vision.md has the measurements, and a test holds them to
// it): see the table of group styles below.
#include <cmath>
#include <iterator>
#include <string>

#include "picture_kit.h"

namespace {

// The tile is portrait, like the game's landing outline (80 x 100 of the 100
// x 100 quad): transparent margins left and right, a thin one above and below.
constexpr double kBodyX = 12, kBodyY = 2, kBodyW = 104, kBodyH = 124, kBodyRadius = 14;
constexpr double kEdgeSide = 7;     // backing visible left, right and above the face
constexpr double kEdgeBottom = 15;  // and the thicker lower edge that gives it depth
constexpr double kFaceRadius = 9;
constexpr double kOutline = 4;  // dark rim around the whole tile
constexpr double kFaceOutline = 2;
constexpr double kEmblemOutline = 2.5;  // around emblems and pictures
constexpr double kCentreX = kBodyX + kBodyW / 2;

// Wind tiles: a big letter above a small compass.
constexpr double kBigMarkTop = 18, kBigMarkHeight = 54, kBigMarkStroke = 13;
constexpr double kEmblemY = 97, kEmblemR = 12;
// Flower and season tiles: a big picture above a small index.
constexpr double kPictureY = 38, kPictureR = 25;
constexpr double kIndexTop = 71, kIndexHeight = 32, kIndexStroke = 12;

struct GroupStyle {
    Rgb backing;  // the tile's edge colour, the group's colour family
    Rgb ink;      // the mark's colour: dark enough to read at 10 % opacity
    Rgb fill;     // emblem colour
    Rgb outline;  // the tile's rim, the face's edge, and the pictures' outlines
};

const Rgb kFace = {1.00, 0.98, 0.92};
const Rgb kWhite = {1.00, 1.00, 1.00};
const Rgb kBlack = {0.00, 0.00, 0.00};

// The usual outline: the mark's colour a third of the way to black.
Rgb shade(Rgb ink) {
    return mix(ink, kBlack, 0.35);
}

// A tile's colour in play is mostly its rim (outline and backing), so that is
// where the groups differ. Red and green fall together for protanopes and
// deuteranopes, blue and green for tritanopes, but lightness survives every
// view, so the groups stand on three steps of lightness and differ by hue
// within a step. Dark: the red diamonds and the deep blue circles, apart by
// hue in every view. Middle: the teal winds, violet flowers and orange
// seasons, which each blindness sees as grey, blue and yellow (protanopes and
// deuteranopes) or as teal, mauve and red (tritanopes). Light: the pale jade
// bamboo and the gold dragons, a pale yellowish grey against a strong yellow,
// or cyan against pink. A light group's rim is a mid shade of its colour
// rather than a dark one, and its marks stay dark enough to read.
const Rgb kDiamondsInk = {0.36, 0.00, 0.05}, kCirclesInk = {0.02, 0.12, 0.46};
const Rgb kDragonsInk = {0.36, 0.22, 0.00};

// clang-format off
//                              backing             ink                 fill                outline
const GroupStyle kDiamonds = {{0.60, 0.04, 0.10}, kDiamondsInk,       {0.66, 0.05, 0.12}, shade(kDiamondsInk)};  // a
const GroupStyle kCircles  = {{0.12, 0.36, 0.84}, kCirclesInk,        {0.14, 0.40, 0.88}, shade(kCirclesInk)};   // b
const GroupStyle kBamboo   = {{0.64, 0.96, 0.82}, {0.02, 0.36, 0.14}, {0.22, 0.66, 0.44}, {0.36, 0.76, 0.56}};   // c
const GroupStyle kDragons  = {{1.00, 0.82, 0.10}, kDragonsInk,        {1.00, 0.86, 0.24}, {0.81, 0.59, 0.05}};   // d
const GroupStyle kWinds    = {{0.24, 0.72, 0.70}, {0.00, 0.26, 0.30}, {0.14, 0.60, 0.58}, {0.04, 0.32, 0.32}};   // e
const GroupStyle kFlowers  = {{0.68, 0.60, 1.00}, {0.30, 0.06, 0.48}, {0.80, 0.66, 0.99}, {0.36, 0.26, 0.72}};   // f
const GroupStyle kSeasons  = {{0.94, 0.48, 0.06}, {0.46, 0.18, 0.00}, {0.96, 0.54, 0.10}, {0.56, 0.26, 0.02}};   // g
// clang-format on

Rgb outlineOf(const GroupStyle& style) {
    return style.outline;
}

void drawTileBody(cairo_t* cr, const GroupStyle& style) {
    roundedRectPath(cr, kBodyX + kOutline / 2, kBodyY + kOutline / 2, kBodyW - kOutline,
                    kBodyH - kOutline, kBodyRadius);
    fillAndOutline(cr, style.backing, outlineOf(style), kOutline);

    roundedRectPath(cr, kBodyX + kEdgeSide, kBodyY + kEdgeSide, kBodyW - 2 * kEdgeSide,
                    kBodyH - kEdgeSide - kEdgeBottom, kFaceRadius);
    fillAndOutline(cr, kFace, outlineOf(style), kFaceOutline);
}

void drawBigMark(cairo_t* cr, const GroupStyle& style, const std::string& mark) {
    strokeText(cr, mark, kCentreX, kBigMarkTop, kBigMarkHeight, kBigMarkStroke, style.ink);
}

void drawIndex(cairo_t* cr, const GroupStyle& style, int number) {
    strokeText(cr, std::to_string(number), kCentreX, kIndexTop, kIndexHeight, kIndexStroke,
               style.ink);
}

// ---- suits ----------------------------------------------------------------

// A suit tile carries a numeral over a large emblem, and the three emblems
// differ in outline, so that a blurred, shaking tile still shows its suit by
// shape alone: a solid diamond with sharp side corners, a round coin with a
// wide hole, three upright bamboo stalks. Emblems are outlined in the shade
// of the suit's mark, dark on every suit, the pale bamboo too.
constexpr double kSuitNumeralTop = 13, kSuitNumeralHeight = 43, kSuitNumeralStroke = 12;
constexpr double kSuitEmblemY = 87;  // centre of the emblem
constexpr double kSuitEmblemHalfHeight = 18;

void drawSuitNumeral(cairo_t* cr, const GroupStyle& style, int number) {
    strokeText(cr, std::to_string(number), kCentreX, kSuitNumeralTop, kSuitNumeralHeight,
               kSuitNumeralStroke, style.ink);
}

// Diamonds: a wide solid diamond, its corners sharp.
void drawDiamondsTile(cairo_t* cr, int number) {
    const GroupStyle& style = kDiamonds;
    constexpr double halfWidth = 31, halfHeight = kSuitEmblemHalfHeight + 1;
    drawTileBody(cr, style);
    drawSuitNumeral(cr, style, number);
    cairo_move_to(cr, kCentreX, kSuitEmblemY - halfHeight);
    cairo_line_to(cr, kCentreX + halfWidth, kSuitEmblemY);
    cairo_line_to(cr, kCentreX, kSuitEmblemY + halfHeight);
    cairo_line_to(cr, kCentreX - halfWidth, kSuitEmblemY);
    cairo_close_path(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    setColour(cr, style.fill);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, kEmblemOutline);
    setColour(cr, shade(style.ink));
    cairo_stroke(cr);
}

// Circles: a round coin with a wide hole.
void drawCirclesTile(cairo_t* cr, int number) {
    const GroupStyle& style = kCircles;
    constexpr double outer = kSuitEmblemHalfHeight + 2, inner = 9;
    drawTileBody(cr, style);
    drawSuitNumeral(cr, style, number);
    circlePath(cr, kCentreX, kSuitEmblemY, outer);
    circlePath(cr, kCentreX, kSuitEmblemY, inner);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    fillAndOutline(cr, style.fill, shade(style.ink), kEmblemOutline);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

// Bamboo: three upright stalks, each with a dark joint across its middle.
void drawBambooTile(cairo_t* cr, int number) {
    const GroupStyle& style = kBamboo;
    constexpr int kStalks = 3;
    constexpr double width = 12, gap = 6, height = 2 * kSuitEmblemHalfHeight + 2;
    constexpr double jointHeight = 5, jointOverhang = 2;
    const double left = kCentreX - (kStalks * width + (kStalks - 1) * gap) / 2;
    const double top = kSuitEmblemY - height / 2;
    drawTileBody(cr, style);
    drawSuitNumeral(cr, style, number);
    for (int k = 0; k < kStalks; ++k) {
        const double x = left + k * (width + gap);
        roundedRectPath(cr, x, top, width, height, 3);
        fillAndOutline(cr, style.fill, shade(style.ink), kEmblemOutline);
        roundedRectPath(cr, x - jointOverhang, kSuitEmblemY - jointHeight / 2,
                        width + 2 * jointOverhang, jointHeight, 2);
        fillAndOutline(cr, shade(style.ink), shade(style.ink), 1.0);
    }
}

// ---- dragons --------------------------------------------------------------

// The three dragons share one emblem, a tall square seal, so that they read as
// one group by shape as well as by their gold, and nothing on them looks like
// a season's or a flower's picture: the first has a bar through its seal from
// top to bottom, the second a cross inside it, the third (the white dragon)
// is the seal alone. The seal is gold outlined in the dragons' dark brown, the
// bar and the cross are that brown.
constexpr double kSealY = 60;  // centre of the seal on the face
constexpr double kSealW = 60, kSealH = 78, kSealRim = 12, kSealRadius = 6;
// The seal's outline is heavier than other emblems': it is the dragons' one mark.
constexpr double kSealOutline = 4;
constexpr double kBarWidth = 16;
constexpr double kBarReach = 10;  // how far the first dragon's bar stands out of the seal

void drawSeal(cairo_t* cr, const GroupStyle& style) {
    const double left = kCentreX - kSealW / 2, top = kSealY - kSealH / 2;
    roundedRectPath(cr, left, top, kSealW, kSealH, kSealRadius);
    roundedRectPath(cr, left + kSealRim, top + kSealRim, kSealW - 2 * kSealRim,
                    kSealH - 2 * kSealRim, kSealRadius / 2);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    fillAndOutline(cr, style.fill, style.ink, kSealOutline);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

// A bar through the seal, standing out of it above and below.
void drawSealBar(cairo_t* cr, const GroupStyle& style) {
    const double reach = kSealH / 2 + kBarReach;
    cairo_rectangle(cr, kCentreX - kBarWidth / 2, kSealY - reach, kBarWidth, 2 * reach);
    fillAndOutline(cr, style.ink, style.ink, 1.0);
}

// A cross that fills the seal's opening, its arms meeting the rim.
void drawSealCross(cairo_t* cr, const GroupStyle& style) {
    const double halfW = kSealW / 2 - kSealRim, halfH = kSealH / 2 - kSealRim;
    const double arm = kBarWidth / 2 - 2;
    cairo_rectangle(cr, kCentreX - arm, kSealY - halfH, 2 * arm, 2 * halfH);
    cairo_rectangle(cr, kCentreX - halfW, kSealY - arm, 2 * halfW, 2 * arm);
    setColour(cr, style.ink);
    cairo_fill(cr);
}

void drawDragonTile(cairo_t* cr, int which) {
    const GroupStyle& style = kDragons;
    drawTileBody(cr, style);
    drawSeal(cr, style);
    if (which == 0) {
        drawSealBar(cr, style);
    } else if (which == 1) {
        drawSealCross(cr, style);
    }
}

// ---- winds ----------------------------------------------------------------

// A compass whose one pointer shows the wind's direction; 0 east, 1 south,
// 2 west, 3 north, so the pointer turns 90 degrees a wind.
void drawWindTile(cairo_t* cr, int which) {
    const GroupStyle& style = kWinds;
    const char* const letters[4] = {"E", "S", "W", "N"};
    drawTileBody(cr, style);
    drawBigMark(cr, style, letters[which]);
    circlePath(cr, kCentreX, kEmblemY, kEmblemR);
    fillAndOutline(cr, kWhite, outlineOf(style), kEmblemOutline);
    cairo_save(cr);
    cairo_translate(cr, kCentreX, kEmblemY);
    cairo_rotate(cr, radians(90.0 * which));
    cairo_move_to(cr, kEmblemR * 1.15, 0);
    cairo_line_to(cr, -kEmblemR * 0.3, -kEmblemR * 0.55);
    cairo_line_to(cr, 0, 0);
    cairo_line_to(cr, -kEmblemR * 0.3, kEmblemR * 0.55);
    cairo_close_path(cr);
    cairo_restore(cr);
    fillAndOutline(cr, style.fill, outlineOf(style), 2.0);
}

// ---- flowers --------------------------------------------------------------

// Four flowers told apart by their petals (4, 5, 6, 8) and colour.
void drawFlowerTile(cairo_t* cr, int which) {
    const GroupStyle& style = kFlowers;
    // clang-format off
    const int petals[4]     = {4, 5, 6, 8};
    const Rgb petalFill[4]  = {{0.82, 0.40, 0.92},   // violet
                               {0.96, 0.46, 0.70},   // rose
                               {0.68, 0.48, 0.98},   // lilac
                               {0.90, 0.34, 0.58}};  // plum
    // clang-format on
    const double petalR = kPictureR * (which == 3 ? 0.36 : 0.46);
    drawTileBody(cr, style);
    for (int k = 0; k < petals[which]; ++k) {
        double angle = radians(-90.0 + 360.0 * k / petals[which]);
        double reach = kPictureR - petalR;
        circlePath(cr, kCentreX + reach * std::cos(angle), kPictureY + reach * std::sin(angle),
                   petalR);
        fillAndOutline(cr, petalFill[which], outlineOf(style), kEmblemOutline);
    }
    circlePath(cr, kCentreX, kPictureY, kPictureR * 0.3);
    fillAndOutline(cr, {1.0, 0.84, 0.14}, outlineOf(style), kEmblemOutline);
    drawIndex(cr, style, which + 1);
}

// ---- seasons --------------------------------------------------------------

void drawSpring(cairo_t* cr, const GroupStyle& style) {
    const Rgb green = {0.30, 0.72, 0.14};
    // stem
    cairo_move_to(cr, kCentreX, kPictureY + kPictureR * 0.85);
    cairo_curve_to(cr, kCentreX, kPictureY + 10, kCentreX - 2, kPictureY, kCentreX, kPictureY - 8);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 5.0);
    setColour(cr, outlineOf(style));
    cairo_stroke(cr);
    for (int side : {-1, 1}) {
        double tipX = kCentreX + side * kPictureR * 0.95, tipY = kPictureY - kPictureR * 0.55;
        cairo_move_to(cr, kCentreX, kPictureY - 4);
        cairo_curve_to(cr, kCentreX + side * 6, kPictureY - 26, tipX - side * 10, tipY - 6, tipX,
                       tipY);
        cairo_curve_to(cr, tipX - side * 4, tipY + 18, kCentreX + side * 12, kPictureY + 4,
                       kCentreX, kPictureY - 4);
        cairo_close_path(cr);
        fillAndOutline(cr, green, outlineOf(style), kEmblemOutline);
    }
}

void drawSummer(cairo_t* cr, const GroupStyle& style) {
    const Rgb sun = {1.0, 0.72, 0.08};
    starPath(cr, kCentreX, kPictureY, kPictureR, kPictureR * 0.7, 12, 0.0);
    fillAndOutline(cr, {1.0, 0.50, 0.06}, outlineOf(style), kEmblemOutline);
    circlePath(cr, kCentreX, kPictureY, kPictureR * 0.55);
    fillAndOutline(cr, sun, outlineOf(style), kEmblemOutline);
}

// Autumn: a maple leaf, its right half outlined point by point and mirrored.
void drawAutumn(cairo_t* cr, const GroupStyle& style) {
    const Rgb leaf = {0.90, 0.30, 0.06};
    // clang-format off
    const double kMapleHalf[][2] = {
        {0.00, -1.00}, {0.20, -0.62}, {0.40, -0.74}, {0.32, -0.26},  // top lobe
        {0.74, -0.56}, {0.66, -0.30}, {0.98, -0.16}, {0.66,  0.06},  // side lobe
        {0.76,  0.22}, {0.40,  0.22}, {0.46,  0.46}, {0.06,  0.34},  // lower lobe
        {0.06,  0.95}};                                              // stem
    // clang-format on
    cairo_save(cr);
    cairo_translate(cr, kCentreX, kPictureY - 2);
    cairo_scale(cr, kPictureR, kPictureR);
    for (const auto& point : kMapleHalf) {
        cairo_line_to(cr, point[0], point[1]);
    }
    for (int k = int(std::size(kMapleHalf)) - 1; k >= 0; --k) {
        cairo_line_to(cr, -kMapleHalf[k][0], kMapleHalf[k][1]);
    }
    cairo_close_path(cr);
    cairo_restore(cr);
    fillAndOutline(cr, leaf, outlineOf(style), kEmblemOutline);
}

void drawWinter(cairo_t* cr, const GroupStyle& style) {
    const Rgb ice = {0.16, 0.50, 0.86};
    const double arm = kPictureR * 0.92;  // leaves room for the rounded stroke ends
    cairo_save(cr);
    cairo_translate(cr, kCentreX, kPictureY);
    for (int spoke = 0; spoke < 6; ++spoke) {
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, 0, -arm);
        for (int side : {-1, 1}) {
            cairo_move_to(cr, 0, -arm * 0.55);
            cairo_line_to(cr, side * arm * 0.3, -arm * 0.82);
        }
        cairo_rotate(cr, radians(60));
    }
    cairo_restore(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 9.0);
    setColour(cr, outlineOf(style));
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 4.5);
    setColour(cr, ice);
    cairo_stroke(cr);
}

void drawSeasonTile(cairo_t* cr, int which) {
    const GroupStyle& style = kSeasons;
    drawTileBody(cr, style);
    switch (which) {
        case 0:
            drawSpring(cr, style);
            break;
        case 1:
            drawSummer(cr, style);
            break;
        case 2:
            drawAutumn(cr, style);
            break;
        default:
            drawWinter(cr, style);
            break;
    }
    drawIndex(cr, style, which + 1);
}

}  // namespace

cairo_surface_t* drawTileFace(int index) {
    cairo_surface_t* surface = newPicture(kTileSize);
    cairo_t* cr = cairo_create(surface);
    paintTileFace(cr, index);
    cairo_destroy(cr);
    return surface;
}

void paintTileFace(cairo_t* cr, int index) {
    // Tile codes 1..27 are three suits of nine; 28.. the honour groups.
    if (index < 9) {
        drawDiamondsTile(cr, index + 1);
    } else if (index < 18) {
        drawCirclesTile(cr, index - 9 + 1);
    } else if (index < 27) {
        drawBambooTile(cr, index - 18 + 1);
    } else if (index < 30) {
        drawDragonTile(cr, index - 27);
    } else if (index < 34) {
        drawWindTile(cr, index - 30);
    } else if (index < 38) {
        drawFlowerTile(cr, index - 34);
    } else {
        drawSeasonTile(cr, index - 38);
    }
}
