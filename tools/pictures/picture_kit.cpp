// Shapes and stroked glyphs shared by the tile faces, the reward pictures and
// the contact sheets. A glyph is a short list of pen steps in a box one unit
// tall (y downwards, the way cairo draws), stroked with round ends, so one set
// of shapes serves every size from a tile's corner index to a reward banner.
#include "picture_kit.h"

#include <cmath>
#include <vector>

namespace {

constexpr double kGlyphGap = 0.2;  // space between glyph boxes, in glyph heights

// One pen step of a glyph. Arcs with 'A' turn with increasing angle (clockwise
// on screen), 'R' the other way; both join the current point with a line.
struct PenStep {
    char op;  // M move, L line, A arc, R reverse arc, O closed ellipse (cx cy rx ry)
    double v[5];
};

struct Glyph {
    char ch;
    double width;
    std::vector<PenStep> steps;
};

// clang-format off
const std::vector<Glyph> kGlyphs = {
    {'0', 0.60, {{'O', {0.30, 0.50, 0.30, 0.50}}}},                                 // zero
    {'1', 0.58, {{'M', {0.06, 0.20}}, {'L', {0.32, 0.00}}, {'L', {0.32, 1.00}},
                 {'M', {0.06, 1.00}}, {'L', {0.58, 1.00}}}},                        // one
    {'2', 0.62, {{'A', {0.30, 0.29, 0.29, 180, 395}}, {'L', {0.00, 1.00}},
                 {'L', {0.62, 1.00}}}},                                             // two
    {'3', 0.60, {{'A', {0.30, 0.24, 0.24, 200, 450}},
                 {'A', {0.31, 0.73, 0.27, 270, 520}}}},                             // three
    {'4', 0.64, {{'M', {0.46, 1.00}}, {'L', {0.46, 0.00}}, {'L', {0.00, 0.68}},
                 {'L', {0.64, 0.68}}}},                                             // four
    {'5', 0.60, {{'M', {0.56, 0.00}}, {'L', {0.10, 0.00}}, {'L', {0.07, 0.45}},
                 {'A', {0.30, 0.69, 0.31, -130, 150}}}},                            // five
    {'6', 0.60, {{'O', {0.30, 0.70, 0.30, 0.30}}, {'M', {0.03, 0.58}},
                 {'L', {0.42, 0.00}}}},                                             // six
    {'7', 0.60, {{'M', {0.00, 0.00}}, {'L', {0.60, 0.00}}, {'L', {0.18, 1.00}}}},  // seven
    {'8', 0.60, {{'O', {0.30, 0.24, 0.23, 0.23}}, {'O', {0.30, 0.73, 0.27, 0.27}}}}, // eight
    {'9', 0.60, {{'O', {0.30, 0.30, 0.30, 0.30}}, {'M', {0.57, 0.42}},
                 {'L', {0.18, 1.00}}}},                                             // nine
    {'-', 0.44, {{'M', {0.04, 0.58}}, {'L', {0.40, 0.58}}}},                        // dash
    {'+', 0.60, {{'M', {0.30, 0.30}}, {'L', {0.30, 0.86}}, {'M', {0.02, 0.58}},
                 {'L', {0.58, 0.58}}}},                                             // plus
    {' ', 0.24, {}},                                                                // space
    {'E', 0.54, {{'M', {0.54, 0.00}}, {'L', {0.00, 0.00}}, {'L', {0.00, 1.00}},
                 {'L', {0.54, 1.00}}, {'M', {0.00, 0.50}}, {'L', {0.44, 0.50}}}},   // east
    {'N', 0.60, {{'M', {0.00, 1.00}}, {'L', {0.00, 0.00}}, {'L', {0.60, 1.00}},
                 {'L', {0.60, 0.00}}}},                                             // north
    {'S', 0.58, {{'R', {0.29, 0.25, 0.25, -25, -270}},
                 {'A', {0.29, 0.75, 0.25, -90, 155}}}},                             // south
    {'W', 0.80, {{'M', {0.00, 0.00}}, {'L', {0.20, 1.00}}, {'L', {0.40, 0.30}},
                 {'L', {0.60, 1.00}}, {'L', {0.80, 0.00}}}},                        // west
};
// clang-format on

const Glyph* findGlyph(char ch) {
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.ch == ch) {
            return &glyph;
        }
    }
    return nullptr;
}

