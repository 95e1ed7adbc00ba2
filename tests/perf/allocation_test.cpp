// After start-up, frames, update steps and drops must not touch the heap, and a
// new deal only to make the deck's 42 list nodes. Every allocation of this
// binary goes through the counting malloc below, operator new's too; the
// drawing runs against a GL that does nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "game/controls.h"
#include "game/drop.h"
#include "game/game_state.h"
#include "render/frame_keeper.h"
#include "render/scene.h"
#include "render/stroke_font.h"
#include "render/texture_set.h"

static std::size_t allocations = 0;

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
// clang-format off
void* malloc(std::size_t n)                       { ++allocations; return __libc_malloc(n); }
void* calloc(std::size_t k, std::size_t n)        { ++allocations; return __libc_calloc(k, n); }
void* realloc(void* p, std::size_t n)             { ++allocations; return __libc_realloc(p, n); }
void* aligned_alloc(std::size_t a, std::size_t n) { ++allocations; return __libc_memalign(a, n); }
// clang-format on
}

namespace {

// After start-up a frame, 100 steps and a drop allocate nothing; nor does the
// rest of the game (42 drops end any), drawn to its game-over picture. The next
// deal allocates the deck's nodes and nothing else.
TEST(NoAllocation, PlayAndDrawAfterStartUpAndADealOnlyItsDeck) {
    std::size_t before = allocations;
    static std::vector<int> grown(100);  // kept, so the allocation cannot be left out
    ASSERT_EQ(allocations, before + 1) << "the counting malloc is not in use";
    loadTextureSet();
    setUpFrameKeeping();
    compileStrokeFont();
    dealNewGame(424242);
    washScreen(), drawScene();  // the first frame after the deal
    before = allocations;
    washScreen(), drawScene();
    for (int i = 0; i < 100; ++i) {
        stepGame();
    }
    dropTile();
    EXPECT_EQ(allocations - before, 0u) << "a frame, 100 steps and a drop";
    for (int drop = 0; drop < kTileKinds && !gameState.gameOver; ++drop) {
        dropTile();
        washScreen(), drawScene();
    }
    EXPECT_TRUE(gameState.gameOver);
    EXPECT_EQ(allocations - before, 0u) << "the rest of the game";
    before = allocations;
    dealNewGame(424243);
    EXPECT_EQ(allocations - before, std::size_t{kTileKinds}) << "a new deal";
}

}  // namespace
