// Gamepads, turned into the keys the game already knows, so the rules never
// hear of them and a pad and the keyboard play together.
//
// Every direction a pad has (each hat, the d-pad buttons, the left stick) holds
// a set of arrows, kept as a hat's four bits. A move that changes the set
// releases the arrows that left it and presses the ones that came into it,
// exactly as the arrow keys would be pressed and released: a diagonal is two
// arrows. The stick holds an arrow from half-way out until it comes back
// under a quarter, so a stick wobbling around one threshold moves once. Face
// buttons 0-3 are the drop key; every other button is a key the game ignores
// in play and deals with once a game is over; the other axes (right stick,
// triggers that rest at one end) do nothing.
//
// SDL 1.2 lists the pads only when its joystick subsystem starts and has no
// event for a pad plugged in later. Restarting the subsystem finds new pads
// but takes milliseconds, so it happens only while a game is over, every
// couple of seconds. A pad reopened that way reports whatever is held on it
// at the next poll; the events of that one drain are taken as the state it is
// in, not as presses, so a thumb resting on a button does not deal.
#include "gamepad.h"

#include <array>

namespace {

// clang-format off
constexpr int           kMaxPads           = 16;     // pads beyond these are ignored
constexpr int           kHatCount          = 256;    // a hat's index is a byte
constexpr int           kFaceButtons       = 4;      // buttons 0-3: A, B, X, Y on nearly every pad
constexpr int           kDpadButtonsFrom   = 15;     // buttons a pad in SDL's controller order has
constexpr std::uint8_t  kStickXAxis        = 0;      // the left stick
constexpr std::uint8_t  kStickYAxis        = 1;      // down is positive
constexpr int           kStickPress        = 16384;  // half-way out: the arrow is pressed
constexpr int           kStickRelease      = 8192;   // back under a quarter: released
constexpr std::uint32_t kRescanIntervalMs  = 2000;   // on the game-over screen
// clang-format on

// The arrow keys by hat bit, in the order a change presses or releases them.
struct Arrow {
    std::uint8_t bit;
    std::int32_t key;
};
// clang-format off
constexpr Arrow kArrows[] = {
    {SDL_HAT_UP,    SDLK_UP},
    {SDL_HAT_RIGHT, SDLK_RIGHT},
    {SDL_HAT_DOWN,  SDLK_DOWN},
    {SDL_HAT_LEFT,  SDLK_LEFT},
};
// clang-format on

// The d-pad's buttons on a pad that SDL reports in its standard controller order.
struct DpadButton {
    std::uint8_t button;
    std::uint8_t arrow;
};
// clang-format off
constexpr DpadButton kDpadButtons[] = {
    {11, SDL_HAT_UP},
    {12, SDL_HAT_DOWN},
    {13, SDL_HAT_LEFT},
    {14, SDL_HAT_RIGHT},
};
// clang-format on

struct Pad {
    SDL_Joystick* joystick = nullptr;            // null: not open
    bool dpadButtons = false;                    // no hat, and buttons 11-14 are the d-pad
    std::uint8_t stick = 0;                      // the arrows the left stick holds
    std::uint8_t dpad = 0;                       // the arrows the d-pad buttons hold
    std::array<std::uint8_t, kHatCount> hats{};  // the arrows each hat holds
};

std::array<Pad, kMaxPads> pads;
bool rescanning = false;            // a game is over, and pads are looked for
std::uint32_t lastRescanTicks = 0;  // when they were last looked for (or the game ended)
bool settling = false;              // pads were reopened after the last drain

void openPads() {
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count && index < kMaxPads; ++index) {
        Pad& pad = pads[index];
        pad.joystick = SDL_JoystickOpen(index);
        pad.dpadButtons = pad.joystick && SDL_JoystickNumHats(pad.joystick) == 0 &&
                          SDL_JoystickNumButtons(pad.joystick) >= kDpadButtonsFrom;
    }
    SDL_JoystickEventState(SDL_ENABLE);
}

