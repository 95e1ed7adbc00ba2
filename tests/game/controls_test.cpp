// Key presses and the update step: the cursor's wrap and skip, the press half
// of the spark steering, the restart of a finished game, the automatic drop's
// count of 20 steps, and each step's draws from the random source, replayed
// on a copy of the engine.
#include "game_test_support.h"

using namespace gametest;

namespace {

// Guards the cursor's wrap and skip in both directions and the horizontal
// arrows pushing the spark against their direction, even when it cannot move.
TEST(Keys, CursorWrapsAndSkipsFullColumnsAndPushesTheSparkBack) {
    struct Move {
        int from;
        std::vector<int> full;
        std::int32_t key;
        int to;
    };
    // clang-format off
    const Move moves[] = {
        {3, {},              kKeyRight, 4},  // one column right
        {3, {},              kKeyLeft,  2},  // one column left
        {5, {},              kKeyRight, 0},  // wraps right
        {0, {},              kKeyLeft,  5},  // wraps left
        {1, {2, 3},          kKeyRight, 4},  // skips full columns
        {1, {0, 5},          kKeyLeft,  4},  // wraps and skips
        {4, {5, 0, 1, 2},    kKeyRight, 3},  // all the way round to the left neighbour
        {2, {0, 1, 3, 4, 5}, kKeyRight, 2},  // nowhere else to go
        {2, {0, 1, 3, 4, 5}, kKeyLeft,  2},  // nor this way
    };
    // clang-format on
    for (const Move& move : moves) {
        Board board{std::vector<std::vector<TileCode>>(kColumnCount), {40, 41, 42}};
        for (int c : move.full) {
            board.columns[c] = {c + 1, c + 10, c + 19, c + 31};
        }
        board.cursor = move.from;
        setBoard(board);
        gameState.spark = Spark{100.0f, 200.0f, 0.5f, -2.0f};
        handleKeyDown(move.key);
        EXPECT_EQ(gameState.cursor, move.to) << "from " << move.from;
        EXPECT_EQ(describeGame().substr(describeGame().find(" queue")),
                  std::string(" queue 40 41 42 0 0 0 0 deck 0 cursor ") + std::to_string(move.to) +
                      " timer 0 score 0 best 0 over 0 spark 100 200 " +
                      (move.key == kKeyRight ? "-0.5" : "1.5") + " -2 jitter 0 0 0 0");
    }
}

// Guards the vertical push, the two drop keys and keys that must do nothing.
TEST(Keys, SteerDropOrDoNothing) {
    const std::string dealt = "columns [] [] [] [] [] [] queue 11 22 20 18 40 16 28 deck 35 ";
    const std::string dropped = "columns [11] [] [] [] [] [] queue 22 20 18 40 16 28 13 deck 34 ";
    const std::string rest = "cursor 0 timer 0 score 0 best 0 over 0 spark 320 290 0 ";
    // clang-format off
    const std::pair<const char*, std::string> scripts[] = {
        {"U",            dealt + rest + "1"   },  // up pushes up
        {"U D D",        dealt + rest + "-1"  },  // down pushes down
        {"1000xU",       dealt + rest + "1000"},  // without limit
        {"7xstep space", dropped + rest + "0" },  // space drops and restarts the timer
        {"7xstep z",     dropped + rest + "0" },  // so does z
    };
    // clang-format on
    for (const auto& [script, expected] : scripts) {
        dealFresh(1);
        playScript(script);
        EXPECT_EQ(describeGame().substr(0, describeGame().find(" jitter")), expected) << script;
    }
    playScript("7xstep");
    const std::string before = describeAll();
    // Escape, capital Z, Return, Insert, keys that do not exist.
    playScript("key27 key90 key13 key277 key0 key-1 key123 key272 key300");
    EXPECT_EQ(describeAll(), before);
}

// Guards a finished game against moving on steps (the random source
// included) and against the restarting press doing anything but deal.
TEST(Keys, AFinishedGameStaysFrozenUntilAnyKeyDealsAnew) {
    for (std::int32_t key : {kKeySpace, kKeyZ, kKeyUp, kKeyDown, kKeyRight, kKeyLeft, 97}) {
        dealFresh(5);
        playScript("R 3xU 30xstep");
        while (!gameState.gameOver) {
            dropTile();
        }
        gameState.spark.vx = 4.0f;  // would move the spark if anything ran
        const std::string frozen = describeAll();
        const std::string line = describeGame();
        const std::string best = std::to_string(gameState.bestScore);
        playScript("500xstep");
        ASSERT_EQ(describeAll(), frozen);

        handleKeyDown(key);

        const std::string now = describeGame();
        EXPECT_EQ(now.substr(0, now.find(" queue")) + now.substr(now.find(" deck")),
                  "columns [] [] [] [] [] [] deck 35 cursor 0 timer 0 score 0 best " + best +
                      " over 0 spark 320 290 0 0" + line.substr(line.find(" jitter")))
            << key;
    }
}
// Guards the automatic drop on the 20th step after the last drop, by timer or
// by key, and a game ended by the first of two timer drops staying ended.
TEST(Step, TheTwentiethStepAfterADropDropsTheHand) {
    dealFresh(1);
    // clang-format off
    const std::pair<const char*, int> scripts[] = {  // tiles on the board after each
        {"19xstep",       0},  // not yet
        {"step",          1},  // the 20th
        {"12xstep space", 2},  // a key drop restarts the count
        {"19xstep",       2},
        {"step",          3},
        {"40xstep",       5},  // two more in 40 steps
    };
    // clang-format on
    for (const auto& [script, tiles] : scripts) {
        playScript(script);
        EXPECT_EQ(tilesOnBoard(), tiles) << script;
    }
    setBoard({{{1, 2, 3}}, {4}});
    playScript("40xstep");
    EXPECT_EQ(describeBoard(),
              "columns [] [] [] [] [] [] queue 0 0 0 0 0 0 0 deck 0 cursor 0 timer 0 score 11 "
              "best 11 over 1");
}

// Guards the order and number of a step's draws (the jump test, the jump's x
// then y, then x and y of each offset: 81 or 83), the jump replacing the move,
// the walk's range, and the walk still running in the step that ends the game.
TEST(Step, DrawsInTheKnownOrder) {
    dealFresh(2024);
    gameState.spark = Spark{-500.0f, 2000.0f, -3.0f, 2.0f};  // outside until a jump
    int jumps = 0;
    while (!gameState.gameOver) {
        GameRandom replay = gameState.random;
        Spark spark{gameState.spark.x + gameState.spark.vx, gameState.spark.y + gameState.spark.vy};
        JitterTable jitter = gameState.jitter;
        if (replay.next() % 100 == 0) {
            ++jumps;
            spark.x = static_cast<float>(replay.next() % 640);
            spark.y = static_cast<float>(replay.next() % 580);
        }
        for (JitterOffset& offset : jitter) {
            offset.x += static_cast<float>(replay.next() % 101 - 50) * 0.025f;
            offset.y += static_cast<float>(replay.next() % 101 - 50) * 0.025f;
        }
        stepGame();
        ASSERT_TRUE(gameState.spark.x == spark.x && gameState.spark.y == spark.y);
        ASSERT_EQ(gameState.random.engine, replay.engine);
        for (int i = 0; i < kJitterEntries; ++i) {
            ASSERT_TRUE(gameState.jitter[i].x == jitter[i].x &&
                        gameState.jitter[i].y == jitter[i].y)
                << "entry " << i;
        }
    }
    EXPECT_GT(jumps, 0);
}

}  // namespace
