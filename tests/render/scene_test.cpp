// The scene: where every quad lands, in which colour and with which picture,
// which way round it runs, how the frame spends rand(), and what GL state a
// frame leaves behind, for hand-built game states.
#include <cmath>
#include <stdexcept>

#include "game/controls.h"
#include "render_test_support.h"

using namespace rendertest;

namespace {

constexpr int kNeutralRand = 50;  // shake 0, colour 0.5, triangle corners all (50, 50)
constexpr float kFaint = 0.05f;
constexpr float kBright = 0.1f;

struct ExpectedTile {
    TileCode code;
    double x;  // centre, window pixels
    double y;
    float alpha;
};

void expectTiles(const std::vector<ExpectedTile>& expected) {
    const std::vector<RecordedPrimitive> quads = texturedQuads();
    ASSERT_EQ(quads.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE("tile quad " + std::to_string(k));
        const RecordedPrimitive& quad = quads[k];
        EXPECT_EQ(quad.texture, tileTexture(expected[k].code));
        expectCentredQuad(quad, expected[k].x, expected[k].y, 100.0, 100.0);
        for (const RecordedVertex& v : quad.vertices) {
            EXPECT_EQ(v.colour, (std::array<float, 4>{1.0f, 1.0f, 1.0f, expected[k].alpha}));
        }
    }
}

void expectColourNear(const std::array<float, 4>& actual, const std::array<float, 4>& expected) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(actual[i], expected[i]) << "component " << i;
    }
}

// A 1-pixel line from (x1, y1) to (x2, y2) in `colour`.
void expectThinLine(const RecordedPrimitive& line, const std::array<double, 4>& ends,
                    const std::array<float, 4>& colour) {
    ASSERT_EQ(line.vertices.size(), 2u);
    expectAt(line.vertices[0], ends[0], ends[1]);
    expectAt(line.vertices[1], ends[2], ends[3]);
    EXPECT_EQ(line.vertices[0].colour, colour);
    EXPECT_EQ(line.lineWidth, 1.0f);
}

// The outline quads: drawn untextured with the polygon mode set to lines.
std::vector<RecordedPrimitive> outlines() {
    std::vector<RecordedPrimitive> found;
    for (const RecordedPrimitive& p : plainPrimitives(GL_QUADS)) {
        if (p.polygonMode == GL_LINE) {
            found.push_back(p);
        }
    }
    return found;
}

// A board with every kind of place filled: a full queue; columns of 2, 4, 0,
// 1 (the cursor's) and 3 tiles.
void setMixedBoard() {
    setBoard({1, 2, 3, 4, 5, 6, 7}, {{8, 9}, {10, 11, 12, 13}, {}, {14}, {}, {15, 16, 17}});
    gameState.cursor = 3;
}

TEST(SceneLayout, EveryTileQuadHasItsPlaceSizePictureAndColour) {
    resetDrawing();
    setMixedBoard();
    glRecorder.randScript = {kNeutralRand};
    drawFrame();
    expectTiles({
        // clang-format off
        {1,  50,  60,  kBright},  // in hand, raised
        {2,  150, 50,  kFaint }, {3, 250, 50, kFaint}, {4, 350, 50, kFaint},
        {5,  450, 50,  kFaint }, {6, 550, 50, kFaint}, {7, 650, 50, kFaint},
        {8,  50,  180, kFaint }, {9, 50, 280, kFaint},
        {10, 150, 180, kFaint }, {11, 150, 280, kFaint}, {12, 150, 380, kFaint}, {13, 150, 480, kFaint},
        {14, 350, 180, kBright},  // the cursor column
        {1,  350, 280, kBright},  // preview of the tile in hand, dropTimer 0
        {15, 550, 180, kFaint }, {16, 550, 280, kFaint}, {17, 550, 380, kFaint},
        // clang-format on
    });

    const std::vector<RecordedPrimitive> outline = outlines();
    ASSERT_EQ(outline.size(), 1u);
    expectCentredQuad(outline[0], 350, 280, 80, 100);
    EXPECT_EQ(outline[0].vertices[0].colour, (std::array<float, 4>{0.0f, 0.0f, 0.0f, 0.05f}));

    const std::vector<RecordedPrimitive> lines = plainPrimitives(GL_LINES);
    ASSERT_FALSE(lines.empty());
    expectThinLine(lines[0], {0.0, 120.0, 640.0, 120.0}, {0.0f, 0.0f, 0.0f, 0.02f});
}

