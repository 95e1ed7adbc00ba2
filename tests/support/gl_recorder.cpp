// The recording GL, SOIL and rand() stand-ins; see gl_recorder.h.
//
// Each entry point that GL lets into a display list first offers itself to
// the list being compiled; otherwise it is logged and carried out on the
// recorder's state. Queries, list and texture management run at once.
#include "gl_recorder.h"

#include <SOIL.h>

#include <cmath>
#include <cstdlib>

namespace {

constexpr double kWindowWidth = 640.0;  // the game's window and pixel projection
constexpr double kWindowHeight = 580.0;
constexpr double kNear = -5.0;
constexpr double kFar = 5.0;

RecordedMatrix identity() {
    RecordedMatrix m{};
    m[0] = m[5] = m[10] = m[15] = 1.0;
    return m;
}

RecordedMatrix multiply(const RecordedMatrix& a, const RecordedMatrix& b) {
    RecordedMatrix r{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + row] * b[column * 4 + k];
            }
            r[column * 4 + row] = sum;
        }
    }
    return r;
}

RecordedMatrix orthographic(double left, double right, double bottom, double top, double nearZ,
                            double farZ) {
    RecordedMatrix m = identity();
    m[0] = 2.0 / (right - left);
    m[5] = 2.0 / (top - bottom);
    m[10] = -2.0 / (farZ - nearZ);
    m[12] = -(right + left) / (right - left);
    m[13] = -(top + bottom) / (top - bottom);
    m[14] = -(farZ + nearZ) / (farZ - nearZ);
    return m;
}

std::vector<RecordedMatrix>& currentStack() {
    return glRecorder.matrixMode == GL_PROJECTION ? glRecorder.projectionStack
                                                  : glRecorder.modelviewStack;
}

void multiplyCurrent(const RecordedMatrix& m) {
    RecordedMatrix& top = currentStack().back();
    top = multiply(top, m);
}

void flagError(GLenum error) {
    if (glRecorder.pendingError == GL_NO_ERROR) {
        glRecorder.pendingError = error;
    }
}

// Into the list being compiled, if there is one; else logged. True when the
// caller is not to carry the call out now.
bool compiled(const char* name, std::vector<double> args, std::function<void()> run) {
    GlRecorder& r = glRecorder;
    if (r.compilingList != 0) {
        r.lists[r.compilingList].push_back(ListItem{RecordedCall{name, std::move(args)}, run});
        return true;
    }
    r.calls.push_back(RecordedCall{name, std::move(args)});
    return false;
}

void logged(const char* name, std::vector<double> args) {
    glRecorder.calls.push_back(RecordedCall{name, std::move(args)});
}

double signedArea(const std::vector<RecordedVertex>& v, std::size_t first, std::size_t count) {
    double area = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const RecordedVertex& a = v[first + i];
        const RecordedVertex& b = v[first + (i + 1) % count];
        area += a.x * b.y - b.x * a.y;
    }
    return area / 2.0;
}

// Splits a finished batch into one recorded primitive per quad, triangle or
// line, so each can be checked and culled on its own.
void finishBatch(const RecordedPrimitive& batch) {
    std::size_t size = 0;
    switch (batch.mode) {
        case GL_QUADS:
            size = 4;
            break;
        case GL_TRIANGLES:
            size = 3;
            break;
        case GL_LINES:
            size = 2;
            break;
        default:
            glRecorder.primitives.push_back(batch);
            return;
    }
    for (std::size_t first = 0; first + size <= batch.vertices.size(); first += size) {
        RecordedPrimitive one = batch;
        one.vertices.assign(batch.vertices.begin() + first, batch.vertices.begin() + first + size);
        if (size > 2) {
            one.signedArea = signedArea(one.vertices, 0, size);
            one.culled = glRecorder.enabled.count(GL_CULL_FACE) != 0 && one.signedArea <= 0.0;
        }
        glRecorder.primitives.push_back(one);
    }
}

GlRecorder freshRecorder() {
    GlRecorder r;
    r.modelviewStack.assign(1, identity());
    r.projectionStack.assign(1, orthographic(0.0, kWindowWidth, 0.0, kWindowHeight, kNear, kFar));
    return r;
}

}  // namespace

GlRecorder glRecorder = freshRecorder();

void resetGlRecorder() {
    glRecorder = freshRecorder();
}

std::vector<RecordedCall> recordedCalls(const std::string& name) {
    std::vector<RecordedCall> found;
    for (const RecordedCall& call : glRecorder.calls) {
        if (call.name == name) {
            found.push_back(call);
        }
    }
    return found;
}

bool modelviewIsIdentity() {
    return glRecorder.modelviewStack.size() == 1 && glRecorder.modelviewStack.back() == identity();
}

// ---- matrices ----------------------------------------------------------------

void glMatrixMode(GLenum mode) {
    if (!compiled("glMatrixMode", {double(mode)}, [=] { glMatrixMode(mode); })) {
        glRecorder.matrixMode = mode;
    }
}

