// The contact sheets: all 46 pictures at the size the game shows a tile,
// 100 x 100, on white. pictures.png shows them at full opacity;
// pictures-in-game.png shows them as they appear in play: above, one frame of
// a tile at 10 % opacity; below, the picture that builds up on the screen when
// a tile is drawn at 10 % every frame, shaking by up to 5 pixels, under the
// game's 1 % white wash. The reward pictures are shown at full opacity in
// every panel, as the game shows them.
#include <cstdint>
#include <string>

#include "picture_kit.h"
#include "sheet_layout.h"

namespace {

constexpr double kCell = 100;  // a tile quad in the game, in screen pixels
constexpr double kGap = 12;
constexpr double kMargin = 20;
constexpr int kColumns = kSheetColumns;
constexpr int kRows = kSheetRowCount;
constexpr int kSheetWidth = int(2 * kMargin + kColumns * kCell + (kColumns - 1) * kGap);
constexpr int kPanelHeight = int(2 * kMargin + kRows * kCell + (kRows - 1) * kGap);

constexpr int kFramesInPlay = 300;  // about as many as a tile stays in one place
constexpr int kShakeSteps = 101;    // a shake is -5.0 .. +5.0 in steps of 0.1

enum class Look { kOpaque, kOneFrame, kInPlay };

// A fixed pseudo-random sequence for the shake, so the sheet is reproducible.
std::uint32_t nextShakeSeed(std::uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

double shakeOffset(std::uint32_t& state) {
    return (int(nextShakeSeed(state) % kShakeSteps) - kShakeSteps / 2) * 0.1;
}

void paintPicture(cairo_t* cr, cairo_surface_t* picture, double x, double y, double alpha) {
    double scale = kCell / cairo_image_surface_get_width(picture);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, picture, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
}

// Repeats the game's frame on one cell: wash it, then draw the shaken tile.
void paintInPlay(cairo_t* cr, cairo_surface_t* picture, double x, double y, std::uint32_t& shake) {
    for (int frame = 0; frame < kFramesInPlay; ++frame) {
        cairo_rectangle(cr, x - kGap / 2, y - kGap / 2, kCell + kGap, kCell + kGap);
        cairo_set_source_rgba(cr, 1, 1, 1, kWashAlpha);
        cairo_fill(cr);
        double dy = shakeOffset(shake);
        double dx = shakeOffset(shake);
        paintPicture(cr, picture, x + dx, y + dy, kTileAlpha);
    }
}

void paintPanel(cairo_t* cr, cairo_surface_t* const pictures[kPictureCount], double top,
                Look look) {
    std::uint32_t shake = 1;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            int index = kSheetRows[row][column];
            if (index == kNone) {
                continue;
            }
            double x = kMargin + column * (kCell + kGap);
            double y = top + kMargin + row * (kCell + kGap);
            if (index >= kTileFaceCount || look == Look::kOpaque) {
                paintPicture(cr, pictures[index], x, y, 1.0);
            } else if (look == Look::kOneFrame) {
                paintPicture(cr, pictures[index], x, y, kTileAlpha);
            } else {
                paintInPlay(cr, pictures[index], x, y, shake);
            }
        }
    }
}

bool writeSheet(cairo_surface_t* const pictures[kPictureCount], const std::string& path,
                const Look* looks, int panels) {
    cairo_surface_t* sheet =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSheetWidth, kPanelHeight * panels);
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    for (int panel = 0; panel < panels; ++panel) {
        paintPanel(cr, pictures, panel * kPanelHeight, looks[panel]);
    }
    if (panels > 1) {  // a hairline between the panels
        cairo_rectangle(cr, kMargin, kPanelHeight - 1, kSheetWidth - 2 * kMargin, 1);
        cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    bool written = writePng(sheet, path);
    cairo_surface_destroy(sheet);
    return written;
}

}  // namespace

bool writeContactSheets(cairo_surface_t* const pictures[kPictureCount], const std::string& folder) {
    const Look opaque[] = {Look::kOpaque};
    const Look inGame[] = {Look::kOneFrame, Look::kInPlay};
    return writeSheet(pictures, folder + "/pictures.png", opaque, 1) &&
           writeSheet(pictures, folder + "/pictures-in-game.png", inGame, 2);
}
