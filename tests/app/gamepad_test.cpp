// Pads against the scripted SDL: what each move presses and releases, and when
// the pads are looked for again.
#include "app/gamepad.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "sdl_standin.h"

namespace {

// clang-format off
constexpr PadShape kHatPad        = {6, 12, 1};   // a d-pad that is a hat
constexpr PadShape kControllerPad = {6, 15, 0};   // SDL's controller order: buttons 11-14 the d-pad
constexpr PadShape kFourteenPad   = {2, 14, 0};   // too few buttons for that
constexpr PadShape kHatAndFifteen = {2, 15, 1};   // the hat is the d-pad
constexpr PadShape kOddPad        = {8, 64, 4};
constexpr PadShape kBarePad       = {0, 0, 0};
// clang-format on
constexpr std::uint32_t kSettled = 10000;  // long after any look

// The pads of `shapes`, opened afresh with nothing held: a game over, and a look.
void plugIn(const std::vector<PadShape>& shapes) {
    resetSdlStandin();
    sdlStandin.pads = shapes;
    rescanGamepads(false, 0);
    rescanGamepads(true, 0);
    rescanGamepads(true, kSettled);
    rescanGamepads(true, kSettled + 1000);
}

// "b3+" button 3 pressed, "b3-" released, "h0=9" hat 0 at up and left, "a1=-32768" axis 1
// all the way; "1:" before a word makes it pad 1's.
SDL_Event padWordEvent(const std::string& word) {
    std::istringstream in(word);
    int pad = 0, index = 0, value = 0;
    if (word.find(':') != std::string::npos) {
        in >> pad;
        in.ignore();
    }
    const char kind = static_cast<char>(in.get());
    in >> index;
    if (kind == 'b') {
        const bool down = in.get() == '+';
        return padEvent(down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP, Uint8(pad), Uint8(index), down);
    }
    in.ignore();
    in >> value;
    return padEvent(kind == 'h' ? SDL_JOYHATMOTION : SDL_JOYAXISMOTION, Uint8(pad), Uint8(index),
                    value);
}

// The keys each word of `script` stands for, word by word: "+273" Up pressed, "-273"
// released, "+32-32" space pressed and released, "." none.
std::string keysOf(const std::string& script) {
    std::istringstream words(script);
    std::string keys;
    for (std::string word; words >> word;) {
        PadKey out[kMaxPadKeys];
        const int count = padKeys(padWordEvent(word), out);
        keys += keys.empty() ? "" : " ";
        keys += count == 0 ? "." : "";
        for (int i = 0; i < count; ++i) {
            keys += (out[i].down ? "+" : "-") + std::to_string(out[i].key);
        }
    }
    return keys;
}

// Keys: 273 Up, 274 Down, 275 Right, 276 Left, 32 space (drop), 0 one the game ignores in play.
TEST(Gamepad, MovesPressAndReleaseTheKeys) {
    // clang-format off
    const struct { std::vector<PadShape> pads; const char* script, *keys; } cases[] = {
        // A hat: entering a direction presses its arrow, leaving releases it; diagonals are
        // two arrows, and rolling from one to the opposite one releases both first.
        {{kHatPad},        "h0=1 h0=3 h0=12 h0=1 h0=1 h0=0",
                           "+273 +275 -273-275+274+276 -274-276+273 . -273"},
        // The left stick: pressed from half-way out, released only back under a quarter.
        {{kHatPad},        "a0=16383 a0=16384 a0=8192 a0=8191 a0=-16383 a0=-16384 a0=-8192 a0=-8191",
                           ". +275 . -275 . +276 . -276"},
        {{kHatPad},        "a1=16384 a1=8192 a1=8191 a1=-16384 a1=-8192 a1=-8191",
                           "+274 . -274 +273 . -273"},
        {{kHatPad},        "a0=32767 a0=-32768 a1=-32768 a0=0",  "+275 -275+276 +273 -276"},
        // Face buttons drop; other buttons press a key the game ignores in play; the right
        // stick and the triggers (some rest at -32768) do nothing.
        {{kHatPad},        "b0+ b0- b3+ b4- b11+ a2=-32768 a3=32767 a5=-32768",
                           "+32 -32 +32 -0 +0 . . ."},
        // Buttons 11-14 are the d-pad only on a pad without a hat and with 15 buttons or more.
        {{kControllerPad}, "b11+ b14+ b11- b12+ b13+ b14- b10+",
                           "+273 +275 -273 +274 +276 -275 +0"},
        // A release with no press (held when the pad was opened, or its press lost) and a
        // press twice change nothing.
        {{kControllerPad}, "b12- b12+ b12+ b12- b12-", ". +274 . -274 ."},
        {{kFourteenPad},   "b11+ b13-",                "+0 -0"},
        {{kHatAndFifteen}, "b11+ h0=8",                "+0 +276"},
        // Every pad plays, each with its own directions; pads beyond 16 are ignored.
        {{kHatPad, kControllerPad}, "h0=1 1:b11+ h0=0 1:b11-", "+273 +273 -273 -273"},
        {{kHatPad},        "16:b0+ 255:h0=1 15:b0+",   ". . +32"},
        {{kHatPad},        "16:h0=1 16:h0=0 16:a0=32767 16:a0=0", ". . . ."},
        // Odd devices: every hat, axis and button at once, values at the ends.
        {{kOddPad},        "h3=255 h255=15 a7=-32768 b63+ h3=0",
                           "+273+275+274+276 +273+275+274+276 . +0 -273-275-274-276"},
        {{kBarePad},       "h0=0 a0=0 b0-",            ". . -32"},
    };
    // clang-format on
    for (const auto& row : cases) {
        plugIn(row.pads);
        EXPECT_EQ(keysOf(row.script), row.keys) << row.script;
    }
}

// Looks happen only while a game is over: the first two seconds after it ended, then every
// two seconds, also across the tick counter's wrap. A pad reopened by a look reports what is
// held on it at the next poll, which is no press: the keys of the next drain are its state.
TEST(Gamepad, LooksForNewPadsOnlyWhileAGameIsOver) {
    // clang-format off
    const struct { const char* passes; const char* looks; } cases[] = {
        // "p" a pass in play, "o" one with the game over, at the ticks that follow.
        {"p0 p5000 p90000 o90000 o91999 o92000 o93999 o94000 p94001 p99000 o99500 o101499 o101500",
                                                                         "o92000 o94000 o101500"},
        {"o4294966000 o4294967295 o704 o2703 o2704",                     "o704 o2704"},
    };
    // clang-format on
    for (const auto& row : cases) {
        plugIn({});
        rescanGamepads(false, 0);
        std::istringstream passes(row.passes);
        std::string looks;
        for (std::string pass; passes >> pass;) {
            sdlStandin.log.clear();
            rescanGamepads(pass[0] == 'o', static_cast<std::uint32_t>(std::stoul(pass.substr(1))));
            if (!sdlStandin.log.empty()) {
                looks += (looks.empty() ? "" : " ") + pass;
            }
        }
        EXPECT_EQ(looks, row.looks) << row.passes;
    }

    // A pad plugged in during play is found by the look, opened and played.
    plugIn({kHatPad});
    sdlStandin.pads.push_back(kControllerPad);
    sdlStandin.log.clear();
    rescanGamepads(true, kSettled + 2000);
    std::string look;
    for (const std::string& call : sdlStandin.log) {
        look += call + "; ";
    }
    EXPECT_EQ(look,
              "SDL_JoystickClose; SDL_QuitSubSystem 512; SDL_InitSubSystem 512; "
              "SDL_NumJoysticks; SDL_JoystickOpen 0; SDL_JoystickOpen 1; "
              "SDL_JoystickEventState 1; ");
    EXPECT_EQ(keysOf("1:b11+ h0=1"), ". .");
    rescanGamepads(true, kSettled + 2001);
    EXPECT_EQ(keysOf("1:b11- 1:b13+ h0=0"), "-273 +276 -273");

    // Seventeen pads: the look opens sixteen, no more (a later look would not tell, as
    // opening a seventeenth would write over the look's own timer).
    plugIn(std::vector<PadShape>(17, kHatPad));
    const std::vector<std::string>& log = sdlStandin.log;
    EXPECT_EQ(std::count(log.begin(), log.end(), "SDL_JoystickOpen 15"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "SDL_JoystickOpen 16"), 0);
}

}  // namespace