void glLoadIdentity() {
    if (!compiled("glLoadIdentity", {}, [] { glLoadIdentity(); })) {
        currentStack().back() = identity();
    }
}

void glPushMatrix() {
    if (!compiled("glPushMatrix", {}, [] { glPushMatrix(); })) {
        currentStack().push_back(currentStack().back());
    }
}

void glPopMatrix() {
    if (compiled("glPopMatrix", {}, [] { glPopMatrix(); })) {
        return;
    }
    if (currentStack().size() <= 1) {
        flagError(GL_STACK_UNDERFLOW);
        return;
    }
    currentStack().pop_back();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    if (!compiled("glTranslatef", {x, y, z}, [=] { glTranslatef(x, y, z); })) {
        RecordedMatrix m = identity();
        m[12] = x;
        m[13] = y;
        m[14] = z;
        multiplyCurrent(m);
    }
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    if (!compiled("glScalef", {x, y, z}, [=] { glScalef(x, y, z); })) {
        RecordedMatrix m = identity();
        m[0] = x;
        m[5] = y;
        m[10] = z;
        multiplyCurrent(m);
    }
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble nearZ,
             GLdouble farZ) {
    if (!compiled("glOrtho", {left, right, bottom, top, nearZ, farZ},
                  [=] { glOrtho(left, right, bottom, top, nearZ, farZ); })) {
        multiplyCurrent(orthographic(left, right, bottom, top, nearZ, farZ));
    }
}

// ---- state -------------------------------------------------------------------

void glEnable(GLenum cap) {
    if (!compiled("glEnable", {double(cap)}, [=] { glEnable(cap); })) {
        glRecorder.enabled.insert(cap);
    }
}

void glDisable(GLenum cap) {
    if (!compiled("glDisable", {double(cap)}, [=] { glDisable(cap); })) {
        glRecorder.enabled.erase(cap);
    }
}

void glBlendFunc(GLenum source, GLenum destination) {
    if (!compiled("glBlendFunc", {double(source), double(destination)},
                  [=] { glBlendFunc(source, destination); })) {
        glRecorder.blendSource = source;
        glRecorder.blendDestination = destination;
    }
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    if (!compiled("glColor4f", {red, green, blue, alpha},
                  [=] { glColor4f(red, green, blue, alpha); })) {
        glRecorder.colour = {red, green, blue, alpha};
    }
}

void glLineWidth(GLfloat width) {
    if (!compiled("glLineWidth", {width}, [=] { glLineWidth(width); })) {
        glRecorder.lineWidth = width;
    }
}

void glPolygonMode(GLenum face, GLenum mode) {
    if (compiled("glPolygonMode", {double(face), double(mode)},
                 [=] { glPolygonMode(face, mode); })) {
        return;
    }
    if (face == GL_FRONT || face == GL_FRONT_AND_BACK) {
        glRecorder.polygonModeFront = mode;
    }
    if (face == GL_BACK || face == GL_FRONT_AND_BACK) {
        glRecorder.polygonModeBack = mode;
    }
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    logged("glClearColor", {red, green, blue, alpha});
}

void glClear(GLbitfield mask) {
    logged("glClear", {double(mask)});
}

GLenum glGetError() {
    const GLenum error = glRecorder.pendingError;
    glRecorder.pendingError = GL_NO_ERROR;
    return error;
}

void glGetIntegerv(GLenum name, GLint* value) {
    logged("glGetIntegerv", {double(name)});
    constexpr GLenum kFramebufferBinding = 0x8CA6;
    switch (name) {
        case kFramebufferBinding:
            if (glRecorder.framebufferQueryKnown) {
                *value = glRecorder.framebufferBinding;
            } else {
                flagError(GL_INVALID_ENUM);
            }
            break;
        case GL_MAX_TEXTURE_SIZE:
            *value = glRecorder.maxTextureSize;
            break;
        default:
            flagError(GL_INVALID_ENUM);
            break;
    }
}

// ---- drawing -----------------------------------------------------------------

void glBegin(GLenum mode) {
    if (compiled("glBegin", {double(mode)}, [=] { glBegin(mode); })) {
        return;
    }
    GlRecorder& r = glRecorder;
    r.inBeginEnd = true;
    r.building = RecordedPrimitive{};
    r.building.mode = mode;
    r.building.textured = r.enabled.count(GL_TEXTURE_2D) != 0;
    r.building.texture = r.boundTexture;
    r.building.blended = r.enabled.count(GL_BLEND) != 0;
    r.building.lineWidth = r.lineWidth;
    r.building.polygonMode = r.polygonModeFront;
    r.building.modelview = r.modelviewStack.back();
}

void glEnd() {
    if (compiled("glEnd", {}, [] { glEnd(); })) {
        return;
    }
    if (!glRecorder.inBeginEnd) {
        flagError(GL_INVALID_OPERATION);
        return;
    }
    glRecorder.inBeginEnd = false;
    finishBatch(glRecorder.building);
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    if (!compiled("glTexCoord2f", {s, t}, [=] { glTexCoord2f(s, t); })) {
        glRecorder.texS = s;
        glRecorder.texT = t;
    }
}

