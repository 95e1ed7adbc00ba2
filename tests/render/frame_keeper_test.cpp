// Frame keeping: where drawing goes straight to the window (the binding query
// answers 0 or is unknown) the finished frame is copied into a texture and
// drawn back first thing next frame; where a framebuffer object of the
// windowing library is bound nothing extra happens at all.
#include "render_test_support.h"

using namespace rendertest;

namespace {

constexpr double kKeptSize = 1024.0;

// Sets up frame keeping against a GL answering the binding query with
// `binding`, or not knowing it when `known` is false.
void setUpWith(GLint binding, bool known) {
    resetDrawing();
    glRecorder.framebufferBinding = binding;
    glRecorder.framebufferQueryKnown = known;
    setUpFrameKeeping();
}

bool keeping() {
    return !recordedCalls("glTexImage2D").empty();
}

TEST(FrameKeeping, DecidedByTheFramebufferBinding) {
    struct Case {
        const char* name;
        GLint binding;
        bool known;
        bool keeps;
    };
    const Case cases[] = {
        {"window framebuffer", 0, true, true},
        {"query unknown to the GL", 7, false, true},
        {"library's framebuffer object", 1, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setUpWith(c.binding, c.known);
        EXPECT_EQ(keeping(), c.keeps);
        // The failed query's error does not linger for others to find.
        EXPECT_EQ(glRecorder.pendingError, static_cast<GLenum>(GL_NO_ERROR));
    }

    // A GL whose textures cannot hold the window does not try.
    resetDrawing();
    glRecorder.maxTextureSize = 512;
    setUpFrameKeeping();
    EXPECT_FALSE(keeping());
}

TEST(FrameKeeping, MakesOnePowerOfTwoRgbTextureWithoutFiltering) {
    setUpWith(0, true);
    const std::vector<RecordedCall> images = recordedCalls("glTexImage2D");
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].args, (std::vector<double>{GL_TEXTURE_2D, 0, GL_RGB, kKeptSize, kKeptSize,
                                                   0, GL_RGB, GL_UNSIGNED_BYTE}));
    const std::vector<RecordedCall> parameters = recordedCalls("glTexParameteri");
    ASSERT_EQ(parameters.size(), 2u);
    EXPECT_EQ(parameters[0].args,
              (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST}));
    EXPECT_EQ(parameters[1].args,
              (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST}));
    EXPECT_EQ(glRecorder.liveTextures.size(), 1u);
    // It starts as a copy of the window, not as undefined texels.
    ASSERT_EQ(recordedCalls("glCopyTexSubImage2D").size(), 1u);

    // Set up twice, it still keeps one texture; the release deletes it.
    setUpFrameKeeping();
    EXPECT_EQ(glRecorder.liveTextures.size(), 1u);
    releaseFrameKeeping();
    EXPECT_TRUE(glRecorder.liveTextures.empty());
    releaseFrameKeeping();
    EXPECT_EQ(glRecorder.deletedTextures.size(), 1u);
}

TEST(FrameKeeping, FrameIsCopiedLastAndDrawnBackFirstOpaque) {
    setUpWith(0, true);
    const GLuint kept = *glRecorder.liveTextures.begin();
    dealNewGame(11);
    glRecorder.calls.clear();
    glRecorder.primitives.clear();
    drawFrame();

    // The copy is the frame's last call: the whole window into texel (0, 0).
    ASSERT_FALSE(glRecorder.calls.empty());
    const std::vector<RecordedCall> copies = recordedCalls("glCopyTexSubImage2D");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].args, (std::vector<double>{GL_TEXTURE_2D, 0, 0, 0, 0, 0, 640, 580}));
    std::size_t copyAt = 0;
    while (glRecorder.calls[copyAt].name != "glCopyTexSubImage2D") {
        ++copyAt;
    }
    for (std::size_t i = copyAt + 1; i < glRecorder.calls.size(); ++i) {
        EXPECT_EQ(glRecorder.calls[i].name, "glBindTexture");  // only tidying up after it
    }

    // The restore is the frame's first drawing: opaque, pixel for pixel.
    ASSERT_GE(glRecorder.primitives.size(), 2u);
    const RecordedPrimitive& restore = glRecorder.primitives[0];
    EXPECT_TRUE(restore.textured);
    EXPECT_FALSE(restore.blended);
    EXPECT_EQ(restore.texture, kept);
    EXPECT_FALSE(restore.culled);
    const double s = 640.0 / kKeptSize;
    const double t = 580.0 / kKeptSize;
    const double corners[4][4] = {{0, 0, 0, 0}, {640, 0, s, 0}, {640, 580, s, t}, {0, 580, 0, t}};
    ASSERT_EQ(restore.vertices.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        expectAt(restore.vertices[i], corners[i][0], corners[i][1]);
        EXPECT_EQ(restore.vertices[i].s, static_cast<float>(corners[i][2]));
        EXPECT_EQ(restore.vertices[i].t, static_cast<float>(corners[i][3]));
        EXPECT_EQ(restore.vertices[i].colour, (std::array<float, 4>{1.0f, 1.0f, 1.0f, 1.0f}));
    }
    // Then the wash, blended and untextured, as if nothing had come before.
    const RecordedPrimitive& wash = glRecorder.primitives[1];
    EXPECT_FALSE(wash.textured);
    EXPECT_TRUE(wash.blended);
    EXPECT_EQ(wash.vertices[0].colour[3], 0.01f);
    EXPECT_TRUE(modelviewIsIdentity());
    EXPECT_EQ(glRecorder.enabled.count(GL_TEXTURE_2D), 0u);
}

TEST(FrameKeeping, WithoutKeepingAFrameIsJustTheWashAndTheScene) {
    for (const bool setUp : {false, true}) {
        SCOPED_TRACE(setUp ? "framebuffer object bound" : "never set up");
        resetDrawing();
        glRecorder.framebufferBinding = 3;
        if (setUp) {
            setUpFrameKeeping();
        }
        dealNewGame(11);
        glRecorder.calls.clear();
        drawFrame();
        EXPECT_TRUE(recordedCalls("glCopyTexSubImage2D").empty());
        EXPECT_FALSE(glRecorder.primitives[0].textured);
        EXPECT_EQ(glRecorder.primitives[0].vertices[0].colour[3], 0.01f);
        releaseFrameKeeping();
        EXPECT_TRUE(recordedCalls("glDeleteTextures").empty());
    }
}

}  // namespace
