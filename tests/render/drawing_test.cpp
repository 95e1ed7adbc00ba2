// The drawing against the recording GL: the texture set, the scene and the
// kept frame for hand-built states, and golden digests, under golden/, of
// replayed games' frames and of text. Entry k of the test texture set holds
// texture 1000 + k, so a quad's texture says which picture it shows.
#include <SOIL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "gl_recorder.h"
#include "platform/platform.h"
#include "play_script.h"
#include "render/frame_keeper.h"
#include "render/picture_check.h"
#include "render/scene.h"
#include "render/stroke_font.h"
#include "render/texture_set.h"

// The picture reading stand-in: records each call, refuses the paths a test names and
// makes up a picture of its own for each of the others (standInPicture).
struct {
    std::vector<std::pair<std::string, int>> calls;  // path and largest side
    std::vector<std::string> refused;
} pictureCheck;

RecordedPicture standInPicture(std::size_t call) {
    const int width = static_cast<int>(call) + 1, height = 2, channels = call % 4 + 1;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * channels);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>(call * 7 + i);
    }
    return {width, height, channels, pixels};
}

bool readPicture(const char* path, int maxSize, Picture& picture) {
    pictureCheck.calls.emplace_back(path, maxSize);
    if (std::count(pictureCheck.refused.begin(), pictureCheck.refused.end(), path) != 0) {
        return false;
    }
    RecordedPicture made = standInPicture(pictureCheck.calls.size() - 1);
    picture.width = made.width;
    picture.height = made.height;
    picture.channels = made.channels;
    picture.pixels = made.pixels;
    return true;
}

