// Meld scoring: the worked melds with their points and fate, in every order
// the four tiles can stand in a column, and a sweep over every possible meld
// for the extremes and the number of melds that clear their column.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>

#include "game/meld.h"
#include "game_test_support.h"

using namespace gametest;

namespace {

using Meld = std::array<TileCode, kColumnHeight>;

constexpr int kScoredColumn = 3;
constexpr std::int32_t kScoreBefore = 1000;

// Scores `meld` standing in the cursor column on top of an existing score;
// returns the points, negated when the column is kept.
std::int32_t scoreMeld(const Meld& meld) {
    gameState.cursor = kScoredColumn;
    gameState.score = kScoreBefore;
    Column& column = gameState.columns[kScoredColumn];
    std::copy(meld.begin(), meld.end(), column.tiles);
    column.count = kColumnHeight;
    const bool cleared = scoreColumn();
    // Clearing and moving on are the drop's work, not the scoring's.
    EXPECT_TRUE(gameState.cursor == kScoredColumn && column.count == kColumnHeight &&
                std::equal(meld.begin(), meld.end(), column.tiles));
    return cleared ? gameState.score - kScoreBefore : kScoreBefore - gameState.score;
}

// Guards every value, bonus, purity rule and multiplier, whatever the order.
TEST(Meld, WorkedMeldsScoreTheSameInEveryOrder) {
    // clang-format off
    const std::pair<Meld, std::int32_t> worked[] = {  // points; negative: the column is kept
        {{ 1,  2,  3,  4},  11},  // pure a
        {{ 6,  7,  8,  9},  31},  // pure a, high numbers
        {{10, 11, 12, 13},  12},  // pure b
        {{19, 20, 21, 22},  13},  // pure c
        {{24, 25, 26, 27},  33},  // pure c, high numbers
        {{31, 32, 33, 34},  30},  // all of e
        {{35, 36, 37, 38},  36},  // all of f
        {{39, 40, 41, 42},  42},  // all of g
        {{28,  1,  2,  3},  22},  // one d, three a: pure a doubled
        {{30, 31, 32, 33},  48},  // one d, three e: pure e doubled
        {{28, 29, 26, 27},  84},  // two d, two c: pure c tripled
        {{28, 29, 30,  5},  88},  // three d and an a
        {{28, 29, 30, 31},  84},  // three d and an e
        {{28, 29, 30, 42},  92},  // three d and a g
        {{28, 29, 30, 27}, 112},  // three d and the c nine: the best meld
        {{ 1, 10, 28, 31},   5},  // mixed with one d
        {{28, 29,  1, 10},   5},  // mixed with two d
        {{31, 35, 39, 28},  11},  // e, f, g and one d
        {{ 1, 10, 19, 31},  -4},  // mixed, no d
        {{ 1,  2, 10, 11},  -3},  // two suits
        {{31, 32, 33,  1}, -10},  // three e and an a: bonus, then halved
        {{39, 40, 41, 35}, -17},  // three g and an f
        {{31, 32, 35, 36}, -11},  // two e and two f
    };
    // clang-format on
    gameState = GameState{};
    for (const auto& [tiles, points] : worked) {
        Meld order = tiles;
        std::sort(order.begin(), order.end());
        do {
            EXPECT_EQ(scoreMeld(order), points) << ::testing::PrintToString(order);
        } while (std::next_permutation(order.begin(), order.end()));
    }
}

// Guards the rules as a whole against the published counts and extremes.
TEST(Meld, SweepOverEveryMeldGivesTheKnownCountsAndExtremes) {
    gameState = GameState{};
    int melds = 0;
    int clearing = 0;
    std::set<Meld> lowest;   // scoring 2, the least
    std::set<Meld> highest;  // scoring 112, the most
    for (TileCode a = 1; a <= kTileKinds; ++a) {
        for (TileCode b = a + 1; b <= kTileKinds; ++b) {
            for (TileCode c = b + 1; c <= kTileKinds; ++c) {
                for (TileCode d = c + 1; d <= kTileKinds; ++d) {
                    const std::int32_t signedPoints = scoreMeld({a, b, c, d});
                    const std::int32_t points = std::abs(signedPoints);
                    ++melds;
                    clearing += signedPoints > 0;
                    ASSERT_TRUE(points >= 2 && points <= 112) << points;
                    if (points == 2) {
                        lowest.insert({a, b, c, d});
                    }
                    if (points == 112) {
                        highest.insert({a, b, c, d});
                    }
                }
            }
        }
    }
    EXPECT_EQ(melds, 111930);
    EXPECT_EQ(clearing, 30060);
    EXPECT_EQ(lowest, (std::set<Meld>{{1, 2, 10, 19}, {1, 10, 11, 19}, {1, 10, 19, 20}}));
    EXPECT_EQ(highest, (std::set<Meld>{{27, 28, 29, 30}}));
}

}  // namespace
