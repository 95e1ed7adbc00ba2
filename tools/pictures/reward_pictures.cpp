// The four reward pictures shown when a game ends, one per score band, in
// rising grandeur: a ribbon rosette, a bronze medal, a silver medal in a
// laurel wreath, and a gold cup under stars. Each is opaque, framed, with its
// band written on a banner across the bottom. Flat tones rather than smooth
// gradients keep the files small and the shapes crisp at 400 x 400.
#include <cmath>
#include <string>

#include "picture_kit.h"

namespace {

constexpr double kSize = kRewardSize;
constexpr double kCentreX = kSize / 2;
constexpr double kPrizeY = 216;  // centre of the prize, above the banner
constexpr double kFrame = 14;    // coloured border around the picture
constexpr double kOutline = 6;   // dark outline around every shape

// Banner with the score band.
constexpr double kBannerY = 392, kBannerH = 84, kBannerW = 400, kBannerFold = 34;
constexpr double kBandTextHeight = 46, kBandTextStroke = 11, kBandTextRim = 4;

const Rgb kInk = {0.16, 0.10, 0.06};
const Rgb kCream = {1.00, 0.97, 0.88};

struct Metal {
    Rgb base, shade, light;
};

// clang-format off
const Metal kBronze = {{0.80, 0.50, 0.24}, {0.58, 0.32, 0.12}, {0.96, 0.74, 0.50}};  // band 1
const Metal kSilver = {{0.78, 0.80, 0.84}, {0.56, 0.58, 0.64}, {0.97, 0.98, 1.00}};  // band 2
const Metal kGold   = {{0.98, 0.76, 0.12}, {0.80, 0.50, 0.02}, {1.00, 0.93, 0.56}};  // band 3

struct BandLook {
    const char* band;  // the score range written on the banner
    Rgb sky;           // background
    Rgb rays;          // sunburst rays over it
    int rayCount;      // 0: no sunburst
    Rgb frame;         // border and banner
    int stars;         // stars around the prize
};

const BandLook kBands[4] = {
    {"0 - 99",    {0.86, 0.93, 0.98}, {0.80, 0.89, 0.97},  0, {0.20, 0.42, 0.78}, 0},  // rosette
    {"100 - 199", {0.99, 0.91, 0.82}, {0.98, 0.85, 0.70}, 12, {0.72, 0.36, 0.14}, 0},  // bronze
    {"200 - 299", {0.90, 0.91, 0.98}, {0.82, 0.84, 0.96}, 18, {0.36, 0.38, 0.62}, 3},  // silver
    {"300 +",     {0.22, 0.14, 0.46}, {0.32, 0.22, 0.60}, 24, {0.86, 0.62, 0.06}, 5},  // gold
};
// clang-format on

void outline(cairo_t* cr, Rgb fill) {
    fillAndOutline(cr, fill, kInk, kOutline);
}

void drawBackground(cairo_t* cr, const BandLook& look) {
    setColour(cr, look.sky);
    cairo_paint(cr);
    for (int k = 0; k < look.rayCount; ++k) {
        double a0 = 2 * kPi * k / look.rayCount, a1 = a0 + kPi / look.rayCount;
        cairo_move_to(cr, kCentreX, kPrizeY);
        cairo_arc(cr, kCentreX, kPrizeY, kSize, a0, a1);
        cairo_close_path(cr);
    }
    setColour(cr, look.rays);
    cairo_fill(cr);
}

void drawFrame(cairo_t* cr, const BandLook& look) {
    cairo_rectangle(cr, kFrame / 2, kFrame / 2, kSize - kFrame, kSize - kFrame);
    cairo_set_line_width(cr, kFrame);
    setColour(cr, look.frame);
    cairo_stroke(cr);
    cairo_rectangle(cr, kFrame, kFrame, kSize - 2 * kFrame, kSize - 2 * kFrame);
    cairo_set_line_width(cr, 3);
    setColour(cr, kInk);
    cairo_stroke(cr);
}

// A ribbon banner: a band with folded ends tucked behind it.
void drawBanner(cairo_t* cr, const BandLook& look) {
    const double left = kCentreX - kBannerW / 2, right = kCentreX + kBannerW / 2;
    const double top = kBannerY - kBannerH / 2, bottom = kBannerY + kBannerH / 2;
    const Rgb back = mix(look.frame, kInk, 0.35);
    for (int side : {-1, 1}) {
        double inner = side < 0 ? left + kBannerFold : right - kBannerFold;
        double outer = side < 0 ? left - kBannerFold : right + kBannerFold;
        cairo_move_to(cr, inner, top + 16);
        cairo_line_to(cr, outer, top + 16);
        cairo_line_to(cr, outer + side * -22, bottom + 8);
        cairo_line_to(cr, outer, bottom + 32);
        cairo_line_to(cr, inner, bottom + 32);
        cairo_close_path(cr);
        outline(cr, back);
    }
    cairo_move_to(cr, left, top);
    cairo_curve_to(cr, left + kBannerW / 3, top - 10, right - kBannerW / 3, top - 10, right, top);
    cairo_line_to(cr, right, bottom);
    cairo_curve_to(cr, right - kBannerW / 3, bottom - 10, left + kBannerW / 3, bottom - 10, left,
                   bottom);
    cairo_close_path(cr);
    outline(cr, look.frame);
    strokeTextRimmed(cr, look.band, kCentreX, kBannerY - kBandTextHeight / 2 - 4, kBandTextHeight,
                     kBandTextStroke, kBandTextRim, kCream, kInk);
}

void drawStars(cairo_t* cr, int count) {
    // Stars on an arc over the prize, the middle one highest and largest.
    for (int k = 0; k < count; ++k) {
        double t = count == 1 ? 0.0 : (k - (count - 1) / 2.0) / ((count - 1) / 2.0);
        double angle = radians(-90 + 62 * t);
        double r = 32 - 8 * std::fabs(t);
        starPath(cr, kCentreX + 196 * std::cos(angle), kPrizeY + 24 + 196 * std::sin(angle), r,
                 r * 0.45, 5, 0.0);
        fillAndOutline(cr, kGold.light, kInk, 4);
    }
}

// A metal disc with a raised rim, a star in relief and a gleam.
void drawMedal(cairo_t* cr, const Metal& metal, double cx, double cy, double r) {
    circlePath(cr, cx, cy, r);
    outline(cr, metal.shade);
    circlePath(cr, cx, cy, r * 0.82);
    fillAndOutline(cr, metal.base, metal.shade, 4);
    starPath(cr, cx, cy + r * 0.04, r * 0.56, r * 0.24, 5, 0.0);
    fillAndOutline(cr, metal.light, metal.shade, 5);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r * 0.68, radians(200), radians(250));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 9);
    setColour(cr, kCream);
    cairo_stroke(cr);
}

