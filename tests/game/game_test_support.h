// Shared by the rules tests: a hand-built board laid over a seeded deal, a
// short script of keys and steps, the state as one line of text for golden
// comparisons, and the invariants that must hold after every operation.
//
// The one `gameState` is shared by every test of the process, so each test
// starts from a state of its own: a seeded deal, or a board laid over one.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "game/controls.h"
#include "game/drop.h"
#include "game/game_state.h"

namespace gametest {

constexpr int kDeckAfterDeal = kTileKinds - kQueueLength;  // 35

inline void dealFresh(std::uint32_t seed) {
    gameState = GameState{};
    dealNewGame(seed);
}

// A position by hand: columns not given are empty, the queue is padded with
// empty slots, the deck is listed front to back (refills take the back).
struct Board {
    std::vector<std::vector<TileCode>> columns{};
    std::vector<TileCode> queue{};
    std::vector<TileCode> deck{};
    std::int32_t cursor = 0;
    std::int32_t score = 0;
    std::int32_t bestScore = 0;
};

inline void setBoard(const Board& board) {
    dealFresh(1);  // sets up the jitter table and the random source
    GameState& g = gameState;
    for (int c = 0; c < kColumnCount; ++c) {
        g.columns[c] = Column{};
        for (std::size_t k = 0;
             c < static_cast<int>(board.columns.size()) && k < board.columns[c].size(); ++k) {
            g.columns[c].tiles[g.columns[c].count++] = board.columns[c][k];
        }
    }
    g.queue.fill(0);
    std::copy(board.queue.begin(), board.queue.end(), g.queue.begin());
    g.deck.assign(board.deck.begin(), board.deck.end());
    g.cursor = board.cursor;
    g.score = board.score;
    g.bestScore = board.bestScore;
}

inline std::vector<TileCode> queueTiles() {
    return {gameState.queue.begin(), gameState.queue.end()};
}

inline int filledQueueSlots() {
    return kQueueLength -
           static_cast<int>(std::count(gameState.queue.begin(), gameState.queue.end(), 0));
}

inline int tilesOnBoard() {
    int tiles = 0;
    for (const Column& column : gameState.columns) {
        tiles += column.count;
    }
    return tiles;
}

inline std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

// Everything the rules decide on one line: columns bottom slot first, the
// queue from the hand on, the deck's length, and the spark and the first and
// last jitter offsets.
inline std::string describeGame() {
    const GameState& g = gameState;
    std::ostringstream out;
    out << "columns";
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
        << number(g.spark.x) << " " << number(g.spark.y) << " " << number(g.spark.vx) << " "
        << number(g.spark.vy);
    if (!g.jitter.empty()) {
        out << " jitter " << number(g.jitter.front().x) << " " << number(g.jitter.front().y) << " "
            << number(g.jitter.back().x) << " " << number(g.jitter.back().y);
    }
    return out.str();
}

// The part of that line the board, the queue, the timer and the scores make.
inline std::string describeBoard() {
    const std::string line = describeGame();
    return line.substr(0, line.find(" spark"));
}

// The whole line plus the deck, every jitter offset and the engine's whole
// state: for checking that an operation changed nothing at all.
inline std::string describeAll() {
    std::ostringstream out;
    out << describeGame() << " deck";
    for (TileCode code : gameState.deck) {
        out << " " << code;
    }
    for (const JitterOffset& offset : gameState.jitter) {
        out << " " << number(offset.x) << "," << number(offset.y);
    }
    out << " " << gameState.jitterCursor << " " << gameState.random.engine;
    return out.str();
}

// Runs space-separated words, each optionally counted as in "20xstep": L R U
// D (arrows), space, z, step (one update step), key<n> and deal<n> (seed n).
inline void playScript(const std::string& script) {
    std::istringstream words(script);
    std::string word;
    while (words >> word) {
        int times = 1;
        const std::size_t x = word.find('x');
        if (x != std::string::npos && std::isdigit(static_cast<unsigned char>(word[0]))) {
            times = std::stoi(word.substr(0, x));
            word = word.substr(x + 1);
        }
        for (int n = 0; n < times; ++n) {
            if (word == "step") {
                stepGame();
            } else if (word.rfind("deal", 0) == 0) {
                dealNewGame(static_cast<std::uint32_t>(std::stoul(word.substr(4))));
            } else if (word.rfind("key", 0) == 0) {
                handleKeyDown(std::stoi(word.substr(3)));
            } else {
                const std::string keys = "space z U D R L";
                const std::int32_t codes[] = {kKeySpace, kKeyZ,     kKeyUp,
                                              kKeyDown,  kKeyRight, kKeyLeft};
                const std::size_t at = (" " + keys + " ").find(" " + word + " ");
                ASSERT_NE(at, std::string::npos) << "unknown script word " << word;
                handleKeyDown(codes[std::count(keys.begin(), keys.begin() + at, ' ')]);
            }
        }
    }
}

// The rules' invariants for a state reached by play from a deal. Always: each
// code at most once, columns filled from the bottom, zeros only at the
// queue's end, a full queue while the deck lasts, tiles gone only as whole
// melds, the timer between drops, finite spark and jitter. While the game
// runs: a tile in hand and room under the cursor; once over: one of the two
// endings, and the best score settled.
inline ::testing::AssertionResult checkInvariants() {
    const GameState& g = gameState;
    int seen[kTileKinds + 1] = {};
    bool bad = false;
    auto see = [&](TileCode code) { bad |= code < 1 || code > kTileKinds || ++seen[code] > 1; };
    auto fail = [](const char* what) {
        return ::testing::AssertionFailure() << what << "\n  in: " << describeGame();
    };
    for (const Column& column : g.columns) {
        if (column.count < 0 || column.count > kColumnHeight) {
            return fail("column count out of range");
        }
        for (int k = 0; k < kColumnHeight; ++k) {
            k < column.count ? see(column.tiles[k]) : void(bad |= column.tiles[k] != 0);
        }
    }
    const int queued = filledQueueSlots();
    for (int k = 0; k < kQueueLength; ++k) {
        k < queued ? see(g.queue[k]) : void(bad |= g.queue[k] != 0);
    }
    for (TileCode code : g.deck) {
        see(code);
    }
    const int present = static_cast<int>(g.deck.size()) + queued + tilesOnBoard();
    if (bad || (kTileKinds - present) % kColumnHeight != 0 ||
        (!g.deck.empty() && queued != kQueueLength)) {
        return fail("tiles lost, repeated or out of place");
    }
    bool finite = std::isfinite(g.spark.x + g.spark.y + g.spark.vx + g.spark.vy);
    for (const JitterOffset& offset : g.jitter) {
        finite &= std::isfinite(offset.x) && std::isfinite(offset.y);
    }
    if (!finite || g.jitter.size() != kJitterEntries || g.jitterCursor < 0 ||
        g.jitterCursor >= kJitterEntries) {
        return fail("spark or jitter broken");
    }
    if (g.cursor < 0 || g.cursor >= kColumnCount || g.dropTimer < 0 ||
        g.dropTimer >= kDropTimerLimit || g.dropTimer % kDropTimerPerStep != 0 || g.score < 0) {
        return fail("cursor, timer or score out of range");
    }
    const bool roomUnderCursor = g.columns[g.cursor].count < kColumnHeight;
    if (!g.gameOver && (queued == 0 || !roomUnderCursor)) {
        return fail("running game without a tile in hand or room under the cursor");
    }
    if (g.gameOver && ((queued > 0 && tilesOnBoard() < kColumnCount * kColumnHeight) ||
                       g.bestScore < g.score || g.dropTimer)) {
        return fail("game over without cause, or best score or timer unsettled");
    }
    return ::testing::AssertionSuccess();
}

}  // namespace gametest
