// A recording stand-in for the GL 1.1 entry points the drawing calls, SOIL's texture creation
// and rand() (taken over with the linker's --wrap): it logs every call in order, plays display
// lists back as GL would, and keeps every line, triangle and quad in window pixels (the
// modelview only translates and scales) with the state it was drawn in.
#pragma once

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <functional>
#include <iterator>
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
    bool culled;  // GL_CULL_FACE is on and it runs clockwise in window pixels
};

// The pixels SOIL was given to make one texture of, copied as it would read them.
struct RecordedPicture {
    int width, height, channels;
    std::vector<unsigned char> pixels;  // width * height * channels bytes
    bool operator==(const RecordedPicture& other) const {
        return width == other.width && height == other.height && channels == other.channels &&
               pixels == other.pixels;
    }
};

struct RecordedMatrix {  // the modelview: window x = sx * x + tx, and likewise for y
    double sx = 1.0, sy = 1.0, tx = 0.0, ty = 0.0;
};

struct GlRecorder {
    // What the stand-in answers; tests set these after `glRecorder = {}`.
    GLint framebufferBinding = 0;          // GL_FRAMEBUFFER_BINDING; < 0: an unknown query
    GLint maxTextureSize = 8192;           // GL_MAX_TEXTURE_SIZE
    std::set<std::size_t> failedTextures;  // SOIL returns 0 for these creations, from 0 on
    // What was done, in order, and the state now.
    std::vector<RecordedCall> calls;  // list playback included
    std::vector<RecordedPrimitive> primitives;
    std::vector<RecordedPicture> soilPictures;  // every creation, failed ones too
    std::vector<GLuint> deletedTextures;
    std::vector<RecordedMatrix> modelview{RecordedMatrix{}};  // back() is current
    std::array<float, 4> colour{1.0f, 1.0f, 1.0f, 1.0f};
    float s = 0.0f, t = 0.0f;
    std::set<GLenum> enabled;
    GLuint boundTexture = 0, compilingList = 0;  // 0: none bound, not inside glNewList
    GLenum polygonMode = GL_FILL, pendingError = GL_NO_ERROR;
    RecordedPrimitive building{};
    std::map<GLuint, std::vector<std::pair<RecordedCall, std::function<void()>>>> lists;
    GLuint nextListName = 1, nextTextureName = 1;
    unsigned randState = 1;
};

extern GlRecorder glRecorder;  // `glRecorder = {}` makes a fresh context

// The recorded items that pass `test`, in order; the logged calls with this name.
template <typename Item, typename Test>
std::vector<Item> recorded(const std::vector<Item>& all, Test test) {
    std::vector<Item> found;
    std::copy_if(all.begin(), all.end(), std::back_inserter(found), test);
    return found;
}
inline std::vector<RecordedCall> recordedCalls(const std::string& name) {
    return recorded(glRecorder.calls, [&](const RecordedCall& call) { return call.name == name; });
}
