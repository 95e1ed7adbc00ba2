// Whole games: golden replays, where a seed and a script of keys and steps
// must reach the exact position recorded (any change to the shuffle, drop,
// scoring, controls or order of draws shows up as a different line), and
// long random play with the invariants checked after every operation.
//
// To rewrite a golden line after an intended change of the rules, run
// game_tests --gtest_filter='Play.Golden*', check the change by hand, and copy
// the actual line into the table.
#include <cstdlib>
#include <random>

#include "game_test_support.h"

using namespace gametest;

namespace {

// Guards every rule at once against drift.
TEST(Play, GoldenReplaysReachTheRecordedPositions) {
    // clang-format off
    const struct { std::uint32_t seed; const char* script; const char* position; } replays[] = {
        // Seed 1's first four tiles make a kept mixed meld of 8; 40 drops by the timer.
        {1, "4xspace 20xstep",
         "columns [11 22 20 18] [40] [] [] [] [] queue 16 28 13 23 9 2 34 deck 30 cursor 1 "
         "timer 0 score 8 best 0 over 0 spark 320 290 0 0 "
         "jitter -4.99999952 -1.6500001 0.925000012 0.24999997"},
        // Arrows move the cursor past full columns and steer the spark.
        {0, "R R space L z U U D 20xstep space 3xR z 100xstep L L space 60xstep",
         "columns [] [36 7 37] [15 42 1 17] [14] [3 23 20 31] [16 2] "
         "queue 13 35 40 33 21 29 25 deck 21 cursor 3 timer 0 score 18 best 0 over 0 "
         "spark -127 127 -2 1 jitter -9.94999504 -2.22500062 2.94999862 10.2750015"},
        // A whole game by the timer until six kept melds block the board.
        {5489, "900xstep 100xstep",
         "columns [27 26 15 25] [36 38 7 19] [20 6 11 35] [5 16 14 9] [1 31 42 4] [12 10 37 32] "
         "queue 34 33 30 17 24 40 22 deck 3 cursor 5 timer 0 score 79 best 79 over 1 "
         "spark 420 169 0 0 jitter 21.4499912 8.90000153 -16.4750004 -15.3749847"},
        // The next deal keeps the best score and the walked jitter.
        {5489, "900xstep deal42 R R z U 45xstep",
         "columns [] [] [25 34 42] [] [] [] queue 12 41 7 18 6 13 31 deck 32 cursor 2 "
         "timer 25 score 0 best 79 over 0 "
         "spark 230 335 -2 1 jitter 18.7249889 7.60000038 -29.75 -23.924984"},
    };
    // clang-format on
    for (const auto& replay : replays) {
        dealFresh(replay.seed);
        playScript(replay.script);
        EXPECT_EQ(describeGame(), replay.position) << replay.script;
    }
}

// Random keys and steps from a fixed driver seed, so a failure replays; each
// finished game must stay frozen, then any key must deal a fresh one.
struct Driver {
    std::mt19937 engine;
    std::int32_t key() {
        constexpr std::int32_t keys[] = {kKeySpace, kKeyZ,    kKeyUp, kKeyDown,
                                         kKeyRight, kKeyLeft, 97};
        return keys[engine() % 7];
    }
    ::testing::AssertionResult restart() {
        const std::string frozen = describeAll();
        const std::int32_t best = gameState.bestScore;
        stepGame();
        const bool stayed = describeAll() == frozen;
        handleKeyDown(key());
        if (!stayed || gameState.gameOver || tilesOnBoard() != 0 || gameState.score != 0 ||
            gameState.deck.size() != kDeckAfterDeal || gameState.bestScore != best) {
            return ::testing::AssertionFailure() << "a finished game moved or did not restart";
        }
        dealNewGame(engine());
        return checkInvariants();
    }
};

// Guards the invariants through thousands of games at every pace.
TEST(Play, InvariantsHoldAfterEveryOperationOfThousandsOfGames) {
    Driver driver{std::mt19937(20261207)};
    dealFresh(driver.engine());
    for (int game = 0; game < 3000; ++game) {
        std::bernoulli_distribution pressKey(game % 8 / 10.0);  // from timer only to frantic
        for (int operation = 0; !gameState.gameOver; ++operation) {
            const int left = static_cast<int>(gameState.deck.size()) + filledQueueSlots();
            const std::int32_t score = gameState.score;
            pressKey(driver.engine) ? handleKeyDown(driver.key()) : stepGame();
            const int drops = left - static_cast<int>(gameState.deck.size()) - filledQueueSlots();
            ASSERT_TRUE(checkInvariants()) << "game " << game << " operation " << operation;
            ASSERT_TRUE(drops >= 0 && drops <= 1 && gameState.score >= score && operation < 5000);
        }
        ASSERT_TRUE(driver.restart()) << "after game " << game;
    }
}

// Guards a day of game time (2 880 000 steps) at a key every eight steps:
// sound and finite throughout. KESSARY_SOAK_STEPS shortens it.
TEST(Play, ADayOfGameTimeStaysSoundAndFinite) {
    const char* steps = std::getenv("KESSARY_SOAK_STEPS");
    const int stepCount = steps ? std::atoi(steps) : 24 * 60 * 60 * 1000 / kStepMilliseconds;
    Driver driver{std::mt19937(86400)};
    dealFresh(driver.engine());
    int games = 0;
    for (int step = 1; step <= stepCount; ++step) {
        if (driver.engine() % 8 == 0) {
            handleKeyDown(driver.key());
        }
        stepGame();
        if (step % 1000 == 0 || gameState.gameOver) {
            ASSERT_TRUE(checkInvariants()) << "step " << step;
        }
        ASSERT_TRUE(std::isfinite(gameState.jitter[39].x + gameState.jitter[39].y)) << step;
        if (gameState.gameOver) {
            ++games;
            ASSERT_TRUE(driver.restart()) << "step " << step;
        }
    }
    // The timer drops at least every 20 steps, so no game outlasts 840 steps.
    EXPECT_GE(games, stepCount / (kTileKinds * kDropTimerLimit / kDropTimerPerStep) - 1);
}

}  // namespace
