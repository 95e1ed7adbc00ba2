// Meld scoring.
//
// A meld's base is the sum of its tile values, raised by the bonus of any
// honour group it holds three or four tiles of. A meld drawn from one group is
// "pure" (the three group-d tiles fit every group) and is multiplied by one
// more than its number of group-d tiles; any other meld scores half. Pure
// melds and melds with a group-d tile clear their column.
#include "meld.h"

#include "game_state.h"

namespace {

struct TileGroup {
    TileCode first;        // lowest code of the group
    TileCode last;         // highest code of the group
    int tileValue;         // value of each tile; 0: the tile's number 1..9
    int groupBonus;        // added once for 3 tiles of the group, twice for 4
    int purityBonus;       // added when every tile outside group d is of this group
    bool countsForPurity;  // false only for group d, whose tiles fit every group
};

constexpr int kGroupCount = 7;
constexpr int kGroupD = 3;  // index of the dragons in the table below

// clang-format off
constexpr TileGroup kTileGroups[kGroupCount] = {
    //first last value bonus purity counts
    {  1,   9,   0,    0,    1,    true  },  // a: suit, numbers 1-9
    { 10,  18,   0,    0,    2,    true  },  // b: suit, numbers 1-9
    { 19,  27,   0,    0,    3,    true  },  // c: suit, numbers 1-9
    { 28,  30,   4,    4,    0,    false },  // d: dragons, multiply a pure meld
    { 31,  34,   5,    5,    0,    true  },  // e: winds
    { 35,  38,   6,    6,    0,    true  },  // f: flowers
    { 39,  42,   7,    7,    0,    true  },  // g: seasons
};
// clang-format on

int groupOf(TileCode code) {
    int group = 0;
    while (code > kTileGroups[group].last) {
        ++group;
    }
    return group;
}

int tileValue(TileCode code, const TileGroup& group) {
    return group.tileValue != 0 ? group.tileValue : code - group.first + 1;
}

}  // namespace

bool scoreColumn() {
    const Column& column = gameState.columns[gameState.cursor];

    int tilesInGroup[kGroupCount] = {};
    int sum = 0;
    for (TileCode code : column.tiles) {
        const int group = groupOf(code);
        tilesInGroup[group] += 1;
        sum += tileValue(code, kTileGroups[group]);
    }

    for (int group = 0; group < kGroupCount; ++group) {
        if (tilesInGroup[group] >= 3) {
            sum += kTileGroups[group].groupBonus;
        }
        if (tilesInGroup[group] == 4) {
            sum += kTileGroups[group].groupBonus;
        }
    }

    const int dragons = tilesInGroup[kGroupD];
    bool pure = false;
    for (int group = 0; group < kGroupCount; ++group) {
        if (kTileGroups[group].countsForPurity && tilesInGroup[group] + dragons == kColumnHeight) {
            pure = true;
            sum += kTileGroups[group].purityBonus;
        }
    }

    gameState.score += pure ? sum * (dragons + 1) : sum / 2;
    return pure || dragons > 0;
}
