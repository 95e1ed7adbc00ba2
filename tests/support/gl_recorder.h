// A recording stand-in for the OpenGL 1.1 entry points the drawing calls, for
// SOIL's loading call and for rand(). Linked instead of the system's GL, it
// runs the real drawing without a window and keeps every call in order and
// every line, triangle and quad with its vertices in window pixels (the
// projection is the game's pixel one; the modelview only translates and
// scales) and the state it was drawn in. Display lists are recorded and
// played back, logged, as GL would. rand() is taken over with the linker's
// --wrap, answered by a fixed generator restarted with the recorder.
#pragma once

#include <GL/gl.h>

#include <array>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

struct RecordedCall {
    std::string name;
    std::vector<double> args;  // the numeric ones; pointers left out
};

struct RecordedVertex {
    double x, y;                  // window pixels, origin bottom left
    float s, t;                   // texture coordinate in force
    std::array<float, 4> colour;  // red, green, blue, alpha in force
};

// One line, triangle or quad (a glBegin batch is split into them).
struct RecordedPrimitive {
    GLenum mode;
    std::vector<RecordedVertex> vertices;
    bool textured;  // GL_TEXTURE_2D was on, with `texture` bound
    GLuint texture;
    bool blended;  // GL_BLEND was on
    GLenum polygonMode;
    double signedArea;  // of a polygon in window pixels; > 0 counter-clockwise
    bool culled;        // GL_CULL_FACE is on and it runs clockwise
};

struct RecordedMatrix {  // the modelview: window x = sx * x + tx, and likewise for y
    double sx = 1.0, sy = 1.0, tx = 0.0, ty = 0.0;
};

struct GlRecorder {
    // What the stand-in answers; tests set these after resetGlRecorder().
    GLint framebufferBinding = 0;           // GL_FRAMEBUFFER_BINDING; < 0: an unknown query
    GLint maxTextureSize = 8192;            // GL_MAX_TEXTURE_SIZE
    std::set<std::string> missingPictures;  // SOIL returns 0 for these paths
    // What was done, in order, and the state now.
    std::vector<RecordedCall> calls;  // list playback included
    std::vector<RecordedPrimitive> primitives;
    std::vector<std::string> soilPaths;
    std::vector<GLuint> deletedTextures;
    int randCalls = 0;
    std::vector<RecordedMatrix> modelview{RecordedMatrix{}};  // back() is current
    std::array<float, 4> colour{1.0f, 1.0f, 1.0f, 1.0f};
    float s = 0.0f, t = 0.0f;
    std::set<GLenum> enabled;
    GLuint boundTexture = 0;
    GLenum polygonMode = GL_FILL;
    GLenum pendingError = GL_NO_ERROR;
    RecordedPrimitive building{};
    std::map<GLuint, std::vector<std::pair<RecordedCall, std::function<void()>>>> lists;
    GLuint compilingList = 0;  // 0: not inside glNewList
    GLuint nextListName = 1, nextTextureName = 1;
    unsigned randState = 1;
};

extern GlRecorder glRecorder;

// A fresh context: empty logs, identity modelview, nothing enabled, no lists.
void resetGlRecorder();

// The logged calls with this name, in order.
std::vector<RecordedCall> recordedCalls(const std::string& name);
