// Key presses and the update step: the cursor's wrap and skip, the press half
// of the spark steering, the restart of a finished game, the automatic drop's
// count of 20 steps, and the step's draws from the random source, counted by
// replaying them on a copy of the engine.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "game_test_support.h"

using namespace gametest;

namespace {

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 580;
constexpr float kJitterUnit = 0.025f;
constexpr float kJitterReach = 50 * kJitterUnit;  // the most an offset moves in one step

// How many draws took the random source from `before` to its current state,
// found by drawing from a copy until the engines agree; -1 beyond `limit`.
int drawsSince(GameRandom before, int limit = 200) {
    for (int draws = 0; draws <= limit; ++draws) {
        if (before.engine == gameState.random.engine) {
            return draws;
        }
        before.next();
    }
    return -1;
}

// A running game from a deal whose first few drops block nothing.
void startGame(std::uint32_t seed = 1) {
    resetGameState();
    dealNewGame(seed);
}

// Plays the current game to its end by dropping at once.
void finishGame() {
    while (!gameState.gameOver) {
        dropTile();
    }
}

struct CursorMove {
    int from;
    std::vector<int> fullColumns;
    std::int32_t key;
    int to;
};

class CursorKeys : public ::testing::TestWithParam<CursorMove> {};

TEST_P(CursorKeys, WrapAndSkipFullColumnsAndPushTheSparkBack) {
    const CursorMove& move = GetParam();
    Board board;
    board.columns.resize(kColumnCount);
    TileCode next = 1;
    for (int c : move.fullColumns) {
        board.columns[c] = {next, next + 9, next + 18, next + 30};
        ++next;
    }
    board.queue = {40, 41, 42, 28, 29, 30, 39};
    board.cursor = move.from;
    setBoard(board);
    gameState.spark = Spark{100.0f, 200.0f, 0.5f, -2.0f};
    const std::vector<TileCode> queue = queueTiles();

    handleKeyDown(move.key);

    EXPECT_EQ(gameState.cursor, move.to);
    // Against the arrow's direction, even when the cursor cannot move.
    EXPECT_EQ(gameState.spark.vx, move.key == kKeyRight ? -0.5f : 1.5f);
    EXPECT_EQ(gameState.spark.vy, -2.0f);
    EXPECT_EQ(gameState.spark.x, 100.0f);
    EXPECT_EQ(queueTiles(), queue);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Moves, CursorKeys, ::testing::Values(
    CursorMove{3, {},              kKeyRight, 4},  // one column right
    CursorMove{3, {},              kKeyLeft,  2},  // one column left
    CursorMove{5, {},              kKeyRight, 0},  // wraps right
    CursorMove{0, {},              kKeyLeft,  5},  // wraps left
    CursorMove{1, {2, 3},          kKeyRight, 4},  // skips full columns
    CursorMove{1, {0, 5},          kKeyLeft,  4},  // wraps and skips
    CursorMove{4, {5, 0, 1, 2},    kKeyRight, 3},  // all the way round to the left neighbour
    CursorMove{2, {0, 1, 3, 4, 5}, kKeyRight, 2},  // nowhere else to go
    CursorMove{2, {0, 1, 3, 4, 5}, kKeyLeft,  2}
));
// clang-format on

TEST(Keys, VerticalArrowsPushTheSparkTheirWayWithoutLimit) {
    startGame();
    playScript("U");
    EXPECT_EQ(gameState.spark.vy, 1.0f);
    playScript("D D");
    EXPECT_EQ(gameState.spark.vy, -1.0f);
    playScript("1000xU");
    EXPECT_EQ(gameState.spark.vy, 999.0f);
    EXPECT_EQ(gameState.spark.vx, 0.0f);
    EXPECT_EQ(gameState.cursor, 0);
    EXPECT_EQ(gameState.deck.size(), static_cast<std::size_t>(kDeckAfterDeal));
}

TEST(Keys, SpaceAndZDropAndOtherKeysDoNothing) {
    for (std::int32_t key : {kKeySpace, kKeyZ}) {
        startGame();
        gameState.dropTimer = 35;
        handleKeyDown(key);
        EXPECT_EQ(columnTiles(0), (std::vector<TileCode>{11, 0, 0, 0})) << "key " << key;
        EXPECT_EQ(gameState.queue[0], 22);
        EXPECT_EQ(gameState.dropTimer, 0);
    }
    startGame();
    gameState.dropTimer = 35;
    const std::string before = describeAll();
    // Escape, capital Z, Return, Insert, keys that do not exist.
    for (std::int32_t key : {27, 90, 13, 277, 0, -1, 123, 272, 300}) {
        handleKeyDown(key);
        EXPECT_EQ(describeAll(), before) << "key " << key;
    }
}

TEST(Keys, AnyKeyRestartsAFinishedGameAndDoesNothingElse) {
    for (std::int32_t key : {kKeySpace, kKeyZ, kKeyUp, kKeyDown, kKeyRight, kKeyLeft, 97}) {
        startGame(5);
        playScript("R 3xU 30xstep");
        finishGame();
        const std::int32_t best = gameState.bestScore;
        const JitterOffset walked = gameState.jitter[7];
        ASSERT_NE(walked.x, 0.0f);

        handleKeyDown(key);

        EXPECT_FALSE(gameState.gameOver) << "key " << key;
        EXPECT_EQ(gameState.cursor, 0) << "key " << key;
        EXPECT_EQ(gameState.spark.vx, 0.0f) << "key " << key;
        EXPECT_EQ(gameState.spark.vy, 0.0f) << "key " << key;
        EXPECT_EQ(gameState.spark.x, kSparkStartX);
        EXPECT_EQ(gameState.spark.y, kSparkStartY);
        EXPECT_EQ(tilesOnBoard(), 0) << "key " << key;
        EXPECT_EQ(gameState.deck.size(), static_cast<std::size_t>(kDeckAfterDeal)) << "key " << key;
        EXPECT_EQ(gameState.score, 0);
        EXPECT_EQ(gameState.bestScore, best);
        EXPECT_EQ(gameState.jitter[7].x, walked.x);
        EXPECT_TRUE(checkInvariants());
    }
}

TEST(Step, TheTwentiethStepAfterADropDropsTheHand) {
    startGame();
    playScript("19xstep");
    EXPECT_EQ(gameState.dropTimer, 19 * kDropTimerPerStep);
    EXPECT_EQ(tilesOnBoard(), 0);
    playScript("step");
    EXPECT_EQ(tilesOnBoard(), 1);
    EXPECT_EQ(gameState.dropTimer, 0);

    // A key drop restarts the count.
    playScript("12xstep space");
    EXPECT_EQ(tilesOnBoard(), 2);
    playScript("19xstep");
    EXPECT_EQ(tilesOnBoard(), 2);
    playScript("step");
    EXPECT_EQ(tilesOnBoard(), 3);
}

TEST(Step, FortyStepsDropTwiceUnlessTheFirstDropEndsTheGame) {
    startGame();
    playScript("40xstep");
    EXPECT_EQ(gameState.deck.size(), static_cast<std::size_t>(kDeckAfterDeal - 2));
    EXPECT_EQ(gameState.dropTimer, 0);

    setBoard({{{1, 2, 3}}, {4}});
    playScript("40xstep");
    EXPECT_TRUE(gameState.gameOver);
    EXPECT_EQ(gameState.score, 11);
    EXPECT_EQ(gameState.dropTimer, 0);
}

// Each step replayed on a copy of the random source: the jump test, the
// jump's x then y when it fires, then x and y of each jitter offset in order.
// The spark starts outside the window and stays out until a jump.
TEST(Step, DrawsInTheKnownOrderAndWalksTheJitterWithinBounds) {
    startGame(2024);
    gameState.spark = Spark{-500.0f, 2000.0f, -3.0f, 2.0f};
    int jumps = 0;
    int steps = 0;
    float smallestMove = 0.0f;
    float largestMove = 0.0f;
    while (!gameState.gameOver) {
        GameRandom replay = gameState.random;
        const GameRandom before = replay;
        const Spark spark = gameState.spark;
        const JitterTable jitter = gameState.jitter;

        stepGame();
        ++steps;

        const bool jumped = replay.next() % 100 == 0;
        if (jumped) {
            ++jumps;
            const std::int32_t x = replay.next() % kWindowWidth;
            const std::int32_t y = replay.next() % kWindowHeight;
            EXPECT_EQ(gameState.spark.x, static_cast<float>(x));
            EXPECT_EQ(gameState.spark.y, static_cast<float>(y));
            EXPECT_TRUE(x >= 0 && x < kWindowWidth && y >= 0 && y < kWindowHeight);
        } else {
            EXPECT_EQ(gameState.spark.x, spark.x + spark.vx);
            EXPECT_EQ(gameState.spark.y, spark.y + spark.vy);
        }
        EXPECT_EQ(drawsSince(before), jumped ? kDrawsPerJumpStep : kDrawsPerStep);

        for (int i = 0; i < kJitterEntries; ++i) {
            const float dx = static_cast<float>(replay.next() % 101 - 50) * kJitterUnit;
            const float dy = static_cast<float>(replay.next() % 101 - 50) * kJitterUnit;
            ASSERT_EQ(gameState.jitter[i].x, jitter[i].x + dx) << "entry " << i;
            ASSERT_EQ(gameState.jitter[i].y, jitter[i].y + dy) << "entry " << i;
            for (float move :
                 {gameState.jitter[i].x - jitter[i].x, gameState.jitter[i].y - jitter[i].y}) {
                ASSERT_LE(std::fabs(move), kJitterReach + 1e-3f);
                smallestMove = std::fmin(smallestMove, move);
                largestMove = std::fmax(largestMove, move);
            }
        }
        EXPECT_EQ(gameState.random.engine, replay.engine);
    }
    EXPECT_EQ(steps % kStepsPerAutoDrop, 0);  // every drop by the timer
    EXPECT_GT(jumps, 0);
    // Both ends of the step are reached.
    EXPECT_NEAR(smallestMove, -kJitterReach, 1e-3f);
    EXPECT_NEAR(largestMove, kJitterReach, 1e-3f);
}

TEST(Step, TheStepWhoseDropEndsTheGameStillWalksTheJitter) {
    setBoard({{{1, 2, 3}}, {4}});
    gameState.dropTimer = kDropTimerLimit - kDropTimerPerStep;
    const GameRandom before = gameState.random;
    stepGame();
    ASSERT_TRUE(gameState.gameOver);
    const int draws = drawsSince(before);
    EXPECT_TRUE(draws == kDrawsPerStep || draws == kDrawsPerJumpStep) << draws << " draws";
}

TEST(Step, AFinishedGameStaysFrozen) {
    startGame(8);
    playScript("U U L 50xstep");
    finishGame();
    gameState.spark.vx = 4.0f;  // would move the spark if anything ran
    const std::string frozen = describeAll();
    playScript("500xstep");
    EXPECT_EQ(describeAll(), frozen);
}

}  // namespace