TEST(SceneLayout, ShakeTakesYThenXAndEachShakenQuadTheNextJitterEntry) {
    resetDrawing();
    setMixedBoard();
    // Every shake draws 60 (y: +1.0) then 45 (x: -0.5).
    glRecorder.randScript = {60, 45};
    for (int k = 0; k < kJitterEntries; ++k) {
        gameState.jitter[k] = JitterOffset{1.5f * k, -0.5f * k};
    }
    drawFrame();
    const std::vector<std::pair<double, double>> places = {
        {50, 60},   {150, 50},  {250, 50},  {350, 50},  {450, 50},  {550, 50},
        {650, 50},  {50, 180},  {50, 280},  {150, 180}, {150, 280}, {150, 380},
        {150, 480}, {350, 180}, {350, 280}, {550, 180}, {550, 280}, {550, 380}};
    const std::vector<RecordedPrimitive> quads = texturedQuads();
    ASSERT_EQ(quads.size(), places.size());
    for (std::size_t k = 0; k < quads.size(); ++k) {
        SCOPED_TRACE("shaken quad " + std::to_string(k));
        expectCentredQuad(quads[k], places[k].first - 0.5 + 1.5 * k,
                          places[k].second + 1.0 - 0.5 * k, 100, 100);
    }
    // The outline trembles too but takes no entry: the tile after the
    // preview (entry 14) takes entry 15.
    const std::vector<RecordedPrimitive> outline = outlines();
    ASSERT_EQ(outline.size(), 1u);
    expectCentredQuad(outline[0], 350 - 0.5, 280 + 1.0, 80, 100);
    EXPECT_EQ(gameState.jitterCursor, 18);
}

TEST(SceneLayout, EmptySlotsFullColumnsAndTheGlidingRow) {
    // An empty slot in the row takes no room.
    resetDrawing();
    glRecorder.randScript = {kNeutralRand};
    setBoard({1, 0, 3}, {});
    drawFrame();
    expectTiles({{1, 50, 60, kBright}, {3, 150, 50, kFaint}, {1, 50, 180, kBright}});

    // An empty hand raises nothing and shows no preview or outline.
    resetDrawing();
    glRecorder.randScript = {kNeutralRand};
    setBoard({0, 2}, {{5}});
    drawFrame();
    expectTiles({{2, 50, 50, kFaint}, {5, 50, 180, kBright}});
    EXPECT_TRUE(outlines().empty());

    // At game over on a full board the cursor rests on a full column: the
    // preview and outline sit on the top edge.
    resetDrawing();
    glRecorder.randScript = {kNeutralRand};
    setBoard({9}, {{1, 2, 3, 4}});
    gameState.gameOver = true;
    drawFrame();
    const std::vector<RecordedPrimitive> quads = texturedQuads();
    ASSERT_EQ(quads.size(), 7u);  // hand, four column tiles, preview, reward
    expectCentredQuad(quads[5], 50, 580, 100, 100);
    ASSERT_EQ(outlines().size(), 1u);
    expectCentredQuad(outlines()[0], 50, 580, 80, 100);

    // The row glides left with the drop timer: at 95 the hand is half out.
    resetDrawing();
    glRecorder.randScript = {kNeutralRand};
    setBoard({1, 2}, {});
    gameState.dropTimer = 95;
    drawFrame();
    expectCentredQuad(texturedQuads()[0], -45, 60, 100, 100);
    expectCentredQuad(texturedQuads()[1], 55, 50, 100, 100);
}

TEST(SceneColours, PreviewBrightensWithTheDropTimerInSinglePrecision) {
    const std::pair<int, float> cases[] = {{0, 0.1f}, {50, 0.148f}, {95, 0.181f}};
    for (const auto& [timer, approximately] : cases) {
        SCOPED_TRACE("dropTimer " + std::to_string(timer));
        resetDrawing();
        glRecorder.randScript = {kNeutralRand};
        setBoard({5}, {});
        gameState.dropTimer = timer;
        drawFrame();
        const std::vector<RecordedPrimitive> quads = texturedQuads();
        ASSERT_EQ(quads.size(), 2u);  // the hand, then its preview
        const float expected =
            0.1f + 0.1f * std::sin(0.01f * static_cast<float>(timer));  // float throughout
        EXPECT_EQ(quads[1].vertices[0].colour[3], expected);
        EXPECT_NEAR(quads[1].vertices[0].colour[3], approximately, 5e-4);
    }
}