void glVertex2f(GLfloat x, GLfloat y) {
    if (compiled("glVertex2f", {x, y}, [=] { glVertex2f(x, y); })) {
        return;
    }
    GlRecorder& r = glRecorder;
    const RecordedMatrix m = multiply(r.projectionStack.back(), r.modelviewStack.back());
    const double clipX = m[0] * x + m[4] * y + m[12];
    const double clipY = m[1] * x + m[5] * y + m[13];
    const double clipW = m[3] * x + m[7] * y + m[15];
    RecordedVertex v{};
    v.x = (clipX / clipW + 1.0) / 2.0 * kWindowWidth;
    v.y = (clipY / clipW + 1.0) / 2.0 * kWindowHeight;
    v.s = r.texS;
    v.t = r.texT;
    v.colour = r.colour;
    r.building.vertices.push_back(v);
}

// ---- display lists ---------------------------------------------------------

GLuint glGenLists(GLsizei range) {
    logged("glGenLists", {double(range)});
    const GLuint first = glRecorder.nextListName;
    glRecorder.nextListName += static_cast<GLuint>(range);
    return first;
}

void glNewList(GLuint list, GLenum mode) {
    logged("glNewList", {double(list), double(mode)});
    glRecorder.lists[list].clear();
    glRecorder.compilingList = list;
}

void glEndList() {
    logged("glEndList", {});
    glRecorder.compilingList = 0;
}

void glCallList(GLuint list) {
    if (compiled("glCallList", {double(list)}, [=] { glCallList(list); })) {
        return;
    }
    const auto found = glRecorder.lists.find(list);
    if (found == glRecorder.lists.end()) {
        return;
    }
    // A copy: a list may not change while it plays, but the map may grow.
    const std::vector<ListItem> items = found->second;
    for (const ListItem& item : items) {
        item.run();
    }
}

void glDeleteLists(GLuint list, GLsizei range) {
    logged("glDeleteLists", {double(list), double(range)});
    for (GLsizei i = 0; i < range; ++i) {
        glRecorder.lists.erase(list + static_cast<GLuint>(i));
    }
}

// ---- textures ----------------------------------------------------------------

void glBindTexture(GLenum target, GLuint texture) {
    if (!compiled("glBindTexture", {double(target), double(texture)},
                  [=] { glBindTexture(target, texture); })) {
        glRecorder.boundTexture = texture;
    }
}

void glGenTextures(GLsizei n, GLuint* textures) {
    logged("glGenTextures", {double(n)});
    for (GLsizei i = 0; i < n; ++i) {
        textures[i] = glRecorder.nextTextureName++;
        glRecorder.liveTextures.insert(textures[i]);
    }
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
    logged("glDeleteTextures", {double(n)});
    for (GLsizei i = 0; i < n; ++i) {
        glRecorder.deletedTextures.push_back(textures[i]);
        glRecorder.liveTextures.erase(textures[i]);
        if (glRecorder.boundTexture == textures[i]) {
            glRecorder.boundTexture = 0;
        }
    }
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    logged("glTexParameteri", {double(target), double(name), double(value)});
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const GLvoid*) {
    logged("glTexImage2D", {double(target), double(level), double(internalFormat), double(width),
                            double(height), double(border), double(format), double(type)});
}

void glCopyTexSubImage2D(GLenum target, GLint level, GLint xOffset, GLint yOffset, GLint x, GLint y,
                         GLsizei width, GLsizei height) {
    logged("glCopyTexSubImage2D", {double(target), double(level), double(xOffset), double(yOffset),
                                   double(x), double(y), double(width), double(height)});
}

// ---- SOIL --------------------------------------------------------------------

unsigned int SOIL_load_OGL_texture(const char* filename, int force_channels,
                                   unsigned int reuse_texture_ID, unsigned int flags) {
    GlRecorder& r = glRecorder;
    logged("SOIL_load_OGL_texture",
           {double(force_channels), double(reuse_texture_ID), double(flags)});
    r.soilPaths.push_back(filename);
    r.soilArguments.push_back({static_cast<unsigned>(force_channels), reuse_texture_ID, flags});
    if (r.missingPictures.count(filename) != 0) {
        return 0;
    }
    // Like SOIL: a new name, left bound.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    return texture;
}

// ---- rand() ------------------------------------------------------------------

extern "C" int __wrap_rand() {
    GlRecorder& r = glRecorder;
    int value = 0;
    if (!r.randScript.empty()) {
        value = r.randScript[static_cast<std::size_t>(r.randCalls) % r.randScript.size()];
    } else {
        // The C standard's example generator: fixed, portable, 0..32767.
        r.randState = r.randState * 1103515245u + 12345u;
        value = static_cast<int>((r.randState / 65536u) % 32768u);
    }
    ++r.randCalls;
    logged("rand", {double(value)});
    return value;
}
