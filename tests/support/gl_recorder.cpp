// The recording GL, SOIL and rand() stand-ins; see gl_recorder.h.
#include "gl_recorder.h"

#include <SOIL.h>
#ifndef GL_FRAMEBUFFER_BINDING
#include <GL/glext.h>  // Mesa's gl.h includes it; MinGW's does not
#endif

#include <utility>

GlRecorder glRecorder;

namespace {

GlRecorder& r = glRecorder;

template <typename... Number>
void logged(const char* name, Number... args) {
    r.calls.push_back(RecordedCall{name, {static_cast<double>(args)...}});
}

// Into the list being compiled, if there is one; else logged and done now.
template <typename... Number>
void record(const char* name, const std::function<void()>& effect, Number... args) {
    if (r.compilingList == 0) {
        logged(name, args...);
        effect();
    } else {
        r.lists[r.compilingList].emplace_back(RecordedCall{name, {double(args)...}}, effect);
    }
}

// Splits the finished batch into one primitive per line, triangle or quad.
void finishBatch() {
    const std::size_t size = r.building.mode == GL_QUADS       ? 4
                             : r.building.mode == GL_TRIANGLES ? 3
                                                               : 2;
    const std::vector<RecordedVertex>& all = r.building.vertices;
    for (std::size_t first = 0; first + size <= all.size(); first += size) {
        RecordedPrimitive one = r.building;
        one.vertices.assign(all.begin() + first, all.begin() + first + size);
        double twiceArea = 0.0;  // > 0 counter-clockwise
        for (std::size_t i = 0; i < size; ++i) {
            const RecordedVertex &a = one.vertices[i], &b = one.vertices[(i + 1) % size];
            twiceArea += a.x * b.y - b.x * a.y;
        }
        one.culled = size > 2 && r.enabled.count(GL_CULL_FACE) != 0 && twiceArea <= 0.0;
        r.primitives.push_back(one);
    }
}

}  // namespace

// The entry points GL lets into a display list: name, parameters, what the
// call does to the recorder's state, and the arguments logged.
// clang-format off
#define KESSARY_RECORDED(name, parameters, ...) void name parameters { record(#name, __VA_ARGS__); }
#define KESSARY_DOES(...) [=] { __VA_ARGS__; }
static RecordedMatrix& top() { return r.modelview.back(); }
KESSARY_RECORDED(glLoadIdentity, (), KESSARY_DOES(top() = RecordedMatrix{}))
KESSARY_RECORDED(glPushMatrix,   (), KESSARY_DOES(r.modelview.push_back(top())))
KESSARY_RECORDED(glPopMatrix,    (), KESSARY_DOES(r.modelview.size() > 1 ? r.modelview.pop_back()
                                                  : void(r.pendingError = GL_STACK_UNDERFLOW)))
KESSARY_RECORDED(glTranslatef,   (GLfloat x, GLfloat y, GLfloat z),
                 KESSARY_DOES(top().tx += top().sx * x; top().ty += top().sy * y), x, y, z)
KESSARY_RECORDED(glScalef,       (GLfloat x, GLfloat y, GLfloat z),
                 KESSARY_DOES(top().sx *= x; top().sy *= y), x, y, z)
KESSARY_RECORDED(glEnable,       (GLenum cap), KESSARY_DOES(r.enabled.insert(cap)), cap)
KESSARY_RECORDED(glDisable,      (GLenum cap), KESSARY_DOES(r.enabled.erase(cap)), cap)
KESSARY_RECORDED(glBlendFunc,    (GLenum source, GLenum destination), [] {}, source, destination)
KESSARY_RECORDED(glColor4f,      (GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha),
                 KESSARY_DOES(r.colour = {red, green, blue, alpha}), red, green, blue, alpha)
KESSARY_RECORDED(glLineWidth,    (GLfloat width), [] {}, width)
KESSARY_RECORDED(glPolygonMode,  (GLenum face, GLenum mode),
                 KESSARY_DOES(r.polygonMode = face == GL_BACK ? r.polygonMode : mode), face, mode)
