// The rules: known deals, meld scoring, positions laid by hand, golden replays
// and a day of random games checked after every operation. Every test starts
// from a deal of its own, the one `gameState` being shared by the process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "game/controls.h"
#include "game/drop.h"
#include "game/game_state.h"
#include "game/meld.h"
#include "play_script.h"

namespace {

void dealFresh(std::uint32_t seed) {
    gameState = GameState{};
    dealNewGame(seed);
}

int queued() {
    return kQueueLength - std::count(gameState.queue.begin(), gameState.queue.end(), 0);
}

// All the rules decide, on one line (columns bottom first; first and last jitter).
std::string describeGame() {
    const GameState& g = gameState;
    std::ostringstream out;
    out << std::setprecision(9) << "columns";
    for (const Column& column : g.columns) {
        out << " [";
        for (int k = 0; k < column.count; ++k) {
            out << (k ? " " : "") << column.tiles[k];
        }
        out << "]";
    }
    out << " queue";
    for (TileCode code : g.queue) {
        out << " " << code;
    }
    out << " deck " << g.deck.size() << " cursor " << g.cursor << " timer " << g.dropTimer
        << " score " << g.score << " best " << g.bestScore << " over " << g.gameOver << " spark "
        << g.spark.x << " " << g.spark.y << " " << g.spark.vx << " " << g.spark.vy << " jitter "
        << g.jitter.front().x << " " << g.jitter.front().y << " " << g.jitter.back().x << " "
        << g.jitter.back().y;
    return out.str();
}

// Known deals with their refills, the engine's output halved, newGame's seed.
TEST(Deal, KnownSeedsGiveTheKnownGames) {
    EXPECT_EQ(GameRandom{}.next(), 3499211612 / 2);
    // clang-format off
    const struct { std::uint32_t seed; std::vector<TileCode> tiles; } deals[] = {
        //       the queue, slot 0 first          slot 6 after each of five drops
        {   1, {11, 22, 20, 18, 40, 16, 28,  13, 23,  9,  2, 34}},  // seed 1
        {   0, {15, 36,  7, 37,  3, 23, 20,  31, 16,  2, 42,  1}},  // seed 0
        {5489, {27, 26, 15, 25,  2,  3, 18,  28, 36, 38,  7, 19}},  // the engine's default
    };
    // clang-format on
    for (const auto& known : deals) {
        dealFresh(known.seed);
        std::vector<TileCode> tiles(gameState.queue.begin(), gameState.queue.end());
        while (tiles.size() < known.tiles.size()) {
            dropTile();
            tiles.push_back(gameState.queue[kQueueLength - 1]);
        }
        EXPECT_EQ(tiles, known.tiles) << "seed " << known.seed;
    }
    const auto now = static_cast<std::uint32_t>(std::time(nullptr));
    newGame();  // seeded from the clock in seconds
    const std::mt19937 dealt = gameState.random.engine;
    dealNewGame(now);
    if (gameState.random.engine != dealt) {
        dealNewGame(now + 1);  // the clock ticked over in between
    }
    EXPECT_TRUE(gameState.random.engine == dealt);
}

using Meld = std::array<TileCode, kColumnHeight>;

// The points of `meld` in column 0 under the cursor; negated when it is kept.
std::int32_t scoreMeld(const Meld& meld) {
    gameState.score = 1000;
    gameState.columns[0] = Column{{meld[0], meld[1], meld[2], meld[3]}, kColumnHeight};
    return scoreColumn() ? gameState.score - 1000 : 1000 - gameState.score;
}

// The worked melds in every order, then how many of all possible melds clear.
TEST(Meld, ScoresAsWorkedOutAndSweepsToTheKnownCounts) {
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
    int melds = 0, clearing = 0;
    for (TileCode a = 1; a <= kTileKinds; ++a) {
        for (TileCode b = a + 1; b <= kTileKinds; ++b) {
            for (TileCode c = b + 1; c <= kTileKinds; ++c) {
                for (TileCode d = c + 1; d <= kTileKinds; ++d) {
                    clearing += scoreMeld({a, b, c, d}) > 0;
                    ++melds;
                }
            }
        }
    }
    EXPECT_EQ(melds, 111930);
    EXPECT_EQ(clearing, 30060);
}

// Positions by hand (kept melds in the `full` columns, score 100) answering a
// key: the cursor's moves, the spark's push, a full column and the two endings.
TEST(Board, TheCursorMovesAndAFilledColumnIsResolved) {
    const std::vector<TileCode> kept = {1, 10, 19}, pure = {1, 2, 3};  // with 31: 4; with 4: 11
    const std::int32_t space = kKeySpace, right = kKeyRight, left = kKeyLeft;
    // clang-format off
    const struct {
        std::vector<int> full; int cursor; std::vector<TileCode> open, queue;
        std::int32_t best, key, toCursor, toScore, toBest; bool over;
        int count; float vx;  // count: the tiles left in the first cursor column
    } cases[] = {
        // full columns  c  open  queue       best key    c  score best over count vx
        {{},              5, {},   {40},       0,   right, 0, 100,   0, 0, 0,  -1},  // wraps right
        {{},              0, {},   {40},       0,   left,  5, 100,   0, 0, 0,   1},  // wraps left
        {{2, 3},          1, {},   {40},       0,   right, 4, 100,   0, 0, 0,  -1},  // skips
        {{0, 5},          1, {},   {40},       0,   left,  4, 100,   0, 0, 0,   1},  // wraps, skips
        {{0, 1, 3, 4, 5}, 2, {},   {40},       0,   right, 2, 100,   0, 0, 0,  -1},  // nowhere
        {{3, 4},          2, kept, {31, 8, 9}, 0,   space, 5, 104,   0, 0, 4,   0},  // skips two
        {{5},             4, kept, {31, 8, 9}, 0,   space, 0, 104,   0, 0, 4,   0},  // wraps
        {{0, 1, 2, 3, 4}, 5, kept, {31, 8, 9}, 102, space, 5, 104, 104, 1, 4,   0},  // best beaten
        {{0, 1, 2, 3, 4}, 5, kept, {31, 8, 9}, 200, space, 5, 104, 200, 1, 4,   0},  // not beaten
        {{},              4, pure, {4, 5, 6},  0,   space, 4, 111,   0, 0, 0,   0},  // cleared
        {{},              4, pure, {4},        0,   space, 4, 111, 111, 1, 0,   0},  // last clears
        {{},              0, kept, {31},       0,   space, 1, 104, 104, 1, 4,   0},  // last kept
    };
    // clang-format on
    for (const auto& row : cases) {
        dealFresh(1);
        GameState& g = gameState;
        for (int c : row.full) {
            g.columns[c] = Column{{c + 2, c + 11, c + 20, c + 32}, kColumnHeight};
        }
        std::copy(row.open.begin(), row.open.end(), g.columns[row.cursor].tiles);
        g.columns[row.cursor].count = static_cast<std::int32_t>(row.open.size());
        g.queue = {};
        std::copy(row.queue.begin(), row.queue.end(), g.queue.begin());
        g.deck.clear();
        std::tie(g.cursor, g.score, g.bestScore) = std::make_tuple(row.cursor, 100, row.best);
        handleKeyDown(row.key);
        EXPECT_EQ(
            std::make_tuple(g.cursor, g.score, g.bestScore, g.gameOver, g.columns[row.cursor].count,
                            g.spark.vx),
            std::make_tuple(row.toCursor, row.toScore, row.toBest, row.over, row.count, row.vx))
            << "from column " << row.cursor << " with " << row.full.size() << " full";
    }
}

// Every rule against drift (after an intended change, check the line by hand).
TEST(Play, GoldenReplaysReachTheRecordedPositions) {
    // clang-format off
    const struct { std::uint32_t seed; const char* script; const char* position; } replays[] = {
        // Arrows move the cursor and steer; Escape, Z, Return, Insert, no keys do nothing.
        {0, "right right space key27 key90 key13 key277 key0 key-1 key300 left z up up down "
            "step*20 space right*3 z step*100 left left space step*60",
         "columns [] [36 7 37] [15 42 1 17] [14] [3 23 20 31] [16 2] "
         "queue 13 35 40 33 21 29 25 deck 21 cursor 3 timer 0 score 18 best 0 over 0 "
         "spark -127 127 -2 1 jitter -9.94999504 -2.22500062 2.94999862 10.2750015"},
        // A whole game by the timer until six kept melds block the board.
        {5489, "step*900 step*100",
         "columns [27 26 15 25] [36 38 7 19] [20 6 11 35] [5 16 14 9] [1 31 42 4] [12 10 37 32] "
         "queue 34 33 30 17 24 40 22 deck 3 cursor 5 timer 0 score 79 best 79 over 1 "
         "spark 420 169 0 0 jitter 21.4499912 8.90000153 -16.4750004 -15.3749847"},
        // The next deal keeps the best score and the walked jitter.
        {5489, "step*900 deal42 right right z up step*45",
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

// Thousands of random games at every pace through a day of game time (or
// KESSARY_SOAK_STEPS): the invariants of play after every operation (the score
// never falls, a game over is frozen), and restarts.
TEST(Play, ADayOfRandomGamesKeepsEveryInvariant) {
    const char* steps = std::getenv("KESSARY_SOAK_STEPS");
    const int stepCount = steps ? std::atoi(steps) : 24 * 60 * 60 * 1000 / kStepMilliseconds;
    constexpr std::int32_t keys[] = {kKeySpace, kKeyZ, kKeyUp, kKeyDown, kKeyRight, kKeyLeft, 97};
    std::mt19937 driver(20261207);
    std::bernoulli_distribution pressKey(0.0);
    dealFresh(driver());
    int games = 0;
    for (int step = 0; step < stepCount;) {
        const std::size_t left = gameState.deck.size() + queued();
        const std::int32_t score = gameState.score;
        const bool press = pressKey(driver);
        press ? handleKeyDown(keys[driver() % 7]) : stepGame();
        step += !press;
        const auto at = [&] { return "step " + std::to_string(step) + ": " + describeGame(); };
        const GameState& g = gameState;
        std::vector<TileCode> codes(g.deck.begin(), g.deck.end());
        codes.insert(codes.end(), g.queue.begin(), g.queue.begin() + queued());
        bool shaped =
            std::is_partitioned(g.queue.begin(), g.queue.end(), [](TileCode c) { return c; });
        int onBoard = 0;
        for (const Column& column : g.columns) {
            const int count = std::clamp(column.count, 0, kColumnHeight);
            shaped &= count == column.count &&
                      std::count(column.tiles + count, std::end(column.tiles), 0) ==
                          kColumnHeight - count;
            codes.insert(codes.end(), column.tiles, column.tiles + count);
            onBoard += count;
        }
        std::sort(codes.begin(), codes.end());
        bool finite = std::isfinite(g.spark.x + g.spark.y + g.spark.vx + g.spark.vy);
        for (const JitterOffset& offset : g.jitter) {
            finite &= std::isfinite(offset.x + offset.y);
        }
        ASSERT_TRUE(shaped && finite && g.jitter.size() == kJitterEntries) << at();
        ASSERT_TRUE(std::adjacent_find(codes.begin(), codes.end()) == codes.end()) << at();
        ASSERT_TRUE(!codes.empty() && codes.front() >= 1 && codes.back() <= kTileKinds) << at();
        ASSERT_EQ((kTileKinds - codes.size()) % kColumnHeight, 0u) << at();
        ASSERT_TRUE(g.deck.empty() || queued() == kQueueLength) << at();
        ASSERT_TRUE(g.dropTimer >= 0 && g.dropTimer < kDropTimerLimit && g.dropTimer % 5 == 0)
            << at();
        ASSERT_TRUE(g.cursor >= 0 && g.cursor < kColumnCount && g.score >= score) << at();
        ASSERT_TRUE(g.gameOver || (queued() > 0 && g.columns[g.cursor].count < kColumnHeight))
            << at();
        ASSERT_TRUE(!g.gameOver || queued() == 0 || onBoard == kColumnCount * kColumnHeight)
            << at();
        ASSERT_TRUE(!g.gameOver || (g.bestScore >= g.score && g.dropTimer == 0)) << at();
        ASSERT_LE(left - g.deck.size() - queued(), 1u) << "tiles dropped at once " << at();
        if (gameState.gameOver) {
            const std::string line = describeGame();
            const std::mt19937 engine = gameState.random.engine;
            stepGame();
            ASSERT_TRUE(describeGame() == line && gameState.random.engine == engine) << line;
            handleKeyDown(keys[driver() % 7]);
            const std::string now = describeGame();
            ASSERT_EQ(now.substr(0, now.find(" queue")) + now.substr(now.find(" deck")),
                      "columns [] [] [] [] [] [] deck 35 cursor 0 timer 0 score 0 best " +
                          std::to_string(gameState.bestScore) + " over 0 spark 320 290 0 0" +
                          line.substr(line.find(" jitter")));
            dealNewGame(driver());  // newGame deals the same game all second long
            pressKey = std::bernoulli_distribution(++games % 8 / 10.0);
        }
    }
    // The timer drops at least every 20 steps, so no game outlasts 840 steps.
    EXPECT_GE(games, stepCount / (kTileKinds * kDropTimerLimit / kDropTimerPerStep) - 1);
}

}  // namespace
