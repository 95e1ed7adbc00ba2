// Shared by the rules tests: setting up a board by hand, driving the game from
// a short script of keys and steps, describing the state as one line of text,
// and checking the invariants that must hold after every operation.
//
// Every test starts from a known state of its own (the one `gameState` is
// shared by all tests of the process), either a seeded deal or a hand-built
// board laid over one.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "game/controls.h"
#include "game/drop.h"
#include "game/game_state.h"

namespace gametest {

constexpr TileCode kNoTile = 0;
constexpr std::uint32_t kProcessStartSeed = 5489;  // mt19937's default seed
constexpr int kDealtTiles = kQueueLength;
constexpr int kDeckAfterDeal = kTileKinds - kDealtTiles;                // 35
constexpr int kStepsPerAutoDrop = kDropTimerLimit / kDropTimerPerStep;  // 20
constexpr int kDrawsPerStep = 1 + 2 * kJitterEntries;  // jump test, then x and y per offset
constexpr int kDrawsPerJumpStep = kDrawsPerStep + 2;   // and the jump's x and y

// Puts `gameState` back to how the process starts.
inline void resetGameState() {
    gameState = GameState{};
}

// A hand-built position. Columns not given are empty; the queue is padded
// with empty slots; the deck is listed front to back (refills take the back).
struct Board {
    std::vector<std::vector<TileCode>> columns{};
    std::vector<TileCode> queue{};
    std::vector<TileCode> deck{};
    std::int32_t cursor = 0;
    std::int32_t score = 0;
    std::int32_t bestScore = 0;
};

// Deals from `seed` (so the jitter table and the random source are set up),
// then lays `board` over the deal.
inline void setBoard(const Board& board, std::uint32_t seed = 1) {
    resetGameState();
    dealNewGame(seed);
    GameState& g = gameState;
    for (int c = 0; c < kColumnCount; ++c) {
        g.columns[c] = Column{};
        if (c < static_cast<int>(board.columns.size())) {
            for (TileCode code : board.columns[c]) {
                g.columns[c].tiles[g.columns[c].count++] = code;
            }
        }
    }
    g.queue.fill(kNoTile);
    for (std::size_t k = 0; k < board.queue.size(); ++k) {
        g.queue[k] = board.queue[k];
    }
    g.deck.assign(board.deck.begin(), board.deck.end());
    g.cursor = board.cursor;
    g.score = board.score;
    g.bestScore = board.bestScore;
}

inline std::vector<TileCode> columnTiles(int c) {
    const Column& column = gameState.columns[c];
    return std::vector<TileCode>(column.tiles, column.tiles + kColumnHeight);
}

inline std::vector<TileCode> queueTiles() {
    return std::vector<TileCode>(gameState.queue.begin(), gameState.queue.end());
}

inline std::vector<TileCode> deckTiles() {
    return std::vector<TileCode>(gameState.deck.begin(), gameState.deck.end());
}

// Shortest text that reads back as the same float.
inline std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

// One line holding everything the rules decide, for golden comparisons:
// columns bottom slot first, the queue from the hand on, the deck's length,
// and the spark and the first and last jitter offsets.
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
        << " score " << g.score << " best " << g.bestScore << " over " << g.gameOver;
    out << " spark " << number(g.spark.x) << " " << number(g.spark.y) << " " << number(g.spark.vx)
        << " " << number(g.spark.vy);
    if (!g.jitter.empty()) {
        out << " jitter " << number(g.jitter.front().x) << " " << number(g.jitter.front().y) << " "
            << number(g.jitter.back().x) << " " << number(g.jitter.back().y);
    }
    return out.str();
}

// Everything, for checking that an operation changed nothing: the line
// above, the deck, every jitter offset and the random engine's whole state.
inline std::string describeAll() {
    std::ostringstream out;
    out << describeGame() << " deck";
    for (TileCode code : gameState.deck) {
        out << " " << code;
    }
    out << " jitter";
    for (const JitterOffset& offset : gameState.jitter) {
        out << " " << number(offset.x) << "," << number(offset.y);
    }
    out << " jitterCursor " << gameState.jitterCursor << " engine " << gameState.random.engine;
    return out.str();
}

// Runs a script of space-separated words, each optionally prefixed by a
// count as in "20xstep": L R U D (arrows), space, z, step (one update step),
// key<n> (any key code) and deal<n> (a new game from seed n).
struct ScriptKey {
    const char* word;
    std::int32_t key;
};

// clang-format off
constexpr ScriptKey kScriptKeys[] = {
    {"L",     kKeyLeft },  // left arrow
    {"R",     kKeyRight},  // right arrow
    {"U",     kKeyUp   },  // up arrow
    {"D",     kKeyDown },  // down arrow
    {"space", kKeySpace},  // space bar
    {"z",     kKeyZ    },  // z
};
// clang-format on

// The key a script word names, or -1 for the words that are not plain keys.
inline std::int32_t scriptKey(const std::string& word) {
    for (const ScriptKey& entry : kScriptKeys) {
        if (word == entry.word) {
            return entry.key;
        }
    }
    return word.rfind("key", 0) == 0 ? std::stoi(word.substr(3)) : -1;
}

