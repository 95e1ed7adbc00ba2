// Dropping a tile: the plain drop, the fate of a column that fills, where the
// cursor goes after a kept meld, and the two ways a game ends, with the last
// meld's points counted before the best score is settled.
#include "game_test_support.h"

using namespace gametest;

namespace {

// Guards placing at the column's count, shifting, refilling from the deck's
// back and restarting the timer, with score and cursor left alone.
TEST(Drop, IntoAColumnWithRoomOnlyPlacesShiftsAndRefills) {
    // clang-format off
    const std::pair<std::vector<TileCode>, const char*> rows[] = {
        {{},      "[40]"      },  // into an empty column
        {{1},     "[1 40]"    },  // onto one tile
        {{1, 10}, "[1 10 40]" },  // onto two
    };
    // clang-format on
    for (const auto& [below, column] : rows) {
        setBoard({{{}, {}, below}, {40, 41, 42, 28, 29, 30, 9}, {5, 6, 7}, 2, 50, 60});
        gameState.dropTimer = 65;
        dropTile();
        EXPECT_EQ(describeBoard(), std::string("columns [] [] ") + column +
                                       " [] [] [] queue 41 42 28 29 30 9 7 deck 2 cursor 2 "
                                       "timer 0 score 50 best 60 over 0");
    }
}

// Kept melds (mixed, no group d) for columns that must stay full, sharing no
// code with each other, with kOpen or with the hand 31 that completes kOpen
// into a kept meld of 4 points.
// clang-format off
const std::vector<TileCode> kFull[kColumnCount] = {
    {2, 11, 20, 32},  // column 0
    {3, 12, 21, 33},  // column 1
    {4, 13, 22, 34},  // column 2
    {5, 14, 23, 35},  // column 3
    {6, 15, 24, 36},  // column 4
    {7, 16, 25, 37},  // column 5
};
// clang-format on
const std::vector<TileCode> kOpen = {1, 10, 19};

struct DropCase {
    std::vector<int> full;        // columns holding a kept meld
    std::vector<TileCode> open;   // the cursor column
    std::vector<TileCode> queue;  // from the hand on
    std::int32_t cursor, score, best;
    std::int32_t toCursor, toScore, toBest;
    bool over;
};

// Guards the cursor search after a kept meld (wrap, skip, blocked), the
// cleared column keeping the cursor, and the last meld counting towards the
// best score, which is raised only when beaten.
TEST(Drop, ResolvesTheFilledColumnAndEndsTheGame) {
    // clang-format off
    const DropCase cases[] = {
        {{2, 3},          kOpen,     {31, 8, 9}, 0, 100,   0, 1, 104,   0, false},  // next column
        {{3, 4},          kOpen,     {31, 8, 9}, 2, 100,   0, 5, 104,   0, false},  // skips two
        {{5},             kOpen,     {31, 8, 9}, 4, 100,   0, 0, 104,   0, false},  // wraps
        {{},              kOpen,     {31, 8, 9}, 5, 100,   0, 0, 104,   0, false},  // from 5 to 0
        {{0, 1},          kOpen,     {31, 8, 9}, 5, 100,   0, 2, 104,   0, false},  // wraps, skips
        {{4, 5, 0, 1},    kOpen,     {31, 8, 9}, 3, 100,   0, 2, 104,   0, false},  // round to left
        {{0, 2, 3, 4, 5}, kOpen,     {31, 8, 9}, 1, 100,   0, 1, 104, 104, true },  // blocked
        {{0, 1, 2, 3, 4}, kOpen,     {31, 8, 9}, 5, 100, 102, 5, 104, 104, true },  // beaten by it
        {{0, 1, 2, 3, 4}, kOpen,     {31, 8, 9}, 5, 100, 104, 5, 104, 104, true },  // equalled
        {{0, 1, 2, 3, 4}, kOpen,     {31, 8, 9}, 5, 100, 200, 5, 104, 200, true },  // not beaten
        {{},              {1, 2, 3}, {4, 5, 6},  4,  10,   0, 4,  21,   0, false},  // cleared
        {{},              {1, 2, 3}, {4},        4,  10,   0, 4,  21,  21, true },  // last tile clears
        {{},              kOpen,     {31},       0,  10,  12, 1,  14,  14, true },  // last tile kept
    };
    // clang-format on
    for (const DropCase& row : cases) {
        Board board{std::vector<std::vector<TileCode>>(kColumnCount),
                    row.queue,
                    {},
                    row.cursor,
                    row.score,
                    row.best};
        for (int c : row.full) {
            board.columns[c] = kFull[c];
        }
        board.columns[row.cursor] = row.open;
        setBoard(board);
        dropTile();
        const bool cleared = row.open != kOpen;
        EXPECT_EQ(std::make_tuple(gameState.cursor, gameState.score, gameState.bestScore,
                                  gameState.gameOver, gameState.columns[row.cursor].count),
                  std::make_tuple(row.toCursor, row.toScore, row.toBest, row.over,
                                  cleared ? 0 : kColumnHeight))
            << "from column " << row.cursor << " with " << row.full.size() << " full";
    }
}

// Guards the empty deck refilling 0 and the hand running out: a game whose
// every meld clears ends on the 42nd drop with the known score.
TEST(Drop, AGameWithoutABlockedBoardEndsOnTheFortySecondDrop) {
    // clang-format off
    const std::vector<TileCode> hands = {
         1,  2,  3,  4,   5,  6,  7,  8,  // pure a twice: 11, 27
        10, 11, 12, 13,  14, 15, 16, 17,  // pure b twice: 12, 28
        19, 20, 21, 22,  23, 24, 25, 26,  // pure c twice: 13, 29
        31, 32, 33, 34,  35, 36, 37, 38,  // all of e, all of f: 30, 36
        39, 40, 41, 42,                   // all of g: 42
        28, 29, 30, 27,                   // three d and the c nine: 112
         9, 18,                           // left standing
    };
    // clang-format on
    setBoard({{},
              {hands.begin(), hands.begin() + kQueueLength},
              {hands.rbegin(), hands.rend() - kQueueLength}});
    for (int drop = 1; drop <= kTileKinds; ++drop) {
        ASSERT_FALSE(gameState.gameOver) << "ended before drop " << drop;
        dropTile();
        ASSERT_TRUE(checkInvariants()) << "after drop " << drop;
        ASSERT_EQ(filledQueueSlots(), std::min(kQueueLength, kTileKinds - drop));
    }
    EXPECT_EQ(describeBoard(),
              "columns [9 18] [] [] [] [] [] queue 0 0 0 0 0 0 0 deck 0 cursor 0 timer 0 "
              "score 340 best 340 over 1");
}

}  // namespace