// Two straps in a V from the top edge down behind the medal.
void drawNeckRibbon(cairo_t* cr, Rgb left, Rgb right, double medalTop) {
    const double topX = 112, bottomX = 34, width = 66, bottomY = medalTop + 40;
    for (int side : {-1, 1}) {
        cairo_move_to(cr, kCentreX + side * topX - width / 2, 0);
        cairo_line_to(cr, kCentreX + side * topX + width / 2, 0);
        cairo_line_to(cr, kCentreX + side * bottomX + width / 2, bottomY);
        cairo_line_to(cr, kCentreX + side * bottomX - width / 2, bottomY);
        cairo_close_path(cr);
        outline(cr, side < 0 ? left : right);
    }
}

// A laurel branch up each side: a curved stem with leaves in pairs, each
// leaf leaning towards the top.
void drawLaurel(cairo_t* cr, double cx, double cy, double r) {
    const Rgb leaf = {0.30, 0.62, 0.18}, stem = {0.20, 0.40, 0.10};
    constexpr int kPairs = 7;
    constexpr double kFirst = 115, kLast = 0, kLean = 38;  // degrees
    for (int side : {-1, 1}) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, side, 1.0);  // the left branch mirrors the right one
        cairo_new_sub_path(cr);
        cairo_arc_negative(cr, 0, 0, r, radians(kFirst + 8), radians(kLast - 6));
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_width(cr, 12);
        setColour(cr, kInk);
        cairo_stroke_preserve(cr);
        cairo_set_line_width(cr, 5);
        setColour(cr, stem);
        cairo_stroke(cr);
        for (int k = 0; k < kPairs; ++k) {
            double angle = radians(kFirst + (kLast - kFirst) * k / (kPairs - 1));
            for (int lean : {-1, 1}) {
                cairo_save(cr);
                cairo_translate(cr, r * std::cos(angle), r * std::sin(angle));
                cairo_rotate(cr, angle - kPi / 2 + lean * radians(kLean));
                cairo_translate(cr, 18, 0);
                cairo_scale(cr, 1.0, 0.42);
                circlePath(cr, 0, 0, 20);
                cairo_restore(cr);
                fillAndOutline(cr, leaf, kInk, 4);
            }
        }
        cairo_restore(cr);
    }
}