inline void playScript(const std::string& script) {
    std::istringstream words(script);
    std::string word;
    while (words >> word) {
        int times = 1;
        const std::size_t x = word.find('x');
        if (x != std::string::npos && x > 0 && std::isdigit(static_cast<unsigned char>(word[0]))) {
            times = std::stoi(word.substr(0, x));
            word = word.substr(x + 1);
        }
        const std::int32_t key = scriptKey(word);
        for (int n = 0; n < times; ++n) {
            if (word == "step") {
                stepGame();
            } else if (key >= 0) {
                handleKeyDown(key);
            } else if (word.rfind("deal", 0) == 0) {
                dealNewGame(static_cast<std::uint32_t>(std::stoul(word.substr(4))));
            } else {
                ADD_FAILURE() << "unknown script word: " << word;
                return;
            }
        }
    }
}

inline int filledQueueSlots() {
    int filled = 0;
    for (TileCode code : gameState.queue) {
        filled += code != kNoTile;
    }
    return filled;
}

inline int tilesOnBoard() {
    int tiles = 0;
    for (const Column& column : gameState.columns) {
        tiles += column.count;
    }
    return tiles;
}

inline bool everyColumnFull() {
    for (const Column& column : gameState.columns) {
        if (column.count < kColumnHeight) {
            return false;
        }
    }
    return true;
}

inline bool stateIsFinite() {
    const Spark& s = gameState.spark;
    if (!std::isfinite(s.x) || !std::isfinite(s.y) || !std::isfinite(s.vx) ||
        !std::isfinite(s.vy)) {
        return false;
    }
    for (const JitterOffset& offset : gameState.jitter) {
        if (!std::isfinite(offset.x) || !std::isfinite(offset.y)) {
            return false;
        }
    }
    return true;
}

// The rules' invariants, for a state reached by play from a deal. While the
// game runs: a tile in hand and room under the cursor. Always: every code at
// most once, slots filled from the bottom, zeros only at the queue's end, a
// full queue while the deck lasts, whole melds missing from the tally, the
// drop timer between drops, and finite spark and jitter values. A finished
// game ended for one of its two reasons.
inline ::testing::AssertionResult checkInvariants() {
    const GameState& g = gameState;
    std::array<int, kTileKinds + 1> seen{};
    auto fail = [](const std::string& what) {
        return ::testing::AssertionFailure() << what << "\n  in: " << describeGame();
    };
    auto see = [&seen](TileCode code) {
        if (code < 1 || code > kTileKinds) {
            return false;
        }
        return ++seen[code] == 1;
    };

    if (g.cursor < 0 || g.cursor >= kColumnCount) {
        return fail("cursor out of range");
    }
    for (const Column& column : g.columns) {
        if (column.count < 0 || column.count > kColumnHeight) {
            return fail("column count out of range");
        }
        for (int k = 0; k < kColumnHeight; ++k) {
            if (k >= column.count && column.tiles[k] != kNoTile) {
                return fail("tile above a column's count");
            }
            if (k < column.count && !see(column.tiles[k])) {
                return fail("bad or repeated code in a column");
            }
        }
    }
    bool reachedEnd = false;
    for (TileCode code : g.queue) {
        if (code == kNoTile) {
            reachedEnd = true;
        } else if (reachedEnd) {
            return fail("tile after an empty queue slot");
        } else if (!see(code)) {
            return fail("bad or repeated code in the queue");
        }
    }
    for (TileCode code : g.deck) {
        if (!see(code)) {
            return fail("bad or repeated code in the deck");
        }
    }
    if (!g.deck.empty() && filledQueueSlots() != kQueueLength) {
        return fail("queue not full while the deck lasts");
    }
    const int present = static_cast<int>(g.deck.size()) + filledQueueSlots() + tilesOnBoard();
    if (present > kTileKinds || (kTileKinds - present) % kColumnHeight != 0) {
        return fail("tiles gone other than as whole melds");
    }
    if (g.jitter.size() != static_cast<std::size_t>(kJitterEntries)) {
        return fail("jitter table not 40 entries");
    }
    if (g.jitterCursor < 0 || g.jitterCursor >= kJitterEntries) {
        return fail("jitterCursor out of range");
    }
    if (g.dropTimer < 0 || g.dropTimer >= kDropTimerLimit || g.dropTimer % kDropTimerPerStep != 0) {
        return fail("drop timer off its steps");
    }
    if (!stateIsFinite()) {
        return fail("spark or jitter not finite");
    }
    if (g.bestScore < 0 || g.score < 0) {
        return fail("negative score");
    }
    if (!g.gameOver) {
        if (g.queue[0] == kNoTile) {
            return fail("empty hand while the game runs");
        }
        if (g.columns[g.cursor].count >= kColumnHeight) {
            return fail("cursor on a full column while the game runs");
        }
    } else {
        if (g.queue[0] != kNoTile && !everyColumnFull()) {
            return fail("game over with a tile in hand and room on the board");
        }
        if (g.bestScore < g.score) {
            return fail("best score below a finished game's score");
        }
        if (g.dropTimer != 0) {
            return fail("drop timer running after the game ended");
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace gametest
