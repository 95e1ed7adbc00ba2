// Keeping the picture from one frame to the next where the platform does not.
//
// The scene never clears: each frame washes and draws over the previous one.
// That needs a back buffer that still holds the last frame after a swap.
// Drawing into a framebuffer object of the windowing library's own gives that
// by construction; drawing straight to the window does not on page-flipping
// drivers, where the back buffer is undefined after a swap and the picture
// would flicker between two histories. There we keep the finished frame in a
// texture of our own and draw it back, opaque, before the next frame starts.
// Only OpenGL 1.1 calls are used, plus the one enum of the framebuffer query.
#include "frame_keeper.h"

#include <GL/gl.h>

#include "game/game_state.h"

namespace {

// Which framebuffer drawing goes to; 0 is the window's own.
constexpr GLenum kFramebufferBinding = 0x8CA6;
constexpr GLint kNoAnswer = -1;         // never a framebuffer name
constexpr int kMostPendingErrors = 16;  // a GL keeps one flag per error kind

// clang-format off
constexpr GLsizei kKeptSize      = 1024;  // smallest power of two that holds the window
constexpr GLfloat kKeptRight     = static_cast<GLfloat>(kWindowWidth) / kKeptSize;   // s of the window's right edge
constexpr GLfloat kKeptTop       = static_cast<GLfloat>(kWindowHeight) / kKeptSize;  // t of its top edge
// clang-format on

GLuint keptFrame = 0;  // the texture holding the last frame; 0 while not keeping

void clearPendingErrors() {
    for (int i = 0; i < kMostPendingErrors && glGetError() != GL_NO_ERROR; ++i) {
    }
}

bool textureCanHoldWindow() {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    return largest >= kKeptSize;
}

}  // namespace

// The binding query answers 0 for the window, or the GL does not know the
// query at all (no framebuffer objects).
bool drawingGoesToWindow() {
    clearPendingErrors();
    GLint binding = kNoAnswer;
    glGetIntegerv(kFramebufferBinding, &binding);
    const bool unsupported = glGetError() != GL_NO_ERROR || binding == kNoAnswer;
    return unsupported || binding == 0;
}

void setUpFrameKeeping() {
    if (keptFrame != 0 || !drawingGoesToWindow() || !textureCanHoldWindow()) {
        return;
    }
    glGenTextures(1, &keptFrame);
    glBindTexture(GL_TEXTURE_2D, keptFrame);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kKeptSize, kKeptSize, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    // A new texture holds nothing defined: start it from the picture already
    // on the window (the start-up white), which the first frame draws back.
    keepFrame();
}

void restoreKeptFrame() {
    if (keptFrame == 0) {
        return;
    }
    // Texel (i, j) lands exactly on pixel (i, j): the quad covers the window
    // and its texture coordinates cover the same pixels of the texture.
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, keptFrame);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glPushMatrix();
    glLoadIdentity();
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(kKeptRight, 0.0f);
    glVertex2f(kWindowWidth, 0.0f);
    glTexCoord2f(kKeptRight, kKeptTop);
    glVertex2f(kWindowWidth, kWindowHeight);
    glTexCoord2f(0.0f, kKeptTop);
    glVertex2f(0.0f, kWindowHeight);
    glEnd();
    glPopMatrix();
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
}

void keepFrame() {
    if (keptFrame == 0) {
        return;
    }
    glBindTexture(GL_TEXTURE_2D, keptFrame);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, kWindowWidth, kWindowHeight);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void releaseFrameKeeping() {
    if (keptFrame == 0) {
        return;
    }
    glDeleteTextures(1, &keptFrame);
    keptFrame = 0;
}
