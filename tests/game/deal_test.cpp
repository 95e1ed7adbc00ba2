// The random source and the deal: a seed must give the same game everywhere,
// so these pin the engine's published outputs, the halving in `next`, and
// whole deals for known seeds; then what a new deal resets and what it keeps.
#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "game_test_support.h"

using namespace gametest;

namespace {

constexpr std::uint32_t kPublishedFirst = 3499211612u;          // mt19937, seed 5489, output 1
constexpr std::uint32_t kPublishedTenThousandth = 4123659995u;  // output 10000
constexpr std::int32_t kNextMax = 2147483647;

TEST(GameRandom, StartsAtTheEnginesDefaultSeedWithItsPublishedOutputs) {
    GameRandom random;
    EXPECT_EQ(random.next(), static_cast<std::int32_t>(kPublishedFirst / 2));
    for (int n = 2; n < 10000; ++n) {
        random.next();
    }
    EXPECT_EQ(random.next(), static_cast<std::int32_t>(kPublishedTenThousandth / 2));

    // Reseeding restarts the sequence whatever was drawn before.
    random.reseed(kProcessStartSeed);
    EXPECT_EQ(random.next(), static_cast<std::int32_t>(kPublishedFirst / 2));
}

TEST(GameRandom, NextIsTheOutputHalvedAndNeverNegative) {
    for (std::uint32_t seed : {0u, 1u, 42u, 1700000000u, 0xFFFFFFFFu}) {
        GameRandom random;
        random.reseed(seed);
        std::mt19937 reference(seed);
        for (int n = 0; n < 20000; ++n) {
            const std::uint32_t output = static_cast<std::uint32_t>(reference());
            const std::int32_t value = random.next();
            ASSERT_EQ(value, static_cast<std::int32_t>(output / 2))
                << "seed " << seed << " draw " << n;
            ASSERT_GE(value, 0);
            ASSERT_LE(value, kNextMax);
        }
    }
}

struct KnownDeal {
    std::uint32_t seed;
    std::vector<TileCode> queue;    // slot 0 first
    std::vector<TileCode> refills;  // what slot 6 takes on the next five drops
};

class DealFromSeed : public ::testing::TestWithParam<KnownDeal> {};

TEST_P(DealFromSeed, GivesTheKnownQueueAndRefills) {
    const KnownDeal& known = GetParam();
    resetGameState();
    dealNewGame(known.seed);
    EXPECT_EQ(queueTiles(), known.queue);
    EXPECT_EQ(gameState.deck.size(), static_cast<std::size_t>(kDeckAfterDeal));

    std::vector<TileCode> refills;
    for (std::size_t n = 0; n < known.refills.size(); ++n) {
        dropTile();
        refills.push_back(gameState.queue[kQueueLength - 1]);
    }
    EXPECT_EQ(refills, known.refills);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(KnownSeeds, DealFromSeed, ::testing::Values(
    KnownDeal{   1, {11, 22, 20, 18, 40, 16, 28}, {13, 23,  9,  2, 34}},  // seed 1
    KnownDeal{   0, {15, 36,  7, 37,  3, 23, 20}, {31, 16,  2, 42,  1}},  // seed 0
    KnownDeal{5489, {27, 26, 15, 25,  2,  3, 18}, {28, 36, 38,  7, 19}}   // the engine's default
));
// clang-format on

TEST(Deal, SeedOneShufflesTheWholeDeckIntoItsKnownOrder) {
    // Front to back before dealing; the deal takes the last seven from the back.
    const std::vector<TileCode> shuffled = {6,  4,  32, 24, 8,  5,  12, 7,  31, 38, 29, 17, 27, 39,
                                            42, 19, 15, 3,  25, 36, 33, 10, 35, 1,  26, 41, 30, 21,
                                            37, 14, 34, 2,  9,  23, 13, 28, 16, 40, 18, 20, 22, 11};
    resetGameState();
    dealNewGame(1);
    EXPECT_EQ(deckTiles(), std::vector<TileCode>(shuffled.begin(), shuffled.begin() + 35));
    EXPECT_EQ(queueTiles(), std::vector<TileCode>(shuffled.rbegin(), shuffled.rbegin() + 7));
}

TEST(Deal, ResetsTheBoardButKeepsBestScoreTimerAndJitter) {
    setBoard({{{1, 2, 3}, {}, {10, 11, 12, 14}, {}, {}, {31}}, {5, 6}, {}, 4, 250, 300});
    gameState.gameOver = true;
    gameState.spark = Spark{-12.0f, 900.0f, 3.0f, -7.0f};
    gameState.dropTimer = 45;  // never the case at a deal, but a deal must not touch it
    gameState.jitterCursor = 17;
    gameState.jitter[0] = JitterOffset{3.5f, -2.25f};
    gameState.jitter[39] = JitterOffset{-40.0f, 11.0f};

    dealNewGame(77);

    for (int c = 0; c < kColumnCount; ++c) {
        EXPECT_EQ(columnTiles(c), std::vector<TileCode>(kColumnHeight, kNoTile)) << "column " << c;
        EXPECT_EQ(gameState.columns[c].count, 0);
    }
    EXPECT_EQ(gameState.cursor, 0);
    EXPECT_EQ(gameState.score, 0);
    EXPECT_FALSE(gameState.gameOver);
    EXPECT_EQ(gameState.spark.x, kSparkStartX);
    EXPECT_EQ(gameState.spark.y, kSparkStartY);
    EXPECT_EQ(gameState.spark.vx, 0.0f);
    EXPECT_EQ(gameState.spark.vy, 0.0f);

    EXPECT_EQ(gameState.bestScore, 300);
    EXPECT_EQ(gameState.dropTimer, 45);
    EXPECT_EQ(gameState.jitterCursor, 17);
    ASSERT_EQ(gameState.jitter.size(), static_cast<std::size_t>(kJitterEntries));
    EXPECT_EQ(gameState.jitter[0].x, 3.5f);
    EXPECT_EQ(gameState.jitter[0].y, -2.25f);
    EXPECT_EQ(gameState.jitter[39].x, -40.0f);
    EXPECT_EQ(gameState.jitter[39].y, 11.0f);

    // A fresh deal all the same: 42 distinct codes, 35 of them in the deck.
    gameState.dropTimer = 0;
    EXPECT_TRUE(checkInvariants());
    EXPECT_EQ(gameState.deck.size() + filledQueueSlots(), static_cast<std::size_t>(kTileKinds));
}

TEST(Deal, FirstDealOfTheProcessCreatesFortyZeroOffsets) {
    resetGameState();
    ASSERT_TRUE(gameState.jitter.empty());
    dealNewGame(3);
    ASSERT_EQ(gameState.jitter.size(), static_cast<std::size_t>(kJitterEntries));
    for (const JitterOffset& offset : gameState.jitter) {
        EXPECT_EQ(offset.x, 0.0f);
        EXPECT_EQ(offset.y, 0.0f);
    }
    EXPECT_EQ(gameState.jitterCursor, 0);
    EXPECT_EQ(gameState.bestScore, 0);
}

TEST(Deal, SameSeedGivesTheSameGameAndTheSameSteps) {
    const char* const script = "R R space 25xstep U z L 150xstep D space 300xstep";
    auto playFromScratch = [script](std::uint32_t seed) {
        resetGameState();
        dealNewGame(seed);
        playScript(script);
        return describeAll();
    };
    for (std::uint32_t seed : {0u, 1u, 1733000000u}) {
        EXPECT_EQ(playFromScratch(seed), playFromScratch(seed)) << "seed " << seed;
    }
    EXPECT_NE(playFromScratch(1), playFromScratch(2));

    // Within one process the jitter carries over, but the random sequence
    // restarts from the seed all the same.
    dealNewGame(9);
    playScript(script);
    const GameRandom after = gameState.random;
    const std::vector<TileCode> board = columnTiles(0);
    dealNewGame(9);
    playScript(script);
    EXPECT_EQ(gameState.random.engine, after.engine);
    EXPECT_EQ(columnTiles(0), board);
}

TEST(Deal, NewGameSeedsFromTheClockInSeconds) {
    resetGameState();
    const auto before = static_cast<std::uint32_t>(std::time(nullptr));
    newGame();
    const auto after = static_cast<std::uint32_t>(std::time(nullptr));
    const std::vector<TileCode> queue = queueTiles();
    const std::vector<TileCode> deck = deckTiles();
    const GameRandom random = gameState.random;

    bool matched = false;
    for (std::uint32_t seed = before; seed != after + 1 && !matched; ++seed) {
        dealNewGame(seed);
        matched = queueTiles() == queue && deckTiles() == deck &&
                  gameState.random.engine == random.engine;
    }
    EXPECT_TRUE(matched) << "no seed in [" << before << ", " << after << "] deals the same game";
}

}  // namespace