void drawRosette(cairo_t* cr) {
    const Rgb blue = {0.18, 0.42, 0.86}, deep = {0.10, 0.26, 0.64};
    const double cy = kPrizeY - 40;
    // Tails first, so the rosette covers their tops.
    for (int side : {-1, 1}) {
        double x = kCentreX + side * 42;
        cairo_move_to(cr, x - 30, cy);
        cairo_line_to(cr, x + 30, cy);
        cairo_line_to(cr, x + 30 + side * 22, cy + 166);
        cairo_line_to(cr, x + side * 22, cy + 142);
        cairo_line_to(cr, x - 30 + side * 22, cy + 166);
        cairo_close_path(cr);
        outline(cr, side < 0 ? blue : deep);
    }
    starPath(cr, kCentreX, cy, 118, 100, 24, 0.0);
    outline(cr, blue);
    starPath(cr, kCentreX, cy, 92, 80, 24, 7.5);
    fillAndOutline(cr, deep, kInk, 4);
    circlePath(cr, kCentreX, cy, 66);
    outline(cr, kCream);
    starPath(cr, kCentreX, cy + 3, 40, 17, 5, 0.0);
    fillAndOutline(cr, blue, kInk, 5);
}

void drawBronzeMedal(cairo_t* cr) {
    const double r = 112, cy = kPrizeY + 14;
    drawNeckRibbon(cr, {0.86, 0.16, 0.18}, {0.70, 0.08, 0.12}, cy - r);
    drawMedal(cr, kBronze, kCentreX, cy, r);
}

void drawSilverMedal(cairo_t* cr) {
    const double r = 104, cy = kPrizeY + 14;
    drawNeckRibbon(cr, {0.20, 0.36, 0.86}, {0.12, 0.24, 0.66}, cy - r);
    drawLaurel(cr, kCentreX, cy, r + 30);
    drawMedal(cr, kSilver, kCentreX, cy, r);
}

void drawGoldCup(cairo_t* cr) {
    const Metal& gold = kGold;
    const double rim = kPrizeY - 110, bowlW = 180, bowlBottom = kPrizeY + 36;
    drawLaurel(cr, kCentreX, kPrizeY - 4, 148);
    // Handles: thick rings behind the bowl.
    for (int side : {-1, 1}) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, kCentreX + side * 96, rim + 56, 40, 0.0, 2 * kPi);
        cairo_set_line_width(cr, 26);
        setColour(cr, kInk);
        cairo_stroke_preserve(cr);
        cairo_set_line_width(cr, 14);
        setColour(cr, gold.shade);
        cairo_stroke(cr);
    }
    // Base and stem.
    roundedRectPath(cr, kCentreX - 78, bowlBottom + 62, 156, 30, 8);
    outline(cr, gold.shade);
    roundedRectPath(cr, kCentreX - 56, bowlBottom + 40, 112, 26, 6);
    outline(cr, gold.base);
    cairo_move_to(cr, kCentreX - 14, bowlBottom - 4);
    cairo_line_to(cr, kCentreX + 14, bowlBottom - 4);
    cairo_line_to(cr, kCentreX + 24, bowlBottom + 44);
    cairo_line_to(cr, kCentreX - 24, bowlBottom + 44);
    cairo_close_path(cr);
    outline(cr, gold.shade);
    // Bowl: a wide rim curving down to the stem.
    cairo_move_to(cr, kCentreX - bowlW / 2, rim);
    cairo_line_to(cr, kCentreX + bowlW / 2, rim);
    cairo_curve_to(cr, kCentreX + bowlW / 2, rim + 110, kCentreX + 40, bowlBottom, kCentreX,
                   bowlBottom);
    cairo_curve_to(cr, kCentreX - 40, bowlBottom, kCentreX - bowlW / 2, rim + 110,
                   kCentreX - bowlW / 2, rim);
    cairo_close_path(cr);
    outline(cr, gold.base);
    // Gleam down the bowl's left side and the lip on top.
    cairo_move_to(cr, kCentreX - 62, rim + 22);
    cairo_curve_to(cr, kCentreX - 62, rim + 80, kCentreX - 40, rim + 112, kCentreX - 24, rim + 124);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 12);
    setColour(cr, gold.light);
    cairo_stroke(cr);
    roundedRectPath(cr, kCentreX - bowlW / 2 - 10, rim - 12, bowlW + 20, 22, 8);
    outline(cr, gold.shade);
    starPath(cr, kCentreX + 8, rim + 62, 36, 15, 5, 0.0);
    fillAndOutline(cr, gold.light, kInk, 5);
}

}  // namespace

cairo_surface_t* drawRewardPicture(int band) {
    const BandLook& look = kBands[band];
    cairo_surface_t* surface = newPicture(kRewardSize);
    cairo_t* cr = cairo_create(surface);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    drawBackground(cr, look);
    drawStars(cr, look.stars);
    switch (band) {
        case 0:
            drawRosette(cr);
            break;
        case 1:
            drawBronzeMedal(cr);
            break;
        case 2:
            drawSilverMedal(cr);
            break;
        default:
            drawGoldCup(cr);
            break;
    }
    drawBanner(cr, look);
    drawFrame(cr, look);
    cairo_destroy(cr);
    return surface;
}
