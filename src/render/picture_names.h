// The names of the 46 pictures in dat/img/, in the game's load order: the 42
// tile faces (tile code c is picture c - 1), then the 4 reward pictures from
// the lowest score band to the highest.
//
// This is the one list of them. The texture set, the picture generator, the
// tests and the benchmarks all take the names from here, so it holds plain C
// strings and needs no GL: the generator includes it without the game.
#pragma once

// The list itself, for the tables that need it with something after it.
// clang-format off
#define KESSARY_PICTURE_NAMES                                                                      \
    "a0", "a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8",   /* tile codes  1..9 */                 \
    "b0", "b1", "b2", "b3", "b4", "b5", "b6", "b7", "b8",   /* tile codes 10..18 */                \
    "c0", "c1", "c2", "c3", "c4", "c5", "c6", "c7", "c8",   /* tile codes 19..27 */                \
    "d0", "d1", "d2",                                       /* tile codes 28..30 */                \
    "e0", "e1", "e2", "e3",                                 /* tile codes 31..34 */                \
    "f0", "f1", "f2", "f3",                                 /* tile codes 35..38 */                \
    "g0", "g1", "g2", "g3",                                 /* tile codes 39..42 */                \
    "wench0", "wench1", "wench2", "wench3"                  /* rewards, lowest score band first */
// clang-format on

inline constexpr const char* kPictureNames[] = {KESSARY_PICTURE_NAMES};
constexpr int kPictureCount = static_cast<int>(sizeof kPictureNames / sizeof kPictureNames[0]);
constexpr int kTileFaceCount = 42;  // the rewards follow the tile faces
static_assert(kPictureCount == 46, "42 tile faces and 4 rewards");

// Where the pictures are, relative to the folder that holds dat/ (the working
// folder of the Linux game, the tools and the benchmarks; the platform layer says
// where each system's game reads them), the file name's ending, and where picture
// `name` is, as a printf format of the name.
#define KESSARY_PICTURE_FOLDER "dat/img/"
#define KESSARY_PICTURE_EXTENSION ".png"
inline constexpr const char* kPictureFolder = KESSARY_PICTURE_FOLDER;
inline constexpr const char* kPictureExtension = KESSARY_PICTURE_EXTENSION;
inline constexpr const char* kPicturePath = KESSARY_PICTURE_FOLDER "%s" KESSARY_PICTURE_EXTENSION;
