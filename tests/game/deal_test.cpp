// The random source and the deal: a seed must give the same game everywhere,
// so these pin the engine's published outputs, the halving in `next` and whole
// deals for known seeds; then what a new deal resets and what it keeps.
#include <ctime>
#include <random>

#include "game_test_support.h"

using namespace gametest;

namespace {

// Guards against a different engine, seeding or reduction of its output.
TEST(GameRandom, GivesThePublishedOutputsHalved) {
    GameRandom random;  // default-seeded with 5489
    EXPECT_EQ(random.next(), 3499211612 / 2);
    for (int n = 2; n < 10000; ++n) {
        random.next();
    }
    EXPECT_EQ(random.next(), 4123659995 / 2);
    for (std::uint32_t seed : {5489u, 0u, 0xFFFFFFFFu}) {
        random.reseed(seed);
        std::mt19937 reference(seed);
        for (int n = 0; n < 20000; ++n) {
            ASSERT_EQ(random.next(), static_cast<std::int32_t>(reference() / 2)) << seed;
        }
    }
}

struct KnownDeal {
    std::uint32_t seed;
    std::vector<TileCode> queue;    // slot 0 first
    std::vector<TileCode> refills;  // what slot 6 takes on the next five drops
};

// Guards the shuffle by insertion, dealing and refilling from the deck's back.
TEST(Deal, KnownSeedsGiveTheKnownQueueAndRefills) {
    // clang-format off
    const KnownDeal deals[] = {
        {   1, {11, 22, 20, 18, 40, 16, 28}, {13, 23,  9,  2, 34}},  // seed 1
        {   0, {15, 36,  7, 37,  3, 23, 20}, {31, 16,  2, 42,  1}},  // seed 0
        {5489, {27, 26, 15, 25,  2,  3, 18}, {28, 36, 38,  7, 19}},  // the engine's default
    };
    // clang-format on
    for (const KnownDeal& known : deals) {
        dealFresh(known.seed);
        EXPECT_EQ(queueTiles(), known.queue) << known.seed;
        EXPECT_EQ(gameState.deck.size(), kDeckAfterDeal);
        std::vector<TileCode> refills;
        for (std::size_t n = 0; n < known.refills.size(); ++n) {
            dropTile();
            refills.push_back(gameState.queue[kQueueLength - 1]);
        }
        EXPECT_EQ(refills, known.refills) << known.seed;
    }
    // Seed 1's deck front to back after the deal.
    const std::vector<TileCode> deck = {6,  4,  32, 24, 8,  5,  12, 7,  31, 38, 29, 17,
                                        27, 39, 42, 19, 15, 3,  25, 36, 33, 10, 35, 1,
                                        26, 41, 30, 21, 37, 14, 34, 2,  9,  23, 13};
    dealFresh(1);
    EXPECT_EQ(std::vector<TileCode>(gameState.deck.begin(), gameState.deck.end()), deck);
}

// Guards against a deal that forgets a reset, or resets what it must keep.
TEST(Deal, ResetsTheBoardButKeepsBestScoreTimerAndJitter) {
    dealFresh(3);
    EXPECT_EQ(gameState.jitter.size(), kJitterEntries);
    for (const JitterOffset& offset : gameState.jitter) {
        EXPECT_TRUE(offset.x == 0.0f && offset.y == 0.0f) << "the first deal makes zero offsets";
    }
    setBoard({{{1, 2, 3}, {}, {10, 11, 12, 14}, {}, {}, {31}}, {5, 6}, {}, 4, 250, 300});
    gameState.gameOver = true;
    gameState.spark = Spark{-12.0f, 900.0f, 3.0f, -7.0f};
    gameState.dropTimer = 45;
    gameState.jitter[39] = JitterOffset{-40.0f, 11.0f};

    dealNewGame(77);

    const std::string line = describeGame();
    EXPECT_EQ(line.substr(0, line.find(" queue")), "columns [] [] [] [] [] []");
    EXPECT_EQ(line.substr(line.find(" deck")),
              " deck 35 cursor 0 timer 45 score 0 best 300 over 0 spark 320 290 0 0 "
              "jitter 0 0 -40 11");
    EXPECT_EQ(gameState.columns[2].tiles[3], 0);
}

// Guards against seeding from anything but the clock in seconds.
TEST(Deal, NewGameSeedsFromTheClockInSeconds) {
    const auto before = static_cast<std::uint32_t>(std::time(nullptr));
    newGame();
    const std::string dealt = describeAll();
    bool matched = false;
    for (std::uint32_t seed = before; seed <= before + 1 && !matched; ++seed) {
        dealNewGame(seed);
        matched = describeAll() == dealt;
    }
    EXPECT_TRUE(matched);
}

}  // namespace