// Closes every pad, restarts the joystick subsystem, which lists the pads
// anew, and opens them all again with nothing held.
void reopenPads() {
    for (Pad& pad : pads) {
        if (pad.joystick) {
            SDL_JoystickClose(pad.joystick);
        }
        pad = Pad{};
    }
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    openGamepads();
}

// Replaces the arrows a direction holds with `now`: the ones that left are
// released, then the ones that came are pressed. Returns the keys written.
int changeArrows(std::uint8_t& held, std::uint8_t now, PadKey keys[kMaxPadKeys]) {
    int count = 0;
    for (const Arrow& arrow : kArrows) {
        if ((held & ~now & arrow.bit) != 0) {
            keys[count++] = {arrow.key, false};
        }
    }
    for (const Arrow& arrow : kArrows) {
        if ((now & ~held & arrow.bit) != 0) {
            keys[count++] = {arrow.key, true};
        }
    }
    held = now;
    return count;
}

// The stick's arrows after one of its axes moved to `value`: `negative` and
// `positive` are the arrows of that axis's two ends.
std::uint8_t stickArrows(std::uint8_t held, int value, std::uint8_t negative,
                         std::uint8_t positive) {
    std::uint8_t now = held & ~(negative | positive);
    for (const std::uint8_t arrow : {negative, positive}) {
        const int out = arrow == positive ? value : -value;
        if (out >= kStickPress || ((held & arrow) != 0 && out >= kStickRelease)) {
            now |= arrow;
        }
    }
    return now;
}

int buttonKeys(Pad& pad, std::uint8_t button, bool down, PadKey keys[kMaxPadKeys]) {
    if (pad.dpadButtons) {
        for (const DpadButton& dpad : kDpadButtons) {
            if (button == dpad.button) {
                const std::uint8_t now = down ? pad.dpad | dpad.arrow : pad.dpad & ~dpad.arrow;
                return changeArrows(pad.dpad, now, keys);
            }
        }
    }
    keys[0] = {button < kFaceButtons ? SDLK_SPACE : kPadOtherButtonKey, down};
    return 1;
}

int translate(const SDL_Event& event, PadKey keys[kMaxPadKeys]) {
    switch (event.type) {
        case SDL_JOYHATMOTION:
            if (event.jhat.which < kMaxPads) {
                Pad& pad = pads[event.jhat.which];
                return changeArrows(pad.hats[event.jhat.hat], event.jhat.value, keys);
            }
            break;
        case SDL_JOYAXISMOTION:
            if (event.jaxis.which < kMaxPads) {
                Pad& pad = pads[event.jaxis.which];
                const int value = event.jaxis.value;
                if (event.jaxis.axis == kStickXAxis) {
                    return changeArrows(pad.stick,
                                        stickArrows(pad.stick, value, SDL_HAT_LEFT, SDL_HAT_RIGHT),
                                        keys);
                }
                if (event.jaxis.axis == kStickYAxis) {
                    return changeArrows(
                        pad.stick, stickArrows(pad.stick, value, SDL_HAT_UP, SDL_HAT_DOWN), keys);
                }
            }
            break;
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP:
            if (event.jbutton.which < kMaxPads) {
                return buttonKeys(pads[event.jbutton.which], event.jbutton.button,
                                  event.type == SDL_JOYBUTTONDOWN, keys);
            }
            break;
        default:
            break;
    }
    return 0;
}

}  // namespace

void openGamepads() {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0) {
        openPads();
    }
}

int padKeys(const SDL_Event& event, PadKey keys[kMaxPadKeys]) {
    const int count = translate(event, keys);
    return settling ? 0 : count;
}

void rescanGamepads(bool gameOver, std::uint32_t ticks) {
    settling = false;
    if (!gameOver) {
        rescanning = false;
        return;
    }
    if (!rescanning) {  // the game has just ended: the first look is a while off
        rescanning = true;
        lastRescanTicks = ticks;
    }
    if (ticks - lastRescanTicks >= kRescanIntervalMs) {
        lastRescanTicks = ticks;
        reopenPads();
        settling = true;
    }
}
