// A recording stand-in for the OpenGL 1.1 entry points the drawing calls, for
// SOIL's one loading call and for the C library's rand().
//
// Linking this library instead of the system's GL lets a test run the real
// drawing code without a window and then look at what it drew: every call in
// order (the log), and every primitive with its vertices already carried
// through the matrix stack into window pixels, with the colour, texture and
// state it was drawn with. Display lists are recorded on glNewList and played
// back on glCallList, as GL would. The state kept is only what the game uses.
//
// rand() is taken over with the linker's --wrap, which this library asks for:
// the numbers come from `randScript` when a test gives one, else from a fixed
// generator restarted by resetGlRecorder(), so frames are reproducible.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

using RecordedMatrix = std::array<double, 16>;  // column-major, as GL keeps it

// One entry point call, with its arguments as numbers (pointers left out).
struct RecordedCall {
    std::string name;
    std::vector<double> args;
};

struct RecordedVertex {
    double x;  // window pixels, origin bottom left
    double y;
    float s;  // texture coordinate in force
    float t;
    std::array<float, 4> colour;  // red, green, blue, alpha in force
};

struct RecordedPrimitive {
    GLenum mode;  // GL_QUADS, GL_LINES, GL_TRIANGLES ...
    std::vector<RecordedVertex> vertices;
    bool textured;             // GL_TEXTURE_2D was enabled
    GLuint texture;            // the 2D texture bound
    bool blended;              // GL_BLEND was enabled
    float lineWidth;           // line width in force
    GLenum polygonMode;        // front-face polygon mode in force
    bool culled;               // a polygon GL_CULL_FACE would throw away (clockwise on screen)
    double signedArea;         // of a polygon in window pixels; > 0 counter-clockwise
    RecordedMatrix modelview;  // the modelview matrix it was drawn with
};

// A display list item: the call as logged, and how to run it again.
struct ListItem {
    RecordedCall call;
    std::function<void()> run;
};

struct GlRecorder {
    // What the stand-in answers; tests set these after resetGlRecorder().
    GLint framebufferBinding = 0;           // GL_FRAMEBUFFER_BINDING
    bool framebufferQueryKnown = true;      // false: GL_INVALID_ENUM, value untouched
    GLint maxTextureSize = 8192;            // GL_MAX_TEXTURE_SIZE
    std::set<std::string> missingPictures;  // SOIL returns 0 for these paths
    std::vector<int> randScript;            // rand() results, cycled; empty: the generator

    // What was done, in order.
    std::vector<RecordedCall> calls;  // every call executed, list playback included
    std::vector<RecordedPrimitive> primitives;
    std::vector<std::string> soilPaths;                // the path of each SOIL load
    std::vector<std::vector<unsigned>> soilArguments;  // its other three arguments
    std::vector<GLuint> deletedTextures;
    int randCalls = 0;

    // State.
    GLenum matrixMode = GL_MODELVIEW;
    std::vector<RecordedMatrix> modelviewStack;  // back() is the current matrix
    std::vector<RecordedMatrix> projectionStack;
    std::array<float, 4> colour{1.0f, 1.0f, 1.0f, 1.0f};
    float texS = 0.0f;
    float texT = 0.0f;
    std::set<GLenum> enabled;
    GLuint boundTexture = 0;
    float lineWidth = 1.0f;
    GLenum polygonModeFront = GL_FILL;
    GLenum polygonModeBack = GL_FILL;
    GLenum blendSource = GL_ONE;
    GLenum blendDestination = GL_ZERO;
    GLenum pendingError = GL_NO_ERROR;
    bool inBeginEnd = false;
    RecordedPrimitive building{};
    std::map<GLuint, std::vector<ListItem>> lists;  // compiled display lists
    GLuint compilingList = 0;                       // 0: not inside glNewList
    GLuint nextListName = 1;
    GLuint nextTextureName = 1;
    std::set<GLuint> liveTextures;  // generated and not yet deleted
    std::uint32_t randState = 1;
};

extern GlRecorder glRecorder;

// Back to a fresh context: empty logs, identity modelview, the game's pixel
// projection (640 x 580, origin bottom left), nothing enabled, no lists.
void resetGlRecorder();

// The calls of the log with this name, in order.
std::vector<RecordedCall> recordedCalls(const std::string& name);

// True when the current modelview matrix is exactly the identity.
bool modelviewIsIdentity();