namespace {

constexpr GLuint kFakeTextureBase = 1000;

// As at start-up: nothing kept or vetted, the font compiled, the test texture set, blending and
// face culling on, a fresh game but for 40 zero jitter offsets.
void resetDrawing() {
    releaseFrameKeeping();
    glRecorder = {};
    pictureCheck = {};
    gameState = GameState{};
    gameState.jitter.assign(kJitterEntries, JitterOffset{0.0f, 0.0f});
    textureSet.clear();
    for (GLuint k = 0; k < kTextureCount; ++k) {
        textureSet.push_back(std::make_unique<TextureEntry>(TextureEntry{kFakeTextureBase + k}));
    }
    compileStrokeFont();
    glEnable(GL_BLEND);
    glEnable(GL_CULL_FACE);
}

// One frame as the loop draws it, which leaves no modelview, state or error behind.
void drawFrame() {
    washScreen();
    drawScene();
    const RecordedMatrix& m = glRecorder.modelview.back();
    EXPECT_TRUE(glRecorder.modelview.size() == 1 && m.sx == 1 && m.sy == 1 && m.tx == 0 &&
                m.ty == 0);
    EXPECT_EQ(glRecorder.polygonMode, static_cast<GLenum>(GL_FILL));
    EXPECT_EQ(glRecorder.enabled.count(GL_TEXTURE_2D), 0u);
    EXPECT_EQ(glRecorder.pendingError, static_cast<GLenum>(GL_NO_ERROR));
}

std::vector<RecordedPrimitive> texturedQuads() {
    return recorded(glRecorder.primitives, [](const RecordedPrimitive& p) { return p.textured; });
}

TEST(TextureSet, LoadsInOrderLeavesZeroWhereAPictureFailsAndReleasesEveryId) {
    const std::string& folder = pictureFolder().path;
    std::vector<std::string> paths;
    for (const char* name : kPictureNames) {
        paths.push_back(folder + name + ".png");
    }
    // The drawing's indexes: tile code c is entry c - 1, the rewards from 42 on.
    EXPECT_EQ(paths.size(), 46u);
    EXPECT_EQ(paths[0], folder + "a0.png");
    EXPECT_EQ(paths[41], folder + "g3.png");
    EXPECT_EQ(paths[42], folder + "wench0.png");
    EXPECT_EQ(paths[45], folder + "wench3.png");
    for (const auto& [glLimit, vettingLimit] : {std::pair{16384, 4096}, std::pair{2048, 2048}}) {
        SCOPED_TRACE("GL limit " + std::to_string(glLimit));
        resetDrawing();
        textureSet.clear();
        glRecorder.maxTextureSize = glLimit;
        glRecorder.failedTextures.insert(22);       // SOIL fails on c4
        pictureCheck.refused.push_back(paths[43]);  // wench1 never reaches SOIL
        loadTextureSet();
        ASSERT_TRUE(pictureCheck.calls.size() == paths.size() && textureSet.size() == paths.size());
        std::vector<RecordedPicture> read;  // what SOIL must have been given, in order
        for (std::size_t k = 0; k < paths.size(); ++k) {
            EXPECT_EQ(pictureCheck.calls[k], std::pair(paths[k], vettingLimit));
            if (k != 43) {
                read.push_back(standInPicture(k));
            }
        }
        EXPECT_TRUE(glRecorder.soilPictures == read);
        for (const RecordedCall& call : recordedCalls("SOIL_create_OGL_texture")) {
            EXPECT_EQ(call.args.at(3), static_cast<double>(SOIL_CREATE_NEW_ID));
            EXPECT_EQ(call.args.at(4), 0);  // no flags: no flip, no mipmaps, clamped
        }
        std::vector<GLuint> ids;
        GLuint next = 1;  // the stand-in names textures 1, 2, ... as they load
        for (std::size_t k = 0; k < paths.size(); ++k) {
            ids.push_back(textureSet[k]->id);
            EXPECT_EQ(ids.back(), k == 22 || k == 43 ? 0 : next++) << paths[k];
        }
        releaseTextureSet();
        releaseTextureSet();                         // nothing left the second time
        EXPECT_EQ(glRecorder.deletedTextures, ids);  // in order, the zeros too
        EXPECT_TRUE(textureSet.empty());
    }
}

TEST(Scene, PreviewAlphaInSinglePrecisionAndTheRewardPictureByScoreBand) {
    resetDrawing();
    gameState.queue = {5, 0, 6};
    gameState.dropTimer = 52;  // where computing in double would round to another float
    drawFrame();
    const std::vector<RecordedPrimitive> quads = texturedQuads();
    ASSERT_EQ(quads.size(), 3u);                         // the hand, the next tile, the preview
    EXPECT_NEAR(quads[1].vertices[0].x, 100 - 52, 5.1);  // shaken; the gap takes no room
    EXPECT_EQ(quads[2].vertices[0].colour[3], 0.1f + 0.1f * std::sin(0.01f * 52.0f));
    const std::pair<int, int> bands[] = {{0, 42},   {99, 42},  {100, 43},
                                         {299, 44}, {300, 45}, {1000000, 45}};
    for (const auto& [score, entry] : bands) {
        SCOPED_TRACE("score " + std::to_string(score));
        resetDrawing();
        gameState.score = score;
        gameState.gameOver = true;
        drawFrame();
        EXPECT_EQ(texturedQuads().at(0).texture, kFakeTextureBase + entry);  // the only one
    }
}

TEST(FrameKeeping, OnlyWhereDrawingGoesStraightToTheWindowWithACopyEndingEachFrame) {
    // clang-format off
    struct { GLint binding; GLint maxTextureSize; std::size_t keeps;
             GLenum leftOver = GL_NO_ERROR; } const cases[] = {  // left over from start-up
        {0,  8192, 1},  // the window's own framebuffer
        {-1, 8192, 1},  // no framebuffer objects: the GL does not know the query
        {3,  8192, 0},  // a framebuffer object of the windowing library's
        {0,  512,  0},  // no texture can hold the window
        {0,  1024, 1},  // the smallest that can
        {3,  8192, 0, GL_INVALID_OPERATION},  // an old error is no answer to the query
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE("binding " + std::to_string(c.binding));
        resetDrawing();
        glRecorder.framebufferBinding = c.binding;
        glRecorder.maxTextureSize = c.maxTextureSize;
        glRecorder.pendingError = c.leftOver;
        setUpFrameKeeping();
        setUpFrameKeeping();                                 // a second set-up changes nothing
        ASSERT_EQ(glRecorder.nextTextureName - 1, c.keeps);  // the only texture made
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));  // the failed query's is gone
        for (int frame = 0; frame < 2; ++frame) {  // the set-up's copy, then the frame's, last
            const std::vector<RecordedCall> copies = recordedCalls("glCopyTexSubImage2D");
            ASSERT_EQ(copies.size(), c.keeps);
            for (const RecordedCall& copy : copies) {
                EXPECT_EQ(copy.args, (std::vector<double>{GL_TEXTURE_2D, 0, 0, 0, 0, 0, 640, 580}));
                EXPECT_EQ(glRecorder.calls.end()[-2].name, copy.name);  // then the unbinding
            }
            glTranslatef(33.0f, 44.0f, 0.0f);  // whatever came before, the wash is unmoved
            glRecorder.calls.clear();
            drawFrame();
            EXPECT_EQ(glRecorder.primitives.at(c.keeps).vertices.at(2).x, 640.0);
        }
        releaseFrameKeeping();
        releaseFrameKeeping();
        EXPECT_EQ(glRecorder.deletedTextures, std::vector<GLuint>(c.keeps, 1));
    }
}

// Golden digests (golden/README.md): a seeded deal played through the real rules by a script
// of keys and steps, then one frame drawn; the final state and every primitive, as text.
// clang-format off
const struct { const char* name; std::uint32_t seed; const char* script; bool keepFrame; }
kReplays[] = {
    {"opening",      20260101u, "step*3", false},
    {"opening-kept", 20260101u, "step*3", true},  // drawn over a kept picture
    {"midgame",      424242u,   "step*5 space right space step*21 left left space z down "
                                "step*10 space space right space step*40 up space right right "
                                "z step*7", false},
    {"game-over",    99u,       "right space step*13 space*23 step*4", false},
};
// clang-format on

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return std::string(text) == "-0.000" ? "0.000" : text;
}

