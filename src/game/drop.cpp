// Dropping the tile in hand and resolving a column that fills.
//
// A drop always shifts the queue and restarts the automatic-drop countdown.
// A column that receives its fourth tile is scored at once; a meld that is not
// cleared keeps its column full for good, so the cursor hops right to the next
// column with room, and a board with no room left ends the game.
#include "drop.h"

#include <algorithm>

#include "game_state.h"
#include "meld.h"

void endGame() {
    gameState.gameOver = true;
    gameState.bestScore = std::max(gameState.bestScore, gameState.score);
}

// Moves the cursor right from a column that was just filled, wrapping, to the
// first column with room. Returns false when every column is full, in which
// case the cursor has come back to where it started.
static bool moveCursorPastFullColumn() {
    GameState& g = gameState;
    int column = g.cursor;
    for (int step = 0; step < kColumnCount; ++step) {
        column = (column + 1) % kColumnCount;
        if (g.columns[column].count < kColumnHeight) {
            g.cursor = column;
            return true;
        }
    }
    return false;
}

void dropTile() {
    GameState& g = gameState;
    Column& column = g.columns[g.cursor];

    column.tiles[column.count] = g.queue[0];
    std::copy(g.queue.begin() + 1, g.queue.end(), g.queue.begin());
    if (g.deck.empty()) {
        g.queue[kQueueLength - 1] = 0;
    } else {
        g.queue[kQueueLength - 1] = g.deck.back();
        g.deck.pop_back();
    }
    g.dropTimer = 0;

    column.count += 1;
    if (column.count == kColumnHeight) {
        if (scoreColumn()) {
            column = Column{};
        } else if (!moveCursorPastFullColumn()) {
            endGame();
        }
    }

    // Tested after the meld so that the last tile's points count towards the
    // best score.
    if (g.queue[0] == 0) {
        endGame();
    }
}
