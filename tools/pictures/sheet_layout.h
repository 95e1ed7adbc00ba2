// Where each picture stands on the contact sheets: the tile faces in the rows their
// groups make, then the rewards; and how faintly the game draws a tile, which the
// sheets that show faces as in play repeat. The generator's sheets and the
// colour-vision sheets both follow it, so the two can be compared face for face.
#pragma once

constexpr int kSheetColumns = 9;
constexpr int kSheetFaceRows = 5;  // the 42 tile faces
constexpr int kSheetRowCount = 6;  // then the rewards
constexpr int kNone = -1;          // an empty cell

constexpr double kTileAlpha = 0.1;   // a tile in the cursor column or in hand
constexpr double kWashAlpha = 0.01;  // the white laid over the screen every frame

// Picture indexes per row.
// clang-format off
constexpr int kSheetRows[kSheetRowCount][kSheetColumns] = {
    { 0,  1,  2,  3,  4,  5,  6,  7,  8},                     // diamonds
    { 9, 10, 11, 12, 13, 14, 15, 16, 17},                     // circles
    {18, 19, 20, 21, 22, 23, 24, 25, 26},                     // bamboo
    {27, 28, 29, kNone, 30, 31, 32, 33, kNone},               // dragons, winds
    {34, 35, 36, 37, kNone, 38, 39, 40, 41},                  // flowers, seasons
    {42, 43, 44, 45, kNone, kNone, kNone, kNone, kNone}};     // rewards
// clang-format on
