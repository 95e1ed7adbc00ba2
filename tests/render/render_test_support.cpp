// The shared set-up of the drawing tests; see render_test_support.h.
#include "render_test_support.h"

#include "render/picture_check.h"

namespace rendertest {

PictureCheckRecord pictureCheck;

void resetDrawing() {
    releaseFrameKeeping();
    resetGlRecorder();
    pictureCheck = PictureCheckRecord{};
    gameState = GameState{};
    gameState.jitter.assign(kJitterEntries, JitterOffset{0.0f, 0.0f});
    textureSet.clear();
    for (int k = 0; k < kTextureCount; ++k) {
        textureSet.push_back(std::make_unique<TextureEntry>(
            TextureEntry{kFakeTextureBase + static_cast<GLuint>(k)}));
    }
    compileStrokeFont();
    glEnable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glRecorder.calls.clear();
    glRecorder.primitives.clear();
}

void setBoard(const std::vector<TileCode>& codes,
              const std::vector<std::vector<TileCode>>& columns) {
    for (int i = 0; i < kQueueLength; ++i) {
        gameState.queue[i] = i < static_cast<int>(codes.size()) ? codes[i] : 0;
    }
    for (int c = 0; c < kColumnCount; ++c) {
        Column& column = gameState.columns[c];
        column = Column{};
        if (c < static_cast<int>(columns.size())) {
            for (TileCode code : columns[c]) {
                column.tiles[column.count++] = code;
            }
        }
    }
}

void drawFrame() {
    washScreen();
    drawScene();
}

std::vector<RecordedPrimitive> texturedQuads() {
    std::vector<RecordedPrimitive> found;
    for (const RecordedPrimitive& p : glRecorder.primitives) {
        if (p.textured) {
            found.push_back(p);
        }
    }
    return found;
}

std::vector<RecordedPrimitive> plainPrimitives(GLenum mode) {
    std::vector<RecordedPrimitive> found;
    for (const RecordedPrimitive& p : glRecorder.primitives) {
        if (!p.textured && p.mode == mode) {
            found.push_back(p);
        }
    }
    return found;
}

void expectAt(const RecordedVertex& v, double x, double y) {
    EXPECT_NEAR(v.x, x, kPixelTolerance);
    EXPECT_NEAR(v.y, y, kPixelTolerance);
}

void expectCentredQuad(const RecordedPrimitive& quad, double x, double y, double width,
                       double height) {
    ASSERT_EQ(quad.mode, static_cast<GLenum>(GL_QUADS));
    ASSERT_EQ(quad.vertices.size(), 4u);
    // clang-format off
    struct Corner { double dx, dy; float s, t; };
    const Corner corners[4] = {
        {-0.5, -0.5, 0.0f, 1.0f},  // bottom left: the picture's last row
        {+0.5, -0.5, 1.0f, 1.0f},  // bottom right
        {+0.5, +0.5, 1.0f, 0.0f},  // top right: the picture's first row
        {-0.5, +0.5, 0.0f, 0.0f},  // top left
    };
    // clang-format on
    for (int i = 0; i < 4; ++i) {
        const RecordedVertex& v = quad.vertices[i];
        SCOPED_TRACE("corner " + std::to_string(i));
        expectAt(v, x + corners[i].dx * width, y + corners[i].dy * height);
        if (quad.textured) {
            EXPECT_EQ(v.s, corners[i].s);
            EXPECT_EQ(v.t, corners[i].t);
        }
    }
    EXPECT_GT(quad.signedArea, 0.0);
    EXPECT_FALSE(quad.culled);
}

}  // namespace rendertest

// The vetting stand-in: records the call and refuses what the test named.
bool pictureIsSafe(const char* path, int maxSize) {
    rendertest::pictureCheck.calls.emplace_back(path, maxSize);
    return rendertest::pictureCheck.refused.count(path) == 0;
}
