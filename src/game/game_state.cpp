// The game state record and the deal.
//
// The deck is shuffled by insertion: each code in turn goes to a random place
// among the codes already in the deck. Tiles are then dealt from the back, so
// the last code of the shuffled deck is the first tile in hand.
#include "game_state.h"

#include <ctime>
#include <iterator>

GameState gameState;

void newGame() {
    // Only the low 32 bits of the clock seed the game: two deals within the
    // same second are the same game.
    dealNewGame(static_cast<std::uint32_t>(std::time(nullptr)));
}

void dealNewGame(std::uint32_t seed) {
    GameState& g = gameState;
    g.random.reseed(seed);

    g.deck.clear();
    for (TileCode code = 1; code <= kTileKinds; ++code) {
        const auto length = static_cast<std::int32_t>(g.deck.size());
        const std::int32_t place = g.random.next() % (length + 1);
        g.deck.insert(std::next(g.deck.begin(), place), code);
    }

    for (Column& column : g.columns) {
        column = Column{};
    }
    for (TileCode& slot : g.queue) {
        slot = g.deck.back();
        g.deck.pop_back();
    }

    g.spark = Spark{kSparkStartX, kSparkStartY, 0.0f, 0.0f};
    g.cursor = 0;
    g.score = 0;
    // The offsets keep wandering from game to game; only the first deal of
    // the process creates them.
    if (g.jitter.empty()) {
        g.jitter.assign(kJitterEntries, JitterOffset{0.0f, 0.0f});
    }
    g.gameOver = false;
}
