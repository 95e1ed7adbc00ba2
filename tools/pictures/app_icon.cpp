// The application icon: a hand of three tiles fanned out from one pivot below
// them, a bamboo and a circles tile leaning out behind the red dragon. The
// tiles are the game's own faces, drawn again as vectors at every icon size
// rather than scaled from the 128 px pictures, so the 256 px icon stays sharp
// and the 48 px one keeps its outlines on whole pixels as far as cairo can.
#include "picture_kit.h"

const int kIconSizes[kIconSizeCount] = {48, 64, 128, 256};

namespace {

// The layout is worked out on a 256-unit square and scaled to each size.
constexpr double kDesignSize = 256;
constexpr double kTileScale = 1.25;  // a 128-unit tile box becomes 160 units
constexpr double kPivotX = kDesignSize / 2;
constexpr double kPivotY = 303;      // below the icon; centres the hand's height
constexpr double kPivotReach = 180;  // from the pivot up to a tile's centre
constexpr double kTileCentreY = kTileSize / 2.0;

constexpr int kBambooSeven = 24;   // picture index of bamboo 7
constexpr int kCirclesThree = 11;  // circles 3
constexpr int kRedDragon = 27;

struct FannedTile {
    int index;           // which tile face
    double turnDegrees;  // around the pivot, clockwise
};

// Drawn in this order, so the last one lies on top.
// clang-format off
const FannedTile kHand[] = {
    {kBambooSeven,  -13},  // left, behind
    {kCirclesThree,  13},  // right, behind
    {kRedDragon,      0},  // upright, in front
};
// clang-format on

void paintFannedTile(cairo_t* cr, const FannedTile& tile) {
    cairo_save(cr);
    cairo_translate(cr, kPivotX, kPivotY);
    cairo_rotate(cr, radians(tile.turnDegrees));
    cairo_translate(cr, 0, -kPivotReach);
    cairo_scale(cr, kTileScale, kTileScale);
    cairo_translate(cr, -kTileSize / 2.0, -kTileCentreY);
    paintTileFace(cr, tile.index);
    cairo_restore(cr);
}

}  // namespace

cairo_surface_t* drawAppIcon(int size) {
    cairo_surface_t* surface = newPicture(size);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, size / kDesignSize, size / kDesignSize);
    for (const FannedTile& tile : kHand) {
        paintFannedTile(cr, tile);
    }
    cairo_destroy(cr);
    return surface;
}

bool writeAppIcons(const std::string& folder) {
    for (int size : kIconSizes) {
        cairo_surface_t* icon = drawAppIcon(size);
        bool written = writePng(icon, folder + "/kessary-" + std::to_string(size) + ".png");
        cairo_surface_destroy(icon);
        if (!written) {
            return false;
        }
    }
    return true;
}