// Adds one glyph's pen path in glyph units; the caller's matrix places it.
void glyphPath(cairo_t* cr, const Glyph& glyph) {
    for (const PenStep& step : glyph.steps) {
        const double* v = step.v;
        switch (step.op) {
            case 'M':
                cairo_move_to(cr, v[0], v[1]);
                break;
            case 'L':
                cairo_line_to(cr, v[0], v[1]);
                break;
            case 'A':
                cairo_arc(cr, v[0], v[1], v[2], radians(v[3]), radians(v[4]));
                break;
            case 'R':
                cairo_arc_negative(cr, v[0], v[1], v[2], radians(v[3]), radians(v[4]));
                break;
            case 'O':
                cairo_new_sub_path(cr);
                cairo_save(cr);
                cairo_translate(cr, v[0], v[1]);
                cairo_scale(cr, v[2], v[3]);
                cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * kPi);
                cairo_restore(cr);
                cairo_close_path(cr);
                break;
        }
    }
    // Steps that start with an arc must not be joined to the previous glyph.
    cairo_new_sub_path(cr);
}

void textPath(cairo_t* cr, const std::string& text, double centreX, double top, double height) {
    cairo_save(cr);
    cairo_translate(cr, centreX - textWidth(text, height) / 2.0, top);
    cairo_scale(cr, height, height);
    cairo_new_sub_path(cr);
    for (char ch : text) {
        const Glyph* glyph = findGlyph(ch);
        if (glyph == nullptr) {
            glyph = findGlyph(' ');
        }
        glyphPath(cr, *glyph);
        cairo_translate(cr, glyph->width + kGlyphGap, 0.0);
    }
    cairo_restore(cr);  // stroke widths stay in picture pixels
}

void strokeRound(cairo_t* cr, double width, Rgb colour, bool keepPath) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, width);
    setColour(cr, colour);
    if (keepPath) {
        cairo_stroke_preserve(cr);
    } else {
        cairo_stroke(cr);
    }
}

}  // namespace

void setColour(cairo_t* cr, Rgb colour, double alpha) {
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha);
}

Rgb mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void roundedRectPath(cairo_t* cr, double x, double y, double w, double h, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, radians(-90), radians(0));
    cairo_arc(cr, x + w - radius, y + h - radius, radius, radians(0), radians(90));
    cairo_arc(cr, x + radius, y + h - radius, radius, radians(90), radians(180));
    cairo_arc(cr, x + radius, y + radius, radius, radians(180), radians(270));
    cairo_close_path(cr);
}

void circlePath(cairo_t* cr, double cx, double cy, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r, 0.0, 2 * kPi);
}

void starPath(cairo_t* cr, double cx, double cy, double outer, double inner, int points,
              double turnDegrees) {
    cairo_new_sub_path(cr);
    for (int k = 0; k < 2 * points; ++k) {
        double angle = radians(turnDegrees - 90.0) + k * kPi / points;
        double r = (k % 2 == 0) ? outer : inner;
        cairo_line_to(cr, cx + r * std::cos(angle), cy + r * std::sin(angle));
    }
    cairo_close_path(cr);
}

void fillAndOutline(cairo_t* cr, Rgb fill, Rgb outline, double outlineWidth) {
    setColour(cr, fill);
    cairo_fill_preserve(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, outlineWidth);
    setColour(cr, outline);
    cairo_stroke(cr);
}

double textWidth(const std::string& text, double height) {
    double width = 0.0;
    for (char ch : text) {
        const Glyph* glyph = findGlyph(ch);
        width += (glyph != nullptr ? glyph->width : findGlyph(' ')->width) + kGlyphGap;
    }
    return text.empty() ? 0.0 : (width - kGlyphGap) * height;
}

void strokeText(cairo_t* cr, const std::string& text, double centreX, double top, double height,
                double lineWidth, Rgb ink) {
    textPath(cr, text, centreX, top, height);
    strokeRound(cr, lineWidth, ink, false);
}

void strokeTextRimmed(cairo_t* cr, const std::string& text, double centreX, double top,
                      double height, double lineWidth, double rimWidth, Rgb ink, Rgb rim) {
    textPath(cr, text, centreX, top, height);
    strokeRound(cr, lineWidth + 2.0 * rimWidth, rim, true);
    strokeRound(cr, lineWidth, ink, false);
}

cairo_surface_t* newPicture(int size) {
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
}