TEST(SceneColours, RewardPictureFollowsTheScoreBandUnshakenAndOpaque) {
    const std::pair<int, int> cases[] = {{0, 42},   {99, 42},  {100, 43},
                                         {299, 44}, {300, 45}, {12345, 45}};
    for (const auto& [score, entry] : cases) {
        SCOPED_TRACE("score " + std::to_string(score));
        resetDrawing();
        glRecorder.randScript = {80};  // every shake +3, so an unshaken quad stands out
        setBoard({}, {});
        gameState.score = score;
        gameState.gameOver = true;
        drawFrame();
        const std::vector<RecordedPrimitive> quads = texturedQuads();
        ASSERT_EQ(quads.size(), 1u);
        EXPECT_EQ(quads[0].texture, kFakeTextureBase + static_cast<GLuint>(entry));
        expectCentredQuad(quads[0], 320, 290, 400, 400);
        EXPECT_EQ(quads[0].vertices[0].colour, (std::array<float, 4>{1.0f, 1.0f, 1.0f, 1.0f}));
        EXPECT_EQ(gameState.jitterCursor, 0);
        // Over the score line, under the two triangles.
        EXPECT_EQ(glRecorder.primitives.back().mode, static_cast<GLenum>(GL_TRIANGLES));
        EXPECT_EQ(glRecorder.primitives[glRecorder.primitives.size() - 3].texture,
                  quads[0].texture);
    }

    resetDrawing();
    setBoard({}, {});
    gameState.score = 150;
    drawFrame();
    EXPECT_TRUE(texturedQuads().empty());
}

TEST(SceneText, ScoreLineIsFormattedAndDrawnAtTheTopRight) {
    resetDrawing();
    dealNewGame(1);
    drawFrame();
    EXPECT_STREQ(textBuffer, "score: 0      best: 0");

    resetDrawing();
    setBoard({}, {});
    gameState.score = 12;
    gameState.bestScore = 340;
    drawFrame();
    EXPECT_STREQ(textBuffer, "score: 12      best: 340");
    // The first text line is the foot of the 's', (0, 0.1)-(0.5, 0.1) at scale 16.
    const std::vector<RecordedPrimitive> lines = plainPrimitives(GL_LINES);
    ASSERT_GT(lines.size(), 1u);
    expectThinLine(lines[1], {400.0, 549.6, 408.0, 549.6}, {0.0f, 0.0f, 0.0f, 0.7f});
}

TEST(SceneNoise, RandomTrianglesTakeBlueGreenRedThenYBeforeX) {
    resetDrawing();
    setBoard({}, {});  // nothing shaken: the frame's calls are the triangles' 18
    gameState.spark = Spark{300.0f, 200.0f, 0.0f, 0.0f};
    // clang-format off
    glRecorder.randScript = {
        10, 20, 30,                      // screen triangle: blue, green, red
        100, 100,  100, 500,  400, 300,  // corners, y then x: counter-clockwise
        11, 21, 31,                      // spark triangle
        0, 0,  40, 0,  0, 40,            // corners (0,0) (0,40) (40,0): clockwise
    };
    // clang-format on
    drawFrame();
    EXPECT_EQ(glRecorder.randCalls, 18);
    const std::vector<RecordedPrimitive> triangles = plainPrimitives(GL_TRIANGLES);
    ASSERT_EQ(triangles.size(), 2u);

    const RecordedPrimitive& screen = triangles[0];
    expectColourNear(screen.vertices[0].colour, {0.3f, 0.2f, 0.1f, 0.05f});
    expectAt(screen.vertices[0], 100.0, 100.0);
    expectAt(screen.vertices[1], 500.0, 100.0);
    expectAt(screen.vertices[2], 300.0, 400.0);
    EXPECT_FALSE(screen.culled);

    const RecordedPrimitive& spark = triangles[1];
    expectColourNear(spark.vertices[0].colour, {0.31f, 0.21f, 0.11f, 0.2f});
    expectAt(spark.vertices[1], 300.0, 240.0);
    expectAt(spark.vertices[2], 340.0, 200.0);
    EXPECT_TRUE(spark.culled);  // clockwise: face culling drops it, as intended

    // Corners stay inside the window and the spark's 50-pixel square.
    resetDrawing();
    setBoard({}, {});
    glRecorder.randScript = {32767, 32766, 32765, 579, 639, 1159, 1279, 0, 0};
    drawFrame();
    const std::vector<RecordedPrimitive> corners = plainPrimitives(GL_TRIANGLES);
    for (const RecordedVertex& v : corners.at(0).vertices) {
        EXPECT_GE(v.x, 0.0);
        EXPECT_LE(v.x, 639.0);
        EXPECT_GE(v.y, 0.0);
        EXPECT_LE(v.y, 579.0);
    }
}

