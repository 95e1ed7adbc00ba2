// Golden replays: from a fixed seed, a script of keys and steps must reach the
// exact position recorded here, spark and jitter included. Any change to the
// shuffle, the drop, the scoring, the controls or the order of draws shows up
// as a different line.
//
// To regenerate after an intended change of the rules: run
//   game_tests --gtest_filter='Golden/*'
// and copy each "Which is:" line of the actual position into the table, after
// checking by hand that the change in it is the intended one.
#include <gtest/gtest.h>

#include <string>

#include "game_test_support.h"

using namespace gametest;

namespace {

struct Replay {
    const char* name;
    std::uint32_t seed;
    const char* script;
    const char* position;  // describeGame() at the end
};

void PrintTo(const Replay& replay, std::ostream* out) {
    *out << replay.name;
}

class Golden : public ::testing::TestWithParam<Replay> {};

TEST_P(Golden, ScriptReachesTheRecordedPosition) {
    const Replay& replay = GetParam();
    resetGameState();
    dealNewGame(replay.seed);
    playScript(replay.script);
    EXPECT_EQ(describeGame(), replay.position);
}

// Checked by hand:
// - FourDropsThenTheTimer: seed 1 deals 11 22 20 18 40 16 28; the first four
//   make b2 c4 c2 b9, S = 17, mixed without d: 8 points, kept, so the cursor
//   moves to column 1, where the 20th step drops 40. The refills 13 23 9 2 34
//   come in at the back; no jump, so the spark has not moved.
// - ArrowsAndSteering: seed 0's tiles in turn are 15 36 7 37 3 23 20 31 16 2
//   42 1 17 14. R R puts 15 on column 2, L then z puts 36 on column 1, the
//   timer adds 7, space adds 37. 3xR goes to column 4, which fills by timer
//   with 3 23 20 31 (S = 15, 7 points, kept) and the cursor hops to 5 (16 2).
//   L L skips full column 4 to reach 2: 15 42 1 17 (S = 22, 11 points, kept),
//   then 14 on column 3. vx = -2 (five R, three L), vy = 1 (U U D).
// - WholeGameByTheTimer: seed 5489 dropped where the cursor is: 32 tiles in
//   640 steps until six kept melds block the board (15 + 10 + 8 + 13 + 8 + 7
//   points, plus 9 each for two cleared melds, one being 2 3 18 28); the best
//   score is the final one and the last 100 steps change nothing.
// - SecondGameKeepsTheBest: the next deal keeps best 79 and the walked jitter;
//   45 steps after a key drop make two timer drops and leave the timer at 25.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Replays, Golden, ::testing::Values(
    Replay{"FourDropsThenTheTimer", 1, "4xspace 20xstep",
           "columns [11 22 20 18] [40] [] [] [] [] queue 16 28 13 23 9 2 34 deck 30 cursor 1 "
           "timer 0 score 8 best 0 over 0 spark 320 290 0 0 "
           "jitter -4.99999952 -1.6500001 0.925000012 0.24999997"},
    Replay{"ArrowsAndSteering", 0,
           "R R space L z U U D 20xstep space 3xR z 100xstep L L space 60xstep",
           "columns [] [36 7 37] [15 42 1 17] [14] [3 23 20 31] [16 2] "
           "queue 13 35 40 33 21 29 25 deck 21 cursor 3 timer 0 score 18 best 0 over 0 "
           "spark -127 127 -2 1 jitter -9.94999504 -2.22500062 2.94999862 10.2750015"},
    Replay{"WholeGameByTheTimer", 5489, "900xstep 100xstep",
           "columns [27 26 15 25] [36 38 7 19] [20 6 11 35] [5 16 14 9] [1 31 42 4] [12 10 37 32] "
           "queue 34 33 30 17 24 40 22 deck 3 cursor 5 timer 0 score 79 best 79 over 1 "
           "spark 420 169 0 0 jitter 21.4499912 8.90000153 -16.4750004 -15.3749847"},
    Replay{"SecondGameKeepsTheBest", 5489, "900xstep deal42 R R z U 45xstep",
           "columns [] [] [25 34 42] [] [] [] queue 12 41 7 18 6 13 31 deck 32 cursor 2 "
           "timer 25 score 0 best 79 over 0 "
           "spark 230 335 -2 1 jitter 18.7249889 7.60000038 -29.75 -23.924984"}
), [](const ::testing::TestParamInfo<Replay>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
