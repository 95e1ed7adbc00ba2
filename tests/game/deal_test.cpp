#include <gtest/gtest.h>

#include <vector>

#include "game/game_state.h"

TEST(Deal, SeedOne) {
    dealNewGame(1);
    std::vector<TileCode> q(gameState.queue.begin(), gameState.queue.end());
    EXPECT_EQ(q, (std::vector<TileCode>{11, 22, 20, 18, 40, 16, 28}));
    std::vector<TileCode> deck(gameState.deck.begin(), gameState.deck.end());
    EXPECT_EQ(deck.size(), 35u);
}
