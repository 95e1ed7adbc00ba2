// Dropping a tile: the plain drop, the fate of a column that fills, where the
// cursor goes after a kept meld, and the two ways a game ends, with the last
// meld's points counted before the best score is settled.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "game_test_support.h"

using namespace gametest;

namespace {

// Kept melds (mixed, no group d) for filling columns that must stay full,
// none sharing a code with each other or with kOpenColumn and kKeptHand.
// clang-format off
const std::vector<TileCode> kFullColumns[kColumnCount] = {
    {2, 11, 20, 32},  // column 0
    {3, 12, 21, 33},  // column 1
    {4, 13, 22, 34},  // column 2
    {5, 14, 23, 35},  // column 3
    {6, 15, 24, 36},  // column 4
    {7, 16, 25, 37},  // column 5
};
// clang-format on
const std::vector<TileCode> kOpenColumn = {1, 10, 19};  // with kKeptHand a mixed meld: 4 points
constexpr TileCode kKeptHand = 31;
constexpr std::int32_t kKeptPoints = 4;

TEST(Drop, IntoAColumnWithRoomOnlyPlacesShiftsAndRefills) {
    for (int held = 0; held < kColumnHeight - 1; ++held) {
        const std::vector<TileCode> below(kOpenColumn.begin(), kOpenColumn.begin() + held);
        setBoard({{{}, {}, below}, {40, 41, 42, 28, 29, 30, 9}, {5, 6, 7}, 2, 50, 60});
        gameState.dropTimer = 65;

        dropTile();

        std::vector<TileCode> expected = below;
        expected.push_back(40);
        expected.resize(kColumnHeight, kNoTile);
        EXPECT_EQ(columnTiles(2), expected) << held << " tiles below";
        EXPECT_EQ(gameState.columns[2].count, held + 1);
        EXPECT_EQ(queueTiles(), (std::vector<TileCode>{41, 42, 28, 29, 30, 9, 7}));
        EXPECT_EQ(deckTiles(), (std::vector<TileCode>{5, 6}));
        EXPECT_EQ(gameState.dropTimer, 0);
        EXPECT_EQ(gameState.score, 50);
        EXPECT_EQ(gameState.cursor, 2);
        EXPECT_FALSE(gameState.gameOver);
    }
}

TEST(Drop, AClearedColumnEmptiesAndKeepsTheCursor) {
    setBoard({{{}, {}, {}, {}, {1, 2, 3}}, {4, 5, 6}, {}, 4, 10});
    dropTile();
    EXPECT_EQ(columnTiles(4), std::vector<TileCode>(kColumnHeight, kNoTile));
    EXPECT_EQ(gameState.columns[4].count, 0);
    EXPECT_EQ(gameState.cursor, 4);
    EXPECT_EQ(gameState.score, 21);
    EXPECT_FALSE(gameState.gameOver);
}

struct KeptMeld {
    int cursor;                    // the column the kept meld completes
    std::vector<int> fullColumns;  // columns already full with kept melds
    int expectedCursor;
    bool blocked;  // no column left with room: the game ends
};

class CursorAfterKeptMeld : public ::testing::TestWithParam<KeptMeld> {};

TEST_P(CursorAfterKeptMeld, MovesRightToTheNextColumnWithRoom) {
    const KeptMeld& kept = GetParam();
    Board board;
    board.columns.resize(kColumnCount);
    for (int c : kept.fullColumns) {
        board.columns[c] = kFullColumns[c];
    }
    board.columns[kept.cursor] = kOpenColumn;
    board.queue = {kKeptHand, 8, 9};
    board.cursor = kept.cursor;
    board.score = 100;
    setBoard(board);

    dropTile();

    EXPECT_EQ(gameState.score, 100 + kKeptPoints);
    EXPECT_EQ(gameState.columns[kept.cursor].count, kColumnHeight);
    EXPECT_EQ(gameState.cursor, kept.expectedCursor);
    EXPECT_EQ(gameState.gameOver, kept.blocked);
    EXPECT_EQ(gameState.bestScore, kept.blocked ? 100 + kKeptPoints : 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Search, CursorAfterKeptMeld, ::testing::Values(
    KeptMeld{0, {2, 3},          1, false},  // the next column has room
    KeptMeld{2, {3, 4},          5, false},  // skips two full columns
    KeptMeld{4, {5},             0, false},  // wraps past the right edge
    KeptMeld{5, {},              0, false},  // from the last column the search starts at 0
    KeptMeld{5, {0, 1},          2, false},  // wraps, then skips
    KeptMeld{3, {4, 5, 0, 1},    2, false},  // only the column left of it has room
    KeptMeld{1, {0, 2, 3, 4, 5}, 1, true },  // blocked: the cursor stays, the game ends
    KeptMeld{5, {0, 1, 2, 3, 4}, 5, true }   // blocked on the last column
));
// clang-format on

struct Ending {
    std::int32_t bestBefore;
    std::int32_t bestAfter;
};

class BlockedBoard : public ::testing::TestWithParam<Ending> {};

TEST_P(BlockedBoard, CountsTheLastMeldBeforeSettlingTheBestScore) {
    Board board;
    board.columns.assign(kFullColumns, kFullColumns + kColumnCount);
    board.columns[3] = kOpenColumn;
    board.queue = {kKeptHand, 8, 9, 17, 18, 26, 27};
    board.deck = {38, 39};
    board.cursor = 3;
    board.score = 100;
    board.bestScore = GetParam().bestBefore;
    setBoard(board);

    dropTile();

    EXPECT_TRUE(gameState.gameOver);
    EXPECT_EQ(gameState.cursor, 3);
    EXPECT_EQ(gameState.score, 104);
    EXPECT_EQ(gameState.bestScore, GetParam().bestAfter);
    EXPECT_EQ(queueTiles(), (std::vector<TileCode>{8, 9, 17, 18, 26, 27, 39}));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(BestScore, BlockedBoard, ::testing::Values(
    Ending{  0, 104},  // first game: the best is the final score
    Ending{102, 104},  // beaten only thanks to the last meld
    Ending{104, 104},  // equalled
    Ending{200, 200}   // not beaten: left alone
));
// clang-format on

TEST(Drop, TheLastTileCompletingAMeldIsScoredBeforeTheGameEnds) {
    // A pure meld: cleared, the cursor stays on the empty column.
    setBoard({{{}, {}, {}, {}, {1, 2, 3}}, {4}, {}, 4, 10, 0});
    dropTile();
    EXPECT_TRUE(gameState.gameOver);
    EXPECT_EQ(gameState.columns[4].count, 0);
    EXPECT_EQ(gameState.cursor, 4);
    EXPECT_EQ(gameState.score, 21);
    EXPECT_EQ(gameState.bestScore, 21);

    // A kept meld with room elsewhere: the cursor moves on, then the hand is empty.
    setBoard({{kOpenColumn}, {kKeptHand}, {}, 0, 10, 12});
    dropTile();
    EXPECT_TRUE(gameState.gameOver);
    EXPECT_EQ(gameState.cursor, 1);
    EXPECT_EQ(gameState.score, 10 + kKeptPoints);
    EXPECT_EQ(gameState.bestScore, 14);
}

// A whole game into column 0 whose every meld is pure: nothing blocks, so it
// ends on the 42nd drop, when the hand runs out.
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
    Board board;
    board.queue.assign(hands.begin(), hands.begin() + kQueueLength);
    board.deck.assign(hands.rbegin(), hands.rend() - kQueueLength);  // refills come off the back
    setBoard(board);
    ASSERT_TRUE(checkInvariants());

    for (int drop = 1; drop <= kTileKinds; ++drop) {
        ASSERT_FALSE(gameState.gameOver) << "ended before drop " << drop;
        dropTile();
        ASSERT_TRUE(checkInvariants()) << "after drop " << drop;
        EXPECT_EQ(filledQueueSlots(), std::min(kQueueLength, kTileKinds - drop));
        EXPECT_EQ(gameState.cursor, 0);
    }
    EXPECT_TRUE(gameState.gameOver);
    EXPECT_EQ(columnTiles(0), (std::vector<TileCode>{9, 18, 0, 0}));
    EXPECT_EQ(gameState.score, 340);
    EXPECT_EQ(gameState.bestScore, 340);
}

}  // namespace
