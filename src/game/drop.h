// The one move of the game: the tile in hand goes into the cursor column.
#pragma once

// Places the tile in hand, advances the queue, scores a column that fills and
// clears it or moves the cursor past it, and ends the game when the board is
// blocked or the hand runs empty. Called only while the game runs.
void dropTile();

// Marks the game over and raises the best score if this game beat it.
void endGame();
