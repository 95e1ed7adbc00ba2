// After start-up, playing and drawing must not touch the heap: a frame's wash
// and scene, the update steps and the drops all work in place.
//
// Every allocation of this binary goes through the counting malloc family and
// operator new below, which hand the work on to the C library. The drawing
// runs against a GL stand-in that does nothing, so only our own code is
// counted; the pictures are the real ones, vetted as at start-up.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "game/controls.h"
#include "game/drop.h"
#include "game/game_state.h"
#include "render/frame_keeper.h"
#include "render/scene.h"
#include "render/stroke_font.h"
#include "render/texture_set.h"

namespace {

std::size_t allocationCount = 0;  // every successful or failed request, from process start

}  // namespace

// ---- the counting allocator ----------------------------------------------

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);

void* malloc(std::size_t size) {
    ++allocationCount;
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    ++allocationCount;
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) {
    ++allocationCount;
    return __libc_realloc(block, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
    ++allocationCount;
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
    ++allocationCount;
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    ++allocationCount;
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr) {
        return ENOMEM;
    }
    *out = block;
    return 0;
}
void free(void* block) {
    __libc_free(block);
}
}  // extern "C"

namespace {

void* allocateOrThrow(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void* allocateAlignedOrThrow(std::size_t size, std::align_val_t alignment) {
    void* block = nullptr;
    if (posix_memalign(&block, static_cast<std::size_t>(alignment), size == 0 ? 1 : size) != 0) {
        throw std::bad_alloc();
    }
    return block;
}

}  // namespace

void* operator new(std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateAlignedOrThrow(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateAlignedOrThrow(size, alignment);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    std::free(block);
}

namespace {

constexpr std::uint32_t kSeed = 424242;
constexpr int kStepsPerFrame = 100;
constexpr int kGameOverFrames = 10;
constexpr int kMostDrops = kTileKinds;  // every drop places one of the 42 tiles

// Kept where the optimiser cannot prove it unused, so the self-check's
// allocations really happen.
void* volatile sink = nullptr;

// Start-up as the program does it, against the stand-in GL, once.
void startUp() {
    static bool done = false;
    if (!done) {
        loadTextureSet();
        setUpFrameKeeping();
        compileStrokeFont();
        done = true;
    }
}

void drawFrame() {
    washScreen();
    drawScene();
}

// A check of the counter itself: without it, a counter that was never linked
// in would let every test below pass.
TEST(AllocationCounter, SeesMallocNewAndTheStandardContainers) {
    std::size_t before = allocationCount;
    sink = std::malloc(24);
    std::free(sink);
    EXPECT_EQ(allocationCount, before + 1) << "malloc";

    before = allocationCount;
    sink = std::calloc(3, 8);
    sink = std::realloc(sink, 4096);
    std::free(sink);
    EXPECT_EQ(allocationCount, before + 2) << "calloc and realloc";

    before = allocationCount;
    int* one = new int(7);
    sink = one;
    delete one;
    int* many = new int[64];
    sink = many;
    delete[] many;
    EXPECT_EQ(allocationCount, before + 2) << "operator new and new[]";

    before = allocationCount;
    {
        std::vector<int> grown;
        grown.push_back(1);
        std::string longText(100, 'x');
        sink = longText.data();
    }
    EXPECT_EQ(allocationCount, before + 2) << "vector and string storage";
}

// The case that matters every frame: after start-up, one frame's wash and
// scene, 100 update steps and a drop allocate nothing.
TEST(NoAllocation, FrameHundredStepsAndADropAfterStartUp) {
    startUp();
    dealNewGame(kSeed);
    drawFrame();  // a first frame, as the loop draws right after the deal

    const std::size_t before = allocationCount;
    drawFrame();
    for (int i = 0; i < kStepsPerFrame; ++i) {
        stepGame();
    }
    dropTile();
    const std::size_t made = allocationCount - before;

    EXPECT_EQ(made, 0u);
}

// A whole game, drawn frame by frame: drops by key and by the timer, melds
// that clear or keep their column, the cursor skipping full columns, the queue
// running dry, the game over with its reward picture and a longer score line.
// Nothing of it may allocate; only dealing the next game does.
TEST(NoAllocation, AWholeGameFromDealToGameOver) {
    startUp();
    dealNewGame(kSeed + 1);
    drawFrame();

    const std::size_t before = allocationCount;
    int drops = 0;
    bool sawMeld = false;
    while (!gameState.gameOver && drops <= kMostDrops) {
        // Alternate timer drops (20 steps) and key drops with cursor moves.
        if (drops % 2 == 0) {
            for (int i = 0; i < kDropTimerLimit / kDropTimerPerStep; ++i) {
                stepGame();
                drawFrame();
            }
        } else {
            handleKeyDown(drops % 4 == 1 ? kKeyRight : kKeyLeft);
            handleKeyDown(kKeyUp);
            handleKeyDown(kKeySpace);
            drawFrame();
        }
        sawMeld = sawMeld || gameState.score > 0;
        ++drops;
    }
    for (int i = 0; i < kGameOverFrames; ++i) {
        stepGame();
        drawFrame();
    }
    const std::size_t made = allocationCount - before;

    ASSERT_TRUE(gameState.gameOver) << "the game did not end within its 42 tiles";
    EXPECT_TRUE(sawMeld) << "no meld was scored, so scoring went unexercised";
    EXPECT_EQ(made, 0u);
}

}  // namespace