// A line a primitive: kind, texture, state, colour | window pixels@texture coordinates.
std::string primitivesDrawn() {
    std::ostringstream out;
    for (const RecordedPrimitive& p : glRecorder.primitives) {
        out << (p.mode == GL_QUADS ? "quad" : p.mode == GL_LINES ? "line" : "triangle");
        out << (p.textured ? " texture " + std::to_string(p.texture) : "")
            << (p.polygonMode != GL_FILL ? " outline" : "") << (p.culled ? " culled" : "")
            << (p.blended ? "" : " opaque") << " rgba";
        for (const float component : p.vertices.at(0).colour) {
            out << " " << number(component);
        }
        out << " |";
        for (const RecordedVertex& v : p.vertices) {
            out << " " << number(v.x) << "," << number(v.y)
                << (p.textured ? "@" + number(v.s) + "," + number(v.t) : "");
        }
        out << "\n";
    }
    return out.str();
}

void expectStored(const std::string& name, const std::string& drawn) {
    const std::string path = std::string(KESSARY_GOLDEN_DIR) + "/" + name + ".txt";
    if (std::getenv("KESSARY_REGENERATE_GOLDEN") != nullptr) {
        std::ofstream(path) << drawn;
        GTEST_SKIP() << "rewrote " << path;
    }
    std::ostringstream stored;
    stored << std::ifstream(path).rdbuf();
    EXPECT_EQ(stored.str(), drawn);
}

TEST(Golden, EveryReplayDrawsItsStoredFrame) {
    for (const auto& replay : kReplays) {
        SCOPED_TRACE(replay.name);
        resetDrawing();
        if (replay.keepFrame) {
            setUpFrameKeeping();
        }
        dealNewGame(replay.seed);
        playScript(replay.script);
        drawFrame();
        const GameState& g = gameState;
        std::ostringstream out;
        out << "seed " << replay.seed << " script " << replay.script << "\nscore " << g.score
            << " best " << g.bestScore << " over " << g.gameOver << " cursor " << g.cursor
            << " dropTimer " << g.dropTimer << " deck " << g.deck.size() << "\nqueue";
        for (const TileCode code : g.queue) {
            out << " " << code;
        }
        for (int c = 0; c < kColumnCount; ++c) {
            out << "\ncolumn " << c << ":";
            for (int k = 0; k < g.columns[c].count; ++k) {
                out << " " << g.columns[c].tiles[k];
            }
        }
        out << "\nspark " << number(g.spark.x) << " " << number(g.spark.y) << " jitterCursor "
            << g.jitterCursor << " rand " << recordedCalls("rand").size() << "\ntext " << textBuffer
            << "\n";
        expectStored(replay.name, out.str() + primitivesDrawn());
    }
}

// Each glyph alone, then the wide mark's edge cases: the glyph lists called, line widths, pen
// moves and lines drawn, in glyph units.
TEST(Golden, EveryGlyphAndTheWideMarkDrawAsStored) {
    resetDrawing();
    EXPECT_TRUE(glRecorder.primitives.empty());  // compiled, not drawn
    std::vector<std::string> texts;
    for (const char* c = glyphChars; *c != '\0'; ++c) {
        texts.emplace_back(1, *c);
    }
    // '#' has no glyph: nothing drawn, the pen stays, a mark before it used up; a trailing mark
    // is closed at the end; a space takes the mark.
    texts.insert(texts.end(), {"a#b", "^a", "^^a", "^#a", "a^", "^ a"});
    std::string digest;
    for (const std::string& text : texts) {
        glRecorder.calls.clear();
        glRecorder.primitives.clear();
        std::snprintf(textBuffer, sizeof textBuffer, "%s", text.c_str());
        drawText(1.0f);
        digest += "text '" + text + "' drawn";
        for (const RecordedCall& call : glRecorder.calls) {
            if (call.name == "glCallList") {
                digest +=
                    std::string(" '") + glyphChars[int(call.args[0]) - int(fontListBase)] + "'";
            } else if (call.name == "glLineWidth" || call.name == "glTranslatef") {
                digest +=
                    (call.name == "glLineWidth" ? " width " : " advance ") + number(call.args[0]);
            }
        }
        digest += "\n" + primitivesDrawn();
    }
    expectStored("stroke-font", digest);
    glRecorder.calls.clear();
    std::fill_n(textBuffer, kTextBufferSize, 'l');  // unterminated: ends at its last byte
    drawText(1.0f);
    EXPECT_EQ(recordedCalls("glCallList").size(), static_cast<std::size_t>(kTextBufferSize));
    textBuffer[0] = '\0';
}

}  // namespace