TEST(SceneNoise, EachFrameSpendsEighteenCallsPlusTwoPerShake) {
    struct Case {
        const char* name;
        void (*set)();
        int shakenQuads;
        int outlines;
    };
    const Case cases[] = {
        {"fresh deal", [] { dealNewGame(7); }, 8, 1},
        {"empty hand",
         [] {
             setBoard({}, {{1, 2}, {3}, {}, {4, 5}});
         },
         5, 0},
        {"full board at game over",
         [] {
             setBoard({40, 41, 42}, {{1, 2, 3, 4},
                                     {5, 6, 7, 8},
                                     {9, 10, 11, 12},
                                     {13, 14, 15, 16},
                                     {17, 18, 19, 20},
                                     {21, 22, 23, 24}});
             gameState.gameOver = true;
         },
         28, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetDrawing();
        c.set();
        for (int frame = 0; frame < 2; ++frame) {
            glRecorder.randCalls = 0;
            drawFrame();
            EXPECT_EQ(glRecorder.randCalls, 18 + 2 * c.shakenQuads + 2 * c.outlines);
            EXPECT_EQ(gameState.jitterCursor, c.shakenQuads);
            EXPECT_EQ(outlines().size(), static_cast<std::size_t>(c.outlines * (frame + 1)));
        }
    }
}

TEST(SceneState, WashCoversTheWindowAndEveryFrameLeavesTheStateItFound) {
    resetDrawing();
    dealNewGame(3);
    // Whatever was left before, the wash starts from the identity and width 1.
    glTranslatef(33.0f, 44.0f, 0.0f);
    glLineWidth(5.0f);
    glDisable(GL_BLEND);
    for (int frame = 0; frame < 3; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        glRecorder.primitives.clear();
        washScreen();
        ASSERT_EQ(glRecorder.primitives.size(), 1u);
        const RecordedPrimitive& wash = glRecorder.primitives[0];
        ASSERT_EQ(wash.vertices.size(), 4u);
        const double corners[4][2] = {{0, 0}, {640, 0}, {640, 580}, {0, 580}};
        for (int i = 0; i < 4; ++i) {
            expectAt(wash.vertices[i], corners[i][0], corners[i][1]);
        }
        EXPECT_EQ(wash.vertices[0].colour, (std::array<float, 4>{1.0f, 1.0f, 1.0f, 0.01f}));
        EXPECT_TRUE(wash.blended);
        EXPECT_FALSE(wash.culled);
        EXPECT_EQ(glRecorder.lineWidth, 1.0f);
        EXPECT_EQ(glRecorder.blendSource, static_cast<GLenum>(GL_SRC_ALPHA));
        EXPECT_EQ(glRecorder.blendDestination, static_cast<GLenum>(GL_ONE_MINUS_SRC_ALPHA));

        drawScene();
        EXPECT_TRUE(modelviewIsIdentity());
        EXPECT_EQ(glRecorder.polygonModeFront, static_cast<GLenum>(GL_FILL));
        EXPECT_EQ(glRecorder.polygonModeBack, static_cast<GLenum>(GL_FILL));
        EXPECT_EQ(glRecorder.enabled.count(GL_TEXTURE_2D), 0u);
        EXPECT_EQ(glRecorder.lineWidth, 1.0f);
        EXPECT_EQ(glRecorder.pendingError, static_cast<GLenum>(GL_NO_ERROR));
        for (const RecordedPrimitive& p : glRecorder.primitives) {
            if (p.mode == GL_QUADS) {
                EXPECT_GT(p.signedArea, 0.0);  // every quad faces front
            }
        }
        stepGame();
    }
}

TEST(SceneLookups, OutOfRangeEntriesStopTheFrameInsteadOfReadingPastTheEnd) {
    resetDrawing();
    setBoard({1, 2, 3}, {});
    gameState.jitter.resize(2);  // three shaken quads, two offsets
    EXPECT_THROW(drawScene(), std::out_of_range);

    resetDrawing();
    setBoard({}, {{47}});  // past the end of the texture set
    EXPECT_THROW(drawScene(), std::out_of_range);

    resetDrawing();
    setBoard({}, {});
    gameState.columns[0].count = 1;  // a counted slot holding no tile
    EXPECT_THROW(drawScene(), std::out_of_range);

    // A count past the column's height draws the four slots there are.
    resetDrawing();
    setBoard({}, {{1, 2, 3, 4}});
    gameState.columns[0].count = kColumnHeight + 1;
    drawScene();
    EXPECT_EQ(texturedQuads().size(), 4u);
}

}  // namespace
