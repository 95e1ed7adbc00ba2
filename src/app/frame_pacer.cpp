// Keeps the game at sixty pictures a second, whatever the display.
//
// The look is made per picture: each one washes the last with a faint white, so
// a trail lasts a number of pictures, not of seconds. A swap that waits for a
// 60 Hz display gives sixty a second and the look the game was drawn for; a
// faster display, or a swap that does not wait at all (software GL, vsync
// turned off, a hidden window), gives more: the trails vanish and the CPU burns.
// So right after each swap the loop sleeps for as long as it is ahead of a
// sixty-a-second schedule. The drain that follows still reads every key pressed
// meanwhile, and game time, which counts whole 30 ms steps of the clock, does
// not notice.
//
// Where the swap already waits at about 60 Hz (57 to 63 Hz, so 59.94 Hz too),
// the pacer never sleeps: fighting the display's own clock would drop a
// picture now and then to make up the drift. Slower than that it has nothing
// to do. Whether the swap waits is measured, never asked of the driver: a pass
// that starts right after a swap, without sleeping, lasts until the next
// refresh, so a few such passes in a row time the swap's own rate. While
// pacing, the pacer looks again every few seconds by skipping a few sleeps, so
// a window dragged to a 60 Hz monitor stops sleeping; the schedule counts on
// through the look and takes the extra pictures back a little at a time.
//
// The schedule is kept in thirds of a millisecond (a picture every 50/3 ms), so
// whole-millisecond sleeps still come to exactly sixty a second, and as its
// lead over the clock, so the tick counter's wrap needs nothing special. It
// never makes up a stall in a burst and never sleeps long: a few pictures
// behind (a busy machine) it catches up by skipping sleeps, but further
// behind, or after a stall or a clock jump, it restarts from now.
#include "frame_pacer.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>

namespace {

// clang-format off
constexpr std::int32_t  kThirdsPerMs          = 3;
constexpr std::int32_t  kPictureThirds        = 50;   // 1000 / 60 ms, the schedule's step
constexpr std::uint32_t kMsPerSecond          = 1000;
constexpr std::uint32_t kFastestUnpacedHz     = 63;   // a swap up to this fast counts as 60 Hz
constexpr std::int32_t  kLookPasses           = 6;    // unslept passes in a row time the swap once
constexpr std::uint32_t kTickGrainMs          = 1;    // they may have lasted up to this much longer
constexpr int           kPicturesBetweenLooks = 180;  // while pacing: three seconds
constexpr std::int32_t  kPaybackThirds        = 6;    // the most a picture is held back extra: 2 ms
constexpr std::int32_t  kMostLeadThirds       = (kLookPasses + 2) * kPictureThirds;  // past a look
constexpr std::int32_t  kMostLagThirds        = 3 * kPictureThirds;  // caught up; more restarts
constexpr std::uint32_t kStallMs              = 250;  // a longer pass restarts the schedule
// clang-format on

struct Pacer {
    bool started = false;
    std::uint32_t lastTicks = 0;    // at the previous call
    std::uint32_t lastSleepMs = 0;  // what the previous call slept
    bool pacing = false;            // the swap was timed faster than 63 Hz
    std::int32_t leadThirds = 0;    // when the next pass is due, less the time now
    std::int32_t lookedPasses = 0;  // unslept passes timed so far towards the next decision
    std::uint32_t lookedMs = 0;     // their length in all
    int picturesSinceLook = 0;      // while pacing: since the swap was last timed
};

Pacer pacer;

void forgetLook() {
    pacer.lookedPasses = 0;
    pacer.lookedMs = 0;
}

// Adds a pass that began right after the previous swap; every few of them
// decide whether to pace. Passes in a row are timed in whole milliseconds
// from the first one's start to the last one's end, so together they may read
// up to a millisecond short: a display is paced only if it would be faster
// than 63 Hz even had they lasted that millisecond longer, and one at exactly
// 63 Hz is left alone. A 60 Hz display mistaken for a faster one (a swap
// that came back late) does little harm: the schedule starts at a swap, so in
// step with the display, and the next look ends it.
void lookAtPass(std::uint32_t passMs) {
    pacer.lookedMs += passMs;
    if (++pacer.lookedPasses < kLookPasses) {
        return;
    }
    const std::uint32_t longestMs = pacer.lookedMs + kTickGrainMs;
    const bool fast = longestMs * kFastestUnpacedHz < kLookPasses * kMsPerSecond;
    forgetLook();
    pacer.picturesSinceLook = 0;
    if (fast && !pacer.pacing) {
        pacer.leadThirds = 0;  // the pass that starts now is on time
    }
    pacer.pacing = fast;
}

}  // namespace

void paceFrame() {
    const std::uint32_t now = SDL_GetTicks();
    const std::uint32_t elapsedMs = now - pacer.lastTicks;  // right across the wrap
    const std::uint32_t sleptMs = pacer.lastSleepMs;
    pacer.lastTicks = now;
    pacer.lastSleepMs = 0;
    if (!pacer.started || elapsedMs > kStallMs) {  // a clock jumping back reads as a stall
        pacer.started = true;
        pacer.leadThirds = 0;
        forgetLook();
        return;
    }

    const auto elapsedThirds = static_cast<std::int32_t>(elapsedMs) * kThirdsPerMs;
    pacer.leadThirds += kPictureThirds - elapsedThirds;
    if (pacer.leadThirds < -kMostLagThirds) {
        pacer.leadThirds = 0;  // far behind: never catch up in a burst
    }
    pacer.leadThirds = std::min(pacer.leadThirds, kMostLeadThirds);

    if (sleptMs == 0) {
        lookAtPass(elapsedMs);
    } else {
        forgetLook();
    }
    if (!pacer.pacing || pacer.picturesSinceLook++ >= kPicturesBetweenLooks) {
        return;  // not pacing, or looking at the swap again
    }

    // A picture comes at most 2 ms later than one period after the last, so the
    // pictures taken by a look are given back gently and no sleep is long.
    const std::int32_t passThirds =
        elapsedThirds - static_cast<std::int32_t>(sleptMs) * kThirdsPerMs;
    const std::int32_t sleepThirds =
        std::min(pacer.leadThirds, kPictureThirds + kPaybackThirds - passThirds);
    if (sleepThirds >= kThirdsPerMs) {
        pacer.lastSleepMs = static_cast<std::uint32_t>(sleepThirds / kThirdsPerMs);
        SDL_Delay(pacer.lastSleepMs);
    }
}
