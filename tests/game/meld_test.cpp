// Meld scoring: the worked melds with their points and fate, in every order
// the four tiles can stand in a column, and a sweep over every possible meld
// for the extremes and the number of melds that clear their column.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>

#include "game/meld.h"
#include "game_test_support.h"

using namespace gametest;

namespace {

using Meld = std::array<TileCode, kColumnHeight>;

constexpr int kScoredColumn = 3;
constexpr std::int32_t kScoreBefore = 1000;

struct MeldResult {
    std::int32_t points;
    bool cleared;
};

// Scores `meld` standing in the cursor column on top of an existing score.
MeldResult scoreMeld(const Meld& meld) {
    gameState.cursor = kScoredColumn;
    gameState.score = kScoreBefore;
    Column& column = gameState.columns[kScoredColumn];
    std::copy(meld.begin(), meld.end(), column.tiles);
    column.count = kColumnHeight;
    const bool cleared = scoreColumn();
    return MeldResult{gameState.score - kScoreBefore, cleared};
}

struct WorkedMeld {
    Meld tiles;
    std::int32_t points;
    bool cleared;
};

class WorkedMelds : public ::testing::TestWithParam<WorkedMeld> {};

TEST_P(WorkedMelds, ScoreTheSameInEveryOrder) {
    const WorkedMeld& worked = GetParam();
    resetGameState();
    Meld order = worked.tiles;
    std::sort(order.begin(), order.end());
    int orders = 0;
    do {
        const MeldResult result = scoreMeld(order);
        EXPECT_EQ(result.points, worked.points) << "order " << ::testing::PrintToString(order);
        EXPECT_EQ(result.cleared, worked.cleared) << "order " << ::testing::PrintToString(order);
        // Clearing and moving on are the drop's work, not the scoring's.
        EXPECT_EQ(gameState.cursor, kScoredColumn);
        EXPECT_EQ(gameState.columns[kScoredColumn].count, kColumnHeight);
        EXPECT_TRUE(std::equal(order.begin(), order.end(), gameState.columns[kScoredColumn].tiles));
        ++orders;
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(orders, 24);
}

constexpr bool kCleared = true;
constexpr bool kKept = false;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, WorkedMelds, ::testing::Values(
    WorkedMeld{{ 1,  2,  3,  4},  11, kCleared},  // pure a
    WorkedMeld{{ 6,  7,  8,  9},  31, kCleared},  // pure a, high numbers
    WorkedMeld{{10, 11, 12, 13},  12, kCleared},  // pure b
    WorkedMeld{{19, 20, 21, 22},  13, kCleared},  // pure c
    WorkedMeld{{24, 25, 26, 27},  33, kCleared},  // pure c, high numbers
    WorkedMeld{{31, 32, 33, 34},  30, kCleared},  // all of e
    WorkedMeld{{35, 36, 37, 38},  36, kCleared},  // all of f
    WorkedMeld{{39, 40, 41, 42},  42, kCleared},  // all of g
    WorkedMeld{{28,  1,  2,  3},  22, kCleared},  // one d, three a: pure a doubled
    WorkedMeld{{30, 31, 32, 33},  48, kCleared},  // one d, three e: pure e doubled
    WorkedMeld{{28, 29, 26, 27},  84, kCleared},  // two d, two c: pure c tripled
    WorkedMeld{{28, 29, 30,  5},  88, kCleared},  // three d and an a
    WorkedMeld{{28, 29, 30, 31},  84, kCleared},  // three d and an e
    WorkedMeld{{28, 29, 30, 42},  92, kCleared},  // three d and a g
    WorkedMeld{{28, 29, 30, 27}, 112, kCleared},  // three d and the c nine: the best meld
    WorkedMeld{{ 1, 10, 28, 31},   5, kCleared},  // mixed with one d
    WorkedMeld{{28, 29,  1, 10},   5, kCleared},  // mixed with two d
    WorkedMeld{{31, 35, 39, 28},  11, kCleared},  // e, f, g and one d
    WorkedMeld{{ 1, 10, 19, 31},   4, kKept   },  // mixed, no d
    WorkedMeld{{ 1,  2, 10, 11},   3, kKept   },  // two suits
    WorkedMeld{{31, 32, 33,  1},  10, kKept   },  // three e and an a: bonus, then halved
    WorkedMeld{{39, 40, 41, 35},  17, kKept   },  // three g and an f
    WorkedMeld{{31, 32, 35, 36},  11, kKept   }   // two e and two f
));
// clang-format on

TEST(MeldSweep, EveryMeldScoresTwoTo112AndTheKnownNumberClear) {
    resetGameState();
    int melds = 0;
    int clearing = 0;
    std::int32_t lowest = 1 << 30;
    std::int32_t highest = 0;
    std::set<Meld> lowestMelds;
    std::set<Meld> highestMelds;
    for (TileCode a = 1; a <= kTileKinds; ++a) {
        for (TileCode b = a + 1; b <= kTileKinds; ++b) {
            for (TileCode c = b + 1; c <= kTileKinds; ++c) {
                for (TileCode d = c + 1; d <= kTileKinds; ++d) {
                    const Meld meld = {a, b, c, d};
                    const MeldResult result = scoreMeld(meld);
                    ++melds;
                    clearing += result.cleared;
                    if (result.points < lowest) {
                        lowest = result.points;
                        lowestMelds.clear();
                    }
                    if (result.points == lowest) {
                        lowestMelds.insert(meld);
                    }
                    if (result.points > highest) {
                        highest = result.points;
                        highestMelds.clear();
                    }
                    if (result.points == highest) {
                        highestMelds.insert(meld);
                    }
                }
            }
        }
    }
    EXPECT_EQ(melds, 111930);
    EXPECT_EQ(clearing, 30060);
    EXPECT_EQ(lowest, 2);
    EXPECT_EQ(lowestMelds, (std::set<Meld>{{1, 2, 10, 19}, {1, 10, 11, 19}, {1, 10, 19, 20}}));
    EXPECT_EQ(highest, 112);
    EXPECT_EQ(highestMelds, (std::set<Meld>{{27, 28, 29, 30}}));
}

}  // namespace
