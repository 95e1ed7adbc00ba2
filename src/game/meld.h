// Scoring a full column as a meld.
#pragma once

// Scores the four tiles of the cursor column, adds the points to the score,
// and returns true when the column is to be cleared (the meld is pure or holds
// a tile of group d), false when it stays full for the rest of the game.
bool scoreColumn();
