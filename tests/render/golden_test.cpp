// Golden replays: a seeded deal played through the real rules by a script of
// key presses and update steps, then one frame drawn. The final game state
// and every primitive of that frame, written as a compact text digest, must
// match the digest stored under tests/render/golden/.
//
// To rewrite the digests after a deliberate change to the rules or the
// drawing, run the tests with KESSARY_REGENERATE_GOLDEN=1 in the environment
// (e.g. KESSARY_REGENERATE_GOLDEN=1 ./render_tests --gtest_filter='Golden*')
// and review the diff of tests/render/golden/ before committing it.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "game/controls.h"
#include "render_test_support.h"

using namespace rendertest;

namespace {

struct Replay {
    const char* name;  // the digest's file name, without .txt
    std::uint32_t seed;
    const char* script;  // keys (space z left right up down), step*N, hold-space
};

void PrintTo(const Replay& replay, std::ostream* out) {
    *out << replay.name;
}

// clang-format off
const Replay kReplays[] = {
    {"opening",   20260101u, "step*3"},
    {"midgame",   424242u,   "step*5 space right space step*21 left left space z down step*10 "
                             "space space right space step*40 up space right right z step*7"},
    {"game-over", 99u,       "right space step*13 hold-space step*4"},
};
// clang-format on

constexpr int kMostHeldDrops = 100;  // more than a game can take

void press(const std::string& key) {
    // clang-format off
    const std::pair<const char*, std::int32_t> keys[] = {
        {"space", kKeySpace}, {"z",     kKeyZ},     {"left", kKeyLeft},
        {"right", kKeyRight}, {"up",    kKeyUp},    {"down", kKeyDown},
    };
    // clang-format on
    for (const auto& [name, code] : keys) {
        if (key == name) {
            handleKeyDown(code);
            return;
        }
    }
    FAIL() << "unknown script word " << key;
}

void play(const std::string& script) {
    std::istringstream words(script);
    std::string word;
    while (words >> word) {
        if (word.rfind("step*", 0) == 0) {
            for (int n = std::stoi(word.substr(5)); n > 0; --n) {
                stepGame();
            }
        } else if (word == "hold-space") {
            // Another press after the end would deal a game seeded by the clock.
            for (int n = 0; n < kMostHeldDrops && !gameState.gameOver; ++n) {
                handleKeyDown(kKeySpace);
            }
        } else {
            press(word);
        }
    }
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return std::string(text) == "-0.000" ? "0.000" : text;
}

std::string modeName(GLenum mode) {
    switch (mode) {
        case GL_QUADS:
            return "quad";
        case GL_LINES:
            return "line";
        case GL_TRIANGLES:
            return "triangle";
        default:
            return std::to_string(mode);
    }
}

std::string digest(const Replay& replay) {
    const GameState& g = gameState;
    std::ostringstream out;
    out << "seed " << replay.seed << " script " << replay.script << "\n";
    out << "score " << g.score << " best " << g.bestScore << " over " << g.gameOver << " cursor "
        << g.cursor << " dropTimer " << g.dropTimer << " deck " << g.deck.size() << "\n";
    out << "queue";
    for (TileCode code : g.queue) {
        out << " " << code;
    }
    out << "\n";
    for (int c = 0; c < kColumnCount; ++c) {
        out << "column " << c << ":";
        for (int j = 0; j < g.columns[c].count; ++j) {
            out << " " << g.columns[c].tiles[j];
        }
        out << "\n";
    }
    out << "spark " << number(g.spark.x) << " " << number(g.spark.y) << " jitterCursor "
        << g.jitterCursor << " rand " << glRecorder.randCalls << "\n";
    out << "text " << textBuffer << "\n";
    for (const RecordedPrimitive& p : glRecorder.primitives) {
        out << modeName(p.mode);
        if (p.textured) {
            out << " texture " << p.texture;
        }
        if (p.polygonMode != GL_FILL) {
            out << " outline";
        }
        if (p.lineWidth != 1.0f) {
            out << " width " << number(p.lineWidth);
        }
        if (p.culled) {
            out << " culled";
        }
        const std::array<float, 4>& c = p.vertices.at(0).colour;
        out << " rgba " << number(c[0]) << " " << number(c[1]) << " " << number(c[2]) << " "
            << number(c[3]) << " |";
        for (const RecordedVertex& v : p.vertices) {
            out << " " << number(v.x) << "," << number(v.y);
            if (p.textured) {
                out << "@" << number(v.s) << "," << number(v.t);
            }
        }
        out << "\n";
    }
    return out.str();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The first line where two digests part, for a readable failure.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream a(expected);
    std::istringstream b(actual);
    std::string left;
    std::string right;
    for (int line = 1;; ++line) {
        const bool moreLeft = static_cast<bool>(std::getline(a, left));
        const bool moreRight = static_cast<bool>(std::getline(b, right));
        if (!moreLeft && !moreRight) {
            return "none";
        }
        if (left != right || moreLeft != moreRight) {
            return "line " + std::to_string(line) + "\n  stored: " + left + "\n  drawn:  " + right;
        }
    }
}

class Golden : public testing::TestWithParam<Replay> {};

TEST_P(Golden, ReplayDrawsTheStoredFrame) {
    const Replay& replay = GetParam();
    resetDrawing();
    dealNewGame(replay.seed);
    play(replay.script);
    drawFrame();
    const std::string drawn = digest(replay);

    const std::string path = std::string(KESSARY_GOLDEN_DIR) + "/" + replay.name + ".txt";
    if (std::getenv("KESSARY_REGENERATE_GOLDEN") != nullptr) {
        std::ofstream(path) << drawn;
        GTEST_SKIP() << "rewrote " << path;
    }
    const std::string stored = readFile(path);
    ASSERT_FALSE(stored.empty()) << "no stored digest at " << path;
    EXPECT_TRUE(stored == drawn) << "first difference: " << firstDifference(stored, drawn);
}

INSTANTIATE_TEST_SUITE_P(Replays, Golden, testing::ValuesIn(kReplays),
                         [](const testing::TestParamInfo<Replay>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 c = c == '-' ? '_' : c;
                             }
                             return name;
                         });

}  // namespace