KESSARY_RECORDED(glBegin,        (GLenum mode), KESSARY_DOES(r.building = {mode, {},
                     r.enabled.count(GL_TEXTURE_2D) != 0, r.boundTexture,
                     r.enabled.count(GL_BLEND) != 0, r.polygonMode, false}), mode)
KESSARY_RECORDED(glEnd,          (), finishBatch)
KESSARY_RECORDED(glTexCoord2f,   (GLfloat s, GLfloat t), KESSARY_DOES(r.s = s; r.t = t), s, t)
KESSARY_RECORDED(glVertex2f,     (GLfloat x, GLfloat y), KESSARY_DOES(r.building.vertices.push_back(
                     {top().sx * x + top().tx, top().sy * y + top().ty, r.s, r.t, r.colour})), x, y)
KESSARY_RECORDED(glCallList,     (GLuint list), KESSARY_DOES(
                     for (const auto& [call, effect] : std::vector(r.lists[list])) {
                         r.calls.push_back(call);  // played back, as logged
                         effect();
                     }), list)
KESSARY_RECORDED(glBindTexture,  (GLenum target, GLuint texture),
                 KESSARY_DOES(r.boundTexture = texture), target, texture)
KESSARY_RECORDED(glTexParameteri, (GLenum, GLenum, GLint), [] {})
KESSARY_RECORDED(glTexImage2D,   (GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum,
                                  const GLvoid*), [] {})
KESSARY_RECORDED(glCopyTexSubImage2D, (GLenum target, GLint level, GLint xOffset, GLint yOffset,
                                       GLint x, GLint y, GLsizei width, GLsizei height),
                 [] {}, target, level, xOffset, yOffset, x, y, width, height)

// The rest run at once, even while a list is being compiled.
GLenum glGetError() { return std::exchange(r.pendingError, GL_NO_ERROR); }
void glGetIntegerv(GLenum name, GLint* value) {
    logged("glGetIntegerv", name);
    if (name == GL_FRAMEBUFFER_BINDING && r.framebufferBinding >= 0) {
        *value = r.framebufferBinding;
    } else if (name == GL_MAX_TEXTURE_SIZE) {
        *value = r.maxTextureSize;
    } else {
        r.pendingError = GL_INVALID_ENUM;
    }
}
GLuint glGenLists(GLsizei range) {
    logged("glGenLists", range);
    return std::exchange(r.nextListName, r.nextListName + range);
}
void glNewList(GLuint list, GLenum mode) {
    logged("glNewList", list, mode);
    r.lists[list].clear();
    r.compilingList = list;
}
void glEndList() { logged("glEndList"); r.compilingList = 0; }
void glGenTextures(GLsizei n, GLuint* textures) {
    logged("glGenTextures", n);
    std::generate(textures, textures + n, [] { return r.nextTextureName++; });
}
void glDeleteTextures(GLsizei n, const GLuint* textures) {
    logged("glDeleteTextures", n);
    r.deletedTextures.insert(r.deletedTextures.end(), textures, textures + n);
}
// clang-format on

unsigned int SOIL_create_OGL_texture(const unsigned char* const data, int width, int height,
                                     int channels, unsigned int reuse_texture_ID,
                                     unsigned int flags) {
    logged("SOIL_create_OGL_texture", width, height, channels, reuse_texture_ID, flags);
    const auto bytes = static_cast<std::size_t>(width) * height * channels;
    r.soilPictures.push_back({width, height, channels, {data, data + bytes}});
    GLuint texture = 0;
    if (r.failedTextures.count(r.soilPictures.size() - 1) == 0) {
        glGenTextures(1, &texture);  // like SOIL: a new name, left bound
        glBindTexture(GL_TEXTURE_2D, texture);
    }
    return texture;
}

// The C standard's example generator: fixed, portable, 0..32767.
extern "C" int __wrap_rand() {
    logged("rand");
    r.randState = r.randState * 1103515245u + 12345u;
    return static_cast<int>((r.randState / 65536u) % 32768u);
}
