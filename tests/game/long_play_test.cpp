// Long random play: thousands of games driven by random keys and steps with
// the invariants checked after every operation, and a soak of a whole day of
// game time (2 880 000 steps) checked more sparingly. The driver has its own
// engine with a fixed seed, and every game after a restart is dealt from it,
// so a failure replays exactly.
//
// KESSARY_SOAK_STEPS shortens the soak where steps are slow (the sanitizer
// build sets it).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

#include "game_test_support.h"

using namespace gametest;

namespace {

constexpr std::int32_t kOtherKey = 97;  // a key without a meaning while a game runs
constexpr std::int32_t kDriverKeys[] = {kKeySpace, kKeyZ,    kKeyUp,   kKeyDown,
                                        kKeyRight, kKeyLeft, kOtherKey};
constexpr int kDriverKeyCount = sizeof kDriverKeys / sizeof kDriverKeys[0];

constexpr int kStepsPerDay = 24 * 60 * 60 * 1000 / kStepMilliseconds;  // 2 880 000
constexpr int kSoakCheckEvery = 1000;
constexpr int kLongestGameSteps = kTileKinds * kStepsPerAutoDrop;

std::int32_t randomKey(std::mt19937& driver) {
    return kDriverKeys[std::uniform_int_distribution<int>(0, kDriverKeyCount - 1)(driver)];
}

int tilesLeft() {
    return static_cast<int>(gameState.deck.size()) + filledQueueSlots();
}

// A finished game stays frozen under steps; any key then starts a fresh game,
// which the driver replaces with a deal of its own so the run is repeatable.
::testing::AssertionResult restartFinishedGame(std::mt19937& driver) {
    const std::string frozen = describeAll();
    stepGame();
    if (describeAll() != frozen) {
        return ::testing::AssertionFailure() << "a finished game moved on a step";
    }
    const std::int32_t best = gameState.bestScore;
    handleKeyDown(randomKey(driver));
    if (gameState.gameOver || tilesOnBoard() != 0 || tilesLeft() != kTileKinds ||
        gameState.bestScore != best || gameState.score != 0) {
        return ::testing::AssertionFailure() << "a key did not start a fresh game";
    }
    dealNewGame(static_cast<std::uint32_t>(driver()));
    return checkInvariants();
}

TEST(LongPlay, InvariantsHoldAfterEveryOperationOfThousandsOfGames) {
    resetGameState();
    std::mt19937 driver(20261207);
    dealNewGame(static_cast<std::uint32_t>(driver()));
    constexpr int kGames = 3000;
    int blocked = 0;
    for (int game = 0; game < kGames; ++game) {
        // Each game its own pace, from all timer drops to frantic keys.
        const double keyChance = std::uniform_real_distribution<double>(0.0, 0.7)(driver);
        std::bernoulli_distribution pressKey(keyChance);
        int operations = 0;
        while (!gameState.gameOver) {
            const int leftBefore = tilesLeft();
            const std::int32_t scoreBefore = gameState.score;
            const std::int32_t bestBefore = gameState.bestScore;
            const bool key = pressKey(driver);
            if (key) {
                handleKeyDown(randomKey(driver));
            } else {
                stepGame();
            }
            ++operations;
            ASSERT_TRUE(checkInvariants()) << "game " << game << " operation " << operations;
            ASSERT_LE(leftBefore - tilesLeft(), 1) << "more than one drop in one operation";
            ASSERT_GE(leftBefore, tilesLeft());
            ASSERT_GE(gameState.score, scoreBefore);
            ASSERT_GE(gameState.bestScore, bestBefore);
            ASSERT_LT(operations, 100000) << "game " << game << " never ends";
        }
        blocked += everyColumnFull();
        ASSERT_TRUE(restartFinishedGame(driver)) << "after game " << game;
    }
    // Both ways of ending were exercised.
    EXPECT_GT(blocked, 0);
    EXPECT_LT(blocked, kGames);
}

int soakSteps() {
    const char* text = std::getenv("KESSARY_SOAK_STEPS");
    return text != nullptr ? std::atoi(text) : kStepsPerDay;
}

// A day of play at roughly one key press every eight steps (a quarter of a
// second), like a player who keeps at it.
TEST(LongPlay, ADayOfGameTimeStaysSoundAndFinite) {
    resetGameState();
    std::mt19937 driver(86400);
    dealNewGame(static_cast<std::uint32_t>(driver()));
    std::bernoulli_distribution pressKey(1.0 / 8);
    const int steps = soakSteps();
    int games = 0;
    for (int step = 1; step <= steps; ++step) {
        if (pressKey(driver)) {
            handleKeyDown(randomKey(driver));
        }
        stepGame();
        if (step % kSoakCheckEvery == 0 || gameState.gameOver) {
            ASSERT_TRUE(checkInvariants()) << "step " << step;
        } else {
            ASSERT_TRUE(stateIsFinite()) << "step " << step;
        }
        if (gameState.gameOver) {
            ++games;
            ASSERT_TRUE(restartFinishedGame(driver)) << "step " << step;
        }
    }
    // The timer drops at least every 20 steps, so no game outlasts 42 of them.
    EXPECT_GE(games, steps / kLongestGameSteps - 1);
    RecordProperty("games", games);
}

}  // namespace
